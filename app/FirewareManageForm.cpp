#include "app/FirewareManageForm.h"

#include "app/FirewareDownloadThread.h"
#include "app/HidAccessCheck.h"
#include "app/QFirewareItemWidget.h"
#include "app/ResourcePackage.h"
#include "model/AppPaths.h"
#include "model/SystemConfigUtil.h"
#include "storage/ProductDataUtil.h"
#include "widgets/QModalProgressDialog.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QGridLayout>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

bool gEntryBootFirewareFlag = false;

namespace {
constexpr int kColumns = 3;
constexpr int kSpacing = 20;
constexpr int kToastMs = 2000;
// The permission message names a device node and a command: it stays longer.
constexpr int kLongToastMs = 8000;
// After the keyboard accepted the whole image the full bar stays a moment before it closes.
constexpr int kSuccessPauseMs = 600;
} // namespace

FirewareManageForm::FirewareManageForm(QWidget *parent) : QWidget(parent)
{
    buildForm();
    qInfo() << "=== 固件管理页面初始化 ===";
}

FirewareManageForm::~FirewareManageForm()
{
    if (mFlashing)
        qInfo() << "=== 固件下载未完成：程序退出 ===";
    // The workers' threads end within one reply slice once asked to.
    for (const QPointer<FirewareDownloadThread> &worker : std::as_const(mWorkers)) {
        if (!worker)
            continue;
        disconnect(worker.data(), nullptr, this, nullptr);
        worker->requestInterruption();
        worker->wait();
        delete worker.data();
    }
    delete mProgressDialog.data();
    qInfo() << "=== 固件管理页面销毁 ===";
}

void FirewareManageForm::buildForm()
{
    setObjectName(QStringLiteral("FirewareManageForm"));
    resize(1260, 900);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(0);

    mScrollArea = new QScrollArea(this);
    mScrollArea->setObjectName(QStringLiteral("fireware_scroll_area"));
    mScrollArea->setWidgetResizable(false);
    layout->addWidget(mScrollArea);

    mScrollContents = new QWidget;
    mScrollContents->setObjectName(QStringLiteral("fireware_scroll_area_widget_contents"));
    mScrollContents->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    mGridLayout = new QGridLayout(mScrollContents);
    mGridLayout->setObjectName(QStringLiteral("gridLayout"));
    mGridLayout->setSpacing(kSpacing);
    mGridLayout->setContentsMargins(0, 0, 0, 0);
    mScrollArea->setWidget(mScrollContents);
    setWindowTitle(tr("Form"));
}

void FirewareManageForm::repaintInterface()
{
    mShown = true;
    gEntryBootFirewareFlag = true;
    mProductList.clear();
    if (gProductDataUtil)
        gProductDataUtil->getProductList(mProductList);
    removeGridLayout();
    initGridLayout();
}

void FirewareManageForm::exitInterface()
{
    mShown = false;
    if (mFlashing)
        qInfo() << "=== 离开固件页面，固件下载继续 ===";
    closeProgressDialog();
    releaseLinkWhenIdle();
}

bool FirewareManageForm::noticeDeviceRemoved()
{
    bool running = false;
    for (const QPointer<FirewareDownloadThread> &worker : std::as_const(mWorkers)) {
        if (worker && !worker->isFinished()) {
            worker->checkDeviceRemoved();
            running = true;
        }
    }
    return running;
}

void FirewareManageForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}

QString FirewareManageForm::getFirewareFileName(const QString &folder)
{
    if (!ResourcePackage::isSafeFolderName(folder))
        return QString();
    return AppPaths::dataDir() + QLatin1Char('/') + folder + QStringLiteral("/firmware.bin");
}

QString FirewareManageForm::getProductImages(const QString &folder)
{
    if (!ResourcePackage::isSafeFolderName(folder))
        return QString();
    const bool light = !gSystemConfig || gSystemConfig->getTheme() == 0;
    return AppPaths::dataDir() + QLatin1Char('/') + folder
           + (light ? QStringLiteral("/light/fireware_bg.png") : QStringLiteral("/dark/fireware_bg.png"));
}

QProgressDialog *FirewareManageForm::progressDialog() const
{
    return mProgressDialog;
}

bool FirewareManageForm::isFlashing() const
{
    return mFlashing;
}

void FirewareManageForm::setReplyTimeout(int ms)
{
    mReplyTimeoutMs = ms;
}

void FirewareManageForm::initGridLayout()
{
    int row = 0;
    int col = 0;
    int totalHeight = 0;
    int rowHeight = 0;
    for (int i = 0; i < mProductList.size(); ++i) {
        const QSharedPointer<PRODUCT_INFO> &product = mProductList.at(i);
        auto *tile = new QFirewareItemWidget(product->productName, getProductImages(product->productData), row, col);
        mGridLayout->addWidget(tile, row, col, Qt::AlignCenter);
        mGridLayout->setColumnStretch(col, 1);
        connect(tile, &QFirewareItemWidget::fireware_item_clicked, this, &FirewareManageForm::grid_Layout_Clicked);
        rowHeight = qMax(rowHeight, tile->minimumHeight());
        if (col == kColumns - 1) {
            mGridLayout->setRowStretch(row, 1);
            totalHeight += rowHeight;
            ++row;
            col = 0;
            rowHeight = 0;
        } else {
            ++col;
        }
    }
    mGridLayout->setRowStretch(row, 1);
    if (col > 0) {
        for (int empty = col; empty < kColumns; ++empty)
            mGridLayout->addWidget(new QWidget(mScrollContents), row, empty, Qt::AlignCenter);
        totalHeight += rowHeight;
    }
    const int rows = row + (col > 0 ? 1 : 0);
    mScrollContents->setMinimumHeight((rows + 2) * kSpacing + totalHeight);
    mScrollArea->setWidgetResizable(true);
}

void FirewareManageForm::removeGridLayout()
{
    while (mGridLayout->count() > 0) {
        QLayoutItem *item = mGridLayout->takeAt(mGridLayout->count() - 1);
        if (QWidget *widget = item->widget()) {
            if (auto *tile = qobject_cast<QFirewareItemWidget *>(widget))
                disconnect(tile, &QFirewareItemWidget::fireware_item_clicked, this,
                           &FirewareManageForm::grid_Layout_Clicked);
            // Placeholders go too; out of the page at once, deleted once the events under way are through.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
    for (int row = 0; row < mGridLayout->rowCount(); ++row)
        mGridLayout->setRowStretch(row, 0);
    for (int col = 0; col < mGridLayout->columnCount(); ++col)
        mGridLayout->setColumnStretch(col, 0);
}

void FirewareManageForm::grid_Layout_Clicked(bool flag, int row, int col)
{
    const int index = row * kColumns + col;
    if (flag || mFlashing || index < 0 || index >= mProductList.size())
        return;
    openProgressDialog();
    const QSharedPointer<PRODUCT_INFO> &product = mProductList.at(index);
    qInfo().noquote() << QStringLiteral("=== 固件下载开始 %1 ===").arg(product->productName);
    auto *worker = new FirewareDownloadThread(getFirewareFileName(product->productData), product->vendorId,
                                              product->productId, product->interface, product->serialNumber, nullptr);
    if (mReplyTimeoutMs > 0)
        worker->setReplyTimeout(mReplyTimeoutMs);
    connect(worker, &FirewareDownloadThread::fireware_download_result, this,
            &FirewareManageForm::fireware_download_result);
    // A worker lives until its thread has ended, whoever still holds it.
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, &FirewareManageForm::workerFinished);
    mWorkers.append(worker);
    mFirewareThread = worker;
    mFlashing = true;
    ++mFlashId;
    worker->start();
}

void FirewareManageForm::fireware_download_result(bool status, int value)
{
    FirewareDownloadThread *worker = mFirewareThread;
    if (!worker || sender() != worker)
        return;
    if (status && value < 100) {
        if (mProgressDialog)
            mProgressDialog->setValue(value);
        return;
    }
    mFlashing = false;
    if (status) {
        if (mProgressDialog)
            mProgressDialog->setValue(value);
        QTimer::singleShot(kSuccessPauseMs, this, [this, id = mFlashId] {
            // Unless another flashing started meanwhile.
            if (id != mFlashId)
                return;
            closeProgressDialog();
            releaseWorker();
        });
        return;
    }
    const QString denied = value == FirewareDownloadThread::ErrorOpenDevice ? worker->deniedDevicePath() : QString();
    closeProgressDialog();
    releaseWorker();
    // A flashing that outlived the page still tells how it ended, over the window.
    QWidget *over = mShown ? this : window();
    if (!denied.isEmpty())
        showToast(over, HidAccessCheck::deniedMessage(denied), kLongToastMs);
    else if (value == FirewareDownloadThread::ErrorDeviceGone)
        showToast(over, tr("键盘已断开，固件没有写完。请插上键盘，再写一次固件。"), kLongToastMs);
    else if (value == FirewareDownloadThread::ErrorBusy)
        showToast(over, tr("键盘一直忙，固件没有写完。请稍后再写一次固件。"), kLongToastMs);
    else
        showToast(over, tr("下载固件失败"), kToastMs);
}

void FirewareManageForm::openProgressDialog()
{
    closeProgressDialog();
    mProgressDialog = new QModalProgressDialog(tr("下载固件中，请不要执行其他操作"));
}

void FirewareManageForm::closeProgressDialog()
{
    QModalProgressDialog::release(mProgressDialog);
}

void FirewareManageForm::releaseWorker()
{
    mFlashing = false;
    if (mFirewareThread)
        disconnect(mFirewareThread, &FirewareDownloadThread::fireware_download_result, this,
                   &FirewareManageForm::fireware_download_result);
    mFirewareThread = nullptr;
}

void FirewareManageForm::workerFinished()
{
    mWorkers.removeAll(QPointer<FirewareDownloadThread>());
    releaseLinkWhenIdle();
}

void FirewareManageForm::releaseLinkWhenIdle()
{
    if (mShown)
        return;
    for (const QPointer<FirewareDownloadThread> &worker : std::as_const(mWorkers)) {
        if (worker && !worker->isFinished())
            return;
    }
    gEntryBootFirewareFlag = false;
}

void FirewareManageForm::showToast(QWidget *parent, const QString &text, int ms)
{
    auto *toast = new QToastBox(parent, text, ms);
    toast->show();
}
