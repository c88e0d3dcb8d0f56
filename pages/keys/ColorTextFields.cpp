#include "pages/keys/ColorTextFields.h"

#include <QLineEdit>

ColorTextFields::ColorTextFields(QLineEdit *hex, QLineEdit *red, QLineEdit *green, QLineEdit *blue, QObject *parent)
    : QObject(parent), mHex(hex), mChannels{red, green, blue}
{
    for (QLineEdit *field : {mHex, red, green, blue}) {
        if (field != mHex)
            field->setMaxLength(3);
        connect(field, &QLineEdit::returnPressed, this, [this, field] { commit(field); });
    }
}

QColor ColorTextFields::parseColor(const QString &text)
{
    QColor color = QColor::fromString(text);
    if (color.isValid())
        color.setAlpha(255); // the keyboard's colours have no transparency
    return color;
}

int ColorTextFields::parseChannel(const QString &text)
{
    bool number = false;
    const int value = text.trimmed().toInt(&number, 10);
    if (!number)
        return 0;
    return value >= 0 && value <= 255 ? value : -1;
}

void ColorTextFields::showColor(const QColor &color)
{
    showColorBesides(color, nullptr);
}

void ColorTextFields::showColorBesides(const QColor &color, QLineEdit *source)
{
    mColor = color.isValid() ? color.toRgb() : QColor();
    if (source != mHex)
        mHex->setText(mColor.isValid() ? mColor.name() : QString());
    if (source && source != mHex)
        return; // the three channels produced it
    const int channels[3] = {mColor.red(), mColor.green(), mColor.blue()};
    for (int i = 0; i < 3; ++i)
        mChannels[i]->setText(mColor.isValid() ? QString::number(channels[i]) : QString());
}

QColor ColorTextFields::colorOf(QLineEdit *field) const
{
    if (field == mHex)
        return parseColor(field->text());
    int channels[3];
    for (int i = 0; i < 3; ++i) {
        channels[i] = parseChannel(mChannels[i]->text());
        if (channels[i] < 0)
            return QColor();
    }
    return QColor(channels[0], channels[1], channels[2]);
}

void ColorTextFields::commit(QLineEdit *field)
{
    const QColor entered = colorOf(field);
    if (!entered.isValid()) {
        showColor(mColor); // refused: back to the colour shown
        return;
    }
    showColorBesides(entered, field);
    Q_EMIT colorEntered(entered);
}
