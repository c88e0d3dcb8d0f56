#include "pages/keys/QHighKeyDialog.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/TipText.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

namespace {
constexpr int kNoticeMs = 2000;

QPushButton *frameButton(const char *name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(80, 32);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget *row(const char *name, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

QHighKeyDialog::QHighKeyDialog(uchar index, uchar kind, uchar firstKey, const QString &objectName, const QSize &size,
                               QWidget *parent)
    : QDialog(parent), mIndex(index)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setMinimumSize(size);
    resize(size);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 20);
    layout->setSpacing(12);

    QWidget *top = row("topWidget", this);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(12);
    mTitleLabel = new QLabel(top);
    mTitleLabel->setObjectName(QStringLiteral("titleLabel"));
    mDelBtn = frameButton("delBtn", tr("删除"), top);
    mCancelBtn = frameButton("cancelBtn", tr("取消"), top);
    mSaveBtn = frameButton("saveBtn", tr("保存"), top);
    topLayout->addWidget(mTitleLabel);
    topLayout->addStretch(1);
    topLayout->addWidget(mDelBtn);
    topLayout->addWidget(mCancelBtn);
    topLayout->addWidget(mSaveBtn);
    layout->addWidget(top);

    mPromptWidget = row("promptWidget", this);
    auto *promptLayout = new QHBoxLayout(mPromptWidget);
    promptLayout->setContentsMargins(0, 0, 0, 0);
    mPromptLabel = new QLabel(mPromptWidget);
    mPromptLabel->setObjectName(QStringLiteral("promptLabel"));
    mPromptLabel->setWordWrap(true);
    promptLayout->addWidget(mPromptLabel);
    layout->addWidget(mPromptWidget);

    mMiddleWidget = row("middleWidget", this);
    mMiddleLayout = new QHBoxLayout(mMiddleWidget);
    mMiddleLayout->setContentsMargins(0, 0, 0, 0);
    mMiddleLayout->setSpacing(40);
    mMiddleLayout->addStretch(1);
    mMiddleLayout->addStretch(1);
    layout->addWidget(mMiddleWidget, 1);

    QWidget *bottom = row("bottomWidget", this);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    mKeyboardWidget = row("keyboardWidget", bottom);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(mKeyboardWidget);
    bottomLayout->addStretch(1);
    layout->addWidget(bottom);

    const HighKeyList *list = gKeyboardConfig ? &gKeyboardConfig->keyboardHighKeyList : nullptr;
    const auto stored = list && index < list->size() ? list->at(index) : QSharedPointer<HIGH_KEY_INFO>();
    if (index != KeyboardConfigUtil::NoItem && stored && stored->item == index) {
        mHighKeyInfo = *stored;
        mStatusFlag = EditedBinding;
    } else {
        if (index != KeyboardConfigUtil::NoItem)
            qInfo().noquote() << QStringLiteral("=== %1 没有这个高级键 index={%2} ===").arg(objectName).arg(index);
        mIndex = KeyboardConfigUtil::NoItem;
        mHighKeyInfo = *KeyboardConfigUtil::createHighKey(kind, firstKey);
        mStatusFlag = NewBinding;
        mDelBtn->hide();
    }

    connect(mSaveBtn, &QPushButton::clicked, this, &QHighKeyDialog::on_saveBtn_clicked);
    connect(mDelBtn, &QPushButton::clicked, this, &QHighKeyDialog::on_delBtn_clicked);
    connect(mCancelBtn, &QPushButton::clicked, this, &QHighKeyDialog::on_cancelBtn_clicked);
}

QHighKeyDialog::~QHighKeyDialog()
{
    TipText::hidePrompt();
}

QLabel *QHighKeyDialog::caption(const char *objectName, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

void QHighKeyDialog::addToMiddle(QWidget *widget)
{
    mMiddleLayout->insertWidget(mMiddleLayout->count() - 1, widget, 0, Qt::AlignTop);
}

void QHighKeyDialog::refuse(const QString &text)
{
    qInfo().noquote() << QStringLiteral("=== %1 不能保存: %2 ===").arg(objectName(), text);
    auto *toast = new QToastBox(this, text, kNoticeMs);
    toast->show();
}

void QHighKeyDialog::setWaiting(QLabel *label, bool waiting)
{
    label->setProperty("waiting", waiting);
    label->style()->unpolish(label);
    label->style()->polish(label);
}

bool QHighKeyDialog::isWaiting(const QLabel *label)
{
    return label && label->property("waiting").toBool();
}

void QHighKeyDialog::displaySelectPrompt(bool show, const QWidget *target)
{
    if (show && target)
        TipText::showPrompt(const_cast<QWidget *>(target), mPromptKey);
    else
        TipText::hidePrompt();
    update();
}

void QHighKeyDialog::on_saveBtn_clicked()
{
    TipText::hidePrompt();
    if (!completeRecord())
        return;
    if (mHighKeyInfo.item == KeyboardConfigUtil::NoItem) {
        const bool full = !gKeyboardConfig || gKeyboardConfig->getHighKeyTotal() >= KeyboardConfigUtil::MaxHighKeys;
        const uchar slot = full ? KeyboardConfigUtil::NoItem : gKeyboardConfig->getFreeHighKey(0);
        if (slot == KeyboardConfigUtil::NoItem) {
            refuse(tr("已绑定 32 个高级键，请先删除不用的高级键"));
            return;
        }
        mHighKeyInfo.item = slot;
    }
    accept();
}

void QHighKeyDialog::on_delBtn_clicked()
{
    TipText::hidePrompt();
    mStatusFlag = DeleteBinding;
    accept();
}

void QHighKeyDialog::on_cancelBtn_clicked()
{
    TipText::hidePrompt();
    reject();
}

void QHighKeyDialog::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.end();
    QDialog::paintEvent(event);
}
