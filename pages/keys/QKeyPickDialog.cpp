#include "pages/keys/QKeyPickDialog.h"

#include "pages/keys/HighKeyLabels.h"
#include "pages/keys/QInputKeyboardWidget.h"

#include <QEvent>
#include <QLabel>

QKeyPickDialog::QKeyPickDialog(uchar index, uchar kind, const QString &objectName, const QSize &size, QWidget *parent)
    : QHighKeyDialog(index, kind, 255, objectName, size, parent)
{
    mPromptKey = QStringLiteral("QDksAddDialog/mPromptLabel");
    mKeyboardWidget->setMinimumSize(1100, 302);
    mInputKeyboardWidget = new QInputKeyboardWidget(0, mKeyboardWidget);
    mInputKeyboardWidget->setGeometry(0, 0, 1100, 284);
    mInputKeyboardWidget->initializeKeyboard();
    mInputKeyboardWidget->show();
    connect(mInputKeyboardWidget, &QInputKeyboardWidget::input_keyboard_select, this,
            &QKeyPickDialog::input_keyboard_select);
}

QLabel *QKeyPickDialog::addSlotLabel(const char *objectName, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setMinimumSize(48, 48);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setCursor(Qt::PointingHandCursor);
    setWaiting(label, false);
    label->installEventFilter(this);
    mSlotLabels.append(label);
    return label;
}

bool QKeyPickDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (event->type() == QEvent::MouseButtonPress && label && mSlotLabels.contains(label)) {
        if (label == mSelectLabel)
            releaseSlot();
        else
            selectSlot(label);
    }
    return QHighKeyDialog::eventFilter(watched, event);
}

void QKeyPickDialog::selectSlot(QLabel *label)
{
    if (label == mSelectLabel)
        return;
    releaseSlot();
    mSelectLabel = label;
    setWaiting(label, true);
    displaySelectPrompt(true, label);
}

void QKeyPickDialog::releaseSlot()
{
    if (mSelectLabel)
        setWaiting(mSelectLabel, false);
    mSelectLabel = nullptr;
    displaySelectPrompt(false, nullptr);
}

void QKeyPickDialog::input_keyboard_select(uchar type, uchar hValue, uchar lValue)
{
    if (!mSelectLabel)
        return;
    storeKey(mSelectLabel, type, hValue, lValue);
    showKey(mSelectLabel, type, hValue, lValue);
    releaseSlot();
}

void QKeyPickDialog::showKey(QLabel *slot, uchar type, uchar hValue, uchar lValue)
{
    const QString text = HighKeyLabels::pickerLabel(type, hValue, lValue);
    slot->setText(text);
    slot->setToolTip(text);
}
