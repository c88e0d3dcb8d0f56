// The whole-keyboard parameters of the performance page: polling rate, debounce and bottom-out
// optimisation, shown; competition mode and the two dead zones, built, kept up to date and
// hidden. The page's copy of the parameters changes one field per user action and goes out whole,
// so the fields nobody shows return to the keyboard exactly as it reported them.

#include "pages/tuning/PerformanceSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/tuning/QNatureLabel.h"
#include "widgets/ChosenButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

namespace {
void showChoice(std::initializer_list<QToolButton *> buttons, int current)
{
    int index = 0;
    for (QToolButton *button : buttons) {
        ChosenButton::mark(button, index == current);
        ++index;
    }
}
} // namespace

void PerformanceSetForm::enterKeyboardParams()
{
    ui.deadDownSlider->setRange(0, 100);
    ui.deadUpSlider->setRange(0, 100);
    mWholeParams = gKeyboardConfig && gKeyboardConfig->keyboardParams ? *gKeyboardConfig->keyboardParams : KEYBOARD_PARAMS();
    repaintKeyboardParams();
    const bool fixed = gKeyboardConfig && gKeyboardConfig->keyboardProductInfo && gKeyboardConfig->keyboardProductInfo->flagBit0;
    ui.widget_10->setVisible(!fixed);
    ui.widget_11->setVisible(!fixed);
}

void PerformanceSetForm::repaintKeyboardParams()
{
    ui.brokenCheckBox->setChecked(mWholeParams.touchOptimize);
    ui.deadDownSlider->setValue(mWholeParams.deadDown);
    ui.deadDownLabel->setText(QNatureLabel::valueText(ui.deadDownSlider->value()));
    ui.deadUpSlider->setValue(mWholeParams.deadUp);
    ui.deadUpLabel->setText(QNatureLabel::valueText(ui.deadUpSlider->value()));
    showChoice({ui.rate8Btn, ui.rate4Btn, ui.rate2Btn, ui.rate1Btn}, mWholeParams.pollingRate);
    showChoice({ui.shakeLowBtn, ui.shakeMiddleBtn, ui.shakeHighBtn}, mWholeParams.shakeLevel);
    ui.sportsCheckBox->setChecked(mWholeParams.sportsMode);
    update();
}

void PerformanceSetForm::sendWholeConfigData()
{
    enqueue(Request{Change::Whole, 0, {}});
}

void PerformanceSetForm::choose(uchar KEYBOARD_PARAMS::*field, const QList<QToolButton *> &buttons, uchar value)
{
    if (mWholeParams.*field == value) {
        // A click on the current choice has just unchecked it.
        ChosenButton::mark(buttons[value], true);
        return;
    }
    // The buttons show the new choice once the keyboard confirms it.
    mWholeParams.*field = value;
    sendWholeConfigData();
}

void PerformanceSetForm::chooseRate(uchar rate)
{
    choose(&KEYBOARD_PARAMS::pollingRate, {ui.rate8Btn, ui.rate4Btn, ui.rate2Btn, ui.rate1Btn}, rate);
}

void PerformanceSetForm::chooseShake(uchar level)
{
    choose(&KEYBOARD_PARAMS::shakeLevel, {ui.shakeLowBtn, ui.shakeMiddleBtn, ui.shakeHighBtn}, level);
}

void PerformanceSetForm::on_rate8Btn_clicked() { chooseRate(0); }
void PerformanceSetForm::on_rate4Btn_clicked() { chooseRate(1); }
void PerformanceSetForm::on_rate2Btn_clicked() { chooseRate(2); }
void PerformanceSetForm::on_rate1Btn_clicked() { chooseRate(3); }
void PerformanceSetForm::on_shakeLowBtn_clicked() { chooseShake(0); }
void PerformanceSetForm::on_shakeMiddleBtn_clicked() { chooseShake(1); }
void PerformanceSetForm::on_shakeHighBtn_clicked() { chooseShake(2); }

void PerformanceSetForm::switchParam(bool KEYBOARD_PARAMS::*field, bool checked)
{
    if (mWholeParams.*field == checked)
        return;
    mWholeParams.*field = checked;
    sendWholeConfigData();
}

void PerformanceSetForm::on_brokenCheckBox_clicked(bool checked)
{
    switchParam(&KEYBOARD_PARAMS::touchOptimize, checked);
}

void PerformanceSetForm::on_sportsCheckBox_clicked(bool checked)
{
    switchParam(&KEYBOARD_PARAMS::sportsMode, checked);
}

void PerformanceSetForm::deadZoneSliderClicked(PerformanceSlider *slider, QLabel *label,
                                               quint16 KEYBOARD_PARAMS::*field, int type)
{
    label->setText(QNatureLabel::valueText(slider->value()));
    if (type != 2)
        return;
    mWholeParams.*field = quint16(slider->value());
    sendWholeConfigData();
}

void PerformanceSetForm::deadDownSliderClicked(int type, int)
{
    deadZoneSliderClicked(ui.deadDownSlider, ui.deadDownLabel, &KEYBOARD_PARAMS::deadDown, type);
}

void PerformanceSetForm::deadUpSliderClicked(int type, int)
{
    deadZoneSliderClicked(ui.deadUpSlider, ui.deadUpLabel, &KEYBOARD_PARAMS::deadUp, type);
}
