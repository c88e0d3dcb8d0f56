#pragma once
// The widget tree of the performance page, built in code: the navigation bar, the selection
// buttons with the prompt and the values' unit, the key picture's container, then three
// columns: actuation (left), rapid trigger and bottom-out optimisation (middle), and the
// whole-keyboard parameters (right: polling rate and debounce; competition mode and the two dead
// zones are built but stay hidden). Object names are those the page and the style sheets use.

#include "pages/tuning/SliderGestures.h"

#include <QCoreApplication>

class PageTitleBar;
class QCheckBox;
class QImageScene;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

class Ui_PerformanceSetForm
{
    // The texts belong to the page.
    Q_DECLARE_TR_FUNCTIONS(PerformanceSetForm)

public:
    void setupUi(QWidget *form);
    // Sets every text again in the current language; the value labels become empty.
    void retranslateUi(QWidget *form);
    // Each explanation takes the height its wording needs in its column at the column's narrowest.
    void fitPrompts();

    PageTitleBar *titleWidget = nullptr;
    QLabel *promptLabel = nullptr;
    QWidget *keyboardWidget = nullptr;
    QToolButton *selectAllBtn = nullptr;
    QToolButton *invertBtn = nullptr;
    QToolButton *deselectAllBtn = nullptr;
    QLabel *unitLabel = nullptr;

    QWidget *bottomLeftWidget = nullptr;
    QLabel *triggerTitle = nullptr;
    QToolButton *triDisplayBtn = nullptr;
    QLabel *triPromptLabel = nullptr;
    QImageScene *triggerImage = nullptr;
    QWidget *widget_2 = nullptr;
    PerformanceSlider *triggerSlider = nullptr;
    QWidget *triSliderWidget = nullptr;
    QPushButton *triggerDecBtn = nullptr;
    QLabel *triSliderLabel = nullptr;
    QPushButton *triggerAddBtn = nullptr;

    QWidget *bottomMiddleWidget = nullptr;
    QLabel *quickTitle = nullptr;
    QCheckBox *quickCheckBox = nullptr;
    QToolButton *quickDisplayBtn = nullptr;
    QLabel *quickLabel = nullptr;
    QLabel *quickPromptLabel = nullptr;
    QWidget *widget_5 = nullptr;
    PerformanceSlider *quickSlider = nullptr;
    QWidget *quickSliderWidget = nullptr;
    QPushButton *quickDecBtn = nullptr;
    QLabel *quickSliderLabel = nullptr;
    QPushButton *quickAddBtn = nullptr;
    QLabel *resetLabel = nullptr;
    QLabel *resetPromptLabel = nullptr;
    QWidget *widget_7 = nullptr;
    PerformanceSlider *resetSlider = nullptr;
    QWidget *resetSliderWidget = nullptr;
    QPushButton *resetDecBtn = nullptr;
    QLabel *resetSliderLabel = nullptr;
    QPushButton *resetAddBtn = nullptr;
    QLabel *continueTitle = nullptr;
    QCheckBox *continueCheckBox = nullptr;
    QLabel *continuePromptLabel = nullptr;
    QWidget *widget_9 = nullptr;
    QLabel *brokenTitle = nullptr;
    QCheckBox *brokenCheckBox = nullptr;
    QLabel *brokenPromptLabel = nullptr;

    QWidget *bottomRightWidget = nullptr;
    QWidget *widget_10 = nullptr;
    QLabel *rateLabel = nullptr;
    QToolButton *rate8Btn = nullptr;
    QToolButton *rate4Btn = nullptr;
    QToolButton *rate2Btn = nullptr;
    QToolButton *rate1Btn = nullptr;
    QWidget *widget_11 = nullptr;
    QLabel *shakeLabel = nullptr;
    QToolButton *shakeLowBtn = nullptr;
    QToolButton *shakeMiddleBtn = nullptr;
    QToolButton *shakeHighBtn = nullptr;
    QWidget *widget_12 = nullptr;
    QLabel *sportsTitle = nullptr;
    QCheckBox *sportsCheckBox = nullptr;
    QLabel *sportsPromptLabel = nullptr;
    QWidget *widget_13 = nullptr;
    QLabel *deadDownTitle = nullptr;
    QWidget *widget_14 = nullptr;
    QPushButton *deadDownHighLabel = nullptr;
    PerformanceSlider *deadDownSlider = nullptr;
    QPushButton *deadDownLowLabel = nullptr;
    QLabel *deadDownLabel = nullptr;
    QWidget *widget_16 = nullptr;
    QLabel *deadUpTitle = nullptr;
    QWidget *widget_15 = nullptr;
    QPushButton *deadUpHighLabel = nullptr;
    PerformanceSlider *deadUpSlider = nullptr;
    QPushButton *deadUpLowLabel = nullptr;
    QLabel *deadUpLabel = nullptr;

private:
    void setupKeyboardArea(QWidget *form);
    void setupTriggerColumn(QWidget *parent);
    void setupQuickColumn(QWidget *parent);
    void setupParamsColumn(QWidget *parent);
};
