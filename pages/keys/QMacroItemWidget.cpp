#include "pages/keys/QMacroItemWidget.h"

#include "model/KeyHelpers.h"
#include "model/SystemConfigUtil.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>

namespace {
constexpr int kPictureSize = 30;

QString imageFolder()
{
    const QString folder = gSystemConfig ? gSystemConfig->getImagePath() : QString();
    return folder.isEmpty() ? QStringLiteral(":/images/images/light/") : folder;
}

// The name of a key: its label on the full keyboard picker, else the label of its key code,
// else nothing.
QString keyName(uchar type, uchar hValue, uchar lValue)
{
    if (const KEYBOARD_LIST_INFO *key = global_getNormalKeyboard(type, hValue, lValue))
        return key->label;
    const KEY_CODE_INFO *code = global_getKeyLabel(type, hValue, lValue);
    return code ? code->label : QString();
}
} // namespace

QMacroItemWidget::QMacroItemWidget(QListWidgetItem *item, QListWidget *list, QWidget *parent)
    : QWidget(parent), mListWidget(list), mListItem(item)
{
    setObjectName(QStringLiteral("QMacroItemWidget"));
    setWindowTitle(tr("Form"));
    resize(400, 50);
    setMinimumSize(400, 50);

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(5);
    layout->setContentsMargins(0, 0, 0, 0);
    mIndexLabel = new QLabel(QStringLiteral("1"), this);
    mIndexLabel->setObjectName(QStringLiteral("indexLabel"));
    mIndexLabel->setMinimumSize(40, 50);
    mIndexLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(mIndexLabel);

    auto *inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget"));
    auto *row = new QHBoxLayout(inner);
    row->setSpacing(5);
    row->setContentsMargins(0, 5, 0, 5);
    mTypeLabel = new QLabel(inner);
    mTypeLabel->setObjectName(QStringLiteral("typeLabel"));
    mTypeLabel->setMinimumSize(40, 40);
    mTypeLabel->setAlignment(Qt::AlignCenter);
    mKeyLabel = new QLabel(inner);
    mKeyLabel->setObjectName(QStringLiteral("keyLabel"));
    mKeyLabel->setMinimumSize(40, 40);
    mKeyLabel->setAlignment(Qt::AlignCenter);
    mKeyLabel->setWordWrap(true);
    mTimeLabel = new QLabel(inner);
    mTimeLabel->setObjectName(QStringLiteral("timeLabel"));
    mTimeLabel->setMinimumSize(80, 40);
    mTimeLabel->setAlignment(Qt::AlignCenter);
    mTimeLabel->setWordWrap(true);
    mDelButton = new QPushButton(inner);
    mDelButton->setObjectName(QStringLiteral("delButton"));
    mDelButton->setFlat(true);
    mDelButton->setMinimumSize(40, 40);
    mDelButton->setIconSize(QSize(20, 20));
    mDelButton->setFocusPolicy(Qt::NoFocus);
    row->addWidget(mTypeLabel);
    row->addWidget(mKeyLabel);
    row->addStretch(1);
    row->addWidget(mTimeLabel);
    row->addWidget(mDelButton);
    layout->addWidget(inner, 1);

    const QString folder = imageFolder();
    const qreal ratio = devicePixelRatioF();
    downPixmap = QIcon(folder + QStringLiteral("macro_item_down.png")).pixmap(QSize(kPictureSize, kPictureSize), ratio);
    upPixmap = QIcon(folder + QStringLiteral("macro_item_up.png")).pixmap(QSize(kPictureSize, kPictureSize), ratio);
    connect(mDelButton, &QPushButton::clicked, this, [this] { Q_EMIT macroItemDelete(mListItem); });
}

void QMacroItemWidget::setItemInfo(const KEYBOARD_MACRO_INFO &info)
{
    macroInfo = info;
    if (mListWidget && mListItem)
        refreshUi();
    showKeyState();
    mKeyLabel->setText(keyName(info.type, info.hValue, info.lValue));
    setTime(info.time);
}

void QMacroItemWidget::setTime(const int &ms)
{
    macroInfo.time = quint16(qBound(0, ms, MaxTime));
    mTimeLabel->setText(QStringLiteral("%1ms").arg(macroInfo.time));
    update();
}

void QMacroItemWidget::setKey(const uchar &type, const uchar &lValue, const uchar &hValue)
{
    const KEYBOARD_LIST_INFO *key = global_getNormalKeyboard(type, hValue, lValue);
    if (!key)
        return;
    macroInfo.type = type;
    macroInfo.lValue = lValue;
    macroInfo.hValue = hValue;
    mKeyLabel->setText(key->label);
    update();
}

void QMacroItemWidget::setKeyState(const uchar &state)
{
    macroInfo.state = state;
    showKeyState();
}

QString QMacroItemWidget::keyText() const
{
    return mKeyLabel->text();
}

void QMacroItemWidget::refreshUi()
{
    if (mListWidget && mListItem)
        mIndexLabel->setText(QString::number(mListWidget->row(mListItem) + 1));
    update();
}

void QMacroItemWidget::showKeyState()
{
    mTypeLabel->setPixmap(macroInfo.state ? downPixmap : upPixmap);
    update();
}

void QMacroItemWidget::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}
