#pragma once
// The macro page (stack index 5): the keyboard's ten macros M1 to M10, each at most 20 steps (a
// key going down or up, and the time until the next step). The page shows the chosen macro's
// steps as rows, records new steps with their timing from the computer's keyboard, edits one
// step's key, direction and time, deletes single steps, saves the rows to the keyboard and clears
// the macro on the keyboard. The keyboard model takes a macro only when the keyboard confirms.
//
// While recording, the page holds the application's keyboard grab, so that every key (Tab and
// the other focus keys too) is recorded. Every way out of the page ends the recording and gives
// the grab back: the page being left or hidden, the window losing focus or being minimized. A
// box waiting for a step's key waits through a minimized window, and gets the keys back when a
// dialog of the program that took them closes.

#include "model/KeyboardRecords.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class PageTitleBar;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMacroItemWidget;
class QToolButton;
class QWindow;

class MacroSetForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MacroCount = 10;
    static constexpr int MaxSteps = 20;

    // Milliseconds of a monotonic clock; recorded times are differences of its readings.
    using Clock = std::function<qint64()>;

    explicit MacroSetForm(QWidget *parent = nullptr);
    ~MacroSetForm() override;

    // The page becomes the current page, or the profile was read again while it is: show the
    // chosen macro as the keyboard model holds it.
    void repaintInterface();
    // The page stops being the current page: a recording ends, key editing is switched off.
    void exitInterface();

    // Replaces the clock that times recorded steps (the default is a monotonic timer).
    void setClock(Clock clock);

    uchar selectedMacro() const { return mSelectMacroIndex; }
    bool isRecording() const { return mRecording; }
    // The steps of the rows, in list order.
    QList<KEYBOARD_MACRO_INFO> steps() const;

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private Q_SLOTS:
    void on_startRecordBtn_clicked();
    void on_stopRecordBtn_clicked();
    void on_clearRecordBtn_clicked();
    void on_saveRecordBtn_clicked();
    void on_macroListWidget_currentRowChanged(int currentRow);
    void on_timeEdit_textChanged(const QString &arg1);
    void on_keyDownBtn_clicked();
    void on_keyUpBtn_clicked();
    void macroItemDelete(QListWidgetItem *item);

    void focusWindowChanged(QWindow *focused);

    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_del_macro_config(uchar source, int current, int total, uchar index);

private:
    // A key held down during a recording: its native scan code (0 when unknown) and its function.
    struct HeldKey {
        quint32 scanCode;
        KEYBOARD_MACRO_INFO key;
    };

    void buildForm();
    QWidget *buildMacroColumn();
    QWidget *buildListCard();
    QWidget *buildEditor();
    void selectMacro(int index);
    void displayMacroButtons();
    void rebuildList();
    void removeRows();
    QMacroItemWidget *appendRow(const KEYBOARD_MACRO_INFO &step);
    QMacroItemWidget *rowAt(int row) const;
    void showEditor(bool shown);
    void setKeyEditing(bool on);
    void setDirection(uchar state);
    // Ends a recording: keys still held get their release, the last step 1 ms, the grab goes.
    void stopRecording();
    // The page is left or hidden: recording and key editing end.
    void leavePage();
    void releaseGrab();
    // A dialog of the program that had the focus closed while the box waits for a key: the page's
    // window takes the focus back, unless another window of the program has it.
    void takeFocusBack();

    void recordPress(QKeyEvent *event);
    void recordRelease(QKeyEvent *event);
    // Appends a recorded step after giving the open step the time since the last one.
    void recordStep(const KEYBOARD_MACRO_INFO &key, uchar state);
    // Gives the open step its time and closes it.
    void closeOpenStep(qint64 ms);
    int heldIndex(const KEYBOARD_MACRO_INFO &key, quint32 scanCode) const;
    void showToast(const QString &text);

    PageTitleBar *mTitleBar = nullptr;
    QList<QToolButton *> mMacroButtons;
    QToolButton *mStartRecordBtn = nullptr;
    QToolButton *mStopRecordBtn = nullptr;
    QToolButton *mClearRecordBtn = nullptr;
    QToolButton *mSaveRecordBtn = nullptr;
    QListWidget *mMacroListWidget = nullptr;
    QWidget *mEditor = nullptr;
    QLabel *mTitleLabel = nullptr;
    QLabel *mKeyContentLabel = nullptr;
    QLabel *mKeyContentEdit = nullptr;
    QLabel *mKeyTypeLabel = nullptr;
    QToolButton *mKeyDownBtn = nullptr;
    QToolButton *mKeyUpBtn = nullptr;
    QLabel *mTimeLabel = nullptr;
    QLineEdit *mTimeEdit = nullptr;

    uchar mSelectMacroIndex = 0;
    bool mRecording = false;
    Clock mClock;
    qint64 mLastStepAt = 0;
    QPointer<QMacroItemWidget> mLastMacroItem;
    QPointer<QMacroItemWidget> mCurrentMacroItem;
    QPointer<QLabel> mSelectLabel;
    // The window of the program other than the page's that has the focus, watched for closing.
    QPointer<QWindow> mOtherWindow;
    // Another window of the program took the focus while the box waits, and the page has not had
    // the keys back since.
    bool mKeysAway = false;
    MacroList mMacroList;
    // Held keys in the order they went down.
    QList<HeldKey> mPressKeySet;
    // Counts rebuilds of the rows, so that a confirmed save knows whether the rows still show it.
    int mListGeneration = 0;
    int mSavedGeneration = -1;
    // A save or clear waits for the keyboard.
    bool mPending = false;
};
