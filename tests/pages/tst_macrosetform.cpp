// The macro page against the emulated keyboard, with a clock the test moves and key events built
// by hand (native scan codes of X11, auto-repeat, keypad) delivered to the window as the window
// system delivers them. Recording gives exact steps and times, editing changes one step, saving
// and clearing reach the keyboard and the model only with the keyboard's answer, every way out
// of the page gives the keyboard grab back, and a step's key box still waiting after a dialog or
// another window of the program had the focus, or after the window was minimized, takes the next
// key, while a time field the user chose keeps the keys when another program had the focus.

#include "model/KeyboardConfigUtil.h"
#include "pages/common/PageDialogs.h"
#include "pages/keys/MacroSetForm.h"
#include "tests/pages/PageRig.h"
#include "widgets/CustomToolTip.h"
#include "widgets/QModalProgressDialog.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

// The window system's side of the focus, as X11 reports another program taking the focus (no
// window of the program has it) and giving it back: the offscreen platform never takes the focus
// from the program by itself.
#include <qpa/qwindowsysteminterface.h>

namespace {
constexpr quint16 He68 = SampleProductDatabase::He68Serial;
constexpr uchar SetMacro = 0x40;
constexpr uchar DelMacro = 0x41;
const QString Saved = QStringLiteral("宏数据同步成功!");
const QString Full = QStringLiteral("最大添加20个按键");
// Time-out of a wait for the window or the keyboard; a passing test never waits that long.
constexpr int kWaitMs = 8000;

struct Key {
    int code;
    quint32 scanCode;
    bool keypad = false;
};
const QHash<QString, Key> kKeys = {
    {"A", {Qt::Key_A, 38}},         {"B", {Qt::Key_B, 56}},           {"1", {Qt::Key_1, 10}},
    {"!", {Qt::Key_Exclam, 10}},    {"KP1", {Qt::Key_1, 87, true}},   {"F20", {Qt::Key_F20, 198}},
    {"Tab", {Qt::Key_Tab, 23}},     {"Backtab", {Qt::Key_Backtab, 23}}, {"LShift", {Qt::Key_Shift, 50}},
    {"RShift", {Qt::Key_Shift, 62}}, {"LAlt", {Qt::Key_Alt, 64}},
};

// Steps as "<+ down|- up><type>:<lValue hex>:<ms>", space separated.
QString written(const QList<KEYBOARD_MACRO_INFO> &steps)
{
    QStringList out;
    for (const KEYBOARD_MACRO_INFO &s : steps)
        out << QStringLiteral("%1%2:%3:%4").arg(s.state ? '+' : '-').arg(s.type).arg(s.lValue, 2, 16, QLatin1Char('0')).arg(s.time);
    return out.join(QLatin1Char(' '));
}

QList<KEYBOARD_MACRO_INFO> modelMacro(int index)
{
    QList<KEYBOARD_MACRO_INFO> out;
    for (const auto &step : gKeyboardConfig->keyboardMacroList[index])
        out.append(*step);
    return out;
}

// M1: A down 120 ms, B down 30 ms, A up; M2: B down 5 ms.
void prepareMacros(EmulatedKeyboardState &state)
{
    state.macros[0] = {{1, 1, 0x04, 0, 120}, {1, 1, 0x05, 0, 30}, {1, 0, 0x04, 0, 0}};
    state.macros[1] = {{1, 1, 0x05, 0, 5}};
}

void prepareEmpty(EmulatedKeyboardState &state)
{
    state.macros[0].clear();
}

// M1: count steps, C down and up in turn.
std::function<void(EmulatedKeyboardState &)> prepareSteps(int count)
{
    return [count](EmulatedKeyboardState &state) {
        state.macros[0].clear();
        for (int i = 0; i < count; ++i)
            state.macros[0].append(KEYBOARD_MACRO_INFO{1, uchar(i % 2 ? 0 : 1), 0x06, 0, 10});
    };
}
// As a window manager does: when a dialog goes, the window under it gets the focus at once.
class FocusHandBack : public QObject
{
public:
    explicit FocusHandBack(QWidget *window) : mWindow(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && qobject_cast<QDialog *>(watched) && !event->spontaneous())
            mWindow->activateWindow();
        return false;
    }

private:
    QWidget *mWindow;
};

// Whether the window was minimized, for each window state the window system reported to it.
class StateReports : public QObject
{
public:
    explicit StateReports(QWindow *window) { window->installEventFilter(this); }
    QList<bool> minimized;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange && event->spontaneous())
            minimized.append(static_cast<QWindow *>(watched)->windowStates().testFlag(Qt::WindowMinimized));
        return false;
    }
};
} // namespace

class TestMacroSetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    MacroSetForm *page = nullptr;
    qint64 now = 0;

    void open(const std::function<void(EmulatedKeyboardState &)> &prepare = prepareMacros, int frameSize = 128)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(He68, prepare, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<MacroSetForm>(5);
        now = 0;
        page->setClock([this] { return now; });
        QVERIFY(QTest::qWaitForWindowActive(&rig->stack()));
    }

    template<typename T = QWidget>
    T *child(const char *name) { return page->findChild<T *>(QString::fromLatin1(name)); }

    void click(const QString &name) { QVERIFY2(PageRig::clickButton(page, name), qPrintable(name)); }

    // Delivered to the window, which hands it to the keyboard grabber or the focus widget.
    void key(QEvent::Type type, const QString &name, bool repeat = false)
    {
        const Key k = kKeys.value(name);
        QKeyEvent event(type, k.code, k.keypad ? Qt::KeypadModifier : Qt::NoModifier, k.scanCode, 0, 0, QString(), repeat);
        QCoreApplication::sendEvent(rig->stack().windowHandle(), &event);
    }

    // "+A" press, "-A" release, "*A" auto-repeated press, "300" the clock moves on, "M3" the
    // macro button, "start" and "stop" the record buttons.
    void play(const QString &script)
    {
        for (const QString &t : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (t == QLatin1String("start") || t == QLatin1String("stop"))
                click(t + QStringLiteral("RecordBtn"));
            else if (t.front().isDigit())
                now += t.toLongLong();
            else if (t.front() == QLatin1Char('M'))
                click(QStringLiteral("macro%1Btn").arg(t.mid(1)));
            else
                key(t.front() == QLatin1Char('-') ? QEvent::KeyRelease : QEvent::KeyPress, t.mid(1), t.front() == QLatin1Char('*'));
        }
    }

    QWidget *row(int index) { return child<QListWidget>("macroListWidget")->itemWidget(child<QListWidget>("macroListWidget")->item(index)); }
    QString rowText(int index, const char *label) { return row(index)->findChild<QLabel *>(QString::fromLatin1(label))->text(); }

private Q_SLOTS:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(
            QStringLiteral("^(?!This plugin does not support (propagateSizeHints\\(\\)|raise\\(\\)|grabbing the keyboard)).*")));
    }

    void cleanup()
    {
        page = nullptr;
        rig.reset();
    }

    void recording_data()
    {
        QTest::addColumn<int>("loaded");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps"); // recorded after the loaded ones
        QTest::addColumn<int>("fullToasts");
        QTest::newRow("press and release; another macro waits") << 0 << "start 500 +A M3 300 -A 50 stop"
                                                                << "+1:04:300 -1:04:1" << 0;
        QTest::newRow("auto-repeat adds nothing") << 0 << "start +A 100 *A 100 *A 100 -A stop" << "+1:04:300 -1:04:1" << 0;
        QTest::newRow("left and right modifiers") << 0 << "start +LShift 10 +A 10 -A 10 -LShift 10 +RShift 10 -RShift stop"
                                                  << "+0:02:10 +1:04:10 -1:04:10 -0:02:10 +0:20:10 -0:20:1" << 0;
        QTest::newRow("left Alt and A share a code, not a key") << 0 << "start +LAlt 20 +A 20 -A 20 -LAlt stop"
                                                                << "+0:04:20 +1:04:20 -1:04:20 -0:04:1" << 0;
        QTest::newRow("focus keys are recorded") << 0 << "start +Tab 5 -Tab 5 +LShift 5 +Backtab 5 -Backtab 5 -LShift stop"
                                                 << "+1:2b:5 -1:2b:5 +0:02:5 +1:2b:5 -1:2b:5 -0:02:1" << 0;
        QTest::newRow("keypad, and a key without a code") << 0 << "start +KP1 5 +F20 5 -F20 5 -KP1 stop"
                                                          << "+1:59:15 -1:59:1" << 0;
        QTest::newRow("a release found by its physical key") << 0 << "start +LShift 5 +1 5 -! 5 -LShift stop"
                                                             << "+0:02:5 +1:1e:5 -1:1e:5 -0:02:1" << 0;
        QTest::newRow("a long wait is clamped") << 0 << "start +A 70000 -A stop" << "+1:04:65535 -1:04:1" << 0;
        QTest::newRow("a key held before the start") << 0 << "+B start -B +A -A stop" << "+1:04:0 -1:04:1" << 0;
        QTest::newRow("keys held at the stop are let go") << 0 << "start +A 40 +B stop" << "+1:04:40 +1:05:1 -1:04:1 -1:05:1" << 0;
        QTest::newRow("twenty steps keep pairs whole") << 16 << "start +A 1 +B 1 +1 1 -A 1 -B 1 +1 1 stop"
                                                       << "+1:04:1 +1:05:2 -1:04:1 -1:05:1" << 2;
        QTest::newRow("an odd count loaded: no press without its release")
            << 17 << "start +A 1 +B 1 -A 1 +1 1 -B stop" << "+1:04:2 -1:04:1" << 2;
    }

    void recording()
    {
        QFETCH(int, loaded);
        QFETCH(QString, script);
        QFETCH(QString, steps);
        QFETCH(int, fullToasts);
        open(prepareSteps(loaded));
        const int mark = rig->mark();
        play(script);
        QCOMPARE(written(page->steps().mid(loaded)), steps);
        QCOMPARE(page->steps().size(), loaded + steps.count(QLatin1Char(' ')) + 1);
        QCOMPARE(PageRig::toasts(page).count(Full), fullToasts);
        QCOMPARE(page->selectedMacro(), uchar(0));
        QVERIFY(!page->isRecording());
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        QCOMPARE(rig->mark(), mark);
    }

    void editingOneStep()
    {
        open();
        const int mark = rig->mark();
        QCOMPARE(QStringList({rowText(0, "indexLabel"), rowText(0, "keyLabel"), rowText(0, "timeLabel"), rowText(2, "indexLabel")}),
                 QStringList({"1", "A", "120ms", "3"}));
        auto *list = child<QListWidget>("macroListWidget");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QVERIFY(child("editorWidget")->isVisible());
        QCOMPARE(child<QLabel>("keyContentEdit")->text(), QStringLiteral("B"));
        QCOMPARE(child<QLineEdit>("timeEdit")->text(), QStringLiteral("30"));

        // Key editing takes the next released key until it is switched off.
        QTest::mouseClick(child("keyContentEdit"), Qt::LeftButton);
        QVERIFY(child("keyContentEdit")->styleSheet().contains("255,136,38"));
        play("+LAlt -LAlt");
        QCOMPARE(child<QLabel>("keyContentEdit")->text(), QStringLiteral("Left Alt"));
        QTest::mouseClick(child("keyContentEdit"), Qt::LeftButton);
        play("+A -A");
        click("keyUpBtn");
        child<QLineEdit>("timeEdit")->clear();
        QTest::keyClicks(child("timeEdit"), QStringLiteral("70000"));
        QCOMPARE(written(page->steps()), QStringLiteral("+1:04:120 -0:04:65535 -1:04:0"));
        QCOMPARE(QStringList({rowText(1, "timeLabel"), child<QLineEdit>("timeEdit")->text()}), QStringList({"65535ms", "65535"}));
        QTest::keyClicks(child("timeEdit"), QStringLiteral("\b\b\b\b\b12"));
        QCOMPARE(page->steps().at(1).time, quint16(12));

        // Deleting renumbers; deleting the chosen step closes the editor.
        QTest::mouseClick(row(0)->findChild<QWidget *>("delButton"), Qt::LeftButton);
        EVENTWAIT_COMPARE(list->count(), 2, kWaitMs);
        QCOMPARE(rowText(1, "indexLabel"), QStringLiteral("2"));
        QTest::mouseClick(row(0)->findChild<QWidget *>("delButton"), Qt::LeftButton);
        QVERIFY(!child("editorWidget")->isVisible());
        QCOMPARE(written(page->steps()), QStringLiteral("-1:04:0"));
        QCOMPARE(rig->mark(), mark);
        QCOMPARE(modelMacro(0).size(), 3);
    }

    void savedAndReadBack_data()
    {
        const QByteArray down = "010104006400", up = "000104006400", last = "000104000100";
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::newRow("one frame of 128 bytes") << 128 << QList<QByteArray>{"0014" + (down + up).repeated(9) + down + last};
        QTest::newRow("three frames of 64 bytes")
            << 64 << QList<QByteArray>{"0009" + (down + up).repeated(4) + down, "0009" + (up + down).repeated(4) + up,
                                       "0002" + down + last};
    }

    void savedAndReadBack()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<QByteArray>, frames);
        open(prepareEmpty, frameSize);
        play("start " + QStringLiteral("+A 100 -A 100 ").repeated(10) + "stop");
        QCOMPARE(page->steps().size(), 20);
        const int mark = rig->mark();
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_macro_config, [&] { click("saveRecordBtn"); }));
        QList<QByteArray> sent;
        for (const QByteArray &payload : rig->payloads(SetMacro, mark))
            sent.append(payload.toHex());
        QCOMPARE(sent, frames);
        QCOMPARE(written(modelMacro(0)), written(page->steps()));
        QCOMPARE(written(rig->keyboard().state().macros[0]), written(page->steps()));
        QCOMPARE(PageRig::toasts(page), QStringList{Saved});
    }

    void clearingWhileANewRecordingRuns()
    {
        open();
        ReplyFault late{ReplyFault::Delay, 300, 0xC1};
        rig->keyboard().addReplyFault(late);
        const int mark = rig->mark();
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_del_macro_config, [&] {
            click("clearRecordBtn");
            play("start +A");
            QCOMPARE(page->steps().size(), 4); // the rows go with the keyboard's answer only
        }));
        QCOMPARE(rig->payloads(DelMacro, mark), QList<QByteArray>{QByteArray(1, '\0')});
        QVERIFY(modelMacro(0).isEmpty() && rig->keyboard().state().macros[0].isEmpty());
        play("10 -A 10 +B 20 -B stop");
        QCOMPARE(written(page->steps()), QStringLiteral("+1:05:20 -1:05:1"));
    }

    void saveAnswerFollowsItsMacro()
    {
        open();
        ReplyFault late{ReplyFault::Delay, 300, 0xC0, 2};
        rig->keyboard().addReplyFault(late);
        // Saved on M1, answered while M2 is shown.
        play("start +A 7 -A stop");
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_macro_config, [&] {
            click("saveRecordBtn");
            play("M2");
        }));
        QCOMPARE(written(modelMacro(0)), QStringLiteral("+1:04:120 +1:05:30 -1:04:0 +1:04:7 -1:04:1"));
        QCOMPARE(written(page->steps()), QStringLiteral("+1:05:5"));
        QCOMPARE(PageRig::toasts(page), QStringList{Saved});

        // Saved on M2, shown again from the model before the answer: the answer shows what was saved.
        auto *list = child<QListWidget>("macroListWidget");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        child<QLineEdit>("timeEdit")->setText(QStringLiteral("777"));
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_macro_config, [&] {
            click("saveRecordBtn");
            play("M1 M2");
            QCOMPARE(written(page->steps()), QStringLiteral("+1:05:5"));
        }));
        QCOMPARE(written(page->steps()), QStringLiteral("+1:05:777"));
    }

    void othersAnswersAndFailuresChangeNothing()
    {
        open();
        MacroList other{QSharedPointer<KEYBOARD_MACRO_INFO>(new KEYBOARD_MACRO_INFO{1, 1, 0x07, 0, 1})};
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_macro_config, [&] {
            gUsbCommunicateUtil->usb_set_macro_config(UsbCommunicateUtil::SourceMainWindow, false, 0, other);
        }));
        QCOMPARE(modelMacro(0).size(), 3);
        QVERIFY(PageRig::toasts(page).isEmpty());

        EmulatedHidFaults faults;
        faults.writeFails = true;
        rig->setFaults(faults);
        play("start +B 9 -B stop");
        click("saveRecordBtn");
        EVENTWAIT_COMPARE(PageRig::toasts(page), QStringList{QStringLiteral("宏数据同步失败")}, kWaitMs);
        QCOMPARE(modelMacro(0).size(), 3);
        QCOMPARE(page->steps().size(), 5);
    }

    void onlyTheChosenMacroIsDrawnChecked_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<int>("chosen");
        QTest::newRow("light, M2 then M3") << ":/styles/styles/light.qss" << "M2 M3" << 2;
        QTest::newRow("dark, M3 then M2") << ":/styles/styles/dark.qss" << "M3 M2" << 1;
    }

    // After two choices only the last chosen button is checked, and every button is drawn on the
    // screen as it is now, without the mouse passing over it.
    void onlyTheChosenMacroIsDrawnChecked()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, choices);
        QFETCH(int, chosen);
        open(prepareEmpty);
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        play(choices);
        const QList<QToolButton *> buttons = child<QWidget>("macroWidget")->findChildren<QToolButton *>();
        QCOMPARE(buttons.size(), 10);
        EVENTWAIT_VERIFY(PageRig::drawnAsNow(buttons), kWaitMs);
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(buttons[i]->isChecked(), i == chosen);
        const QPoint inside(6, buttons[0]->height() / 2);
        QVERIFY(buttons[chosen]->grab().toImage().pixelColor(inside) != buttons[0]->grab().toImage().pixelColor(inside));
    }

    void everyWayOutGivesTheGrabBack_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("navigation button") << "lightButton";
        QTest::newRow("stack switched, as on unplugging") << "stack";
        QTest::newRow("main window leaves the page") << "exitInterface";
        QTest::newRow("window loses focus") << "focus";
    }

    void everyWayOutGivesTheGrabBack()
    {
        QFETCH(QString, way);
        open(prepareEmpty);
        play("start 30 +A 20");
        QCOMPARE(QWidget::keyboardGrabber(), page);
        QWidget other;
        if (way == QLatin1String("stack")) {
            rig->stack().setCurrentIndex(0);
        } else if (way == QLatin1String("exitInterface")) {
            page->exitInterface();
        } else if (way == QLatin1String("focus")) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else {
            click(way);
            QCOMPARE(rig->stack().currentIndex(), 3);
        }
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        EVENTWAIT_VERIFY(!page->isRecording(), kWaitMs);
        play("+B -B -A");
        QCOMPARE(written(page->steps()), QStringLiteral("+1:04:1 -1:04:1"));
    }

    void keyBoxWaitsThroughADialog_data()
    {
        // "window manager": from here on the focus goes back to the window as a dialog closes;
        // "button": a button of the window beside the page takes the focus (as the profile list's
        // export button does); "file": a file dialog cancelled; "progress": a progress box opened
        // and closed; "file over progress": a file dialog cancelled over a progress box that stays
        // open a moment; "minimize": the window minimized and restored; "other window": a window
        // of the program that blocks nothing takes the focus; "read again": the profile read again,
        // which ends the wait; "back": the page's window in front again, the other window still
        // open; "key box": a step chosen and its key box waiting anew; "time field": the user
        // clicks the step's time; "other program": another program takes the focus and gives it
        // back.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("typedInTime"); // the keys go to the time field, not to the key box
        QTest::newRow("file dialog cancelled") << QStringList{"file"} << false;
        QTest::newRow("progress dialog closed") << QStringList{"progress"} << false;
        QTest::newRow("export from a button") << QStringList{"window manager", "button", "file", "progress"} << false;
        QTest::newRow("file dialog over a progress box") << QStringList{"file over progress"} << false;
        QTest::newRow("window minimized") << QStringList{"minimize"} << false;
        QTest::newRow("a window of the program beside it, still open") << QStringList{"button", "other window", "back"} << false;
        QTest::newRow("another program, after a wait ended under another window")
            << QStringList{"other window", "read again", "back", "key box", "time field", "other program"} << true;
    }

    // Dialogs of the program take the focus while a box waits for a step's key, and close, or the
    // window is minimized and restored: the box still waits, with its prompt, and takes the next key.
    // Where the user has put the focus in the step's time since the box began to wait, and no
    // window of the program took it, the time keeps it.
    void keyBoxWaitsThroughADialog()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, typedInTime);
        gCustomToolTip.reset(new CustomToolTip(QStringLiteral("CustomToolTip"))); // the program's one prompt window
        const auto dropTip = qScopeGuard([] { gCustomToolTip.reset(); });
        open();
        QPushButton button(QStringLiteral("export"), &rig->stack());
        button.show();
        QWidget otherWindow;
        auto *list = child<QListWidget>("macroListWidget");
        const auto waitForKey = [this, list] {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
            QTest::mouseClick(child("keyContentEdit"), Qt::LeftButton);
        };
        waitForKey();
        const auto cancelledFileDialog = [this] {
            PageDialogs::setFilePrompter({}); // the real dialog, cancelled with Escape from its own loop
            QTimer cancel;
            connect(&cancel, &QTimer::timeout, this, [] {
                if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); dialog && dialog->isActiveWindow())
                    QTest::keyClick(dialog, Qt::Key_Escape);
            });
            cancel.start(20);
            return PageDialogs::openFileName(page, QStringLiteral("选择配置文件"), QString(), QStringLiteral("*.aaa"));
        };
        std::unique_ptr<FocusHandBack> windowManager;
        for (const QString &step : steps) {
            if (step == QLatin1String("window manager")) {
                windowManager = std::make_unique<FocusHandBack>(&rig->stack());
            } else if (step == QLatin1String("button")) {
                QTest::mouseClick(&button, Qt::LeftButton);
                QCOMPARE(QApplication::focusWidget(), &button);
            } else if (step == QLatin1String("file")) {
                QCOMPARE(cancelledFileDialog(), QString());
            } else if (step == QLatin1String("minimize")) {
                // Each change is done once the window system has reported it to the window.
                StateReports reports(rig->stack().windowHandle());
                rig->stack().showMinimized();
                EVENTWAIT_COMPARE(reports.minimized, QList<bool>{true}, kWaitMs);
                rig->stack().showNormal();
                rig->stack().activateWindow();
                EVENTWAIT_COMPARE(reports.minimized, (QList<bool>{true, false}), kWaitMs);
                QVERIFY(QTest::qWaitForWindowActive(&rig->stack()));
            } else if (step == QLatin1String("other window")) {
                otherWindow.show();
                QVERIFY(QTest::qWaitForWindowActive(&otherWindow));
            } else if (step == QLatin1String("read again")) {
                page->repaintInterface();
                QVERIFY(!child("editorWidget")->isVisible());
            } else if (step == QLatin1String("back")) {
                rig->stack().activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&rig->stack()));
                QVERIFY(otherWindow.isVisible());
            } else if (step == QLatin1String("key box")) {
                waitForKey();
            } else if (step == QLatin1String("time field")) {
                QTest::mouseClick(child("timeEdit"), Qt::LeftButton);
                QCOMPARE(QApplication::focusWidget(), child("timeEdit"));
            } else if (step == QLatin1String("other program")) {
                QWindowSystemInterface::handleWindowActivated<QWindowSystemInterface::SynchronousDelivery>(
                    nullptr, Qt::ActiveWindowFocusReason);
                QVERIFY(!rig->stack().isActiveWindow());
                QWindowSystemInterface::handleWindowActivated<QWindowSystemInterface::SynchronousDelivery>(
                    rig->stack().windowHandle(), Qt::ActiveWindowFocusReason);
                QVERIFY(rig->stack().isActiveWindow());
            } else {
                QPointer<QProgressDialog> progress = new QModalProgressDialog(QStringLiteral("导出配置中......"));
                const QPointer<QProgressDialog> shown = progress;
                QVERIFY(QTest::qWaitForWindowActive(progress));
                if (step == QLatin1String("file over progress")) {
                    QCOMPARE(cancelledFileDialog(), QString());
                    EVENTWAIT_COMPARE(QGuiApplication::focusWindow(), progress->windowHandle(), kWaitMs);
                }
                QModalProgressDialog::release(progress);
                EVENTWAIT_VERIFY(!shown, kWaitMs);
            }
        }
        if (typedInTime) {
            QTest::qWait(50); // the page takes nothing back
            QCOMPARE(QApplication::focusWidget(), child("timeEdit"));
            QVERIFY(gCustomToolTip->isVisible()); // the box still waits
            QTest::keyClick(rig->stack().windowHandle(), Qt::Key_1);
            QCOMPARE(child<QLineEdit>("timeEdit")->text(), QStringLiteral("301"));
            QCOMPARE(written(page->steps()), QStringLiteral("+1:04:120 +1:05:301 -1:04:0"));
            return;
        }
        // The keys go to the page once its window has the focus again and it has taken them back.
        EVENTWAIT_VERIFY(QGuiApplication::focusWindow() == rig->stack().windowHandle() && QApplication::focusWidget() == page,
                         kWaitMs);
        EVENTWAIT_VERIFY(gCustomToolTip->isVisible(), kWaitMs);
        play("+A -A");
        QCOMPARE(child<QLabel>("keyContentEdit")->text(), QStringLiteral("A"));
        QCOMPARE(written(page->steps()), QStringLiteral("+1:04:120 +1:04:30 -1:04:0"));
    }
};

QTEST_MAIN(TestMacroSetForm)
#include "tst_macrosetform.moc"
