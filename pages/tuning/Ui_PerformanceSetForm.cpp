#include "pages/tuning/Ui_PerformanceSetForm.h"

#include "pages/common/PageTitleBar.h"
#include "pages/tuning/QImageScene.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
template<class W>
W *named(QWidget *parent, const char *name)
{
    auto *widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *prompt(QWidget *parent, const char *name)
{
    auto *label = named<QLabel>(parent, name);
    label->setWordWrap(true);
    return label;
}

// A plain widget holding a horizontal row.
QHBoxLayout *row(QWidget *widget, int spacing = 8)
{
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QVBoxLayout *column(QWidget *widget, int spacing)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(spacing);
    return layout;
}

PerformanceSlider *slider(QWidget *parent, const char *name, QSize minimum)
{
    auto *s = named<PerformanceSlider>(parent, name);
    s->setOrientation(Qt::Horizontal);
    s->setMinimumSize(minimum);
    s->setMouseTracking(false);
    return s;
}

// "-", the value and "+" side by side, in the widget of the given name.
QWidget *stepper(QWidget *parent, const char *name, const char *dec, const char *valueName, const char *add,
                 QPushButton **decButton, QLabel **value, QPushButton **addButton)
{
    QWidget *box = named<QWidget>(parent, name);
    QHBoxLayout *layout = row(box, 0);
    *decButton = named<QPushButton>(box, dec);
    *value = named<QLabel>(box, valueName);
    *addButton = named<QPushButton>(box, add);
    (*value)->setAlignment(Qt::AlignCenter);
    (*value)->setMinimumWidth(48);
    for (QPushButton *button : {*decButton, *addButton}) {
        button->setFlat(true);
        button->setFixedSize(26, 26);
    }
    layout->addWidget(*decButton);
    layout->addWidget(*value);
    layout->addWidget(*addButton);
    return box;
}

QToolButton *choice(QWidget *parent, const char *name, QSize minimum)
{
    auto *button = named<QToolButton>(parent, name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumSize(minimum);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A heading with its check box after it, in a row widget of its own.
QWidget *checkRow(QWidget *parent, const char *rowName, const char *titleName, const char *checkName, QLabel **title,
                  QCheckBox **box)
{
    QWidget *rowWidget = named<QWidget>(parent, rowName);
    QHBoxLayout *layout = row(rowWidget);
    *title = named<QLabel>(rowWidget, titleName);
    *box = named<QCheckBox>(rowWidget, checkName);
    (*box)->setFixedSize(30, 30);
    layout->addWidget(*title);
    layout->addWidget(*box);
    layout->addStretch(1);
    return rowWidget;
}
} // namespace

void Ui_PerformanceSetForm::setupUi(QWidget *form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("PerformanceSetForm"));
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 16);
    layout->setSpacing(10);
    titleWidget = new PageTitleBar(PageTitleBar::PerformancePage, form);
    layout->addWidget(titleWidget);
    setupKeyboardArea(form);

    QWidget *bottom = named<QWidget>(form, "bottomWidget");
    QHBoxLayout *columns = row(bottom, 16);
    bottomLeftWidget = named<QWidget>(bottom, "bottomLeftWidget");
    bottomLeftWidget->setFixedWidth(300);
    bottomMiddleWidget = named<QWidget>(bottom, "bottomMiddleWidget");
    bottomMiddleWidget->setMinimumWidth(500);
    bottomMiddleWidget->setMaximumWidth(580);
    bottomRightWidget = named<QWidget>(bottom, "bottomRightWidget");
    bottomRightWidget->setFixedWidth(300);
    columns->addStretch(1);
    for (QWidget *card : {bottomLeftWidget, bottomMiddleWidget, bottomRightWidget}) {
        card->setAttribute(Qt::WA_StyledBackground);
        columns->addWidget(card);
    }
    columns->addStretch(1);
    setupTriggerColumn(bottomLeftWidget);
    setupQuickColumn(bottomMiddleWidget);
    setupParamsColumn(bottomRightWidget);
    layout->addWidget(bottom, 1);
    retranslateUi(form);
}

void Ui_PerformanceSetForm::setupKeyboardArea(QWidget *form)
{
    auto *outer = qobject_cast<QVBoxLayout *>(form->layout());
    QWidget *top = named<QWidget>(form, "topWidget");
    QHBoxLayout *centred = row(top, 0);
    QWidget *picture = named<QWidget>(top, "pictureWidget");
    auto *stack = new QVBoxLayout(picture);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);

    // Above the picture: the selection buttons, the prompt, and the unit of the numbers on the
    // tiles (the headings of the columns below carry their colours).
    QWidget *tools = named<QWidget>(picture, "selectWidget");
    QHBoxLayout *toolRow = row(tools, 0);
    QWidget *buttons = named<QWidget>(tools, "selectButtonsWidget");
    QHBoxLayout *buttonRow = row(buttons, 8);
    selectAllBtn = choice(buttons, "selectAllBtn", QSize(72, 30));
    invertBtn = choice(buttons, "invertBtn", QSize(72, 30));
    deselectAllBtn = choice(buttons, "deselectAllBtn", QSize(72, 30));
    for (QToolButton *button : {selectAllBtn, invertBtn, deselectAllBtn})
        buttonRow->addWidget(button);
    buttonRow->addStretch(1);
    promptLabel = named<QLabel>(tools, "promptLabel");
    promptLabel->setAlignment(Qt::AlignCenter);
    unitLabel = named<QLabel>(tools, "unitLabel");
    unitLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    toolRow->addWidget(buttons, 1);
    toolRow->addWidget(promptLabel);
    toolRow->addWidget(unitLabel, 1);
    stack->addWidget(tools);

    keyboardWidget = named<QWidget>(picture, "keyboardWidget");
    keyboardWidget->setMinimumSize(932, 344);
    stack->addWidget(keyboardWidget);

    centred->addStretch(1);
    centred->addWidget(picture);
    centred->addStretch(1);
    outer->addWidget(top);
}

void Ui_PerformanceSetForm::setupTriggerColumn(QWidget *parent)
{
    QVBoxLayout *layout = column(parent, 10);
    QWidget *head = named<QWidget>(parent, "triggerTitleWidget");
    QHBoxLayout *headRow = row(head);
    triggerTitle = named<QLabel>(head, "triggerTitle");
    triDisplayBtn = named<QToolButton>(head, "triDisplayBtn");
    triDisplayBtn->setFixedSize(20, 20);
    triDisplayBtn->setFocusPolicy(Qt::NoFocus);
    headRow->addWidget(triggerTitle);
    headRow->addStretch(1);
    headRow->addWidget(triDisplayBtn);
    layout->addWidget(head);
    triPromptLabel = prompt(parent, "triPromptLabel");
    layout->addWidget(triPromptLabel);
    triggerImage = named<QImageScene>(parent, "triggerImage");
    layout->addWidget(triggerImage, 0, Qt::AlignHCenter);

    widget_2 = named<QWidget>(parent, "widget_2");
    QHBoxLayout *sliderRow = row(widget_2, 4);
    triggerSlider = slider(widget_2, "triggerSlider", QSize(150, 30));
    QWidget *steps = stepper(widget_2, "triSliderWidget", "triggerDecBtn", "triSliderLabel", "triggerAddBtn",
                             &triggerDecBtn, &triSliderLabel, &triggerAddBtn);
    triSliderWidget = steps;
    sliderRow->addWidget(triggerSlider, 1);
    sliderRow->addWidget(steps);
    layout->addWidget(widget_2);
    layout->addStretch(1);
}

void Ui_PerformanceSetForm::setupQuickColumn(QWidget *parent)
{
    QVBoxLayout *layout = column(parent, 4);
    QWidget *head = checkRow(parent, "quickTitleWidget", "quickTitle", "quickCheckBox", &quickTitle, &quickCheckBox);
    quickDisplayBtn = named<QToolButton>(head, "quickDisplayBtn");
    quickDisplayBtn->setFixedSize(20, 20);
    quickDisplayBtn->setFocusPolicy(Qt::NoFocus);
    head->layout()->addWidget(quickDisplayBtn);
    layout->addWidget(head);

    const auto sensitivity = [&](const char *title, QLabel **titleLabel, const char *promptName, QLabel **promptLabel,
                                 const char *rowName, QWidget **rowWidget, const char *sliderName,
                                 PerformanceSlider **sliderWidget, const char *stepsName, const char *dec,
                                 const char *value, const char *add, QWidget **steps, QPushButton **decButton,
                                 QLabel **valueLabel, QPushButton **addButton) {
        *titleLabel = named<QLabel>(parent, title);
        *promptLabel = prompt(parent, promptName);
        *rowWidget = named<QWidget>(parent, rowName);
        QHBoxLayout *sliderRow = row(*rowWidget, 4);
        *sliderWidget = slider(*rowWidget, sliderName, QSize(180, 30));
        *steps = stepper(*rowWidget, stepsName, dec, value, add, decButton, valueLabel, addButton);
        (*decButton)->setFocusPolicy(Qt::NoFocus);
        (*addButton)->setFocusPolicy(Qt::NoFocus);
        sliderRow->addWidget(*sliderWidget, 1);
        sliderRow->addWidget(*steps);
        layout->addSpacing(4);
        layout->addWidget(*titleLabel);
        layout->addWidget(*promptLabel);
        layout->addWidget(*rowWidget);
    };
    sensitivity("quickLabel", &quickLabel, "quickPromptLabel", &quickPromptLabel, "widget_5", &widget_5,
                "quickSlider", &quickSlider, "quickSliderWidget", "quickDecBtn", "quickSliderLabel", "quickAddBtn",
                &quickSliderWidget, &quickDecBtn, &quickSliderLabel, &quickAddBtn);
    sensitivity("resetLabel", &resetLabel, "resetPromptLabel", &resetPromptLabel, "widget_7", &widget_7,
                "resetSlider", &resetSlider, "resetSliderWidget", "resetDecBtn", "resetSliderLabel", "resetAddBtn",
                &resetSliderWidget, &resetDecBtn, &resetSliderLabel, &resetAddBtn);

    QWidget *continueRow = checkRow(parent, "continueWidget", "continueTitle", "continueCheckBox", &continueTitle,
                                    &continueCheckBox);
    continuePromptLabel = prompt(parent, "continuePromptLabel");
    widget_9 = checkRow(parent, "widget_9", "brokenTitle", "brokenCheckBox", &brokenTitle, &brokenCheckBox);
    brokenPromptLabel = prompt(parent, "brokenPromptLabel");
    layout->addSpacing(4);
    layout->addWidget(continueRow);
    layout->addWidget(continuePromptLabel);
    layout->addSpacing(4);
    layout->addWidget(widget_9);
    layout->addWidget(brokenPromptLabel);
    layout->addStretch(1);
}

void Ui_PerformanceSetForm::setupParamsColumn(QWidget *parent)
{
    QVBoxLayout *layout = column(parent, 10);
    const auto choices = [&](const char *name, const char *labelName, QLabel **label,
                             std::initializer_list<std::pair<const char *, QToolButton **>> buttons, QSize minimum) {
        QWidget *widget = named<QWidget>(parent, name);
        auto *rows = new QVBoxLayout(widget);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(8);
        *label = named<QLabel>(widget, labelName);
        rows->addWidget(*label);
        QWidget *group = named<QWidget>(widget, (QByteArray(name) + "Buttons").constData());
        QHBoxLayout *buttonRow = row(group, 0);
        for (const auto &[buttonName, button] : buttons) {
            *button = choice(group, buttonName, minimum);
            buttonRow->addWidget(*button, 1);
        }
        rows->addWidget(group);
        layout->addWidget(widget);
        return widget;
    };
    widget_10 = choices("widget_10", "rateLabel", &rateLabel,
                        {{"rate8Btn", &rate8Btn}, {"rate4Btn", &rate4Btn}, {"rate2Btn", &rate2Btn}, {"rate1Btn", &rate1Btn}},
                        QSize(40, 30));
    widget_11 = choices("widget_11", "shakeLabel", &shakeLabel,
                        {{"shakeLowBtn", &shakeLowBtn}, {"shakeMiddleBtn", &shakeMiddleBtn}, {"shakeHighBtn", &shakeHighBtn}},
                        QSize(60, 30));

    // Competition mode and the dead zones: kept up to date, never shown.
    widget_12 = checkRow(parent, "widget_12", "sportsTitle", "sportsCheckBox", &sportsTitle, &sportsCheckBox);
    sportsPromptLabel = prompt(parent, "sportsPromptLabel");
    layout->addWidget(widget_12);
    layout->addWidget(sportsPromptLabel);
    const auto deadZone = [&](const char *titleRow, const char *title, QLabel **titleLabel, const char *sliderRow,
                              const char *high, QPushButton **highButton, const char *sliderName,
                              PerformanceSlider **sliderWidget, const char *low, QPushButton **lowButton,
                              const char *value, QLabel **valueLabel, QWidget **titleWidget, QWidget **rowWidget) {
        *titleWidget = named<QWidget>(parent, titleRow);
        *titleLabel = named<QLabel>(*titleWidget, title);
        row(*titleWidget)->addWidget(*titleLabel);
        *rowWidget = named<QWidget>(parent, sliderRow);
        (*rowWidget)->setFixedSize(260, 30);
        QHBoxLayout *sliders = row(*rowWidget, 4);
        *highButton = named<QPushButton>(*rowWidget, high);
        *sliderWidget = slider(*rowWidget, sliderName, QSize(120, 30));
        *lowButton = named<QPushButton>(*rowWidget, low);
        *valueLabel = named<QLabel>(*rowWidget, value);
        (*valueLabel)->setAlignment(Qt::AlignCenter);
        (*highButton)->setFlat(true);
        (*lowButton)->setFlat(true);
        sliders->addWidget(*highButton);
        sliders->addWidget(*sliderWidget, 1);
        sliders->addWidget(*lowButton);
        sliders->addWidget(*valueLabel);
        layout->addWidget(*titleWidget);
        layout->addWidget(*rowWidget);
    };
    deadZone("widget_13", "deadDownTitle", &deadDownTitle, "widget_14", "deadDownHighLabel", &deadDownHighLabel,
             "deadDownSlider", &deadDownSlider, "deadDownLowLabel", &deadDownLowLabel, "deadDownLabel", &deadDownLabel,
             &widget_13, &widget_14);
    deadZone("widget_16", "deadUpTitle", &deadUpTitle, "widget_15", "deadUpHighLabel", &deadUpHighLabel,
             "deadUpSlider", &deadUpSlider, "deadUpLowLabel", &deadUpLowLabel, "deadUpLabel", &deadUpLabel,
             &widget_16, &widget_15);
    layout->addStretch(1);
}

void Ui_PerformanceSetForm::retranslateUi(QWidget *form)
{
    form->setWindowTitle(tr("Form"));
    titleWidget->refreshLanguageUi();
    promptLabel->setText(tr("请在下方选择需要修改的按键"));
    selectAllBtn->setText(tr("全选"));
    invertBtn->setText(tr("反选"));
    deselectAllBtn->setText(tr("取消全选"));
    unitLabel->setText(tr("单位：mm"));

    triggerTitle->setText(tr("触发行程"));
    triPromptLabel->setText(tr("按键在按压到固定位置后触发，回弹到固定位置后释放。触发行程越低，物理响应速度越快，但更容易误触触发按键所需要按下的距离"));
    quickTitle->setText(tr("快速触发模式"));
    quickLabel->setText(tr("快速触发行程"));
    quickPromptLabel->setText(tr("当按键按下超过设置的触发行程后，并且已经松开至快速重置状态，重新按下按键达所设置的灵敏度，即可继续触发"));
    resetLabel->setText(tr("快速重置行程"));
    resetPromptLabel->setText(tr("当按键按下超过设置的触发行程后，松开按键达到所设置的灵敏度，即可停止触发"));
    continueTitle->setText(tr("连续快速触发"));
    continuePromptLabel->setText(tr("启用时，快速触发在您完全松开按键时才会终止。禁用时，松开按键到轴体触发行程后终止快速触发。如果您想连续敲击一个键（比如在游玩osu!)而不用顾虑触发行程的话，请启用这个功能"));
    brokenTitle->setText(tr("断触优化"));
    brokenPromptLabel->setText(tr("部分种类的轴体的行程可能会产生±0.2mm的公差，启用后，只要触底即判定为触发，以便免误重置"));
    rateLabel->setText(tr("轮询率"));
    shakeLabel->setText(tr("防抖等级"));
    sportsTitle->setText(tr("竞技模式"));
    sportsPromptLabel->setText(tr("搭载高性能竞技固件，开启后RT最低可达0.02 mm（极限状态下，任何轻微抖动都可能被识别并执行，请谨慎使用）"));
    deadDownTitle->setText(tr("死区设置-按下(触发）"));
    deadUpTitle->setText(tr("死区设置-抬起(重置）"));
    deadDownHighLabel->setText(tr("高"));
    deadDownLowLabel->setText(tr("低"));
    deadUpHighLabel->setText(tr("高"));
    deadUpLowLabel->setText(tr("低"));
    triggerDecBtn->setText(QStringLiteral("-"));
    triggerAddBtn->setText(QStringLiteral("+"));
    quickDecBtn->setText(QStringLiteral("-"));
    quickAddBtn->setText(QStringLiteral("+"));
    resetDecBtn->setText(QStringLiteral("-"));
    resetAddBtn->setText(QStringLiteral("+"));
    rate8Btn->setText(QStringLiteral("8K"));
    rate4Btn->setText(QStringLiteral("4K"));
    rate2Btn->setText(QStringLiteral("2K"));
    rate1Btn->setText(QStringLiteral("1K"));
    shakeLowBtn->setText(QStringLiteral("Low"));
    shakeMiddleBtn->setText(QStringLiteral("Middle"));
    shakeHighBtn->setText(QStringLiteral("High"));
    for (QLabel *value : {triSliderLabel, quickSliderLabel, resetSliderLabel, deadDownLabel, deadUpLabel})
        value->clear();
    fitPrompts();
}

void Ui_PerformanceSetForm::fitPrompts()
{
    // The page does not ask the window for its explanations' height at every width; each one
    // instead asks for the lines its wording takes in its column at the column's narrowest, so
    // that no wording is cut off, in any language.
    for (QLabel *label : {triPromptLabel, quickPromptLabel, resetPromptLabel, continuePromptLabel, brokenPromptLabel,
                          sportsPromptLabel}) {
        QWidget *card = label->parentWidget();
        const QMargins margins = card->layout()->contentsMargins();
        label->ensurePolished();
        label->setMinimumHeight(0);
        label->setMinimumHeight(label->heightForWidth(card->minimumWidth() - margins.left() - margins.right()));
    }
}
