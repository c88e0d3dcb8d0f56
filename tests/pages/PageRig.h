#pragma once
// The rig of the page tests: the real command protocol, HID access and reader thread linked to an
// emulated keyboard of one of the sample products, its whole configuration read into a fresh
// keyboard model (SyncConfigUtil) and its product loaded from the sample product database; pages
// are placed in a page stack as the main window places them. Helpers act as the user would
// (click a tile or a button) and read what came out (requests the keyboard received, toasts).
// Modal dialogs, message boxes and file dialogs of the pages are answered by the rig from lists
// the test gives, so nothing waits for a person.

#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/SampleProductDatabase.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class KeyboardPicture;
class QDialog;
class TestDataDir;

class UsbCommunicateUtil;

class PageRig
{
public:
    // Plugs in the sample keyboard of the model serialNumber (after prepare has changed its
    // memory, when given) on an interface of frameSize bytes and reads it.
    explicit PageRig(quint16 serialNumber, const std::function<void(EmulatedKeyboardState &)> &prepare = {},
                     int frameSize = 128);
    ~PageRig();
    PageRig(const PageRig &) = delete;
    PageRig &operator=(const PageRig &) = delete;

    // Makes every warning fail the running test function, except the offscreen platform's notes
    // that it cannot resize or raise windows. For each test class's init().
    static void failOnWarnings();
    // A short reply timer, for a test that waits for requests to time out.
    static void expectTimeouts();

    // Whether the keyboard was read and its product loaded; error() says what failed.
    bool ready() const { return mError.isEmpty(); }
    QString error() const { return mError; }

    // A new page at stack index `index` (the indices below it hold blank pages), current and shown.
    template<class Page>
    Page *showPage(int index)
    {
        auto *page = new Page;
        placePage(page, index);
        page->repaintInterface();
        return page;
    }
    QStackedWidget &stack() { return *mStack; }

    EmulatedKeyboard &keyboard() { return *mKeyboard; }
    EmulatedProfile &profile() { return mKeyboard->state().profile(); }

    // Requests the keyboard has received so far (a mark), and the payloads of one order code
    // received since a mark.
    int mark() const;
    QList<QByteArray> payloads(uchar order, int since) const;
    // Waits until the protocol has emitted the last frame of a reply of the given signal.
    template<typename Signal>
    bool awaitReply(Signal signal, const std::function<void()> &action, int timeoutMs = 3000);
    void setFaults(const EmulatedHidFaults &faults);
    // Frames the keyboard sends of its own accord (no report id), readable by the program at once.
    void sendInput(const QList<QByteArray> &frames);
    int frameSize() const { return mFrameSize; }
    // The first key of a layer on which the model and the keyboard differ, or an empty text.
    QString layerDifferences(uchar layer) const;


    // Frames written as hexadecimal texts, one per frame.
    static QList<QByteArray> hex(std::initializer_list<const char *> frames);

    // User actions; false when the tile or button is not there or cannot be clicked.
    static bool clickTile(KeyboardPicture *picture, uchar item);
    static bool clickButton(QWidget *root, const QString &objectName);
    // Whether each button is drawn on the screen as it would be drawn now (its checked state
    // included), without anything else, such as the mouse passing over it, making it repaint.
    template <typename Button> static bool drawnAsNow(const QList<Button *> &buttons);
    // Texts of the toasts shown over the page, oldest first.
    static QStringList toasts(QWidget *page);
    // What a tile shows: its text, or the file name of its icon.
    static QString shown(KeyboardPicture *picture, uchar item);

    // Answers for the pages' modal dialogs (their results), message boxes (the buttons chosen)
    // and file dialogs (the paths chosen), taken in order; when a list is used up, dialogs are
    // rejected, message boxes cancelled and file dialogs give an empty path. The titles of what
    // was shown are kept.
    void answerDialogs(const QList<int> &results) { mDialogAnswers = results; }
    void answerMessages(const QList<QMessageBox::StandardButton> &buttons) { mMessageAnswers = buttons; }
    void answerFiles(const QStringList &paths) { mFileAnswers = paths; }
    const QStringList &shownDialogs() const { return mShown; }
    // Acts on the pages' modal dialogs instead, as a user would: each dialog is shown (not
    // modally) and handed to act, whose return value is the dialog's result. An empty function
    // returns to the answer list.
    void actOnDialogs(const std::function<int(QDialog *)> &act) { mDialogAct = act; }
    // The texts of the message boxes shown, in order.
    const QStringList &shownMessages() const { return mMessages; }

private:
    void placePage(QWidget *page, int index);

    QString mError;
    std::unique_ptr<TestDataDir> mDataDir;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    QByteArray mPath;
    QStackedWidget *mStack = nullptr;
    UsbCommunicateUtil *mProtocol = nullptr; // the shared protocol this rig set up
    QList<int> mDialogAnswers;
    QList<QMessageBox::StandardButton> mMessageAnswers;
    QStringList mFileAnswers;
    QStringList mShown;
    std::function<int(QDialog *)> mDialogAct;
    QStringList mMessages;
    int mFrameSize = 0;
};

#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/EventWait.h"

#include <QSignalSpy>
#include <QTest>

template<typename Signal>
bool PageRig::awaitReply(Signal signal, const std::function<void()> &action, int timeoutMs)
{
    QSignalSpy spy(gUsbCommunicateUtil.data(), signal);
    action();
    return EventWait::until(
        [&spy] {
            for (const QList<QVariant> &arguments : spy) {
                if (arguments.value(1).toInt() >= arguments.value(2).toInt())
                    return true;
            }
            return false;
        },
        timeoutMs);
}

template <typename Button> bool PageRig::drawnAsNow(const QList<Button *> &buttons)
{
    for (Button *button : buttons) {
        if (!button->isVisible())
            continue;
        QWidget *window = button->window();
        const QImage screen = window->screen()->grabWindow(window->winId()).toImage();
        if (screen.isNull())
            return false; // nothing on the screen to compare with
        const QPoint inside(6, button->height() / 2);
        const QPoint onScreen = button->mapTo(window, inside);
        if (screen.rect().contains(onScreen)
            && screen.pixelColor(onScreen) != button->grab().toImage().pixelColor(inside))
            return false;
    }
    return true;
}
