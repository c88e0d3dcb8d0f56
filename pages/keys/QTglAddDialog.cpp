#include "pages/keys/QTglAddDialog.h"

#include "pages/keys/HighKeyLabels.h"

#include <QLabel>
#include <QVBoxLayout>

QTglAddDialog::QTglAddDialog(uchar index, QWidget *parent)
    : QKeyPickDialog(index, HighKeyLabels::Tgl, QStringLiteral("QTglAddDialog"), QSize(1200, 582), parent)
{
    mTitleLabel->setText(tr("切换开关(TGL)"));
    mPromptLabel->setText(tr("单击按键可开关持续触发，按住按键则为正常触发行为"));

    auto *area = new QWidget(mMiddleWidget);
    area->setObjectName(QStringLiteral("areaWidget"));
    auto *column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(20);
    column->addWidget(caption("triggerPrompt", tr("触发"), area), 0, Qt::AlignCenter);
    mTriggerLabel = addSlotLabel("triggerLabel", area);
    mTriggerLabel->setFixedSize(96, 48);
    column->addWidget(mTriggerLabel, 0, Qt::AlignCenter);
    addToMiddle(area);

    const auto &d = mHighKeyInfo.data;
    if (mStatusFlag == EditedBinding)
        showKey(mTriggerLabel, d[0], d[2], d[1]);
}

void QTglAddDialog::storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue)
{
    if (slot != mTriggerLabel)
        return;
    auto &d = mHighKeyInfo.data;
    d[0] = type;
    d[1] = lValue;
    d[2] = hValue;
}
