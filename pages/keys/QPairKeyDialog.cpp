#include "pages/keys/QPairKeyDialog.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/keys/HighKeyLabels.h"
#include "pages/keys/QRsoKeyboardWidget.h"

#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr uchar kNoKey = KeyboardConfigUtil::NoItem;
} // namespace

QPairKeyDialog::QPairKeyDialog(uchar index, uchar kind, uchar firstKey, const QString &objectName, const QSize &size,
                               QWidget *parent)
    : QHighKeyDialog(index, kind, firstKey, objectName, size, parent)
{
    mPromptKey = QStringLiteral("QRsAddDialog/mPromptLabel");
    auto *area = new QWidget(mMiddleWidget);
    area->setObjectName(QStringLiteral("areaWidget"));
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(40);
    grid->setVerticalSpacing(36); // room for the prompt above key 2
    grid->addWidget(caption("keyOnePrompt", tr("按键1"), area), 0, 0, Qt::AlignCenter);
    grid->addWidget(caption("keyTwoPrompt", tr("按键2"), area), 0, 1, Qt::AlignCenter);
    mKeyOneLabel = caption("keyOneLabel", QString(), area);
    mKeyTwoLabel = caption("keyTwoLabel", QString(), area);
    for (QLabel *label : {mKeyOneLabel, mKeyTwoLabel})
        label->setFixedSize(96, 48);
    grid->addWidget(mKeyOneLabel, 1, 0, Qt::AlignCenter);
    grid->addWidget(mKeyTwoLabel, 1, 1, Qt::AlignCenter);
    addToMiddle(area);

    mKeyboardWidget->setMinimumSize(932, 344);
    mPicker = new QRsoKeyboardWidget(mHighKeyInfo.keyItem, mKeyboardWidget);
    mPicker->move(0, 0);
    mPicker->initializeKeyboard();
    mPicker->show();
    connect(mPicker, &QRsoKeyboardWidget::keyboard_select, this, &QPairKeyDialog::keyboard_select);

    mKeyOneLabel->setText(HighKeyLabels::factoryLabel(mHighKeyInfo.keyItem));
    if (mStatusFlag == EditedBinding && mHighKeyInfo.data[0] != kNoKey)
        mKeyTwoLabel->setText(HighKeyLabels::factoryLabel(mHighKeyInfo.data[0]));
    // Key 2 is what this dialog waits for.
    setWaiting(mKeyTwoLabel, true);
    updateSaveButton();
}

bool QPairKeyDialog::canSave() const
{
    return mPicker->getSelectKeyItem() != kNoKey || mHighKeyInfo.data[0] != kNoKey;
}

void QPairKeyDialog::updateSaveButton()
{
    mSaveBtn->setEnabled(canSave());
}

void QPairKeyDialog::keyboard_select(const uchar &mItem)
{
    qInfo().noquote() << QStringLiteral("keyboard_select mItem:{ %1 }").arg(mItem);
    // A withdrawn pick shows the key the binding keeps.
    const uchar shown = mItem != kNoKey ? mItem : mHighKeyInfo.data[0];
    mKeyTwoLabel->setText(shown != kNoKey ? HighKeyLabels::factoryLabel(shown) : QString());
    updateSaveButton();
}

bool QPairKeyDialog::completeRecord()
{
    const uchar picked = mPicker->getSelectKeyItem();
    if (picked != kNoKey)
        mHighKeyInfo.data[0] = picked;
    if (mHighKeyInfo.keyItem == kNoKey) {
        refuse(tr("请先选择要设置的按键"));
        return false;
    }
    if (mHighKeyInfo.data[0] == kNoKey) {
        refuse(tr("请在键盘上选择按键2"));
        return false;
    }
    if (mHighKeyInfo.data[0] == mHighKeyInfo.keyItem) {
        refuse(tr("按键1和按键2不能是同一个按键"));
        return false;
    }
    return true;
}

void QPairKeyDialog::showEvent(QShowEvent *event)
{
    QHighKeyDialog::showEvent(event);
    displaySelectPrompt(true, mKeyTwoLabel);
}
