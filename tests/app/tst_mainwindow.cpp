#include "app/AppServices.h"
#include "app/CustomToolTip.h"
#include "app/DeviceManageForm.h"
#include "app/FirewareManageForm.h"
#include "app/MainWindow.h"
#include "app/ProcessRunner.h"
#include "app/SingleInstance.h"
#include "app/SystemSetForm.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/TestDataDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QLocalSocket>
#include <QMenu>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
// What the window had done at one moment of releasing the device.
struct ReleaseSnapshot
{
    bool taken = false;
    bool linkUp = false;
    bool workersStopped = false;
    bool dialogOpen = false;
    bool modelFilled = false;
};

// The main window with its protected release steps in reach and the worker stop observed.
class ProbeWindow : public MainWindow
{
public:
    using MainWindow::openProgressDialog;
    using MainWindow::progressDialog;

    bool workersStopped = false;
    ReleaseSnapshot atStopWorkers;
    std::function<ReleaseSnapshot()> snapshot;

protected:
    void stopWorkers() override
    {
        if (snapshot)
            atStopWorkers = snapshot();
        workersStopped = true;
        MainWindow::stopWorkers();
    }
};

// Records the snapshot when the watched dialog is hidden.
class HideWatcher : public QObject
{
public:
    std::function<ReleaseSnapshot()> snapshot;
    ReleaseSnapshot atHide;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && !atHide.taken)
            atHide = snapshot();
        return QObject::eventFilter(object, event);
    }
};

void fillModel(int profiles)
{
    gKeyboardConfig->productInfo.reset(new PRODUCT_INFO);
    gKeyboardConfig->productInfo->productName = QStringLiteral("QM75");
    gKeyboardConfig->keyboardConfigList.clear();
    for (int i = 0; i < profiles; ++i) {
        auto config = QSharedPointer<KEYBOARD_CONFIG_INFO>::create();
        config->index = uchar(i);
        config->configName = QStringLiteral("Profile %1").arg(i + 1);
        gKeyboardConfig->keyboardConfigList.append(config);
    }
    gKeyboardConfig->currentConfigIndex = uchar(profiles > 1 ? 1 : 0);
}

bool modelFilled()
{
    return gKeyboardConfig->productInfo && !gKeyboardConfig->keyboardConfigList.isEmpty();
}

// Starting the new program is played in this process: its start-up looks for a running instance
// as main() does, while this program has not ended yet.
class RestartRunner : public ProcessRunner
{
public:
    bool startSucceeds = true;
    QStringList started;
    bool newProgramHandedOver = false;

    bool startDetached(const QString &program, const QStringList &) override
    {
        started.append(program);
        if (startSucceeds)
            newProgramHandedOver = SingleInstance::handOverToRunningInstance(
                QString::fromLatin1(SingleInstance::InstanceKey), QString::fromLatin1(SingleInstance::ServerName), 2000);
        return startSucceeds;
    }
};
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir mTempDir;
    std::unique_ptr<TestDataDir> mDataDir;
    std::unique_ptr<ProbeWindow> mWindow;

    template <typename T = QWidget>
    T *child(const char *name) const
    {
        T *widget = mWindow->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    static void goTo(int index) { gStackedWidget->setCurrentIndex(index); }

    QList<QWidget *> profileWidgets() const
    {
        return {child("addButton"),     child("exportButton"),     child("importButton"),
                child("useTitleLabel"), child("productNameLabel"), child("configListView")};
    }

    ReleaseSnapshot snapshot() const
    {
        ReleaseSnapshot shot;
        shot.taken = true;
        shot.linkUp = gUsbCommunicateUtil->checkCommunicateState();
        shot.workersStopped = mWindow->workersStopped;
        shot.dialogOpen = mWindow->progressDialog() && mWindow->progressDialog()->isVisible();
        shot.modelFilled = modelFilled();
        return shot;
    }

    // Opens the USB link to an emulated keyboard; returns its interface paths.
    QList<QByteArray> connectKeyboard()
    {
        auto keyboard = std::make_shared<EmulatedKeyboard>();
        const QList<QByteArray> paths = EmulatedHidBus::instance().attachKeyboard(keyboard);
        gUsbCommunicateUtil->openCommunicate(0);
        return paths;
    }

    // Runs the event loop until the application quits or limitMs pass; the loop's result.
    static int runEventLoop(const std::function<void()> &action, int limitMs)
    {
        QTimer::singleShot(0, qApp, action);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(77); });
        guard.start(limitMs);
        return QApplication::exec();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mTempDir.isValid());
        // The local server and the shared memory of this test stay apart from a running program.
        qputenv("TMPDIR", mTempDir.path().toLocal8Bit());
        mDataDir = std::make_unique<TestDataDir>();

        AppServices::create();
        gSystemConfig->loadLanguage(qApp);
    }

    void cleanupTestCase()
    {
        AppServices::release();
        QVERIFY(!gSystemConfig && !gCustomToolTip && !gKeyboardConfig);
        mDataDir.reset();
    }

    void init()
    {
        gBootFirewareScreenFlag = false;
        gEntryBootFirewareFlag = false;
        gSystemConfig->setCloseMin(false);
        gSystemConfig->setCommType(0);
        mWindow = std::make_unique<ProbeWindow>();
        mWindow->setWindowTitle(QStringLiteral("磁性键盘"));
        mWindow->snapshot = [this] { return snapshot(); };
    }

    void cleanup()
    {
        mWindow.reset();
        gUsbCommunicateUtil->closeCommunicate();
        EmulatedHidBus::instance().reset();
        gKeyboardConfig->resetKeyboardConfig();
        gCustomToolTip->hideTip();
        SingleInstance::releaseSegments();
        QVERIFY(!gStackedWidget);
    }

    // Right after start the device page is current, no page has been entered and the
    // communication choice is hidden until the device page is entered through the stack.
    void startsOnTheDevicePage()
    {
        QCOMPARE(gStackedWidget, child<QStackedWidget>("stackedWidget"));
        QCOMPARE(gStackedWidget->count(), int(MainWindow::PageCount));
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QCOMPARE(mWindow->pageIndex(), MainWindow::NoPage);
        QVERIFY(mWindow->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(child("main_group_box")->isHidden());
        QVERIFY(!child("deviceButton")->isHidden());
        QVERIFY(!child("settingButton")->isHidden());
        QVERIFY(child("firewareButton")->isHidden());
        for (QWidget *widget : profileWidgets())
            QVERIFY2(widget->isHidden(), qPrintable(widget->objectName()));
        QVERIFY(child("deButton")->isHidden());
        QVERIFY(child<QRadioButton>("main_usb_radio")->isChecked());
        QVERIFY(!child<QRadioButton>("main_ble_radio")->isChecked());

        // The page classes sit at their fixed indices.
        const QStringList classes = {"DeviceManageForm", "SystemSetForm",     "KeySetForm",
                                     "LightSetForm",     "HighKeyForm",       "MacroSetForm",
                                     "PerformanceSetForm", "AlignSetForm",    "OtherSetForm",
                                     "FirewareManageForm"};
        for (int i = 0; i < classes.size(); ++i)
            QCOMPARE(QString::fromLatin1(gStackedWidget->widget(i)->metaObject()->className()), classes.at(i));

        // The device page shows something, so the window is not blank.
        auto *device = qobject_cast<DeviceManageForm *>(gStackedWidget->widget(MainWindow::DevicePage));
        QVERIFY(device);
        auto *title = device->findChild<QLabel *>(QStringLiteral("titleLabel"));
        QVERIFY(title && !title->text().isEmpty());
    }

    void bluetoothChoiceIsCheckedFromTheSettings()
    {
        mWindow.reset();
        gSystemConfig->setCommType(1);
        mWindow = std::make_unique<ProbeWindow>();
        QVERIFY(child<QRadioButton>("main_ble_radio")->isChecked());
        QVERIFY(!child<QRadioButton>("main_usb_radio")->isChecked());
    }

    // Leaving a page runs its leave hook, entering one its entry hook; mPageIndex follows.
    void pageSwitchRunsLeaveAndEntryHooks()
    {
        QWidget *anchor = child("settingButton");
        mWindow->show();

        // The key page's leave hook hides the shared prompt window.
        goTo(MainWindow::KeyPage);
        QCOMPARE(mWindow->pageIndex(), int(MainWindow::KeyPage));
        gCustomToolTip->showTip(QStringLiteral("tip"), anchor);
        QVERIFY(gCustomToolTip->isVisible());
        goTo(MainWindow::LightPage);
        QVERIFY(!gCustomToolTip->isVisible());
        QCOMPARE(mWindow->pageIndex(), int(MainWindow::LightPage));

        // Another page's leave hook leaves it alone: the hook of the page left runs, no other.
        gCustomToolTip->showTip(QStringLiteral("tip"), anchor);
        goTo(MainWindow::HighKeyPage);
        QVERIFY(gCustomToolTip->isVisible());
        gCustomToolTip->hideTip();

        // The settings page learns the page it was opened from.
        goTo(MainWindow::AlignPage);
        goTo(MainWindow::SettingsPage);
        auto *settings = qobject_cast<SystemSetForm *>(gStackedWidget->widget(MainWindow::SettingsPage));
        QCOMPARE(settings->fromIndex(), int(MainWindow::AlignPage));
        QCOMPARE(mWindow->pageIndex(), int(MainWindow::SettingsPage));

        // Entering the firmware page runs its entry hook.
        QVERIFY(!gEntryBootFirewareFlag);
        goTo(MainWindow::FirewarePage);
        QVERIFY(gEntryBootFirewareFlag);
        QCOMPARE(mWindow->pageIndex(), int(MainWindow::FirewarePage));
    }

    void settingsOpenedFirstLearnThatNoPageWasEntered()
    {
        mWindow->show();
        QTest::mouseClick(child<QPushButton>("settingButton"), Qt::LeftButton);
        auto *settings = qobject_cast<SystemSetForm *>(gStackedWidget->widget(MainWindow::SettingsPage));
        QCOMPARE(settings->fromIndex(), MainWindow::NoPage);
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::SettingsPage));
    }

    void enteringDeviceOrFirmwarePageReleasesTheDevice_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int from = MainWindow::SettingsPage; from <= MainWindow::OtherPage; ++from) {
            QTest::addRow("%d to device", from) << from << int(MainWindow::DevicePage);
            QTest::addRow("%d to firmware", from) << from << int(MainWindow::FirewarePage);
        }
    }

    void enteringDeviceOrFirmwarePageReleasesTheDevice()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        goTo(from);
        connectKeyboard();
        fillModel(2);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        goTo(to);
        QCOMPARE(gStackedWidget->currentIndex(), to);
        // The link is closed on the way in; the device page then connects the keyboard that is
        // still plugged in anew.
        QVERIFY(mWindow->atStopWorkers.taken && !mWindow->atStopWorkers.linkUp);
        if (to == MainWindow::FirewarePage)
            QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(!modelFilled());
        QVERIFY(mWindow->workersStopped);
    }

    void keyboardPagesKeepTheDevice()
    {
        connectKeyboard();
        fillModel(2);
        for (int page = MainWindow::KeyPage; page <= MainWindow::OtherPage; ++page)
            goTo(page);
        goTo(MainWindow::SettingsPage);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(modelFilled());
    }

    // The left column per page: navigation, communication choice, profile list.
    void leftColumnFollowsThePage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("firmwareFlag");
        for (int page = 0; page < MainWindow::PageCount; ++page) {
            QTest::addRow("page %d", page) << page << false;
            QTest::addRow("page %d, firmware flag", page) << page << true;
        }
    }

    void leftColumnFollowsThePage()
    {
        QFETCH(int, page);
        QFETCH(bool, firmwareFlag);
        gBootFirewareScreenFlag = firmwareFlag;
        fillModel(2);
        // Enter the page through the stack, from another page.
        goTo(page == MainWindow::SettingsPage ? MainWindow::KeyPage : MainWindow::SettingsPage);
        fillModel(2);
        goTo(page);
        QCOMPARE(gStackedWidget->currentIndex(), page);

        const bool keyboardPage = page >= MainWindow::KeyPage && page <= MainWindow::OtherPage;
        QCOMPARE(!child("firewareButton")->isHidden(), firmwareFlag && !keyboardPage);
        QCOMPARE(!child("deviceButton")->isHidden(), page == MainWindow::DevicePage);
        QCOMPARE(!child("main_group_box")->isHidden(), page == MainWindow::DevicePage);
        QVERIFY(!child("settingButton")->isHidden());
        for (QWidget *widget : profileWidgets())
            QCOMPARE(!widget->isHidden(), keyboardPage);
        QCOMPARE(!child("deButton")->isHidden(), keyboardPage);
    }

    void firmwareButtonOpensTheFirmwarePage()
    {
        mWindow->show();
        gBootFirewareScreenFlag = true;
        goTo(MainWindow::SettingsPage);
        QVERIFY(!child("firewareButton")->isHidden());
        QTest::mouseClick(child<QPushButton>("firewareButton"), Qt::LeftButton);
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::FirewarePage));
        QVERIFY(!child("firewareButton")->isHidden());
    }

    void profileListShowsTheKeyboardsProfiles()
    {
        fillModel(3);
        goTo(MainWindow::MacroPage);
        auto *list = child<QListView>("configListView");
        QCOMPARE(list->model()->rowCount(), 3);
        QCOMPARE(list->model()->index(2, 0).data().toString(), QStringLiteral("Profile 3"));
        QCOMPARE(list->currentIndex().row(), 1);
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(child<QLabel>("productNameLabel")->text(), QStringLiteral("QM75"));
        QVERIFY(!child("deButton")->isHidden());

        // A single profile cannot be deleted: the button goes.
        fillModel(1);
        goTo(MainWindow::PerformancePage);
        QCOMPARE(list->model()->rowCount(), 1);
        QVERIFY(child("deButton")->isHidden());

        // No keyboard model at all: an empty list and no product name, no crash.
        gKeyboardConfig->resetKeyboardConfig();
        goTo(MainWindow::AlignPage);
        QCOMPARE(list->model()->rowCount(), 0);
        QVERIFY(child<QLabel>("productNameLabel")->text().isEmpty());
    }

    // A language change reaches the window and every page, the window first.
    void languageChangeReachesEveryPage()
    {
        for (int i = 0; i < gStackedWidget->count(); ++i)
            gStackedWidget->widget(i)->setWindowTitle(QStringLiteral("stale"));
        const ToolTipUtil *oldTips = gToolTipUtil.data();
        auto *device = gStackedWidget->widget(MainWindow::DevicePage);

        QVERIFY(gSystemConfig->setLanuage(SystemConfigUtil::English, qApp));
        for (int i = 0; i < gStackedWidget->count(); ++i)
            QCOMPARE(gStackedWidget->widget(i)->windowTitle(), QStringLiteral("Form"));
        QCOMPARE(child<QPushButton>("deviceButton")->text(), QStringLiteral("Device"));
        QCOMPARE(child<QGroupBox>("main_group_box")->title(), QStringLiteral("Connection"));
        // The device page rebuilds its card in the new language.
        auto *deviceTitle = device->findChild<QLabel *>(QStringLiteral("titleLabel"));
        QVERIFY(deviceTitle);
        QCOMPARE(deviceTitle->text(), QStringLiteral("Open device"));
        QVERIFY(gToolTipUtil && gToolTipUtil.data() != oldTips);
        // The window keeps the program's title through the re-translation.
        QCOMPARE(mWindow->windowTitle(), QStringLiteral("磁性键盘"));

        QVERIFY(gSystemConfig->setLanuage(SystemConfigUtil::Chinese, qApp));
        QCOMPARE(child<QPushButton>("deviceButton")->text(), QStringLiteral("设备"));
        QCOMPARE(device->findChild<QLabel *>(QStringLiteral("titleLabel"))->text(), QStringLiteral("打开设备"));
    }

    // A second start's "activate" brings the window back, maximized.
    void activateRestoresTheWindow()
    {
        mWindow->show();
        mWindow->hide();
        QVERIFY(!mWindow->isVisible());

        QLocalSocket other;
        other.connectToServer(QString::fromLatin1(SingleInstance::ServerName));
        QVERIFY(other.waitForConnected(5000));
        other.write("hello!!!");
        other.flush();
        QTest::qWait(100);
        QVERIFY(!mWindow->isVisible());

        QLocalSocket second;
        second.connectToServer(QString::fromLatin1(SingleInstance::ServerName));
        QVERIFY(second.waitForConnected(5000));
        second.write(SingleInstance::ActivateMessage);
        second.flush();
        QTRY_VERIFY_WITH_TIMEOUT(mWindow->isVisible(), 5000);
        QVERIFY(mWindow->windowState().testFlag(Qt::WindowMaximized));
    }

    void trayClickRestoresTheWindow()
    {
        auto *tray = mWindow->findChild<QSystemTrayIcon *>();
        QVERIFY(tray);
        mWindow->hide();
        Q_EMIT tray->activated(QSystemTrayIcon::Context);
        QVERIFY(!mWindow->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(mWindow->isVisible());
        QVERIFY(mWindow->windowState().testFlag(Qt::WindowMaximized));

        const QStringList texts = {"窗口最小化", "窗口最大化", "恢复原始大小", "", "退出"};
        const QList<QAction *> actions = tray->contextMenu()->actions();
        QCOMPARE(actions.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(actions.at(i)->text(), texts.at(i));
        actions.at(0)->trigger();
        QVERIFY(!mWindow->isVisible());
    }

    // With close-to-tray on, closing hides the window and the program runs on.
    void closeToTrayHidesTheWindow()
    {
        auto *tray = mWindow->findChild<QSystemTrayIcon *>();
        QVERIFY(tray && tray->isVisible());
        gSystemConfig->setCloseMin(true);
        mWindow->show();
        bool closed = true;
        const int result = runEventLoop([&] { closed = mWindow->close(); }, 500);
        QCOMPARE(result, 77); // still running when the guard ended the loop
        QVERIFY(!closed);
        QVERIFY(!mWindow->isVisible());

        // Without a tray icon to come back from, the window closes after all.
        tray->hide();
        mWindow->show();
        QVERIFY(mWindow->close());
    }

    void closeWithoutTrayQuits()
    {
        gSystemConfig->setCloseMin(false);
        mWindow->show();
        bool closed = false;
        const int result = runEventLoop([&] { closed = mWindow->close(); }, 5000);
        QVERIFY(closed);
        QCOMPARE(result, 0);
    }

    void trayQuitEndsTheProgram()
    {
        gSystemConfig->setCloseMin(true);
        mWindow->show();
        QAction *quit = mWindow->findChild<QSystemTrayIcon *>()->contextMenu()->actions().last();
        QCOMPARE(runEventLoop([quit] { quit->trigger(); }, 5000), 0);
    }

    // Pulling the keyboard from a keyboard page: the link is closed, the workers are stopped and
    // the progress dialog closed before the keyboard model is reset; the device page follows.
    void unplugReleasesInOrder()
    {
        const QList<QByteArray> paths = connectKeyboard();
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        fillModel(2);
        goTo(MainWindow::LightPage);
        mWindow->openProgressDialog(QStringLiteral("键盘数据同步中"));
        QProgressDialog *dialog = mWindow->progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(dialog->maximum(), 100);
        HideWatcher watcher;
        watcher.snapshot = [this] { return snapshot(); };
        dialog->installEventFilter(&watcher);

        for (const QByteArray &path : paths)
            EmulatedHidBus::instance().detach(path);
        QVERIFY(QMetaObject::invokeMethod(mWindow.get(), "deviceDisconnected", Q_ARG(QString, QString())));

        const ReleaseSnapshot &atStop = mWindow->atStopWorkers;
        QTRY_VERIFY(atStop.taken);
        QVERIFY(!atStop.linkUp);
        QVERIFY(atStop.dialogOpen);
        QVERIFY(atStop.modelFilled);
        QVERIFY(watcher.atHide.taken);
        QVERIFY(watcher.atHide.workersStopped);
        QVERIFY(watcher.atHide.modelFilled);
        QVERIFY(!modelFilled());
        QVERIFY(!mWindow->progressDialog());
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QCOMPARE(mWindow->pageIndex(), int(MainWindow::DevicePage));
    }

    // A dropped Bluetooth link takes the same road, back to USB.
    void linkLossReleasesInOrder()
    {
        gSystemConfig->setCommType(1);
        fillModel(2);
        goTo(MainWindow::KeyPage);
        mWindow->openProgressDialog(QStringLiteral("导出配置中......"));
        HideWatcher watcher;
        watcher.snapshot = [this] { return snapshot(); };
        mWindow->progressDialog()->installEventFilter(&watcher);

        Q_EMIT gUsbCommunicateUtil->protocol_device_disconnected();
        QVERIFY(mWindow->atStopWorkers.modelFilled);
        QVERIFY(mWindow->atStopWorkers.dialogOpen);
        QVERIFY(watcher.atHide.workersStopped && watcher.atHide.modelFilled);
        QVERIFY(!modelFilled());
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QVERIFY(child<QRadioButton>("main_usb_radio")->isChecked());
        QVERIFY(!child<QRadioButton>("main_ble_radio")->isChecked());
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
    }

    // A Bluetooth link that drops while a USB keyboard is plugged in: the device page goes back to
    // USB and connects that keyboard, and the USB link it opened stays open for the read.
    void linkLossWithUsbKeyboardPluggedIn()
    {
        EmulatedHidBus::instance().attachKeyboard(std::make_shared<EmulatedKeyboard>());
        gSystemConfig->setCommType(1);
        fillModel(2);
        goTo(MainWindow::KeyPage);
        Q_EMIT gUsbCommunicateUtil->protocol_device_disconnected();
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        auto *device = qobject_cast<DeviceManageForm *>(gStackedWidget->widget(MainWindow::DevicePage));
        QVERIFY(device->syncWorker());
    }

    // A restart (after a theme change, or an update) starts the new program while this one is on
    // its way out: this one has stopped being the running instance by then, so the new one starts
    // instead of handing over to it. When the new one cannot be started, this one stays the
    // running instance.
    void restartLeavesTheInstanceToTheNewProgram_data()
    {
        QTest::addColumn<bool>("startSucceeds");
        QTest::newRow("started") << true;
        QTest::newRow("not started") << false;
    }

    void restartLeavesTheInstanceToTheNewProgram()
    {
        QFETCH(bool, startSucceeds);
        // As at start-up: this program holds the instance segment and its window listens.
        QVERIFY(!SingleInstance::CheckAppRun());
        auto runner = std::make_shared<RestartRunner>();
        runner->startSucceeds = startSucceeds;
        auto *settings = qobject_cast<SystemSetForm *>(gStackedWidget->widget(MainWindow::SettingsPage));
        settings->setProcessRunner(runner);

        child<QComboBox>("themeComboBox")->setCurrentIndex(1);
        gSystemConfig->setTheme(0);
        QCOMPARE(runner->started, QStringList{QCoreApplication::applicationFilePath()});
        QVERIFY(!runner->newProgramHandedOver);
        if (!startSucceeds) {
            QVERIFY(SingleInstance::CheckAppRun());
            QVERIFY(SingleInstance::activateExistingInstance(QString::fromLatin1(SingleInstance::ServerName), 2000));
        }
    }

    // Pulling the keyboard while the device page shows only redraws the device page.
    void unplugOnTheDevicePageStays()
    {
        connectKeyboard();
        fillModel(1);
        QVERIFY(QMetaObject::invokeMethod(mWindow.get(), "deviceDisconnected", Q_ARG(QString, QString())));
        QTest::qWait(300); // past the settle time of a hot-plug notice
        QCOMPARE(gStackedWidget->currentIndex(), int(MainWindow::DevicePage));
        QCOMPARE(mWindow->pageIndex(), MainWindow::NoPage);
        QVERIFY(!mWindow->workersStopped);
    }

    // A newly opened progress dialog replaces the previous one.
    void oneProgressDialogAtATime()
    {
        mWindow->openProgressDialog(QStringLiteral("a"));
        QPointer<QProgressDialog> first = mWindow->progressDialog();
        mWindow->openProgressDialog(QStringLiteral("b"));
        QVERIFY(mWindow->progressDialog() != first.data());
        QVERIFY(!first || !first->isVisible());
        QTRY_VERIFY(!first);
        QCOMPARE(mWindow->progressDialog()->labelText(), QStringLiteral("b"));
        QVERIFY(mWindow->progressDialog()->minimumWidth() >= 300);
        QVERIFY(mWindow->progressDialog()->windowFlags().testFlag(Qt::FramelessWindowHint));
    }

    void communicationChoiceIsStored()
    {
        mWindow->show();
        goTo(MainWindow::SettingsPage);
        goTo(MainWindow::DevicePage);
        QVERIFY(!child("main_group_box")->isHidden());
        QTest::mouseClick(child<QRadioButton>("main_ble_radio"), Qt::LeftButton);
        QCOMPARE(gSystemConfig->getCommType(), 1);
        QTest::mouseClick(child<QRadioButton>("main_usb_radio"), Qt::LeftButton);
        QCOMPARE(gSystemConfig->getCommType(), 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
