#include "pages/tuning/PerformanceSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyboardLayout.h"
#include "pages/common/PageTitleBar.h"
#include "pages/tuning/QImageScene.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "pages/tuning/QNatureLabel.h"
#include "protocol/UsbCommunicateUtil.h"
#include "widgets/ChosenButton.h"
#include "widgets/QToastBox.h"

#include <QCheckBox>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kToastMs = 2000;

void enableAll(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        widget->setEnabled(enabled);
}

// Range min to max and the page's starting value: half the width of the range (clamped into it).
void prepareSlider(PerformanceSlider *slider, int min, int max)
{
    slider->setRange(min, max);
    slider->setValue((max - min) / 2);
}
} // namespace

PerformanceSetForm::PerformanceSetForm(QWidget *parent) : QWidget(parent)
{
    qInfo().noquote() << "=== 性能设置页面初始化 ===";
    ui.setupUi(this);
    const std::pair<PerformanceSlider *, void (PerformanceSetForm::*)(int, int)> sliders[] = {
        {ui.triggerSlider, &PerformanceSetForm::triggerSliderClicked},
        {ui.quickSlider, &PerformanceSetForm::quickSliderClicked},
        {ui.resetSlider, &PerformanceSetForm::resetSliderClicked},
        {ui.deadDownSlider, &PerformanceSetForm::deadDownSliderClicked},
        {ui.deadUpSlider, &PerformanceSetForm::deadUpSliderClicked},
    };
    for (const auto &[slider, slot] : sliders) {
        auto *gestures = new SliderGestures(slider, this);
        connect(gestures, &SliderGestures::gesture, this, slot);
        mGestures.append(gestures);
    }
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &PerformanceSetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_whole_param, this,
                &PerformanceSetForm::usb_receive_set_whole_param);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_trigger_config, this,
                &PerformanceSetForm::usb_receive_set_trigger_config);
        connect(protocol, &UsbCommunicateUtil::usb_receive_set_quick_trigger_config, this,
                &PerformanceSetForm::usb_receive_set_quick_trigger_config);
    }
    for (QWidget *hidden : {ui.widget_12, static_cast<QWidget *>(ui.sportsPromptLabel), ui.widget_13, ui.widget_14,
                            ui.widget_16, ui.widget_15})
        hidden->hide();
    mNatureKeyboard = new QNatureKeyboardWidget(ui.keyboardWidget);
    mNatureKeyboard->move(0, 0);
    connect(mNatureKeyboard, &QNatureKeyboardWidget::keyboard_select, this, &PerformanceSetForm::keyboard_select);
    connect(mNatureKeyboard, &QNatureKeyboardWidget::selection_pressed, this, &PerformanceSetForm::flushSliders);
    QMetaObject::connectSlotsByName(this);
}

PerformanceSetForm::~PerformanceSetForm()
{
    if (gUsbCommunicateUtil)
        disconnect(gUsbCommunicateUtil.data(), nullptr, this, nullptr);
    qInfo().noquote() << "=== 性能设置页面销毁 ===";
}

void PerformanceSetForm::repaintInterface()
{
    mEntered = true;
    enterKeyboardParams();
    const auto product = gKeyboardConfig ? gKeyboardConfig->productInfo : QSharedPointer<PRODUCT_INFO>();
    const PRODUCT_INFO limits = product ? *product : PRODUCT_INFO();
    prepareSlider(ui.triggerSlider, limits.triggerMin, limits.triggerMax);
    showActuation();
    prepareSlider(ui.quickSlider, limits.qttMin, limits.qttMax);
    ui.quickSliderLabel->setText(QNatureLabel::valueText(ui.quickSlider->value()));
    prepareSlider(ui.resetSlider, limits.qrtMin, limits.qrtMax);
    ui.resetSliderLabel->setText(QNatureLabel::valueText(ui.resetSlider->value()));
    showIdle();
    ui.titleWidget->checkCurrent();
    ChosenButton::mark(ui.triDisplayBtn, mTriggerDisplayStatus);
    ChosenButton::mark(ui.quickDisplayBtn, mQuickTriggerDisplayStatus);
    repaintKeyKeyboard();
    mNatureKeyboard->setTriggerDisplayStatus(mTriggerDisplayStatus);
    mNatureKeyboard->setQuickTriggerDisplayStatus(mQuickTriggerDisplayStatus);
}

void PerformanceSetForm::exitInterface()
{
    flushSliders();
}

void PerformanceSetForm::refreshLanguageUi()
{
    ui.retranslateUi(this);
    if (!mEntered)
        return;
    // The value labels always show their sliders' values.
    showActuation();
    ui.quickSliderLabel->setText(QNatureLabel::valueText(ui.quickSlider->value()));
    ui.resetSliderLabel->setText(QNatureLabel::valueText(ui.resetSlider->value()));
    ui.deadDownLabel->setText(QNatureLabel::valueText(ui.deadDownSlider->value()));
    ui.deadUpLabel->setText(QNatureLabel::valueText(ui.deadUpSlider->value()));
    // The tiles' tooltips in the new language.
    rebuildKeepingSelection();
}

void PerformanceSetForm::showActuation()
{
    ui.triSliderLabel->setText(QNatureLabel::valueText(ui.triggerSlider->value()));
    const auto product = gKeyboardConfig ? gKeyboardConfig->productInfo : QSharedPointer<PRODUCT_INFO>();
    ui.triggerImage->setOffsetY(
        product ? QImageScene::markerOffset(ui.triggerSlider->value(), product->triggerMin, product->triggerMax) : 0);
}

void PerformanceSetForm::showIdle()
{
    enableAll({ui.triggerSlider, ui.triggerAddBtn, ui.triggerDecBtn}, false);
    ui.quickCheckBox->setChecked(false);
    ui.quickCheckBox->setEnabled(false);
    enableRapidTrigger(false);
}

void PerformanceSetForm::enableRapidTrigger(bool enabled)
{
    enableAll({ui.quickSlider, ui.quickAddBtn, ui.quickDecBtn, ui.resetSlider, ui.resetAddBtn, ui.resetDecBtn,
                ui.continueCheckBox},
               enabled);
    if (!enabled)
        ui.continueCheckBox->setChecked(false);
}

uchar PerformanceSetForm::shownKey() const
{
    const QList<uchar> selected = mNatureKeyboard->getSelectKey();
    const auto hasTravel = [](uchar key) { return gKeyboardConfig && gKeyboardConfig->getKeyboardTriggerInfo(key); };
    const uchar last = mNatureKeyboard->getLastSelectKey();
    if (selected.contains(last) && hasTravel(last))
        return last;
    const auto first = std::find_if(selected.cbegin(), selected.cend(), hasTravel);
    return first == selected.cend() ? KeyboardConfigUtil::NoItem : *first;
}

void PerformanceSetForm::showKey()
{
    const uchar key = shownKey();
    const auto travel = key == KeyboardConfigUtil::NoItem ? nullptr : gKeyboardConfig->getKeyboardTriggerInfo(key);
    if (!travel) {
        showIdle();
        return;
    }
    ui.triggerSlider->setValue(travel->trigger);
    showActuation();
    enableAll({ui.triggerSlider, ui.triggerAddBtn, ui.triggerDecBtn}, true);
    ui.quickCheckBox->setChecked(travel->model);
    ui.quickCheckBox->setEnabled(true);
    if (travel->model) {
        ui.quickSlider->setValue(travel->quickTrigger);
        ui.quickSliderLabel->setText(QNatureLabel::valueText(ui.quickSlider->value()));
        ui.resetSlider->setValue(travel->resetTrigger);
        ui.resetSliderLabel->setText(QNatureLabel::valueText(ui.resetSlider->value()));
        ui.continueCheckBox->setChecked(travel->quick);
    }
    enableRapidTrigger(travel->model);
}

QList<uchar> PerformanceSetForm::targetKeys() const
{
    QList<uchar> keys;
    if (!gKeyboardConfig)
        return keys;
    // A key with two sensors takes its travel on both, or it would act differently depending on
    // where it is pressed. A key without a travel record is left out: the keyboard has none to set.
    for (uchar selected : mNatureKeyboard->getSelectKey()) {
        for (uchar key : KeyboardLayout::keysSharingPosition(gKeyboardConfig->keyPositionMap, selected)) {
            if (gKeyboardConfig->getKeyboardTriggerInfo(key) && !keys.contains(key))
                keys.append(key);
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

void PerformanceSetForm::keyboard_select()
{
    if (mNatureKeyboard->getSelectKey().isEmpty())
        showIdle();
    else
        showKey();
}

void PerformanceSetForm::on_selectAllBtn_clicked()
{
    flushSliders();
    mNatureKeyboard->selectAllKey();
    showKey();
}

void PerformanceSetForm::on_invertBtn_clicked()
{
    flushSliders();
    mNatureKeyboard->invertAllKey();
    keyboard_select();
}

void PerformanceSetForm::on_deselectAllBtn_clicked()
{
    flushSliders();
    mNatureKeyboard->deselectAllKey();
    showIdle();
}

void PerformanceSetForm::on_triDisplayBtn_clicked()
{
    mTriggerDisplayStatus = !mTriggerDisplayStatus;
    ChosenButton::mark(ui.triDisplayBtn, mTriggerDisplayStatus);
    mNatureKeyboard->setTriggerDisplayStatus(mTriggerDisplayStatus);
}

void PerformanceSetForm::on_quickDisplayBtn_clicked()
{
    mQuickTriggerDisplayStatus = !mQuickTriggerDisplayStatus;
    ChosenButton::mark(ui.quickDisplayBtn, mQuickTriggerDisplayStatus);
    mNatureKeyboard->setQuickTriggerDisplayStatus(mQuickTriggerDisplayStatus);
}

void PerformanceSetForm::triggerSliderClicked(int type, int)
{
    showActuation();
    if (type == 2)
        sendKeyChange(Change::Trigger, ui.triggerSlider->value());
}

void PerformanceSetForm::quickSliderClicked(int type, int)
{
    ui.quickSliderLabel->setText(QNatureLabel::valueText(ui.quickSlider->value()));
    if (type == 2)
        sendKeyChange(Change::QuickTrigger, ui.quickSlider->value());
}

void PerformanceSetForm::resetSliderClicked(int type, int)
{
    ui.resetSliderLabel->setText(QNatureLabel::valueText(ui.resetSlider->value()));
    if (type == 2)
        sendKeyChange(Change::ResetTrigger, ui.resetSlider->value());
}

// One click on "-" or "+" is one step of 0.01 mm, sent at once; at a bound the value is sent again.
void PerformanceSetForm::on_triggerDecBtn_clicked() { mGestures[TriggerSlider]->step(-1); }
void PerformanceSetForm::on_triggerAddBtn_clicked() { mGestures[TriggerSlider]->step(1); }
void PerformanceSetForm::on_quickDecBtn_clicked() { mGestures[QuickSlider]->step(-1); }
void PerformanceSetForm::on_quickAddBtn_clicked() { mGestures[QuickSlider]->step(1); }
void PerformanceSetForm::on_resetDecBtn_clicked() { mGestures[ResetSlider]->step(-1); }
void PerformanceSetForm::on_resetAddBtn_clicked() { mGestures[ResetSlider]->step(1); }

void PerformanceSetForm::on_quickCheckBox_clicked(bool checked)
{
    // Switched on, the controls show what the shown key keeps: its own sensitivities and
    // continuous flag, which the request leaves as they are.
    const uchar key = shownKey();
    const auto travel = key == KeyboardConfigUtil::NoItem ? nullptr : gKeyboardConfig->getKeyboardTriggerInfo(key);
    if (checked && travel) {
        ui.quickSlider->setValue(travel->quickTrigger);
        ui.quickSliderLabel->setText(QNatureLabel::valueText(ui.quickSlider->value()));
        ui.resetSlider->setValue(travel->resetTrigger);
        ui.resetSliderLabel->setText(QNatureLabel::valueText(ui.resetSlider->value()));
        ui.continueCheckBox->setChecked(travel->quick);
    }
    enableRapidTrigger(checked);
    sendKeyChange(Change::RapidTrigger, checked ? 1 : 0);
}

void PerformanceSetForm::on_continueCheckBox_clicked(bool checked)
{
    sendKeyChange(Change::Continuous, checked ? 1 : 0);
}

void PerformanceSetForm::sendKeyChange(Change change, int value)
{
    const QList<uchar> keys = targetKeys();
    if (keys.isEmpty())
        return;
    enqueue(Request{change, value, keys});
}

void PerformanceSetForm::flushSliders()
{
    for (SliderGestures *gestures : std::as_const(mGestures))
        gestures->flush();
}

void PerformanceSetForm::repaintKeyKeyboard()
{
    const int positions = gKeyboardConfig ? int(gKeyboardConfig->keyPositionMap.size()) : 0;
    if (positions == 68) {
        mNatureKeyboard->setMinimumSize(865, 290);
        mNatureKeyboard->resize(865, 290);
        mNatureKeyboard->move(30, 27);
    } else {
        mNatureKeyboard->setMinimumSize(932, 344);
        mNatureKeyboard->resize(932, 344);
        mNatureKeyboard->move(0, 0);
    }
    mNatureKeyboard->initializeKeyboard();
    mNatureKeyboard->show();
}

void PerformanceSetForm::rebuildKeepingSelection()
{
    const QList<uchar> keys = mNatureKeyboard->getSelectKey();
    repaintKeyKeyboard();
    mNatureKeyboard->setSelectKey(keys);
    mNatureKeyboard->setTriggerDisplayStatus(mTriggerDisplayStatus);
    mNatureKeyboard->setQuickTriggerDisplayStatus(mQuickTriggerDisplayStatus);
}

void PerformanceSetForm::mousePressEvent(QMouseEvent *event)
{
    const QPointF global = event->globalPosition();
    const QPoint point(int(std::round(global.x())), int(std::round(global.y())));
    if (!ui.triggerSlider->isEnabled()) {
        for (QWidget *row : {ui.widget_2, static_cast<QWidget *>(ui.quickCheckBox), ui.widget_5, ui.widget_7,
                             static_cast<QWidget *>(ui.continueCheckBox)}) {
            if (QRect(row->mapToGlobal(QPoint(0, 0)), row->size()).contains(point)) {
                showToast(tr("请先选择要设置的按键"));
                break;
            }
        }
    }
    QWidget::mousePressEvent(event);
}

void PerformanceSetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
