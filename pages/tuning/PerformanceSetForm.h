#pragma once
// The performance page (stack index 6): the user picks keys on a picture of the keyboard and sets,
// for all picked keys at once, the actuation travel, rapid trigger on or off with its press and
// release sensitivities, and continuous rapid trigger; below, the whole-keyboard parameters
// (polling rate, debounce, bottom-out optimisation). The keyboard's dead zones and competition
// mode are kept in the page's copy of the parameters and go back unchanged with every request.
//
// Every user change is one request to the keyboard (source 8). The page has one request in
// flight at a time and waits for its confirmation; changes made meanwhile follow in order, each
// built from what the keyboard has confirmed by then. Only a confirmation changes the keyboard
// model (through the protocol's copy), and then the picture is rebuilt from it with the selection
// kept. A request the keyboard does not confirm returns every control to what the model holds,
// with a message. Values the page sets itself send nothing: it acts only on clicks and slider
// gestures.

#include "model/KeyboardRecords.h"
#include "pages/tuning/Ui_PerformanceSetForm.h"

#include <QList>
#include <QSharedPointer>
#include <QWidget>

#include <optional>

class QNatureKeyboardWidget;
class UsbCommunicateUtil;

class PerformanceSetForm : public QWidget
{
    Q_OBJECT
public:
    explicit PerformanceSetForm(QWidget *parent = nullptr);
    ~PerformanceSetForm() override;

    // The page becomes the current page, or the profile was read again while it is: everything is
    // shown anew from the keyboard model, with no key selected.
    void repaintInterface();
    // The page stops being the current page: a slider change still waiting to be sent goes now.
    void exitInterface();

    QNatureKeyboardWidget *keyboard() const { return mNatureKeyboard; }
    const Ui_PerformanceSetForm &form() const { return ui; }
    // Whether a request is waiting for the keyboard's confirmation.
    bool isBusy() const { return mInFlight.has_value(); }

    // The page takes the height the window gives it: its wrapped explanations do not ask the
    // window for the height of their longest wording (which would make the window scroll).
    bool hasHeightForWidth() const override { return false; }

public Q_SLOTS:
    // The language changed: every text again in the new language.
    void refreshLanguageUi();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private Q_SLOTS:
    void on_selectAllBtn_clicked();
    void on_invertBtn_clicked();
    void on_deselectAllBtn_clicked();
    void keyboard_select();
    void on_triDisplayBtn_clicked();
    void on_quickDisplayBtn_clicked();
    void triggerSliderClicked(int type, int value);
    void on_triggerDecBtn_clicked();
    void on_triggerAddBtn_clicked();
    void quickSliderClicked(int type, int value);
    void resetSliderClicked(int type, int value);
    void on_quickDecBtn_clicked();
    void on_quickAddBtn_clicked();
    void on_resetDecBtn_clicked();
    void on_resetAddBtn_clicked();
    void on_quickCheckBox_clicked(bool checked);
    void on_continueCheckBox_clicked(bool checked);

    void on_rate8Btn_clicked();
    void on_rate4Btn_clicked();
    void on_rate2Btn_clicked();
    void on_rate1Btn_clicked();
    void on_shakeLowBtn_clicked();
    void on_shakeMiddleBtn_clicked();
    void on_shakeHighBtn_clicked();
    void on_brokenCheckBox_clicked(bool checked);
    void on_sportsCheckBox_clicked(bool checked);
    void deadDownSliderClicked(int type, int value);
    void deadUpSliderClicked(int type, int value);

    void usb_receive_set_trigger_config(uchar source, int current, int total);
    void usb_receive_set_quick_trigger_config(uchar source, int current, int total);
    void usb_receive_set_whole_param(uchar source, int current, int total);
    void usb_communicate_error(uchar source, uchar order, int error);

private:
    // What one request changes: the actuation, one rapid-trigger field of the selected keys, or
    // the whole-keyboard parameters (sent as the page's copy holds them when it goes out).
    enum class Change { Trigger, QuickTrigger, ResetTrigger, RapidTrigger, Continuous, Whole };
    // The sliders in mGestures.
    enum { TriggerSlider, QuickSlider, ResetSlider, DeadDownSlider, DeadUpSlider };
    struct Request {
        Change change;
        int value = 0;
        QList<uchar> keys;
    };

    // Key controls (PerformanceSetForm.cpp).
    void showActuation();
    void showIdle();
    void showKey();
    // The key whose values the controls show: the last clicked, else the first selected one
    // with a travel record; 255 for none.
    uchar shownKey() const;
    void enableRapidTrigger(bool enabled);
    // The selected keys that have a travel record, with the keys sharing their places.
    QList<uchar> targetKeys() const;
    void sendKeyChange(Change change, int value);
    void flushSliders();
    void repaintKeyKeyboard();
    void rebuildKeepingSelection();

    // Requests, confirmations, failures (PerformanceSetFormRequests.cpp).
    void enqueue(const Request &request);
    void sendNext();
    void dispatch(const Request &request);
    bool confirm(Change kind, uchar source, int current, int total, const char *what);
    // A confirmed per-key request: the protocol's copy into the model, then a new picture.
    void finishKeyRequest(Change kind, uchar source, int current, int total, const char *what,
                          void (UsbCommunicateUtil::*sync)());
    void failed(const QString &why);

    // Whole-keyboard parameters (PerformanceSetFormParams.cpp).
    void enterKeyboardParams();
    void repaintKeyboardParams();
    void sendWholeConfigData();
    void chooseRate(uchar rate);
    void chooseShake(uchar level);
    // A choice among buttons (value = the button's position) and an on/off field.
    void choose(uchar KEYBOARD_PARAMS::*field, const QList<QToolButton *> &buttons, uchar value);
    void switchParam(bool KEYBOARD_PARAMS::*field, bool checked);
    void deadZoneSliderClicked(PerformanceSlider *slider, QLabel *label, quint16 KEYBOARD_PARAMS::*field, int type);

    void showToast(const QString &text);

    Ui_PerformanceSetForm ui;
    QNatureKeyboardWidget *mNatureKeyboard = nullptr;
    QList<SliderGestures *> mGestures;
    bool mTriggerDisplayStatus = true;
    bool mQuickTriggerDisplayStatus = true;
    KEYBOARD_PARAMS mWholeParams;
    QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> mQuickTriggerList;
    QList<Request> mQueue;
    std::optional<Request> mInFlight;
    bool mEntered = false;
};
