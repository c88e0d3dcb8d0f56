// The main window's profile list (switch, add, delete, rename, the keyboard's own change notice)
// and its configuration export and import commands.
#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/DeviceManageForm.h"
#include "app/QConfigListDelegate.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/PageDialogs.h"
#include "pages/keys/LightSetForm.h"
#include "pages/tuning/AlignSetForm.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigWriteDatabase.h"
#include "storage/ImportConfigUtil.h"
#include "storage/SyncConfigUtil.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QProgressDialog>
#include <QStandardItemModel>
#include <QThread>
#include <QTimer>

#include <type_traits>
#include <utility>

namespace {
constexpr uchar kSource = 2;
constexpr int kToastMs = 2000;
// Time given to the keyboard to end live calibration reporting before a profile or transfer
// operation; the window goes on meanwhile.
constexpr int kAlignSettleMs = 100;
constexpr uchar kRenameReply = 0xD6;
constexpr uchar kAddReply = 0xD8;
constexpr uchar kDeleteReply = 0xD9;

int profileCount()
{
    return gKeyboardConfig ? int(gKeyboardConfig->keyboardConfigList.size()) : 0;
}

int activeProfile()
{
    return gKeyboardConfig ? int(gKeyboardConfig->currentConfigIndex) : 0;
}

// The keyboard's active profile as a row of the list (0 for an empty list).
int activeRow()
{
    const int count = profileCount();
    return count > 0 ? qBound(0, activeProfile(), count - 1) : 0;
}

// What the user is told when a rename, add or delete failed; empty for other requests.
QString profileFailureText(uchar order)
{
    switch (order) {
    case kRenameReply: return MainWindow::tr("设置配置表信息失败！");
    case kAddReply: return MainWindow::tr("增加配置表失败！");
    case kDeleteReply: return MainWindow::tr("删除配置表失败！");
    default: return QString();
    }
}

// Stops a worker for good: it hears nothing more from the keyboard and tells nobody anything, a
// thread of its own is waited for, and it is then disposed of. Its work no longer holds the keyboard.
template <typename Worker>
void stopWorker(MainWindow *window, QPointer<Worker> &worker)
{
    if (!worker)
        return;
    Worker *stopping = worker;
    worker = nullptr;
    window->setKeyboardBusy(stopping, false);
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(stopping);
    stopping->disconnect();
    if constexpr (std::is_base_of_v<QThread, Worker>) {
        stopping->requestInterruption();
        stopping->wait();
    }
    stopping->deleteLater();
}
} // namespace

void MainWindow::setupProfileList()
{
    mConfigModel = new QStandardItemModel(this);
    ui->configListView->setModel(mConfigModel);
    ui->configListView->setItemDelegate(new QConfigListDelegate(ui->configListView));
    ui->configListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->configListView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(ui->configListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::onSelectionChanged);
    connect(mConfigModel, &QStandardItemModel::dataChanged, this, &MainWindow::onConfigNameEdited);

    if (!gUsbCommunicateUtil)
        return;
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    connect(protocol, &UsbCommunicateUtil::usb_receive_switch_config_table, this,
            &MainWindow::usb_receive_switch_config_table);
    connect(protocol, &UsbCommunicateUtil::usb_receive_add_config_table, this,
            &MainWindow::usb_receive_add_config_table);
    connect(protocol, &UsbCommunicateUtil::usb_receive_del_config_table, this,
            &MainWindow::usb_receive_del_config_table);
    connect(protocol, &UsbCommunicateUtil::usb_receive_set_config_info, this,
            &MainWindow::usb_receive_set_config_info);
    connect(protocol, &UsbCommunicateUtil::usb_receive_config_change, this, &MainWindow::usb_receive_config_change);
    connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &MainWindow::usb_communicate_error);
}

void MainWindow::initializeListView(int row)
{
    // Rebuilding the rows is no edit of a name.
    const QSignalBlocker blocker(mConfigModel);
    mConfigModel->clear();
    const int count = profileCount();
    for (int i = 0; i < count; ++i) {
        const auto &config = gKeyboardConfig->keyboardConfigList.at(i);
        mConfigModel->appendRow(new QStandardItem(config ? config->configName : QString()));
    }
    ui->configListView->reset();
    selectListRow(row);
    ui->deButton->setVisible(count >= 2);
}

void MainWindow::selectListRow(int row)
{
    if (row < 0 || row >= mConfigModel->rowCount())
        return;
    QItemSelectionModel *selection = ui->configListView->selectionModel();
    selection->clear();
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    selection->setCurrentIndex(mConfigModel->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

void MainWindow::setListSelectable(bool selectable)
{
    ui->configListView->setSelectionMode(selectable ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::NoSelection);
    // While a profile operation runs no second one can start.
    for (QWidget *button : {static_cast<QWidget *>(ui->addButton), static_cast<QWidget *>(ui->deButton),
                            static_cast<QWidget *>(ui->importButton), static_cast<QWidget *>(ui->exportButton)})
        button->setEnabled(selectable);
}

void MainWindow::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}

void MainWindow::returnToActiveProfile()
{
    mConfigRow = activeRow();
    selectListRow(mConfigRow);
}

void MainWindow::sendProfileRequest(void (UsbCommunicateUtil::*request)(const uchar &, const bool &, const uchar &),
                                    uchar index)
{
    // Live calibration reporting ends first; the request follows once the keyboard has had a
    // moment for it. The list takes no other choice meanwhile.
    setListSelectable(false);
    setKeyboardBusy(this, true);
    mProfilesBeforeRequest = profileCount();
    mAlignForm->exitAlign(true);
    QTimer::singleShot(kAlignSettleMs, this, [this, request, index] {
        // Not once the window has let go of the keyboard meanwhile.
        if (gUsbCommunicateUtil && mBusyHolders.contains(this))
            (gUsbCommunicateUtil.data()->*request)(kSource, true, index);
    });
}

void MainWindow::onSelectionChanged(const QItemSelection &selected, const QItemSelection &)
{
    if (selected.isEmpty() || selected.indexes().isEmpty())
        return;
    const QModelIndex index = selected.indexes().first();
    if (!mConfigModel->itemFromIndex(index))
        return;
    mConfigRow = index.row();
    if (mConfigRow == activeProfile())
        return;
    qDebug() << "切换配置表:" << mConfigRow << "当前配置表:" << activeProfile();
    sendProfileRequest(&UsbCommunicateUtil::usb_switch_config_table, uchar(mConfigRow));
}

void MainWindow::on_addButton_clicked()
{
    sendProfileRequest(&UsbCommunicateUtil::usb_add_config_table, uchar(qMax(mConfigRow, 0)));
}

void MainWindow::on_deButton_clicked()
{
    if (profileCount() < 2)
        return;
    sendProfileRequest(&UsbCommunicateUtil::usb_del_config_table, uchar(qMax(mConfigRow, 0)));
}

void MainWindow::onConfigNameEdited(const QModelIndex &topLeft, const QModelIndex &, const QList<int> &)
{
    const QStandardItem *item = mConfigModel->itemFromIndex(topLeft);
    if (!item || !gUsbCommunicateUtil)
        return;
    mConfigName = item->text();
    mRenamedRow = item->row();
    setListSelectable(false);
    setKeyboardBusy(this, true);
    // The profile whose name was edited is renamed.
    gUsbCommunicateUtil->usb_set_config_info(kSource, true, uchar(item->row()), mConfigName);
}

bool MainWindow::isOwnReply(const char *slot, uchar source) const
{
    if (source == kSource)
        return true;
    qDebug() << slot << "数据来源不匹配" << source;
    return false;
}

void MainWindow::setKeyboardBusy(const QObject *holder, bool busy)
{
    const bool wasBusy = isKeyboardBusy();
    if (busy)
        mBusyHolders.insert(holder);
    else
        mBusyHolders.remove(holder);
    // Once the last work has ended, whoever ended it finishes its own handling first.
    if (wasBusy && !isKeyboardBusy())
        QMetaObject::invokeMethod(this, &MainWindow::takeKeptNotice, Qt::QueuedConnection);
}

bool MainWindow::isKeyboardBusy() const
{
    return !mBusyHolders.isEmpty();
}

void MainWindow::usb_receive_switch_config_table(uchar source, int, int)
{
    if (isOwnReply("usb_receive_switch_config_table", source))
        synchConfiguration();
}

void MainWindow::usb_receive_add_config_table(uchar source, int, int)
{
    if (isOwnReply("usb_receive_add_config_table", source))
        synchConfiguration();
}

void MainWindow::usb_receive_del_config_table(uchar source, int, int)
{
    if (isOwnReply("usb_receive_del_config_table", source))
        synchConfiguration();
}

void MainWindow::usb_receive_set_config_info(uchar source, int, int)
{
    if (isOwnReply("usb_receive_set_config_info", source))
        synchConfiguration();
}

void MainWindow::usb_receive_config_change(uchar source, uchar type, uchar item)
{
    if (!isOwnReply("usb_receive_config_change", source) || type != 0)
        return;
    // Only the latest notice counts; it waits while other work holds the keyboard.
    mNoticeKept = true;
    mKeptNoticeItem = item;
    takeKeptNotice();
}

void MainWindow::takeKeptNotice()
{
    mDeviceForm->takeKeptRead();
    const int page = ui->stackedWidget->currentIndex();
    if (!mNoticeKept || isKeyboardBusy() || page < KeyPage || page > OtherPage)
        return;
    mNoticeKept = false;
    // A keyboard that went while the work ran is not read.
    if (!mDeviceForm->keyboardReachable())
        return;
    // A read that began after the change has shown the new profile already.
    if (mKeptNoticeItem == activeProfile())
        return;
    mConfigRow = mKeptNoticeItem;
    synchConfiguration();
}

bool MainWindow::keyboardActed(uchar order) const
{
    if (order == kRenameReply) {
        const auto &profiles = gKeyboardConfig->keyboardConfigList;
        const auto renamed = profiles.value(mRenamedRow);
        return renamed && renamed->configName == mConfigName;
    }
    const int count = profileCount();
    return order == kAddReply ? count > mProfilesBeforeRequest : count < mProfilesBeforeRequest;
}

void MainWindow::usb_communicate_error(uchar source, uchar order, int error)
{
    qDebug().noquote() << "通讯失败 来源:" << source << "命令:"
                       << QStringLiteral("%1").arg(order, 2, 16, QLatin1Char('0')).toUpper() << "错误:" << error;
    if (!isOwnReply("usb_communicate_error", source))
        return;
    // A request the window no longer awaits (it let go of the keyboard meanwhile) is over for it.
    if (!mBusyHolders.contains(this)) {
        qDebug() << "usb_communicate_error 没有等待中的请求";
        return;
    }
    const bool unanswered = error == UsbCommunicateUtil::ErrorNoReply && mDeviceForm->keyboardReachable();
    if ((order == kAddReply || order == kDeleteReply || order == kRenameReply) && unanswered) {
        // The keyboard may have acted without its answer arriving in time: the profiles it holds
        // now tell, and the user hears of a failure only when it did not act.
        mUnansweredOrder = order;
        synchConfiguration();
        return;
    }
    if (order == 0xD5)
        returnToActiveProfile();
    else if (const QString text = profileFailureText(order); !text.isEmpty())
        showToast(text);
    if (order == kRenameReply)
        initializeListView(mConfigRow); // the edited name goes back to the keyboard's
    setListSelectable(true);
    setKeyboardBusy(this, false);
}

void MainWindow::synchConfiguration()
{
    openProgressDialog(tr("键盘数据同步中"));
    stopWorker(this, mSyncConfig);
    mSyncConfig = new SyncConfigUtil(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeConfigInfo, 0, QString());
    connect(mSyncConfig, &SyncConfigUtil::sync_config_result, this, &MainWindow::sync_config_result);
    setKeyboardBusy(mSyncConfig, true);
    // A profile request that led here has ended: the read holds the keyboard now.
    setKeyboardBusy(this, false);
    mSyncConfig->startSync();
}

void MainWindow::sync_config_result(bool status, int value)
{
    if (status && value < 100) {
        if (mProgressDialog)
            mProgressDialog->setValue(value);
        return;
    }
    stopWorker(this, mSyncConfig);
    closeProgressDialog();
    setListSelectable(true);
    const uchar unanswered = std::exchange(mUnansweredOrder, uchar(0));
    if (!status) {
        showToast(unanswered ? profileFailureText(unanswered) : tr("读取配置失败"));
        // The list shows the names the model holds again, not one typed meanwhile.
        mConfigRow = activeRow();
        initializeListView(mConfigRow);
        return;
    }
    mLightForm->resetLightSelect();
    refreshAllInterface();
    if (unanswered && !keyboardActed(unanswered))
        showToast(profileFailureText(unanswered));
}

void MainWindow::refreshAllInterface()
{
    // The keyboard has just told which of its profiles is active; a deleted last row or a stale
    // choice gives way to it.
    followActiveProfile();
    repaintEditingPage(ui->stackedWidget->currentIndex());
}

void MainWindow::followActiveProfile()
{
    mConfigRow = activeRow();
    if (gKeyboardConfig)
        gKeyboardConfig->currentConfigIndex = uchar(mConfigRow);
    initializeListView(mConfigRow);
}

void MainWindow::on_exportButton_clicked()
{
    // The caption and the filter of the save dialog stay as they are in every language.
    const QString fileName = PageDialogs::saveFileName(nullptr, QStringLiteral("保存文件"), QString(),
                                                       QStringLiteral("配置文件 (*.aaa);; 所有文件 (*.*)"));
    if (fileName.isEmpty())
        return;
    mAlignForm->exitAlign(true);
    stopWorker(this, mConfigWrite);
    // The worker copies the keyboard model here, on the main thread, before the pause lets the
    // window change it.
    mConfigWrite = new ConfigWriteDatabase(fileName);
    connect(mConfigWrite, &ConfigWriteDatabase::config_write_result, this, &MainWindow::config_write_result);
    setKeyboardBusy(mConfigWrite, true);
    openProgressDialog(tr("导出配置中......"));
    QTimer::singleShot(kAlignSettleMs, mConfigWrite, [worker = mConfigWrite] { worker->start(); });
}

void MainWindow::config_write_result(bool status, int value)
{
    if (status && value < 100) {
        if (mProgressDialog)
            mProgressDialog->setValue(value);
        return;
    }
    stopWorker(this, mConfigWrite);
    closeProgressDialog();
    showToast(status ? tr("写入配置成功") : tr("写入配置失败"));
}

void MainWindow::on_importButton_clicked()
{
    const QString fileName =
        PageDialogs::openFileName(this, tr("选择配置文件"), QString(), tr("配置文件(*.aaa);;所有文件(*)"));
    if (fileName.isEmpty())
        return;
    mAlignForm->exitAlign(true);
    stopWorker(this, mImportConfig);
    // A child of the window: a window that goes takes the import with it, which stops its reading
    // and waits for its thread.
    mImportConfig = new ImportConfigUtil(fileName, this);
    connect(mImportConfig, &ImportConfigUtil::import_config_result, this, &MainWindow::import_config_result);
    setKeyboardBusy(mImportConfig, true);
    openProgressDialog(tr("导入配置中......"));
    QTimer::singleShot(kAlignSettleMs, mImportConfig, [worker = mImportConfig] { worker->start(); });
}

void MainWindow::import_config_result(bool status, int value)
{
    if (status && value < 100) {
        if (mProgressDialog)
            mProgressDialog->setValue(value);
        return;
    }
    const bool keyboardWritten = mImportConfig && mImportConfig->isKeyboardWritten();
    stopWorker(this, mImportConfig);
    closeProgressDialog();
    if (status) {
        showToast(tr("导入配置成功"));
        setListSelectable(true);
        refreshAllInterface();
        return;
    }
    showToast(tr("导入配置失败"));
    // Part of the file may have reached the keyboard: show what it really holds now, unless it has
    // gone or can no longer be written to (a read would fail at once and cover this notice). Nor
    // is a wireless keyboard's read kept meanwhile made then.
    if (value == UsbCommunicateUtil::ErrorWrite)
        mDeviceForm->dropKeptRead();
    else if (keyboardWritten && mDeviceForm->keyboardReachable())
        synchConfiguration();
}

void MainWindow::stopWorkers()
{
    stopWorker(this, mSyncConfig);
    stopWorker(this, mImportConfig);
}

void MainWindow::stopExport()
{
    stopWorker(this, mConfigWrite);
}
