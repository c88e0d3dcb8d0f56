#pragma once
// The colour as text on the lighting page: one field for the colour as the framework reads colour
// text ("#ff7d00", "#f70", "red", ...) and one each for red, green and blue (0 to 255). Enter
// commits a field, and so does leaving a field whose colour changed: the fields that did not
// produce the colour follow and colorEntered reports it (Enter reports it also when it is the
// colour shown). Text that is no colour is refused: the fields go back to the colour they showed,
// as they do on Escape. Fields are never rewritten while the user types in them.

#include <QColor>
#include <QObject>

class QLineEdit;

class ColorTextFields : public QObject
{
    Q_OBJECT
public:
    ColorTextFields(QLineEdit *hex, QLineEdit *red, QLineEdit *green, QLineEdit *blue, QObject *parent = nullptr);

    // Shows a colour in all four fields (nothing is reported); an invalid colour empties them.
    void showColor(const QColor &color);
    QColor color() const { return mColor; }

    // The opaque colour a text names in any form the framework reads; invalid otherwise.
    static QColor parseColor(const QString &text);
    // A colour channel written as a decimal number 0 to 255; -1 otherwise.
    static int parseChannel(const QString &text);

Q_SIGNALS:
    void colorEntered(QColor color);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Takes a field's colour; always reported when on Enter, else only when it changed.
    void commit(QLineEdit *field, bool onEnter);
    // Shows a colour in the fields that did not produce it.
    void showColorBesides(const QColor &color, QLineEdit *source);
    QColor colorOf(QLineEdit *field) const;

    QLineEdit *mHex;
    QLineEdit *mChannels[3];
    QColor mColor;
};
