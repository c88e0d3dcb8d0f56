#include "pages/keys/QMtAddDialog.h"

#include "model/LittleEndian.h"
#include "pages/keys/HighKeyLabels.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kKeyWidth = 96;
} // namespace

QMtAddDialog::QMtAddDialog(uchar index, QWidget *parent)
    : QKeyPickDialog(index, HighKeyLabels::Mt, QStringLiteral("QMtAddDialog"), QSize(1200, 702), parent)
{
    mTitleLabel->setText(tr("按住/单击(MT)"));
    mPromptLabel->setText(tr("单击和长按分别对应不同的按键。 长按所对应的按键也可以是切层，这可以极大地扩展键盘的可能性。"));

    auto *middle = new QWidget(mMiddleWidget);
    middle->setObjectName(QStringLiteral("middleColumn"));
    middle->setMinimumWidth(800);
    auto *middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->setSpacing(16);

    auto *area = new QWidget(middle);
    area->setObjectName(QStringLiteral("areaWidget"));
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(40);
    grid->setVerticalSpacing(20);
    grid->addWidget(caption("singlePrompt", tr("单击"), area), 0, 0, Qt::AlignCenter);
    grid->addWidget(caption("longPrompt", tr("长按"), area), 0, 1, Qt::AlignCenter);
    mSingleLabel = addSlotLabel("singleLabel", area);
    mLongLabel = addSlotLabel("longLabel", area);
    for (QLabel *label : {mSingleLabel, mLongLabel})
        label->setFixedSize(kKeyWidth, 48);
    grid->addWidget(mSingleLabel, 1, 0, Qt::AlignCenter);
    grid->addWidget(mLongLabel, 1, 1, Qt::AlignCenter);
    middleLayout->addWidget(area, 0, Qt::AlignHCenter);

    auto *time = new QWidget(middle);
    time->setObjectName(QStringLiteral("timeWidget"));
    auto *timeLayout = new QHBoxLayout(time);
    timeLayout->setContentsMargins(0, 0, 0, 0);
    timeLayout->setSpacing(20);
    timeLayout->addStretch(1);
    timeLayout->addWidget(caption("timeLeftLabel", tr("按住时间"), time));
    mTimeProgress = new HoldTimeSlider(time);
    mTimeProgress->setOrientation(Qt::Horizontal);
    mTimeProgress->setObjectName(QStringLiteral("timeProgress"));
    mTimeProgress->setMinimumSize(240, 30);
    mTimeProgress->setMaximumHeight(30);
    timeLayout->addWidget(mTimeProgress);
    mTimeRightLabel = caption("timeRightLabel", QString(), time);
    mTimeRightLabel->setMinimumSize(60, 40);
    mTimeRightLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mTimeRightLabel->setWordWrap(false);
    timeLayout->addWidget(mTimeRightLabel);
    timeLayout->addStretch(1);
    middleLayout->addWidget(time);

    auto *prompt2 = caption("prompt2Label",
                            tr("由于判断是否为单击需要时间，触发单击按键会比正常按键慢。给此按键开启快速 触发，并降低重置距离会改善，但是仍不如正常按键。"),
                            middle);
    middleLayout->addWidget(prompt2);
    addToMiddle(middle);

    const auto &d = mHighKeyInfo.data;
    if (mStatusFlag == EditedBinding) {
        showKey(mSingleLabel, d[3], d[4], d[5]);
        showKey(mLongLabel, d[6], d[8], d[7]);
    }
    mTimeProgress->setRange(MinHoldTime, MaxHoldTime);
    // The slider keeps a stored time outside its range at its nearest end; the read-out shows the
    // time that saving writes.
    mTimeProgress->setValue(LittleEndian::getU16(d.data() + 1));
    customSliderClicked(0, mTimeProgress->value());
    // A plain slider reports every change as a move.
    connect(mTimeProgress, &QCustomSlider::customSliderClicked, this, &QMtAddDialog::customSliderClicked);
}

void QMtAddDialog::customSliderClicked(int, int value)
{
    mTimeRightLabel->setText(QStringLiteral("%1ms").arg(value));
}

void QMtAddDialog::storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue)
{
    auto &d = mHighKeyInfo.data;
    if (slot == mSingleLabel) {
        d[3] = type;
        d[4] = hValue;
        d[5] = lValue;
    } else if (slot == mLongLabel) {
        d[6] = type;
        d[7] = lValue;
        d[8] = hValue;
    }
}

bool QMtAddDialog::completeRecord()
{
    LittleEndian::putU16(mHighKeyInfo.data.data() + 1, quint16(mTimeProgress->value()));
    return true;
}
