#pragma once
// The colour as text on the lighting page: one field for the hexadecimal form ("#ff7d00") and one
// each for red, green and blue (0 to 255). A field is committed with Enter or by leaving it; then
// the other fields follow and colorEntered reports the colour. Text that is no colour is refused:
// the fields go back to the colour they showed, as they do on Escape. Fields are never rewritten
// while the user types in them.

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

    // A colour written as "#rgb", "#rrggbb", or either without the number sign; invalid otherwise.
    static QColor parseHex(const QString &text);
    // A colour channel written as a decimal number 0 to 255; -1 otherwise.
    static int parseChannel(const QString &text);

Q_SIGNALS:
    void colorEntered(QColor color);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commit(QLineEdit *field);
    QColor colorOf(QLineEdit *field) const;

    QLineEdit *mHex;
    QLineEdit *mChannels[3];
    QColor mColor;
};
