#include "pages/keys/ColorTextFields.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

ColorTextFields::ColorTextFields(QLineEdit *hex, QLineEdit *red, QLineEdit *green, QLineEdit *blue, QObject *parent)
    : QObject(parent), mHex(hex), mChannels{red, green, blue}
{
    mHex->setMaxLength(7);
    for (QLineEdit *field : {mHex, red, green, blue}) {
        if (field != mHex)
            field->setMaxLength(3);
        field->installEventFilter(this);
        // Enter, or leaving a field whose text changed.
        connect(field, &QLineEdit::editingFinished, this, [this, field] { commit(field); });
    }
}

QColor ColorTextFields::parseHex(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^#?([0-9a-fA-F]{3}|[0-9a-fA-F]{6})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return QColor();
    QString digits = match.captured(1);
    if (digits.size() == 3)
        digits = QString(digits[0]) + digits[0] + digits[1] + digits[1] + digits[2] + digits[2];
    return QColor::fromRgb(digits.toUInt(nullptr, 16) | 0xFF000000u);
}

int ColorTextFields::parseChannel(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,3}$"));
    const QString trimmed = text.trimmed();
    if (!form.match(trimmed).hasMatch())
        return -1;
    const int value = trimmed.toInt();
    return value <= 255 ? value : -1;
}

void ColorTextFields::showColor(const QColor &color)
{
    mColor = color.isValid() ? color.toRgb() : QColor();
    mHex->setText(mColor.isValid() ? mColor.name() : QString());
    const int channels[3] = {mColor.red(), mColor.green(), mColor.blue()};
    for (int i = 0; i < 3; ++i)
        mChannels[i]->setText(mColor.isValid() ? QString::number(channels[i]) : QString());
}

QColor ColorTextFields::colorOf(QLineEdit *field) const
{
    if (field == mHex)
        return parseHex(field->text());
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
    const bool changed = entered != mColor;
    showColor(entered);
    if (changed)
        Q_EMIT colorEntered(entered);
}

bool ColorTextFields::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        showColor(mColor);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
