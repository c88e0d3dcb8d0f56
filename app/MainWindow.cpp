#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/DeviceManageForm.h"
#include "app/FirewareManageForm.h"
#include "app/InstanceServer.h"
#include "app/SingleInstance.h"
#include "app/SystemSetForm.h"
#include "link/HidWatcher.h"
#include "model/AppPaths.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "pages/common/PageDialogs.h"
#include "pages/keys/HighKeyForm.h"
#include "pages/keys/KeySetForm.h"
#include "pages/keys/LightSetForm.h"
#include "pages/keys/MacroSetForm.h"
#include "pages/tuning/AlignSetForm.h"
#include "pages/tuning/OtherSetForm.h"
#include "pages/tuning/PerformanceSetForm.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigWriteDatabase.h"
#include "storage/ImportConfigUtil.h"
#include "widgets/CustomToolTip.h"
#include "widgets/QModalProgressDialog.h"

#include <QCloseEvent>
#include <QDebug>
#include <QMenu>
#include <QPixmap>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <cmath>
#include <utility>

QStackedWidget *gStackedWidget = nullptr;
bool gBootFirewareScreenFlag = false;

namespace {
// Pause after a hot-plug notice, so that the device has settled before it is enumerated again.
constexpr int kHotPlugSettleMs = 100;
constexpr int kTrayWelcomeMs = 3000;
constexpr int kTrayNoticeMs = 2000;
const char *const kTrayIcon = ":/images/images/light/quillo_matrix.png";
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    ui->setupUi(this);
    gStackedWidget = ui->stackedWidget;

    createPages();
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, &MainWindow::stackedWidgetChange);

    // The window first, so that the tooltip texts of the new language exist when the pages refresh.
    if (gSystemConfig) {
        SystemConfigUtil *config = gSystemConfig.data();
        connect(config, &SystemConfigUtil::languageChanged, this, &MainWindow::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mDeviceForm, &DeviceManageForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mFirewareForm, &FirewareManageForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mSystemForm, &SystemSetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mKeyForm, &KeySetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mLightForm, &LightSetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mHighKeyForm, &HighKeyForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mMacroForm, &MacroSetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mPerformanceForm, &PerformanceSetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mAlignForm, &AlignSetForm::refreshLanguageUi);
        connect(config, &SystemConfigUtil::languageChanged, mOtherForm, &OtherSetForm::refreshLanguageUi);
    }

    setupProfileList();
    connect(mDeviceForm, &DeviceManageForm::keyboardBusyChanged, this,
            [this](bool busy) { setKeyboardBusy(mDeviceForm, busy); });
    // Entering the key page draws it; a read that ends with the page shown already is drawn here.
    connect(mDeviceForm, &DeviceManageForm::keyPageRead, this, [this] {
        displayConfigItem(KeyPage);
        repaintEditingPage(KeyPage);
    });
    // The device page's own read is replaced by a new one; anything else holding the keyboard is waited for.
    mDeviceForm->setOtherWorkCheck([this] {
        return std::any_of(mBusyHolders.cbegin(), mBusyHolders.cend(),
                           [this](const QObject *holder) { return holder != mDeviceForm; });
    });

    mHidWatcher.reset(new HidWatcher);
    connect(mHidWatcher.data(), &HidWatcher::deviceConnected, this, &MainWindow::deviceConnected);
    connect(mHidWatcher.data(), &HidWatcher::deviceDisconnected, this, &MainWindow::deviceDisconnected);

    ui->stackedWidget->setCurrentIndex(DevicePage);
    mDeviceForm->repaintInterface(false);
    mPageIndex = NoPage;
    displayConfigItem(DevicePage);

    applyToolTips();

    connect(mOtherForm, &OtherSetForm::keyboardTransferRunning, this, &MainWindow::keyboardTransferRunning);

    if (gUsbCommunicateUtil) {
        // The profile replies are connected with the profile list.
        connect(gUsbCommunicateUtil.data(), &UsbCommunicateUtil::protocol_device_disconnected, this,
                &MainWindow::protocol_device_disconnected);
    }

    initializeSystemTray();

    listenForSecondStarts();

    for (QWidget *widget : {static_cast<QWidget *>(ui->deviceButton), static_cast<QWidget *>(ui->firewareButton),
                            static_cast<QWidget *>(ui->settingButton), static_cast<QWidget *>(ui->addButton),
                            static_cast<QWidget *>(ui->deButton), static_cast<QWidget *>(ui->exportButton),
                            static_cast<QWidget *>(ui->importButton), static_cast<QWidget *>(ui->exitButton),
                            static_cast<QWidget *>(ui->maxButton), static_cast<QWidget *>(ui->minButton)})
        widget->setFocusPolicy(Qt::NoFocus);

    setupLogo();

    const bool bluetooth = gSystemConfig && gSystemConfig->getCommType() == 1;
    ui->main_usb_radio->setChecked(!bluetooth);
    ui->main_ble_radio->setChecked(bluetooth);

    // The communication choice appears the next time the device page is entered.
    ui->main_group_box->hide();
    setWindowTitle(tr("磁性键盘"));
}

MainWindow::~MainWindow()
{
    // The pages go with the window; their removal from the stack must not switch pages.
    disconnect(ui->stackedWidget, &QStackedWidget::currentChanged, this, &MainWindow::stackedWidgetChange);
    if (gStackedWidget == ui->stackedWidget)
        gStackedWidget = nullptr;
    closeInstanceServer();
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    // A read, export or import under way ends with the window: an export's thread is waited for.
    stopWorkers();
    stopExport();
    // The device page goes after this window's own members: it may no longer report to them.
    mDeviceForm->disconnect(this);
    delete mProgressDialog.data();
    delete ui;
    ui = nullptr;
    mHidWatcher.reset();
}

int MainWindow::pageIndex() const
{
    return mPageIndex;
}

void MainWindow::listenForSecondStarts()
{
    mLocalServer = new InstanceServer(this);
    mLocalServer->setWindow(this);
    mLocalServer->listen(QString::fromLatin1(SingleInstance::ServerName));
}

void MainWindow::closeInstanceServer()
{
    if (!mLocalServer)
        return;
    mLocalServer->disconnect(this);
    delete mLocalServer;
    mLocalServer = nullptr;
}

void MainWindow::releaseRunningInstance()
{
    closeInstanceServer();
    SingleInstance::releaseSegments();
}

void MainWindow::claimRunningInstance()
{
    if (SingleInstance::CheckAppRun())
        qWarning("Another instance took over meanwhile.");
    if (!mLocalServer)
        listenForSecondStarts();
}

void MainWindow::createPages()
{
    mDeviceForm = new DeviceManageForm(nullptr);
    mFirewareForm = new FirewareManageForm(nullptr);
    mSystemForm = new SystemSetForm(nullptr);
    mKeyForm = new KeySetForm(nullptr);
    mLightForm = new LightSetForm(nullptr);
    mHighKeyForm = new HighKeyForm(nullptr);
    mMacroForm = new MacroSetForm(nullptr);
    mPerformanceForm = new PerformanceSetForm(nullptr);
    mAlignForm = new AlignSetForm(nullptr);
    mOtherForm = new OtherSetForm(nullptr);

    // An index beyond the end appends: the firmware page moves back with every later insertion
    // and ends last.
    QStackedWidget *stack = ui->stackedWidget;
    stack->insertWidget(DevicePage, mDeviceForm);
    stack->insertWidget(FirewarePage, mFirewareForm);
    stack->insertWidget(SettingsPage, mSystemForm);
    stack->insertWidget(KeyPage, mKeyForm);
    stack->insertWidget(LightPage, mLightForm);
    stack->insertWidget(HighKeyPage, mHighKeyForm);
    stack->insertWidget(MacroPage, mMacroForm);
    stack->insertWidget(PerformancePage, mPerformanceForm);
    stack->insertWidget(AlignPage, mAlignForm);
    stack->insertWidget(OtherPage, mOtherForm);
}

void MainWindow::stackedWidgetChange(int index)
{
    switch (mPageIndex) {
    case DevicePage: mDeviceForm->exitInterface(); break;
    case SettingsPage: mSystemForm->exitInterface(); break;
    case KeyPage: mKeyForm->exitInterface(); break;
    case LightPage: mLightForm->exitInterface(); break;
    case HighKeyPage: mHighKeyForm->exitInterface(); break;
    case MacroPage: mMacroForm->exitInterface(); break;
    case PerformancePage: mPerformanceForm->exitInterface(); break;
    case AlignPage: mAlignForm->exitInterface(); break;
    case OtherPage: mOtherForm->exitInterface(); break;
    case FirewarePage: mFirewareForm->exitInterface(); break;
    default: break;
    }

    bool entered = true;
    switch (index) {
    case DevicePage:
        releaseDevice();
        mDeviceForm->repaintInterface(true);
        break;
    case SettingsPage: mSystemForm->repaintInterface(mPageIndex); break;
    case FirewarePage:
        releaseDevice();
        mFirewareForm->repaintInterface();
        break;
    default: entered = repaintEditingPage(index); break;
    }
    if (entered)
        mPageIndex = index;
    displayConfigItem(index);
    takeKeptNotice();
}

bool MainWindow::repaintEditingPage(int index)
{
    switch (index) {
    case KeyPage: mKeyForm->repaintInterface(); return true;
    case LightPage: mLightForm->repaintInterface(); return true;
    case HighKeyPage: mHighKeyForm->repaintInterface(); return true;
    case MacroPage: mMacroForm->repaintInterface(); return true;
    case PerformancePage: mPerformanceForm->repaintInterface(); return true;
    case AlignPage: mAlignForm->repaintInterface(); return true;
    case OtherPage: mOtherForm->repaintInterface(); return true;
    default: return false;
    }
}

void MainWindow::releaseDevice()
{
    // An import cut short here has not told its end: it failed.
    const bool importCut = mImportConfig;
    const bool requestAwaited = mBusyHolders.contains(this);
    // A dialog of a page asks about the keyboard that goes: it closes as cancelled, and its caller,
    // which goes on once this has ended, sends nothing and reads nothing of the emptied model.
    PageDialogs::cancelAll();
    mDeviceForm->closeLink();
    stopWorkers();
    // An export runs on its copy of the model: it goes on with its dialog and tells its result.
    if (!mConfigWrite)
        closeProgressDialog();
    // What was kept or awaited for the keyboard that goes is of no use for the next one; a profile
    // request awaiting its answer ends here, and the list takes choices again.
    setKeyboardBusy(this, false);
    if (requestAwaited)
        setListSelectable(!isTransferRunning());
    mNoticeKept = false;
    mUnansweredOrder = 0;
    if (gKeyboardConfig)
        gKeyboardConfig->resetKeyboardConfig();
    if (importCut)
        showToast(tr("导入配置失败"));
}

void MainWindow::openProgressDialog(const QString &label)
{
    closeProgressDialog();
    mProgressDialog = new QModalProgressDialog(label);
}

void MainWindow::closeProgressDialog()
{
    QModalProgressDialog::release(mProgressDialog);
}

QProgressDialog *MainWindow::progressDialog() const
{
    return mProgressDialog;
}

void MainWindow::displayConfigItem(int index)
{
    const QList<QWidget *> profileWidgets = {ui->addButton,     ui->exportButton,     ui->importButton,
                                             ui->useTitleLabel, ui->productNameLabel, ui->configListView};
    if (index == DevicePage || index == SettingsPage || index == FirewarePage) {
        const bool device = index == DevicePage;
        ui->deviceButton->setVisible(device);
        ui->main_group_box->setVisible(device);
        ui->firewareButton->setVisible(gBootFirewareScreenFlag);
        for (QWidget *widget : profileWidgets)
            widget->hide();
        ui->deButton->hide();
    } else if (index >= KeyPage && index <= OtherPage) {
        ui->deviceButton->hide();
        ui->main_group_box->hide();
        ui->firewareButton->hide();
        for (QWidget *widget : profileWidgets)
            widget->show();
        const auto &product = gKeyboardConfig ? gKeyboardConfig->productInfo : QSharedPointer<PRODUCT_INFO>();
        ui->productNameLabel->setText(product ? product->productName : QString());
        followActiveProfile();
    }
    ui->settingButton->show();
    update();
}

void MainWindow::showPage(int index)
{
    if (ui->stackedWidget->currentIndex() != index)
        ui->stackedWidget->setCurrentIndex(index);
    ui->stackedWidget->show();
}

void MainWindow::on_deviceButton_clicked()
{
    showPage(DevicePage);
}

void MainWindow::on_settingButton_clicked()
{
    showPage(SettingsPage);
}

void MainWindow::on_firewareButton_clicked()
{
    showPage(FirewarePage);
}

void MainWindow::on_main_ble_radio_clicked()
{
    chooseCommType(1);
}

void MainWindow::on_main_usb_radio_clicked()
{
    chooseCommType(0);
}

void MainWindow::chooseCommType(int type)
{
    if (!gSystemConfig || gSystemConfig->getCommType() == type)
        return;
    mDeviceForm->closeLink();
    gSystemConfig->setCommType(type);
    mDeviceForm->repaintInterface(true);
}

void MainWindow::protocol_device_disconnected()
{
    // Only the Bluetooth link that dropped is closed: the device page hears of the loss first and
    // may already have opened the USB link to a keyboard that is plugged in.
    if (gUsbCommunicateUtil && gUsbCommunicateUtil->checkBleCommunicateState())
        mDeviceForm->closeLink();
    if (gSystemConfig)
        gSystemConfig->setCommType(0);
    ui->main_usb_radio->setChecked(true);
    ui->main_ble_radio->setChecked(false);
    // Leaving a keyboard page releases the device (see releaseDevice).
    showPage(DevicePage);
    update();
}

bool MainWindow::takeHotPlugNotice(const char *ignoredLine, const char *takenLine)
{
    if (gUsbCommunicateUtil && gUsbCommunicateUtil->checkBleCommunicateState()) {
        qDebug("%s", ignoredLine);
        return false;
    }
    qDebug("%s", takenLine);
    return true;
}

// The system reports a keyboard a moment before it can be opened: each notice is acted on after a
// short settle time, in the order the notices came, without holding up the window meanwhile.
void MainWindow::deviceConnected(const QString &)
{
    if (!takeHotPlugNotice("=== USB插入是，蓝牙设备已经在通讯 ===", "=== USB设备已插入 ==="))
        return;
    if (isTransferRunning()) {
        mHeldPlug = true;
        return;
    }
    QTimer::singleShot(kHotPlugSettleMs, this, [this] { mDeviceForm->repaintInterface(true); });
}

void MainWindow::deviceDisconnected(const QString &)
{
    if (!takeHotPlugNotice("=== USB拔出，蓝牙设备已经在通讯 ===", "=== USB设备已拔出 ==="))
        return;
    // A firmware write goes on unless its own interface went; it finds that out by itself.
    if (mFirewareForm->noticeDeviceRemoved())
        return;
    // A transfer whose keyboard went fails by itself; the notice is acted on once it has ended.
    if (isTransferRunning()) {
        mHeldUnplug = true;
        return;
    }
    QTimer::singleShot(kHotPlugSettleMs, this, [this] {
        mAlignForm->exitAlign(false);
        if (mPageIndex == NoPage || mPageIndex == DevicePage)
            mDeviceForm->repaintInterface(false);
        else
            showPage(DevicePage); // the page switch releases the device
    });
}

void MainWindow::keyboardTransferRunning(bool running)
{
    setKeyboardBusy(mOtherForm, running);
    setListSelectable(!running);
    ui->configListView->setEnabled(!running);
    if (running)
        return;
    // An unplug notice leads to the device page, which opens the link again anyway.
    const bool unplugged = std::exchange(mHeldUnplug, false);
    const bool plugged = std::exchange(mHeldPlug, false);
    if (unplugged)
        deviceDisconnected(QString());
    else if (plugged)
        deviceConnected(QString());
}

bool MainWindow::isTransferRunning() const
{
    return mBusyHolders.contains(mOtherForm);
}

void MainWindow::on_minButton_clicked()
{
    window()->showMinimized();
}

void MainWindow::on_maxButton_clicked()
{
    if (isMaximized()) {
        setWindowState(Qt::WindowNoState);
        showNormal();
        qDebug("Window restored to normal size.");
    } else {
        setWindowState(Qt::WindowMaximized);
        showMaximized();
        qDebug("Window maximized.");
    }
    update();
}

void MainWindow::on_exitButton_clicked()
{
    window()->close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    qDebug("MainWindow closeEvent");
    // Without a system tray the icon is "shown" nowhere: hiding would leave nothing to bring the
    // window back, so the close goes through as it does for a hidden icon.
    if (gSystemConfig && gSystemConfig->getCloseMin() && mTrayIcon && mTrayIcon->isVisible() && systemTrayAvailable()) {
        hide();
        mTrayIcon->showMessage(tr("提示"), tr("程序已最小化到托盘"),
                               QSystemTrayIcon::Information, kTrayNoticeMs);
        event->ignore();
        return;
    }
    event->accept();
}

bool MainWindow::systemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::changeEvent(QEvent *event)
{
    // The shared prompt window follows the window's state: what it does, and the line logged. It
    // follows the activation of its own widget's window by itself.
    void (CustomToolTip::*follow)() = nullptr;
    const char *message = nullptr;
    if (event->type() == QEvent::ActivationChange) {
        message = isActiveWindow() ? "Window is now active" : "Window is now inactive";
    } else if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates before = static_cast<QWindowStateChangeEvent *>(event)->oldState();
        const Qt::WindowStates now = windowState();
        const bool wasMax = before.testFlag(Qt::WindowMaximized);
        const bool isMax = now.testFlag(Qt::WindowMaximized);
        const bool wasMin = before.testFlag(Qt::WindowMinimized);
        const bool isMin = now.testFlag(Qt::WindowMinimized);
        if (wasMax != isMax) {
            follow = &CustomToolTip::windowsChange;
            message = wasMax ? "Window restored from maximized state" : "Window maximized";
        } else if (wasMin != isMin) {
            follow = wasMin ? &CustomToolTip::restoreMinimized : &CustomToolTip::changeMinimized;
            message = wasMin ? "Window restored from minimized state" : "Window minimized";
        }
    }
    if (message) {
        if (CustomToolTip *tip = gCustomToolTip.data(); tip && follow)
            (tip->*follow)();
        qDebug("%s", message);
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::initializeSystemTray()
{
    mTrayIcon = new QSystemTrayIcon(this);
    mTrayIcon->setIcon(QIcon(QString::fromLatin1(kTrayIcon)));
    mTrayIcon->setToolTip(QCoreApplication::applicationName());
    mTrayIcon->showMessage(tr("磁性键盘"), tr("点击恢复显示"), QSystemTrayIcon::Information, kTrayWelcomeMs);

    mTrayMenu = new QMenu(this);
    mTrayMenu->addAction(QString(), this, &QWidget::hide);
    mTrayMenu->addAction(QString(), this, &QWidget::showMaximized);
    mTrayMenu->addAction(QString(), this, &QWidget::showNormal);
    mTrayMenu->addSeparator();
    mTrayMenu->addAction(QString(), qApp, &QCoreApplication::quit);
    retranslateTrayMenu();
    mTrayIcon->setContextMenu(mTrayMenu);

    connect(mTrayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onTrayIconActivated);
    mTrayIcon->show();
}

void MainWindow::onTrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        restoreWindow();
}

void MainWindow::restoreWindow()
{
    showNormal();
    activateWindow();
    setWindowState(Qt::WindowMaximized);
}

void MainWindow::setupLogo()
{
    const QPixmap logo(AppPaths::dataDir() + QStringLiteral("/logo-plus.png"));
    if (logo.isNull())
        return;
    // Before the first layout the label has not its size yet; its minimum is the size it gets.
    const QSize size = ui->logoLabel->size().expandedTo(ui->logoLabel->minimumSize());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QSize target(int(std::lround(size.width() * ratio)), int(std::lround(size.height() * ratio)));
    QPixmap scaled = logo.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    ui->logoLabel->setAlignment(Qt::AlignCenter);
    ui->logoLabel->setScaledContents(false);
    ui->logoLabel->setPixmap(scaled);
}

void MainWindow::refreshLanguageUi()
{
    // The form's texts carry the form's own title: the window's title follows them.
    ui->retranslateUi(this);
    setWindowTitle(tr("磁性键盘"));
    retranslateTrayMenu();
    gToolTipUtil.reset(new ToolTipUtil);
    applyToolTips();
}

void MainWindow::applyToolTips()
{
    if (!gToolTipUtil)
        return;
    const std::pair<QWidget *, const char *> buttons[] = {
        {ui->deviceButton, "MainWindow/deviceButton"}, {ui->firewareButton, "MainWindow/firewareButton"},
        {ui->settingButton, "MainWindow/settingButton"}, {ui->addButton, "MainWindow/addButton"},
        {ui->deButton, "MainWindow/deButton"},         {ui->exportButton, "MainWindow/exportButton"},
        {ui->importButton, "MainWindow/importButton"},
    };
    for (const auto &[button, key] : buttons)
        gToolTipUtil->setToolTipFromFile(button, QString::fromLatin1(key));
}

void MainWindow::retranslateTrayMenu()
{
    const QList<QAction *> actions = mTrayMenu->actions();
    const QString texts[] = {tr("窗口最小化"), tr("窗口最大化"), tr("恢复原始大小"), QString(), tr("退出")};
    for (int i = 0; i < actions.size() && i < int(std::size(texts)); ++i)
        actions[i]->setText(texts[i]);
}
