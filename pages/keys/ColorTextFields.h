#pragma once
// The colour as text on the lighting page: one field for the colour as the framework reads colour
// text ("#ff7d00", "#f70", "red", ...) and one each for red, green and blue. Return in a field
// commits it: the fields that did not produce the colour follow and colorEntered reports it, also
// when it is the colour shown. Nothing else commits a field: leaving it keeps the text typed and
// reports nothing. A red, green or blue field that holds no number counts as 0; a number outside
// 0 to 255, or text that names no colour, is refused (never sent as black): the fields go back to
// the colour they showed.

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
    // A colour channel written as a decimal number: 0 to 255, 0 for text that is no number, and
    // -1 for a number outside 0 to 255.
    static int parseChannel(const QString &text);

Q_SIGNALS:
    void colorEntered(QColor color);

private:
    // Takes the colour of the field in which Return was pressed.
    void commit(QLineEdit *field);
    // Shows a colour in the fields that did not produce it.
    void showColorBesides(const QColor &color, QLineEdit *source);
    QColor colorOf(QLineEdit *field) const;

    QLineEdit *mHex;
    QLineEdit *mChannels[3];
    QColor mColor;
};
