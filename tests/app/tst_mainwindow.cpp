// The main window over the emulated keyboard: page switches, the profile list, releasing the
// device, hot-plug notices, the tray and the restart hand-over.

#include "tests/app/AppFixture.h"
#include "tests/firmware/FirmwareTestKit.h"

#include "app/FirewareManageForm.h"
#include "app/MainWindow.h"
#include "app/ProcessRunner.h"
#include "app/QFirewareItemWidget.h"
#include "app/SingleInstance.h"
#include "app/SystemSetForm.h"
#include "emulator/SampleProductDatabase.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "pages/common/PageDialogs.h"
#include "pages/common/KeyTile.h"
#include "pages/keys/HighKeyForm.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyboardWidget.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QRsAddDialog.h"
#include "pages/keys/QRsoKeyboardWidget.h"
#include "pages/tuning/OtherSetForm.h"
#include "protocol/UsbCommunicateUtil.h"
#include "tests/support/TestFiles.h"
#include "widgets/CustomToolTip.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 8000;
enum { Unplugged = -1, LinkLost = -2 };

bool modelFilled()
{
    return gKeyboardConfig->productInfo && !gKeyboardConfig->keyboardConfigList.isEmpty();
}

// The main window noting its release steps with the link and model state of the moment.
class ProbeWindow : public MainWindow
{
public:
    using MainWindow::openProgressDialog;
    using MainWindow::progressDialog;
    QStringList steps;
    bool trayAvailable = true; // the offscreen platform has no system tray

protected:
    bool systemTrayAvailable() const override { return trayAvailable; }
    void stopWorkers() override
    {
        note("stop");
        MainWindow::stopWorkers();
    }
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && object->inherits("QProgressDialog"))
            note("hide dialog");
        return MainWindow::eventFilter(object, event);
    }

private:
    void note(const char *step)
    {
        steps << QStringLiteral("%1, link %2, model %3")
                     .arg(QLatin1String(step)).arg(gUsbCommunicateUtil->checkCommunicateState()).arg(modelFilled());
    }
};

// A keyboard model of product "QM75" with two profiles, the second one current.
void fillModel()
{
    gKeyboardConfig->productInfo.reset(new PRODUCT_INFO{});
    gKeyboardConfig->productInfo->productName = QStringLiteral("QM75");
    for (const QString &name : {QStringLiteral("Profile 1"), QStringLiteral("Profile 2")})
        gKeyboardConfig->keyboardConfigList.append(QSharedPointer<KEYBOARD_CONFIG_INFO>(new KEYBOARD_CONFIG_INFO{0, name}));
    gKeyboardConfig->currentConfigIndex = 1;
}

// Clicks the first tile of a picture that takes a click and is not picked already.
bool clickEnabledTile(const KeyboardPicture *picture)
{
    for (KeyTile *tile : picture->findChildren<KeyTile *>()) {
        if (tile->isVisible() && tile->isEnabled() && !tile->isSelected()) {
            QTest::mouseClick(tile, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

// What the user does in a dialog before the keyboard goes: a key for a slot label, a second key
// on the picture ("pair"), a file name typed, or nothing.
void fillDialog(QDialog *dialog, const QString &filled)
{
    if (filled == QLatin1String("pair")) {
        QVERIFY(clickEnabledTile(dialog->findChild<QRsoKeyboardWidget *>()));
        QVERIFY(AppFixture::child(dialog, "saveBtn")->isEnabled());
    } else if (filled == QLatin1String("fileNameEdit")) {
        AppFixture::type(AppFixture::child(dialog, "fileNameEdit"), QStringLiteral("profile.aaa"));
    } else if (!filled.isEmpty()) {
        auto *slot = AppFixture::child<QLabel>(dialog, filled.toLatin1().constData());
        QTest::mouseClick(slot, Qt::LeftButton);
        QVERIFY(clickEnabledTile(dialog->findChild<QInputKeyboardWidget *>()));
        QVERIFY(!slot->text().isEmpty());
    }
}

// Starts the new program in this process, as far as main() looks for a running instance.
class RestartRunner : public ProcessRunner
{
public:
    bool startSucceeds = true;
    QStringList started;
    bool handedOver = false;

    bool startDetached(const QString &program, const QStringList &) override
    {
        started.append(program);
        handedOver = startSucceeds && SingleInstance::handOverToRunningInstance(
                                          QString::fromLatin1(SingleInstance::InstanceKey),
                                          QString::fromLatin1(SingleInstance::ServerName), 2000);
        return startSucceeds;
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    AppFixture mApp;
    std::unique_ptr<ProbeWindow> mWindow;

    template <typename T = QWidget>
    T *child(const char *name) const { return AppFixture::child<T>(mWindow.get(), name); }
    static void goTo(int index) { gStackedWidget->setCurrentIndex(index); }
    static int page() { return gStackedWidget->currentIndex(); }
    void notice(const char *slot) { QMetaObject::invokeMethod(mWindow.get(), slot, Q_ARG(QString, QString())); }

    // Plugged in, announced by a hot-plug notice, read, and on the key page.
    void connectKeyboard()
    {
        mApp.plugIn();
        notice("deviceConnected");
        QTRY_COMPARE_WITH_TIMEOUT(page(), int(MainWindow::KeyPage), kWaitMs);
    }

private Q_SLOTS:
    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        AppFixture::failOnWarnings();
        gBootFirewareScreenFlag = gEntryBootFirewareFlag = false;
        gSystemConfig->setCloseMin(false);
        gSystemConfig->setCommType(0);
        mWindow = std::make_unique<ProbeWindow>();
    }

    void cleanup()
    {
        EmulatedHidBus::instance().setReplyLatency({});
        PageDialogs::setFilePrompter({});
        mWindow.reset();
        mApp.reset();
        gCustomToolTip->hideTip();
        SingleInstance::releaseSegments();
    }

    // Leaving a page runs its leave hook, entering one its entry hook.
    void pageSwitchRunsTheHooks()
    {
        mWindow->show();
        // The settings opened first learn that no page was entered before.
        QTest::mouseClick(child<QPushButton>("settingButton"), Qt::LeftButton);
        auto *settings = qobject_cast<SystemSetForm *>(gStackedWidget->widget(MainWindow::SettingsPage));
        QCOMPARE(settings->fromIndex(), MainWindow::NoPage);
        // The key page's leave hook hides the shared prompt window.
        goTo(MainWindow::KeyPage);
        gCustomToolTip->showTip(QStringLiteral("tip"), child("settingButton"));
        goTo(MainWindow::AlignPage);
        QVERIFY(!gCustomToolTip->isVisible());
        goTo(MainWindow::SettingsPage);
        QCOMPARE(settings->fromIndex(), int(MainWindow::AlignPage));
        // After F12 the firmware button opens the firmware page; while it is shown the device page
        // keeps off the keyboard, and leaving it hands the keyboard back.
        QTest::keyClick(settings, Qt::Key_F12);
        QVERIFY(page() == MainWindow::FirewarePage && gBootFirewareScreenFlag && gEntryBootFirewareFlag);
        QTest::mouseClick(child<QPushButton>("deviceButton"), Qt::LeftButton);
        QVERIFY(page() == MainWindow::DevicePage && !gEntryBootFirewareFlag);
        QTest::mouseClick(child<QPushButton>("firewareButton"), Qt::LeftButton);
        QCOMPARE(page(), int(MainWindow::FirewarePage));
    }

    void f12ReachesTheShownSettings_data()
    {
        QTest::addColumn<bool>("groundClicked");
        QTest::newRow("opened by a click") << false;
        QTest::newRow("then its ground clicked") << true;
    }

    // Opened with the mouse, the settings page hears F12 typed on the window at once.
    void f12ReachesTheShownSettings()
    {
        QFETCH(bool, groundClicked);
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
        QTest::mouseClick(child<QPushButton>("settingButton"), Qt::LeftButton);
        QCOMPARE(page(), int(MainWindow::SettingsPage));
        QWidget *settings = gStackedWidget->currentWidget();
        if (groundClicked) {
            const QPoint ground = settings->rect().bottomRight() - QPoint(4, 4);
            QCOMPARE(settings->childAt(ground), nullptr);
            QTest::mouseClick(settings, Qt::LeftButton, {}, ground);
        }
        QTest::keyClick(mWindow->windowHandle(), Qt::Key_F12);
        QCOMPARE(page(), int(MainWindow::FirewarePage));
        QVERIFY(gBootFirewareScreenFlag);
    }

    void promptFollowsItsWidgetsWindow_data()
    {
        QTest::addColumn<bool>("inRsDialog"); // the prompt's widget: in an RS dialog, else in the main window
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("shown");
        QTest::newRow("main window, a message box in front") << false << "message box" << false;
        QTest::newRow("main window, the message box gone") << false << "message box gone" << true;
        QTest::newRow("main window, a progress box in front") << false << "progress box" << false;
        QTest::newRow("RS dialog in front") << true << "" << true;
        QTest::newRow("RS dialog, the program minimized") << true << "minimize" << false;
        QTest::newRow("RS dialog, another program in front") << true << "elsewhere" << false;
    }

    // The prompt shows while the window that holds its widget is the active window: an RS dialog
    // keeps its own prompt, while the main window's prompt goes under any other window, the
    // program's own boxes included, and comes back when the main window is active again.
    void promptFollowsItsWidgetsWindow()
    {
        QFETCH(bool, inRsDialog);
        QFETCH(QString, then);
        QFETCH(bool, shown);
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
        const auto bringToFront = [](QWidget *window) {
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
        };
        QRsAddDialog dialog(KeyboardConfigUtil::NoItem, 0, mWindow.get());
        QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("box"), QMessageBox::Ok, mWindow.get());
        QProgressDialog progress(QStringLiteral("progress"), QString(), 0, 0, mWindow.get());
        if (inRsDialog) {
            dialog.setWindowModality(Qt::ApplicationModal);
            dialog.show();
            bringToFront(&dialog);
            QVERIFY(!mWindow->isActiveWindow());
        } else {
            gCustomToolTip->showTip(QStringLiteral("tip"), child("settingButton"));
            QVERIFY(gCustomToolTip->isVisible());
        }
        if (then == QLatin1String("minimize")) {
            mWindow->showMinimized();
        } else if (then == QLatin1String("elsewhere")) {
            QApplication::setActiveWindow(nullptr);
        } else if (then.startsWith(QLatin1String("message box"))) {
            box.show();
            bringToFront(&box);
            if (then.endsWith(QLatin1String("gone"))) {
                box.close();
                bringToFront(mWindow.get());
            }
        } else if (then == QLatin1String("progress box")) {
            progress.show();
            bringToFront(&progress);
        }
        QCOMPARE(gCustomToolTip->isVisible(), shown);
        QCOMPARE(gCustomToolTip->getText().isEmpty(), false);
    }

    // The left column per page: the device page shows its button and the choice of link (not on
    // the first view), the settings and firmware pages only their buttons, the keyboard pages the
    // profiles, with delete only for two or more. The firmware button needs F12 and no keyboard page.
    void leftColumn_data()
    {
        QTest::addColumn<int>("index"); // -1: as started
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("firmwareFlag");
        QTest::addColumn<int>("profiles");
        QTest::addColumn<QString>("shown");
        const QString profiles = QStringLiteral("settingButton addButton exportButton importButton useTitleLabel productNameLabel configListView");
        QTest::newRow("as started") << -1 << "DeviceManageForm" << false << 2 << "deviceButton settingButton";
        QTest::newRow("device") << 0 << "DeviceManageForm" << false << 2 << "deviceButton main_group_box settingButton";
        QTest::newRow("device, F12") << 0 << "DeviceManageForm" << true << 2 << "deviceButton main_group_box firewareButton settingButton";
        QTest::newRow("settings") << 1 << "SystemSetForm" << false << 2 << "settingButton";
        QTest::newRow("settings, F12") << 1 << "SystemSetForm" << true << 2 << "firewareButton settingButton";
        QTest::newRow("firmware") << 9 << "FirewareManageForm" << true << 2 << "firewareButton settingButton";
        QTest::newRow("keys, one profile") << 2 << "KeySetForm" << true << 1 << profiles;
        QTest::newRow("lighting") << 3 << "LightSetForm" << true << 2 << profiles + " deButton";
        QTest::newRow("advanced keys, one profile") << 4 << "HighKeyForm" << false << 1 << profiles;
        QTest::newRow("macros") << 5 << "MacroSetForm" << false << 2 << profiles + " deButton";
        QTest::newRow("performance, one profile") << 6 << "PerformanceSetForm" << true << 1 << profiles;
        QTest::newRow("calibration") << 7 << "AlignSetForm" << false << 2 << profiles + " deButton";
        QTest::newRow("maintenance") << 8 << "OtherSetForm" << true << 2 << profiles + " deButton";
    }

    void leftColumn()
    {
        QFETCH(int, index);
        QFETCH(QString, page);
        QFETCH(bool, firmwareFlag);
        QFETCH(int, profiles);
        QFETCH(QString, shown);
        QVERIFY(gStackedWidget->widget(qMax(index, 0))->inherits(qPrintable(page)));
        if (index == MainWindow::DevicePage)
            goTo(MainWindow::SettingsPage);
        fillModel();
        gKeyboardConfig->keyboardConfigList = gKeyboardConfig->keyboardConfigList.mid(0, profiles);
        gKeyboardConfig->currentConfigIndex = uchar(profiles - 1);
        gBootFirewareScreenFlag = firmwareFlag;
        if (index >= 0)
            goTo(index);
        QStringList visible;
        for (const char *name : {"deviceButton", "main_group_box", "firewareButton", "settingButton", "addButton", "exportButton",
                                 "importButton", "useTitleLabel", "productNameLabel", "configListView", "deButton"})
            if (!child(name)->isHidden())
                visible << QLatin1String(name);
        QCOMPARE(visible.join(' '), shown);
    }

    // The device and firmware pages, unplugging and a lost Bluetooth link release the device: link
    // closed, workers stopped and progress dialog closed before the model is reset. Others keep it.
    void release_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to"); // a page, Unplugged or LinkLost
        QTest::addColumn<bool>("released");
        QTest::newRow("settings to device") << int(MainWindow::SettingsPage) << int(MainWindow::DevicePage) << true;
        QTest::newRow("key to device") << int(MainWindow::KeyPage) << int(MainWindow::DevicePage) << true;
        QTest::newRow("other to firmware") << int(MainWindow::OtherPage) << int(MainWindow::FirewarePage) << true;
        QTest::newRow("light, unplugged") << int(MainWindow::LightPage) << int(Unplugged) << true;
        QTest::newRow("light, link lost") << int(MainWindow::LightPage) << int(LinkLost) << true;
        QTest::newRow("key to light") << int(MainWindow::KeyPage) << int(MainWindow::LightPage) << false;
        QTest::newRow("settings to key") << int(MainWindow::SettingsPage) << int(MainWindow::KeyPage) << false;
    }

    void release()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, released);
        connectKeyboard();
        goTo(from);
        mWindow->openProgressDialog(QStringLiteral("键盘数据同步中"));
        mWindow->progressDialog()->installEventFilter(mWindow.get());
        if (to == Unplugged) {
            mApp.unplug();
            notice("deviceDisconnected");
        } else if (to == LinkLost) {
            gSystemConfig->setCommType(1);
            Q_EMIT gUsbCommunicateUtil->protocol_device_disconnected();
        } else {
            goTo(to);
        }
        const QStringList steps = {QStringLiteral("stop, link 0, model 1"), QStringLiteral("hide dialog, link 0, model 1")};
        QTRY_COMPARE(mWindow->steps, released ? steps : QStringList());
        QCOMPARE(modelFilled(), !released);
        QCOMPARE(!mWindow->progressDialog(), released);
        // The device page connects a keyboard still plugged in anew (on USB), the firmware page does not.
        QCOMPARE(gUsbCommunicateUtil->checkCommunicateState(), to != Unplugged && to != MainWindow::FirewarePage);
        if (to < 0)
            QVERIFY(mWindow->pageIndex() == MainWindow::DevicePage && child<QRadioButton>("main_usb_radio")->isChecked());
    }

    // The keyboard goes while a dialog of a keyboard page is open: as the window goes back to the
    // device page the dialog closes as cancelled. Nothing more is written to the keyboard and no
    // notice or message is drawn from the emptied model.
    void pageDialogsCloseWhenTheKeyboardGoes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("opener"); // a kind button of the advanced-key page, else the button clicked
        QTest::addColumn<QString>("filled"); // a slot label given a key, "pair" for a second key, a text field
        const int highKeys = MainWindow::HighKeyPage;
        QTest::newRow("TGL") << highKeys << "tglBtn" << "triggerLabel";
        QTest::newRow("MT") << highKeys << "mtBtn" << "singleLabel";
        QTest::newRow("DKS") << highKeys << "dksBtn" << "oneLabel";
        QTest::newRow("RS") << highKeys << "rsBtn" << "pair";
        QTest::newRow("OKS") << highKeys << "oksBtn" << "pair";
        QTest::newRow("SOCD") << highKeys << "socdBtn" << "pair";
        QTest::newRow("factory reset question") << int(MainWindow::OtherPage) << "resetBtn" << QString();
        QTest::newRow("import file dialog") << int(MainWindow::KeyPage) << "importButton" << "fileNameEdit";
    }

    void pageDialogsCloseWhenTheKeyboardGoes()
    {
        QFETCH(int, index);
        QFETCH(QString, opener);
        QFETCH(QString, filled);
        connectKeyboard();
        mWindow->show();
        goTo(index);
        // The dialog runs its own modal loop: the steps inside it run from timers.
        QPointer<QDialog> dialog;
        bool closed = false;
        int written = -1; // writes to the keyboard's interface after the unplug
        QStringList shown; // notices and messages after the unplug
        QTimer sweep; // whatever else comes up modally is noted and closed
        connect(&sweep, &QTimer::timeout, this, [&] {
            auto *other = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!other || other == dialog)
                return;
            auto *box = qobject_cast<QMessageBox *>(other);
            shown << (box ? box->text() : other->windowTitle());
            other->reject();
        });
        QTimer act;
        connect(&act, &QTimer::timeout, this, [&] {
            dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            act.stop();
            fillDialog(dialog, filled);
            const int writes = EmulatedHidBus::instance().writeCount(mApp.path());
            mApp.unplug();
            notice("deviceDisconnected");
            sweep.start(20);
            closed = QTest::qWaitFor([&] { return !dialog || !dialog->isVisible(); }, kWaitMs);
            QTest::qWait(100); // anything its caller would do
            if (dialog) {
                shown << TestFiles::toastTexts(dialog);
                dialog->reject(); // as the user would, at last
            }
            written = EmulatedHidBus::instance().writeCount(mApp.path()) - writes;
        });
        act.start(20);
        if (index == MainWindow::HighKeyPage) {
            auto *page = qobject_cast<HighKeyForm *>(gStackedWidget->currentWidget());
            QTest::mouseClick(AppFixture::child(page, opener.toLatin1().constData()), Qt::LeftButton);
            QVERIFY(clickEnabledTile(page->keyboard()));
            QTest::mouseClick(page->findChild<QHighKeyAddWidget *>(), Qt::LeftButton);
        } else {
            QTest::mouseClick(child(opener.toLatin1().constData()), Qt::LeftButton);
        }
        QTRY_VERIFY_WITH_TIMEOUT(written >= 0 && !QApplication::activeModalWidget(), kWaitMs);
        QVERIFY(closed);
        QCOMPARE(written, 0);
        QCOMPARE(page(), int(MainWindow::DevicePage));
        QTest::qWait(100);
        shown << TestFiles::toastTexts(mWindow.get());
        QCOMPARE(shown, QStringList());
    }

    // A notice of the maintenance page stays open over the device page when the keyboard goes,
    // until the user closes it: the failure of a data-file write the unplug cut, and a factory
    // reset's success told just before the keyboard went. Closing it then changes nothing.
    void noticeOutlivesTheKeyboard_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("told");
        QTest::newRow("data-file write cut") << "fireDataBtn" << "下载固件数据失败！";
        QTest::newRow("factory reset done") << "resetBtn" << "恢复出厂设置成功！";
    }

    void noticeOutlivesTheKeyboard()
    {
        QFETCH(QString, opener);
        QFETCH(QString, told);
        connectKeyboard();
        mWindow->show();
        goTo(MainWindow::OtherPage);
        const QString file = mApp.dataDir() + QStringLiteral("/data.bin");
        QVERIFY(TestFiles::write(file, FirmwareTestKit::dataFile(4000)));
        PageDialogs::setFilePrompter([&](QWidget *, bool, const QString &, const QString &, const QString &) { return file; });
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        bus.setReplyLatency(std::chrono::milliseconds(20));
        bool unplugged = false;
        const auto unplug = [&] {
            unplugged = true;
            mApp.unplug();
            notice("deviceDisconnected");
        };
        QString shown;
        bool stayed = false;
        QTimer watch; // the question and the notice run their own modal loops
        connect(&watch, &QTimer::timeout, this, [&] {
            QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            for (QAbstractButton *button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::YesRole)
                    return button->click(); // the factory reset's question, answered yes
            }
            watch.stop();
            shown = box->text();
            if (!unplugged)
                unplug();
            stayed = QTest::qWaitFor([] { return page() == MainWindow::DevicePage; }, kWaitMs);
            QTest::qWait(300); // the keyboard's release has run its course
            stayed = stayed && box && box->isVisible();
            if (box)
                box->accept(); // as the user does
        });
        watch.start(20);
        QTest::mouseClick(child(opener.toLatin1().constData()), Qt::LeftButton);
        if (opener == QLatin1String("fireDataBtn")) {
            QTRY_VERIFY(bus.writeCount(mApp.path()) >= 3);
            unplug();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty() && !QApplication::activeModalWidget(), kWaitMs);
        QCOMPARE(shown, told);
        QVERIFY(stayed);
        QTest::qWait(100); // what the notice's caller does once it is closed
        QCOMPARE(page(), int(MainWindow::DevicePage));
        QCOMPARE(TestFiles::toastTexts(mWindow.get()), QStringList());
    }

    // The profile list shows the keyboard's profiles. A rename carries at most 28 bytes of UTF-8:
    // the editor keeps a name to that, cut after its last whole character, whether typed or pasted;
    // spaces are part of the name.
    void profileNameEditor_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored");
        const QString wide = QStringLiteral("磁性键盘配置一二三四"); // 3 bytes each
        QTest::newRow("spaces") << QStringLiteral(" My  game ") << QString() << QStringLiteral(" My  game ");
        QTest::newRow("28 bytes") << QString(28, u'a') << QString() << QString(28, u'a');
        QTest::newRow("29 bytes") << QString(29, u'a') << QString() << QString(28, u'a');
        QTest::newRow("wide typed") << wide << QString() << wide.left(9);
        QTest::newRow("wide pasted") << QStringLiteral("a") << wide << QStringLiteral("a") + wide.left(9);
        QTest::newRow("wide cut short") << QStringLiteral("ab") << wide << QStringLiteral("ab") + wide.left(8);
        QTest::newRow("four bytes") << QString(25, u'x') << QStringLiteral("\U0001F600") << QString(25, u'x');
    }

    void profileNameEditor()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        fillModel();
        goTo(MainWindow::KeyPage);
        mWindow->show();
        auto *list = child<QListView>("configListView");
        QVERIFY(list->currentIndex().row() == 1 && !child("deButton")->isHidden());
        QCOMPARE(child<QLabel>("productNameLabel")->text(), QStringLiteral("QM75"));
        const QModelIndex first = list->model()->index(0, 0);
        list->edit(first);
        auto *editor = list->findChild<QLineEdit *>();
        editor->clear();
        AppFixture::type(editor, typed);
        editor->insert(pasted);
        QCOMPARE(editor->text(), stored);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(first.data().toString(), stored);
        QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("Profile 2"));
    }

    // A language change reaches the window, its title and tray menu, and every page.
    void languageChangeReachesEveryPage()
    {
        for (int i = 0; i < gStackedWidget->count(); ++i)
            gStackedWidget->widget(i)->setWindowTitle(QStringLiteral("stale"));
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("磁性键盘"));
        QVERIFY(gSystemConfig->setLanuage(SystemConfigUtil::English, qApp));
        for (int i = 0; i < gStackedWidget->count(); ++i)
            QCOMPARE(gStackedWidget->widget(i)->windowTitle(), QStringLiteral("Form"));
        QCOMPARE(child<QPushButton>("deviceButton")->text(), QStringLiteral("Device"));
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("Magnetic Keyboard"));
        QCOMPARE(mWindow->findChild<QSystemTrayIcon *>()->contextMenu()->actions().last()->text(), QStringLiteral("Quit"));
        QVERIFY(gSystemConfig->setLanuage(SystemConfigUtil::Chinese, qApp));
    }

    // Closing hides the window to the tray when asked and possible (the program runs on); otherwise
    // closing, and the tray's quit, end the program. The tray brings the window back.
    void closing_data()
    {
        QTest::addColumn<bool>("closeToTray");
        QTest::addColumn<bool>("trayShown");
        QTest::addColumn<bool>("trayQuit");
        QTest::addColumn<bool>("trayAvailable"); // the desktop has a system tray
        QTest::newRow("to the tray") << true << true << false << true;
        QTest::newRow("no tray icon") << true << false << false << true;
        QTest::newRow("no system tray") << true << true << false << false;
        QTest::newRow("close") << false << true << false << true;
        QTest::newRow("tray quit") << true << true << true << true;
    }

    void closing()
    {
        QFETCH(bool, closeToTray);
        QFETCH(bool, trayShown);
        QFETCH(bool, trayQuit);
        QFETCH(bool, trayAvailable);
        mWindow->trayAvailable = trayAvailable;
        gSystemConfig->setCloseMin(closeToTray);
        auto *tray = mWindow->findChild<QSystemTrayIcon *>();
        tray->setVisible(trayShown);
        mWindow->show();
        QTimer guard; // goes with this test, so that it cannot end a later loop
        connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(77); });
        guard.start(500);
        QTimer::singleShot(0, this, [&] { trayQuit ? tray->contextMenu()->actions().last()->trigger() : void(mWindow->close()); });
        const bool runsOn = closeToTray && trayShown && trayAvailable && !trayQuit;
        QCOMPARE(QApplication::exec(), runsOn ? 77 : 0);
        QVERIFY(!mWindow->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::Context);
        QVERIFY(!mWindow->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(mWindow->isVisible() && mWindow->isMaximized());
    }

    // Bluetooth, chosen last time, finds nothing here; choosing USB connects the keyboard.
    void connectThroughTheWindow()
    {
        gSystemConfig->setCommType(1);
        mWindow.reset(); // the old window goes before the new one is built
        mWindow = std::make_unique<ProbeWindow>();
        QVERIFY(child<QRadioButton>("main_ble_radio")->isChecked());
        mWindow->show();
        mApp.plugIn();
        QTest::mouseClick(child<QPushButton>("settingButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("deviceButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(TestFiles::toastTexts(gStackedWidget->widget(MainWindow::DevicePage)),
                                  QStringList{QStringLiteral("未搜索到蓝牙")}, kWaitMs);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        auto *usb = child<QRadioButton>("main_usb_radio");
        QTest::mouseClick(usb, Qt::LeftButton, {}, QPoint(5, usb->height() / 2));
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(page(), int(MainWindow::KeyPage), kWaitMs);
        QCOMPARE(child<QLabel>("productNameLabel")->text(), QStringLiteral("Quill HE104"));
    }

    // Hot-plug notices return at once (each is acted on from a timer): a burst of 50 unplug/plug
    // pairs does not hold up the window, and ends with the keyboard connected.
    void hotPlugBurstDoesNotBlock()
    {
        connectKeyboard();
        // Only the notices are timed: a sleep of the settle time in each would take 10 s.
        qint64 inNotices = 0;
        QElapsedTimer clock;
        for (int i = 0; i < 50; ++i) {
            mApp.unplug();
            clock.start();
            notice("deviceDisconnected");
            inNotices += clock.elapsed();
            mApp.plugIn();
            clock.start();
            notice("deviceConnected");
            inNotices += clock.elapsed();
        }
        QVERIFY2(inNotices < 1000, qPrintable(QString::number(inNotices)));
        QTRY_VERIFY_WITH_TIMEOUT(!mWindow->steps.isEmpty(), kWaitMs); // the first unplug released the device
        QTRY_COMPARE_WITH_TIMEOUT(page(), int(MainWindow::KeyPage), kWaitMs);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState() && modelFilled());
    }

    // A firmware write goes on through a hot-plug notice, on its page, unless the interface it
    // writes to went away: then it ends, telling the user to plug the keyboard in and write again.
    void unplugNoticeDuringFlash_data()
    {
        QTest::addColumn<bool>("own");
        QTest::newRow("another keyboard") << false;
        QTest::newRow("the keyboard written to") << true;
    }

    void unplugNoticeDuringFlash()
    {
        QFETCH(bool, own);
        QVERIFY(QDir().mkpath(mApp.dataDir() + QStringLiteral("/QuillHE104")));
        QVERIFY(!FirmwareTestKit::writeImage(mApp.dataDir() + QStringLiteral("/QuillHE104/firmware.bin"),
                                             SampleProductDatabase::He104Serial, FirmwareTestKit::payload(2000))
                     .isEmpty());
        mApp.plugIn();
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        const QByteArray other = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {64}, "other").first();
        // Answers come a moment late, so that the notice comes while frames remain.
        bus.setReplyLatency(std::chrono::milliseconds(20));
        goTo(MainWindow::FirewarePage);
        auto *firmware = qobject_cast<FirewareManageForm *>(gStackedWidget->widget(MainWindow::FirewarePage));
        for (QFirewareItemWidget *tile : firmware->findChildren<QFirewareItemWidget *>()) {
            if (tile->findChild<QLabel *>(QStringLiteral("fireware_product_label"))->text() == QStringLiteral("Quill HE104"))
                QTest::mouseClick(tile, Qt::LeftButton);
        }
        QTRY_VERIFY(bus.writeCount(mApp.path()) >= 3);
        bus.detach(own ? mApp.path() : other);
        notice("deviceDisconnected");
        QTRY_VERIFY_WITH_TIMEOUT(!firmware->isFlashing(), kWaitMs);
        QCOMPARE(page(), int(MainWindow::FirewarePage));
        QCOMPARE(mApp.keyboard().state().firmware.keyboard.ended, !own);
        QCOMPARE(TestFiles::toastTexts(firmware),
                 own ? QStringList{QStringLiteral("键盘已断开，固件没有写完。请插上键盘，再写一次固件。")} : QStringList{});
    }

    // While a maintenance-page transfer runs the profile list takes no choice and hot-plug notices
    // wait; once it has ended, the window acts on them.
    void transferHoldsTheProfileListAndNotices()
    {
        connectKeyboard();
        goTo(MainWindow::OtherPage);
        auto *maintenance = qobject_cast<OtherSetForm *>(gStackedWidget->widget(MainWindow::OtherPage));
        Q_EMIT maintenance->keyboardTransferRunning(true);
        QVERIFY(!child("configListView")->isEnabled() && !child("addButton")->isEnabled());
        notice("deviceConnected");
        notice("deviceDisconnected");
        QTest::qWait(300);
        QVERIFY(page() == MainWindow::OtherPage && mWindow->steps.isEmpty());
        Q_EMIT maintenance->keyboardTransferRunning(false);
        QVERIFY(child("configListView")->isEnabled() && child("addButton")->isEnabled());
        QTRY_VERIFY(!mWindow->steps.isEmpty()); // the unplug notice released the device
    }

    // A restart (theme change, update) starts the new program once this one has stopped being the
    // running instance, so the new one does not hand over to it; if it cannot start, this one stays.
    void restartLeavesTheInstanceToTheNewProgram_data()
    {
        QTest::addColumn<bool>("startSucceeds");
        QTest::newRow("started") << true;
        QTest::newRow("not started") << false;
    }

    void restartLeavesTheInstanceToTheNewProgram()
    {
        QFETCH(bool, startSucceeds);
        QVERIFY(!SingleInstance::CheckAppRun());
        auto runner = std::make_shared<RestartRunner>();
        runner->startSucceeds = startSucceeds;
        qobject_cast<SystemSetForm *>(gStackedWidget->widget(MainWindow::SettingsPage))->setProcessRunner(runner);
        if (!startSucceeds)
            AppFixture::expectWarning(QStringLiteral("=== 无法启动 "));
        child<QComboBox>("themeComboBox")->setCurrentIndex(1);
        gSystemConfig->setTheme(0);
        QCOMPARE(runner->started, QStringList{QCoreApplication::applicationFilePath()});
        QVERIFY(!runner->handedOver);
        // Not started: this one is the running instance still, and a second start reaches it.
        QVERIFY(startSucceeds || (SingleInstance::CheckAppRun() &&
                                  SingleInstance::activateExistingInstance(QString::fromLatin1(SingleInstance::ServerName), 2000)));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
