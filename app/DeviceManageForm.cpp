#include "app/DeviceManageForm.h"

#include "app/FileDownloadUtil.h"
#include "app/FirewareManageForm.h"
#include "app/HidAccessCheck.h"
#include "app/MainWindow.h"
#include "app/QDeviceAddWidget.h"
#include "app/ResourcePackage.h"
#include "link/BluetoothFrame.h"
#include "link/BluetoothManager.h"
#include "link/UsbHidUtil.h"
#include "model/AppPaths.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ProductDataUtil.h"
#include "storage/SyncConfigUtil.h"
#include "storage/UpdateServer.h"
#include "widgets/QCustomProgressDialog.h"
#include "widgets/QModalProgressDialog.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>

namespace {
constexpr int kToastMs = 2000;
// The message on a keyboard this user may not open names a device node and a command.
constexpr int kDeniedToastMs = 8000;
// Progress reports below this value open no box: short reads finish without one.
constexpr int kPromptFromProgress = 10;
} // namespace

DeviceManageForm::DeviceManageForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DeviceManageForm"));
    buildForm();
    qInfo() << "=== 设备管理页面初始化 ===";

    mDownloader.reset(new FileDownloadUtil);
    connect(mDownloader.data(), &FileDownloadUtil::download_progress, this, &DeviceManageForm::onDownloadProgress);
    connect(mDownloader.data(), &FileDownloadUtil::download_finished, this, &DeviceManageForm::onDownloadFinished);
    connect(mDownloader.data(), &FileDownloadUtil::download_error, this, &DeviceManageForm::onUpdateError);
    if (gBluetoothManager)
        connect(gBluetoothManager.data(), &BluetoothManager::ble_discovery_finished, this,
                &DeviceManageForm::ble_discovery_finished);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::protocol_device_connected, this,
                &DeviceManageForm::protocol_device_connected);
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &DeviceManageForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_connect_wireless_device, this,
                &DeviceManageForm::usb_receive_connect_wireless_device);
        connect(protocol, &UsbCommunicateUtil::protocol_device_disconnected, this,
                &DeviceManageForm::protocol_device_disconnected);
    }
    setWindowTitle(tr("Form"));
}

DeviceManageForm::~DeviceManageForm()
{
    endDownloadWork();
    closePromptBox();
    releaseWorker();
    if (gBluetoothManager)
        gBluetoothManager->disconnect(this);
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    mDownloader->disconnect(this);
    qInfo() << "=== 设备管理页面销毁 ===";
    mDownloader.reset();
}

void DeviceManageForm::buildForm()
{
    resize(1260, 900);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mScrollArea = new QScrollArea(this);
    mScrollArea->setObjectName(QStringLiteral("scrollArea"));
    mScrollArea->setFrameShape(QFrame::NoFrame);
    mScrollArea->setMinimumSize(1260, 800);
    mScrollArea->setWidgetResizable(false);
    mScrollArea->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(mScrollArea);

    mScrollContents = new QWidget;
    mScrollContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    mScrollContents->setGeometry(0, 0, 1260, 900);
    mScrollContents->setMinimumSize(1260, 900);

    mGridWidget = new QWidget(mScrollContents);
    mGridWidget->setObjectName(QStringLiteral("gridLayoutWidget"));
    mGridWidget->setGeometry(0, 0, 20, 20);
    mGridLayout = new QGridLayout(mGridWidget);
    mGridLayout->setObjectName(QStringLiteral("gridLayout"));
    mGridLayout->setSpacing(20);
    mGridLayout->setContentsMargins(10, 10, 10, 10);
    mGridLayout->setSizeConstraint(QLayout::SetFixedSize);
    mScrollArea->setWidget(mScrollContents);
}

void DeviceManageForm::buildGrid()
{
    while (QLayoutItem *item = mGridLayout->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            if (auto *card = qobject_cast<QDeviceAddWidget *>(widget))
                disconnect(card, &QDeviceAddWidget::device_clicked, this, &DeviceManageForm::grid_Layout_Clicked);
            // Out of the page at once; deleted once the events under way are through.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }

    auto *card = new QDeviceAddWidget(0, 0, mGridWidget);
    mGridLayout->addWidget(card, 0, 0, Qt::AlignCenter);
    mGridLayout->addWidget(new QWidget(mGridWidget), 0, 1, Qt::AlignCenter);
    mGridLayout->addWidget(new QWidget(mGridWidget), 0, 2, Qt::AlignCenter);
    connect(card, &QDeviceAddWidget::device_clicked, this, &DeviceManageForm::grid_Layout_Clicked);

    int height = (mGridLayout->rowCount() + 2) * mGridLayout->spacing();
    for (int row = 0; row < mGridLayout->rowCount(); ++row) {
        int tallest = 0;
        for (int col = 0; col < mGridLayout->columnCount(); ++col) {
            if (QLayoutItem *item = mGridLayout->itemAtPosition(row, col); item && item->widget())
                tallest = qMax(tallest, item->widget()->minimumHeight());
        }
        height += tallest;
    }
    mScrollContents->setMinimumHeight(height);
    mScrollArea->setWidgetResizable(true);
    update();
}

void DeviceManageForm::repaintInterface(bool open)
{
    qInfo() << "=== DeviceManageForm repaintInterface open=" << open << "===";
    // A keyboard was unplugged or a new connection begins: the downloaded file is not waited for.
    dropDownloadWork();
    buildGrid();
    if (open)
        openLink();
}

void DeviceManageForm::exitInterface()
{
    dropDownloadWork();
    closePromptBox();
}

void DeviceManageForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    buildGrid();
}

void DeviceManageForm::grid_Layout_Clicked(int flag, int row, int col)
{
    qInfo() << "=== DeviceManageForm grid_Layout_Clicked" << flag << row << col << "===";
    if (flag != 0 || gEntryBootFirewareFlag)
        return;
    closeLink();
    openLink();
}

void DeviceManageForm::openLink()
{
    if (gEntryBootFirewareFlag || !gSystemConfig || !gUsbCommunicateUtil)
        return;
    if (gSystemConfig->getCommType() == 1) {
        displayBluetoothSearchPromptBox();
        mSearching = true;
        // Without an adapter the manager reports the end of the search from the event loop.
        if (gBluetoothManager)
            gBluetoothManager->startDeviceDiscovery();
        else
            QMetaObject::invokeMethod(this, "ble_discovery_finished", Qt::QueuedConnection, Q_ARG(bool, false));
        return;
    }
    if (gUsbHidUtil && gUsbHidUtil->getEffectUsbDeviceTotal() > 0)
        openCommunicate(0);
}

void DeviceManageForm::openCommunicate(int type)
{
    // Opening closes a link still open: the work on it goes first, so that nothing of it is
    // taken for the new keyboard's.
    closeLink();
    gUsbCommunicateUtil->openCommunicate(type);
}

void DeviceManageForm::ble_discovery_finished(bool flag)
{
    if (!mSearching)
        return;
    mSearching = false;
    closePromptBox();
    if (flag && gUsbCommunicateUtil)
        openCommunicate(1);
    else if (!flag)
        showToast(tr("未搜索到蓝牙"));
}

void DeviceManageForm::stopBluetoothSearch()
{
    if (!mSearching)
        return;
    mSearching = false;
    if (gBluetoothManager)
        gBluetoothManager->stopDeviceDiscovery();
}

void DeviceManageForm::protocol_device_connected()
{
    if (!gUsbCommunicateUtil)
        return;
    gUsbCommunicateUtil->communicateDevice();
    synchConfiguration();
}

void DeviceManageForm::usb_receive_connect_wireless_device(uchar state)
{
    if (state == 1) {
        // Never two reads side by side: a read, an import or a transfer under way ends first.
        mReadKept = mOtherWork && mOtherWork();
        if (!mReadKept)
            synchConfiguration();
    } else {
        // A keyboard that went again is not read.
        mReadKept = false;
        if (gStackedWidget) {
            gStackedWidget->setCurrentIndex(MainWindow::DevicePage);
            gStackedWidget->show();
        }
    }
}

void DeviceManageForm::synchConfiguration()
{
    mReadKept = false;
    // The new read sets the product up anew: a downloaded file still being taken in is not waited for.
    dropDownloadWork();
    releaseWorker();
    mSyncConfig = new SyncConfigUtil(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString(),
                                     nullptr);
    connect(mSyncConfig, &SyncConfigUtil::sync_config_result, this, &DeviceManageForm::sync_config_result);
    Q_EMIT keyboardBusyChanged(true);
    mSyncConfig->startSync();
}

void DeviceManageForm::releaseWorker()
{
    if (!mSyncConfig)
        return;
    disconnect(mSyncConfig, nullptr, this, nullptr);
    // A reply already queued for the worker must not drive it on until it is gone.
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(mSyncConfig);
    // The worker may be the sender of the signal being handled.
    mSyncConfig->deleteLater();
    mSyncConfig = nullptr;
    Q_EMIT keyboardBusyChanged(false);
}

void DeviceManageForm::setOtherWorkCheck(std::function<bool()> busy)
{
    mOtherWork = std::move(busy);
}

void DeviceManageForm::takeKeptRead()
{
    if (!mReadKept || (mOtherWork && mOtherWork()))
        return;
    // A keyboard that went while the work ran is not read.
    if (keyboardReachable())
        synchConfiguration();
    else
        mReadKept = false;
}

void DeviceManageForm::closeLink()
{
    mReadKept = false;
    // What a downloaded file was for goes with the link it was fetched over.
    dropDownloadWork();
    // The box a read shows goes with it: nothing would close it afterwards.
    if (mSyncConfig)
        closePromptBox();
    releaseWorker();
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->closeCommunicate();
}

bool DeviceManageForm::keyboardReachable() const
{
    if (!gUsbCommunicateUtil || !gUsbCommunicateUtil->checkCommunicateState())
        return false;
    return gUsbCommunicateUtil->checkBleCommunicateState() || (gUsbHidUtil && gUsbHidUtil->getEffectUsbDeviceTotal() > 0);
}

SyncConfigUtil *DeviceManageForm::syncWorker() const
{
    return mSyncConfig;
}

void DeviceManageForm::sync_config_result(bool status, int value)
{
    if (!status) {
        qWarning() << "=== DeviceManageForm 读取配置失败 error=" << value << "===";
        closePromptBox();
        closeLink();
        showToast(tr("读取配置失败"));
        return;
    }
    if (value < 100) {
        if (value >= kPromptFromProgress && !mPromptBox)
            displayPromptBox(tr("键盘数据同步中"));
        if (mPromptBox)
            mPromptBox->setValue(value);
        return;
    }
    releaseWorker();
    closePromptBox();
    initializeProduct(false);
}

void DeviceManageForm::initializeProduct(bool databaseFresh)
{
    if (!gKeyboardConfig)
        return;
    const auto &identity = gKeyboardConfig->keyboardProductInfo;
    const ushort serialNumber = identity ? identity->serialNumber : 0;
    if (gKeyboardConfig->initializeKeyboardConfig(serialNumber)) {
        openProduct();
        return;
    }
    qInfo() << "=== 产品数据库中没有产品" << serialNumber << "===";
    if (databaseFresh || !gSystemConfig || !gSystemConfig->isCheckAppData()) {
        abandonConnection(tr("没有匹配的产品，请联系厂家同步更新"));
        return;
    }
    displayPromptBox(tr("键盘数据同步中"));
    const QUrl url = UpdateServer::productDatabaseUrl();
    startDownload(FileDownloadUtil::ProductDatabase, url, QFileInfo(url.path()).completeBaseName() + QStringLiteral(".db3"));
}

void DeviceManageForm::openProduct()
{
    const QString folder = gKeyboardConfig->productInfo ? gKeyboardConfig->productInfo->productData : QString();
    if (!ResourcePackage::isSafeFolderName(folder)) {
        abandonConnection(tr("资源包解压失败"));
        return;
    }
    if (QFileInfo(QDir(AppPaths::dataDir()).filePath(folder)).isDir()) {
        showKeyPage();
        return;
    }
    displayPromptBox(tr("键盘数据同步中"));
    const QUrl url = UpdateServer::resourcePackageUrl(folder);
    startDownload(FileDownloadUtil::ResourcePackage, url, QFileInfo(url.path()).completeBaseName() + QStringLiteral(".zip"),
                  folder, gKeyboardConfig->productInfo->serialNumber);
}

void DeviceManageForm::startDownload(int type, const QUrl &url, const QString &fileName, const QString &packageFolder,
                                     ushort packageSerial)
{
    if (mDownloader->isRunning()) {
        qWarning() << "=== DeviceManageForm 下载进行中，不能开始" << url << "===";
        reportDownloadFailure();
        return;
    }
    mPackageFolder = packageFolder;
    mPackageSerial = packageSerial;
    // A private folder: a file of a fixed name in the shared temporary folder could be made or
    // swapped by another user before it is read.
    mDownloadDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Quillomatrix-XXXXXX"));
    if (!mDownloadDir->isValid()) {
        onUpdateError(type, QStringLiteral("Cannot open file for writing"));
        return;
    }
    mDownloader->download(type, url, mDownloadDir->filePath(fileName));
}

bool DeviceManageForm::modelIsPackageProduct(const QString &folder, ushort serialNumber) const
{
    const auto &product = gKeyboardConfig ? gKeyboardConfig->productInfo : QSharedPointer<PRODUCT_INFO>();
    return product && product->serialNumber == serialNumber && product->productData == folder;
}

void DeviceManageForm::showKeyPage()
{
    qInfo() << "=== DeviceManageForm 打开按键页面 ===";
    if (!gStackedWidget)
        return;
    const bool shown = gStackedWidget->currentIndex() == MainWindow::KeyPage;
    gStackedWidget->setCurrentIndex(MainWindow::KeyPage);
    gStackedWidget->show();
    if (shown)
        Q_EMIT keyPageRead();
}

void DeviceManageForm::abandonConnection(const QString &toast)
{
    closeLink();
    if (gKeyboardConfig)
        gKeyboardConfig->resetKeyboardConfig();
    showToast(toast);
}

void DeviceManageForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    QModalProgressDialog::showTransfer(mPromptBox, bytesReceived, bytesTotal);
}

void DeviceManageForm::onDownloadFinished(int type, QString filePath)
{
    // The file's folder lasts until the file has been used; a download started from here gets a
    // folder of its own.
    std::shared_ptr<QTemporaryDir> downloadDir(std::move(mDownloadDir));
    // The keyboard may have gone, or another one come, while the file was on its way.
    const bool linkUp = connectionGoesOn();
    if (type == FileDownloadUtil::ResourcePackage) {
        const QString folder = mPackageFolder;
        const ushort serialNumber = mPackageSerial;
        const QString dataDir = AppPaths::dataDir();
        takeInDownload(
            downloadDir, [filePath, dataDir, folder] {
                QString error;
                return ResourcePackage::install(filePath, dataDir, folder, &error) ? QString() : error;
            },
            [this, filePath, folder, serialNumber, linkUp](const QString &error) {
                // The package belongs to the product it was fetched for, whatever is connected now.
                const bool sameProduct = linkUp && connectionGoesOn() && modelIsPackageProduct(folder, serialNumber);
                if (!error.isEmpty()) {
                    qWarning() << "=== DeviceManageForm 资源包解压失败" << filePath << error << "===";
                    if (sameProduct)
                        abandonConnection(tr("资源包解压失败"));
                    return;
                }
                if (sameProduct)
                    showKeyPage();
            });
    } else if (type == FileDownloadUtil::ProductDatabase) {
        takeInDownload(
            downloadDir, [filePath] { return ProductDataUtil::checkDownloadedFile(filePath); },
            [this, filePath, linkUp](const QString &refusal) {
                if (gSystemConfig)
                    gSystemConfig->refreshCheckAppData();
                // A file that cannot be taken is a failed download: the database in use stays.
                if (!gProductDataUtil || !gProductDataUtil->refreshDatabaseFile(filePath, refusal)) {
                    qWarning() << "=== DeviceManageForm 产品数据库替换失败" << filePath << "===";
                    reportDownloadFailure();
                    return;
                }
                if (linkUp && connectionGoesOn())
                    initializeProduct(true);
            });
    } else {
        closePromptBox();
    }
}

bool DeviceManageForm::connectionGoesOn() const
{
    // A read under way belongs to a connection begun since.
    return gUsbCommunicateUtil && gUsbCommunicateUtil->checkCommunicateState() && !mSyncConfig;
}

void DeviceManageForm::takeInDownload(std::shared_ptr<QTemporaryDir> folder, std::function<QString()> work,
                                      std::function<void(const QString &)> done)
{
    dropDownloadWork();
    // The box of the download stays, busy, until the file has been taken in.
    mDownloadWorkBox = mPromptBox;
    if (mPromptBox) {
        QModalProgressDialog::showTransfer(mPromptBox, 0, 0);
        mPromptBox->show();
    }
    auto result = std::make_shared<QString>();
    // The worker and the page each hold the file's folder: it goes once both are through with it.
    QThread *worker = QThread::create([work = std::move(work), result, folder]() mutable {
        *result = work();
        folder.reset();
    });
    mDownloadWorkers.append(worker);
    mDownloadWork = worker;
    connect(worker, &QThread::finished, this, [this, worker, result, folder, done = std::move(done)]() mutable {
        worker->wait();
        mDownloadWorkers.removeOne(worker);
        worker->deleteLater();
        if (worker == mDownloadWork) {
            mDownloadWork = nullptr;
            closeDownloadWorkBox();
            done(*result);
        }
        folder.reset();
    });
    worker->start();
}

void DeviceManageForm::dropDownloadWork()
{
    if (!mDownloadWork)
        return;
    qInfo() << "=== DeviceManageForm 下载的文件不再需要 ===";
    // A check stops early; an unpack stops and leaves what was in place.
    mDownloadWork->requestInterruption();
    mDownloadWork = nullptr;
    closeDownloadWorkBox();
}

void DeviceManageForm::closeDownloadWorkBox()
{
    // Only the download's own box: a read begun meanwhile may show its own.
    if (mDownloadWorkBox && mDownloadWorkBox == mPromptBox)
        closePromptBox();
    mDownloadWorkBox = nullptr;
}

void DeviceManageForm::endDownloadWork()
{
    dropDownloadWork();
    for (QThread *worker : std::as_const(mDownloadWorkers))
        worker->requestInterruption();
    for (QThread *worker : std::as_const(mDownloadWorkers)) {
        worker->wait();
        delete worker;
    }
    mDownloadWorkers.clear();
}

bool DeviceManageForm::downloadWorkRunning() const
{
    return mDownloadWork != nullptr;
}

void DeviceManageForm::onUpdateError(int type, QString error)
{
    qWarning().noquote() << "=== DeviceManageForm onUpdateError error:{ " + error + " } ===" << type;
    mDownloadDir.reset();
    reportDownloadFailure();
}

void DeviceManageForm::reportDownloadFailure()
{
    closePromptBox();
    showToast(tr("找不到产品型号，请确认软件是否正确"));
}

void DeviceManageForm::usb_communicate_error(uchar source, uchar order, int error)
{
    if (source != UsbCommunicateUtil::SourceLink)
        return;
    qWarning().noquote() << QStringLiteral("=== DeviceManageForm usb错误 source={%1};order={%2};error={%3}===")
                                .arg(source)
                                .arg(order, 2, 16, QLatin1Char('0'))
                                .arg(error);
    closePromptBox();
    if (error != UsbCommunicateUtil::ErrorNoDevice && error != BLUETOOTH_ERROR_NOT_CONNECTED)
        return;
    // A keyboard that is there but may not be opened by this user is named, with the way out.
    const bool usb = gSystemConfig && gSystemConfig->getCommType() == 0;
    const QString denied = usb && error == UsbCommunicateUtil::ErrorNoDevice ? HidAccessCheck::deniedInterfacePath()
                                                                             : QString();
    if (denied.isEmpty())
        showToast(tr("打开设备失败"));
    else
        (new QToastBox(this, HidAccessCheck::deniedMessage(denied), kDeniedToastMs))->show();
    returnToUsb();
}

void DeviceManageForm::protocol_device_disconnected()
{
    qInfo() << "=== protocol_device_disconnected 关闭蓝牙设备 ===";
    closePromptBox();
    returnToUsb();
}

void DeviceManageForm::returnToUsb()
{
    closeLink();
    if (gSystemConfig)
        gSystemConfig->setCommType(0);
    if (gStackedWidget)
        gStackedWidget->setCurrentIndex(MainWindow::DevicePage);
}

void DeviceManageForm::showPromptBox(QCustomProgressDialog *box)
{
    closePromptBox();
    box->setMinimumWidth(300);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlags(box->windowFlags() | Qt::FramelessWindowHint);
    box->setMinimumDuration(0);
    mPromptBox = box;
}

void DeviceManageForm::displayPromptBox(const QString &text)
{
    auto *box = new QCustomProgressDialog(text, QString(), 0, 100, true, nullptr);
    showPromptBox(box);
    box->setValue(0);
    // Closing the box does not stop the read: the next report opens a new one.
    connect(box, &QProgressDialog::canceled, this, &DeviceManageForm::closePromptBox);
    connect(box, &QCustomProgressDialog::cancelClicked, this, &DeviceManageForm::closePromptBox);
    box->show();
}

void DeviceManageForm::displayBluetoothSearchPromptBox()
{
    auto *box = new QCustomProgressDialog(tr("正在搜索蓝牙，请稍候..."), tr("取消"), 0, 0, false, nullptr);
    showPromptBox(box);
    // Cancelling the search box stops the search (closePromptBox does).
    connect(box, &QProgressDialog::canceled, this, &DeviceManageForm::closePromptBox);
    connect(box, &QCustomProgressDialog::cancelClicked, this, &DeviceManageForm::closePromptBox);
    box->show();
}

void DeviceManageForm::closePromptBox()
{
    // A search whose box goes away is over.
    stopBluetoothSearch();
    if (!mPromptBox)
        return;
    QCustomProgressDialog *box = mPromptBox;
    mPromptBox = nullptr;
    box->disconnect(this);
    box->close();
    box->deleteLater();
}

QCustomProgressDialog *DeviceManageForm::promptBox() const
{
    return mPromptBox;
}

void DeviceManageForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}
