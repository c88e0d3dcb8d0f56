#include "pages/keys/QSocdAddDialog.h"

#include "pages/common/TipText.h"
#include "pages/keys/HighKeyLabels.h"
#include "widgets/CustomToolTip.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// The prompt window's padding and border on each side.
constexpr int kPromptFrame = 12;
} // namespace

QSocdAddDialog::QSocdAddDialog(uchar index, uchar firstKey, QWidget *parent)
    : QPairKeyDialog(index, HighKeyLabels::Socd, firstKey, QStringLiteral("QSocdAddDialog"), QSize(1200, 654), parent)
{
    mTitleLabel->setText(tr("SOCD"));
    mPromptLabel->setText(tr("SOCD指的是一种技术，用于处理同时按下对立方向键时的输入。具体来说，当玩家在操作设备时，如果同时按下两个方向键（如上和下，左和右），SOCD 技术会根据设定的规则或算法来决定如何处理这些输入，以避免冲突或错误。"));

    auto *group = new QGroupBox(tr("行为模式"), mMiddleWidget);
    group->setObjectName(QStringLiteral("groupBox"));
    auto *column = new QVBoxLayout(group);
    column->setContentsMargins(16, 20, 16, 12);
    column->setSpacing(8);
    const char *names[Modes] = {"lastRadio", "oneRadio", "twoRadio", "cancelRadio"};
    const QString texts[Modes] = {tr("最后输入优先级"), tr("绝对按键1优先"), tr("绝对按键2优先"), tr("抵消模式")};
    for (int mode = 0; mode < Modes; ++mode) {
        auto *radio = new QRadioButton(texts[mode], group);
        radio->setObjectName(QString::fromLatin1(names[mode]));
        TipText::apply(radio, QStringLiteral("QSocdAddDialog/") + QString::fromLatin1(names[mode]));
        column->addWidget(radio);
        mRadios[size_t(mode)] = radio;
    }
    // The prompt above key 2 is as wide as its wording, centred on key 2: the behaviour choice
    // beside it keeps clear of it in every language.
    const QFontMetrics metrics = gCustomToolTip ? gCustomToolTip->fontMetrics() : fontMetrics();
    const int reach = metrics.horizontalAdvance(TipText::text(mPromptKey)) / 2 + kPromptFrame;
    const int room = keyTwoLabel()->width() / 2 + mMiddleLayout->spacing();
    if (reach > room)
        mMiddleLayout->insertSpacing(mMiddleLayout->count() - 1, reach - room);
    addToMiddle(group);

    uchar &mode = mHighKeyInfo.data[1];
    if (mode >= Modes)
        mode = 0;
    mRadios[mode]->setChecked(true);
}

bool QSocdAddDialog::completeRecord()
{
    if (!QPairKeyDialog::completeRecord())
        return false;
    uchar mode = 0;
    for (int i = Modes - 1; i >= 0; --i) {
        if (mRadios[size_t(i)]->isChecked())
            mode = uchar(i);
    }
    mHighKeyInfo.data[1] = mode;
    return true;
}
