#include "pages/common/PageTitleBar.h"

#include "widgets/ChosenButton.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>

namespace {
struct NavButton {
    const char *objectName;
    const char *icon;
};
// In page order, KeyPage first.
const NavButton kButtons[] = {
    {"keyButton", "nav_key.png"},           {"lightButton", "nav_light.png"}, {"highKeyButton", "nav_high_key.png"},
    {"macroButton", "nav_macro.png"},       {"performaceButton", "nav_performance.png"},
    {"alignButton", "nav_align.png"},       {"otherButton", "nav_other.png"},
};
} // namespace

PageTitleBar::PageTitleBar(int current, QWidget *parent) : QWidget(parent), mCurrent(current)
{
    setObjectName(QStringLiteral("titleWidget"));
    setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kButtons[i].objectName));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(20, 20));
        button->setMinimumSize(160, 60);
        button->setFixedHeight(60);
        button->setFocusPolicy(Qt::NoFocus);
        const int page = KeyPage + i;
        connect(button, &QToolButton::clicked, this, [this, page] { onClicked(page); });
        layout->addWidget(button);
        mButtons.append(button);
    }
    layout->addStretch(1);
    refreshLanguageUi();
    checkCurrent();
}

QToolButton *PageTitleBar::button(int page) const
{
    return mButtons.value(page - KeyPage);
}

void PageTitleBar::checkCurrent()
{
    for (int page = KeyPage; page <= OtherPage; ++page) {
        ChosenButton::mark(button(page), page == mCurrent);
    }
}

void PageTitleBar::refreshLanguageUi()
{
    const QString texts[] = {tr("改键设置"), tr("灯光设置"), tr("高级键设置"), tr("宏设置"),
                             tr("性能设置"), tr("校准设置"), tr("其他设置")};
    for (int i = 0; i < mButtons.size(); ++i)
        mButtons[i]->setText(texts[i]);
}

void PageTitleBar::onClicked(int page)
{
    if (page == mCurrent) {
        checkCurrent();
        return;
    }
    switchPage(this, page);
}

QStackedWidget *PageTitleBar::stackOf(const QWidget *widget)
{
    for (QWidget *up = widget ? widget->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(up))
            return stack;
    }
    return nullptr;
}

bool PageTitleBar::switchPage(const QWidget *from, int index)
{
    QStackedWidget *stack = stackOf(from);
    if (!stack)
        return false;
    stack->setCurrentIndex(index);
    stack->show();
    return true;
}
