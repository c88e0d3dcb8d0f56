#pragma once
// The calibration page (stack index 7): calibrating the magnetic sensors while the picture shows
// each key's live depth.
//
// "开始校准" asks the keyboard which keys it already counts as calibrated, shows that, and then
// switches the keyboard's live depth report on; the user presses every key fully down, and the
// picture marks a key passed once it reaches the product's full travel. "保存校准" switches the
// report off and, once the keyboard has confirmed that, makes it store its calibration after a
// short pause. Leaving the page (or a profile or file operation) ends a calibration with the
// report switched off and nothing stored; unplugging simply forgets it.
//
// Every request carries source 9; only answers to a step of a calibration the user started are
// acted on, so a late answer after leaving neither switches the report on again nor stores.

#include "model/KeyboardRecords.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QSharedPointer>
#include <QWidget>

class PageTitleBar;
class QAlignKeyboardWidget;
class QLabel;
class QPushButton;
class QTimer;

class AlignSetForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr uchar Source = 9; // source byte of the page's requests
    // Pause between the keyboard's confirmation that the report is off and the request to store.
    static constexpr int SavePauseMs = 200;

    // Where a calibration stands.
    enum Phase {
        Idle,         // no calibration
        Starting,     // the keys' calibration state was asked for
        SwitchingOn,  // the live report was asked to switch on
        Calibrating,  // the keyboard reports live depths
        SwitchingOff, // the user saves: the report was asked to switch off
        Storing,      // the keyboard was asked (or is about to be asked) to store its calibration
        Leaving,      // the page was left: the report was asked to switch off, nothing is stored
    };

    explicit AlignSetForm(QWidget *parent = nullptr);
    ~AlignSetForm() override;

    // The page becomes the current page, or the profile was read again while it is: a new picture
    // with every key in status 0, and the buttons of the current phase.
    void repaintInterface();
    // The page stops being the current page: a running calibration ends (report off, not stored).
    void exitInterface();
    // Ends a running calibration. With send (before profile and file operations) the keyboard is
    // asked to switch its report off, and a store already confirmed goes out at once; without
    // (the keyboard was unplugged) the page only forgets it.
    void exitAlign(bool send);

    Phase phase() const { return mPhase; }
    // A calibration runs as far as the user can tell (the page shows "保存校准").
    bool isCalibrating() const;
    QAlignKeyboardWidget *keyboard() const;

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private Q_SLOTS:
    void on_alignStartButton_clicked();
    void on_alignSaveButton_clicked();

    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_get_calibration_state(uchar source, int current, int total, QMap<uchar, uchar> keyboardCalibrationMap);
    void usb_receive_report_calibration_switch(uchar source, int current, int total, uchar result);
    void usb_receive_report_calibration(uchar source, int current, int total,
                                        QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList);
    void usb_receive_save_calibration(uchar source, int current, int total);

private:
    void buildForm();
    void repaintKeyKeyboard();
    // Shows the buttons and the description of the current phase.
    void applyLayout();
    void setPhase(Phase phase);
    // Ends a calibration that was not saved: the report is switched off, nothing is stored.
    void endCalibration();
    void switchReport(bool on);
    void sendSave();
    void showToast(const QString &text);
    // Logs a reply or error of another requester; true when source is not the page's.
    static bool foreignSource(const char *slot, uchar source);

    PageTitleBar *mTitleBar = nullptr;
    QWidget *mKeyboardWidget = nullptr;
    QPushButton *mStartButton = nullptr;
    QPushButton *mSaveButton = nullptr;
    QList<QPushButton *> mAdcButtons;
    QLabel *mDescribeLabel = nullptr;
    QTimer *mSaveTimer = nullptr;

    QPointer<QAlignKeyboardWidget> mKeyboard;
    Phase mPhase = Idle;
    bool mOnPage = false;
    // The frames of the live report being received, until its last frame has come.
    QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> mReport;
};
