#include "pages/keys/ColorTextFields.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

ColorTextFields::ColorTextFields(QLineEdit *hex, QLineEdit *red, QLineEdit *green, QLineEdit *blue, QObject *parent)
    : QObject(parent), mHex(hex), mChannels{red, green, blue}
{
    for (QLineEdit *field : {mHex, red, green, blue}) {
        if (field != mHex)
            field->setMaxLength(3);
        field->installEventFilter(this);
        connect(field, &QLineEdit::returnPressed, this, [this, field] { commit(field, true); });
        // Also on Enter, after returnPressed; then the colour is already taken.
        connect(field, &QLineEdit::editingFinished, this, [this, field] { commit(field, false); });
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
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,3}$"));
    const QString trimmed = text.trimmed();
    if (!form.match(trimmed).hasMatch())
        return -1;
    const int value = trimmed.toInt();
    return value <= 255 ? value : -1;
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

void ColorTextFields::commit(QLineEdit *field, bool onEnter)
{
    const QColor entered = colorOf(field);
    if (!entered.isValid()) {
        showColor(mColor); // refused: back to the colour shown
        return;
    }
    if (!onEnter && entered == mColor)
        return;
    showColorBesides(entered, field);
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
