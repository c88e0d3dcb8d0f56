#include "pages/tuning/OtherSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "pages/common/PageDialogs.h"
#include "pages/common/PageTitleBar.h"
#include "pages/tuning/FirewareTransfer.h"
#include "pages/tuning/FirewareVersion.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/DownloadLimits.h"
#include "storage/DownloadManager.h"
#include "storage/UpdateServer.h"
#include "widgets/QModalProgressDialog.h"
#include "widgets/QToastBox.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {
constexpr int kToastMs = 2000;
constexpr uchar kResetReply = 0xE1;

QString hex2(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QPushButton *actionButton(const char *name, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(80, 40);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel *label(const char *name, QWidget *parent, int minimumWidth)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumSize(minimumWidth, 40);
    return l;
}
} // namespace

OtherSetForm::OtherSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OtherSetForm"));
    mUpdateChecker = new UpdateChecker(this);
    mDownloadManager = new DownloadManager(this);
    // The transfer hears of the protocol's replies and failures before the page does.
    mTransfer = new FirewareTransfer(this);
    buildForm();
    QMetaObject::connectSlotsByName(this);
    if (gUsbCommunicateUtil) {
        UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
        connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &OtherSetForm::usb_communicate_error);
        connect(protocol, &UsbCommunicateUtil::usb_receive_reset_keyboard, this, &OtherSetForm::usb_receive_reset_keyboard);
    }
    connect(mUpdateChecker, &UpdateChecker::updateAvailable, this, &OtherSetForm::onUpdateAvailable);
    connect(mUpdateChecker, &UpdateChecker::checkError, this, &OtherSetForm::onUpdateError);
    connect(mDownloadManager, &DownloadManager::progress, this, &OtherSetForm::onDownloadProgress);
    connect(mDownloadManager, &DownloadManager::finished, this, &OtherSetForm::onDownloadFinished);
    connect(mDownloadManager, &DownloadManager::error, this, &OtherSetForm::onUpdateError);
    connect(mTransfer, &FirewareTransfer::progress, this, [this](int percent) {
        if (mProgressDialog)
            mProgressDialog->setValue(percent);
    });
    connect(mTransfer, &FirewareTransfer::finished, this, &OtherSetForm::transferFinished);
    refreshLanguageUi();
    qInfo().noquote() << "=== 其他设置页面初始化 ===";
}

OtherSetForm::~OtherSetForm()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    mUpdateChecker->disconnect(this);
    mDownloadManager->disconnect(this);
    mTransfer->disconnect(this);
    closeProgress();
    qInfo().noquote() << "=== 其他设置页面销毁 ===";
}

void OtherSetForm::buildForm()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(24);
    mTitleBar = new PageTitleBar(PageTitleBar::OtherPage, this);
    layout->addWidget(mTitleBar);

    auto *groups = new QWidget(this);
    groups->setObjectName(QStringLiteral("groupsWidget"));
    groups->setFixedWidth(900);
    auto *column = new QVBoxLayout(groups);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    // A group: its labels one above the other on the left, its button on the right.
    const auto group = [groups, column](const char *name, std::initializer_list<QLabel *> labels, QPushButton *button) {
        auto *widget = new QWidget(groups);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setAttribute(Qt::WA_StyledBackground);
        auto *row = new QHBoxLayout(widget);
        row->setContentsMargins(24, 16, 24, 16);
        row->setSpacing(16);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(0);
        for (QLabel *l : labels)
            texts->addWidget(l);
        row->addLayout(texts, 1);
        row->addWidget(button);
        column->addWidget(widget);
        return widget;
    };

    mVersionLabel = label("versionFireLabel", groups, 200);
    mSyncButton = actionButton("syncFireBtn", groups);
    group("firmwareWidget", {mVersionLabel}, mSyncButton);
    mNewFireLabel = label("newFireLabel", groups, 0);
    mNewFireButton = actionButton("newFireBtn", groups);
    // Nothing to show there: the version check answers in its own messages.
    group("widget_2", {mNewFireLabel}, mNewFireButton)->hide();
    mResetTitleLabel = label("resetTitleLabel", groups, 200);
    mResetPromptLabel = label("otherResetPromptLabel", groups, 360);
    mResetPromptLabel->setWordWrap(true);
    mResetButton = actionButton("resetBtn", groups);
    group("resetWidget", {mResetTitleLabel, mResetPromptLabel}, mResetButton);
    mDataTitleLabel = label("fireDataTitleLabel", groups, 200);
    mDataButton = actionButton("fireDataBtn", groups);
    group("fireDataWidget", {mDataTitleLabel}, mDataButton);

    auto *centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(groups);
    centred->addStretch(1);
    layout->addLayout(centred);
    layout->addStretch(1);
}

void OtherSetForm::repaintInterface()
{
    mShown = true;
    mTitleBar->checkCurrent();
    showVersion();
}

void OtherSetForm::exitInterface()
{
    mShown = false;
    mChecking = false;
    mResetFlag = false;
    if (mDownloadManager->isRunning())
        mDownloadManager->cancel();
    // Frames have gone out: the keyboard waits for the rest.
    if (mTransfer->isRunning()) {
        qInfo().noquote() << "=== OtherSetForm 离开页面，传输继续 ===";
        return;
    }
    closeProgress();
}

void OtherSetForm::showVersion()
{
    const auto product = gKeyboardConfig ? gKeyboardConfig->keyboardProductInfo : nullptr;
    mVersionLabel->setText(tr("键盘固件版本：V") +
                           (product ? global_versionConversion(product->version) : QStringLiteral("-")));
}

void OtherSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
    mTitleBar->refreshLanguageUi();
    mSyncButton->setText(tr("更新固件"));
    mNewFireLabel->setText(tr("暂无新版本"));
    mNewFireButton->setText(tr("查看新版本"));
    mResetTitleLabel->setText(tr("恢复出厂设置"));
    mResetButton->setText(tr("立即恢复"));
    mResetPromptLabel->setText(tr("所有设置将恢复到出厂状态，请谨慎操作。"));
    mDataTitleLabel->setText(tr("磁性键盘固件数据"));
    mDataButton->setText(tr("更新数据"));
    showVersion();
}

bool OtherSetForm::busy() const
{
    return mChecking || mDownloadManager->isRunning() || mTransfer->isRunning() || mResetFlag;
}

void OtherSetForm::on_syncFireBtn_clicked()
{
    if (busy() || !gKeyboardConfig || !gKeyboardConfig->productInfo)
        return;
    mChecking = true;
    mUpdateChecker->checkForUpdate(UpdateServer::firmwareVersionUrl(gKeyboardConfig->productInfo->productData));
}

void OtherSetForm::onUpdateAvailable(VersionInfo info)
{
    if (!mChecking)
        return;
    mChecking = false;
    const auto product = gKeyboardConfig ? gKeyboardConfig->keyboardProductInfo : nullptr;
    const QString current = product ? global_versionConversion(product->version) : QString();
    const std::optional<int> order = FirewareVersion::compare(info.version, current);
    qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件版本 server={%1};keyboard={%2} ===").arg(info.version, current);
    if (!order) {
        showToast(tr("更新错误: ") + QStringLiteral("Invalid version info format"));
        return;
    }
    if (*order <= 0) {
        showToast(tr("没有新版本"));
        return;
    }
    mVersionInfo = info;
    const QString text = tr("发现新版本 %1\n\n更新内容:\n%2\n\n是否立即下载更新?").arg(info.version, info.description);
    if (!PageDialogs::ask(nullptr, QMessageBox::Question, tr("发现新版本"), text, tr("是"), tr("否")))
        return;
    // A private folder: a file of a fixed name in the shared temporary folder could be made or
    // swapped by another user between the download and the flashing.
    mDownloadDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Quillomatrix-XXXXXX"));
    if (!mDownloadDir->isValid()) {
        onUpdateError(QStringLiteral("Cannot open file for writing"));
        return;
    }
    openProgress(tr("正在下载更新..."));
    const QString name = QFileInfo(info.url.path()).completeBaseName() + QStringLiteral(".bin");
    mDownloadManager->download(info.url, mDownloadDir->filePath(name), DownloadLimits::FirewareImage);
}

void OtherSetForm::onUpdateError(QString error)
{
    mChecking = false;
    closeProgress();
    if (mShown)
        showToast(tr("更新错误: ") + error);
}

void OtherSetForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    QModalProgressDialog::showTransfer(mProgressDialog, bytesReceived, bytesTotal);
}

void OtherSetForm::onDownloadFinished(QString filePath)
{
    closeProgress();
    if (!UpdateChecker::digestMatches(mDownloadManager->digest(), mVersionInfo.md5)) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件校验失败 %1 ===").arg(filePath);
        QFile::remove(filePath);
        showToast(tr("下载文件校验失败"));
        return;
    }
    if (PageDialogs::ask(nullptr, QMessageBox::Question, tr("同步"), tr("下载完成，是否同步键盘固件..."), tr("是"), tr("否")))
        startFlashing(filePath);
}

void OtherSetForm::startFlashing(const QString &filePath)
{
    startTransfer(FirewareTransfer::KeyboardImage, filePath);
}

void OtherSetForm::on_fireDataBtn_clicked()
{
    if (busy())
        return;
    const QString path = PageDialogs::openFileName(this, tr("选择固件数据文件"), QString(), tr("固件数据文件(*.bin);;所有文件(*)"));
    if (!path.isEmpty())
        startTransfer(FirewareTransfer::FirewareData, path);
}

void OtherSetForm::startTransfer(int kind, const QString &filePath)
{
    const bool image = kind == FirewareTransfer::KeyboardImage;
    const FirewareTransfer::Refusal refusal = mTransfer->start(FirewareTransfer::Kind(kind), filePath);
    switch (refusal) {
    case FirewareTransfer::Accepted:
        // A first frame that failed at once has already ended the transfer.
        if (mTransfer->isRunning()) {
            openProgress(image ? tr("下载键盘固件中，请不要执行其他操作") : tr("下载固件数据中，请不要执行其他操作"));
            Q_EMIT keyboardTransferRunning(true);
        }
        return;
    case FirewareTransfer::CannotOpen:
        if (image)
            showToast(tr("打开文件失败！"));
        else
            showInformation(tr("打开文件失败！"));
        return;
    case FirewareTransfer::Mismatch:
        showInformation(tr("固件数据不匹配！"));
        return;
    default:
        showInformation(image ? tr("下载固件失败！") : tr("下载固件数据失败！"));
        return;
    }
}

void OtherSetForm::transferFinished(bool ok)
{
    const bool image = mTransfer->kind() == FirewareTransfer::KeyboardImage;
    closeProgress();
    Q_EMIT keyboardTransferRunning(false);
    if (ok)
        showToast(image ? tr("固件升级成功，如果没连上设备，请重新拔插USB线！") : tr("固件数据下载成功！"), mShown ? this : window());
    else
        showInformation(image ? tr("下载固件失败！") : tr("下载固件数据失败！"));
}

void OtherSetForm::on_resetBtn_clicked()
{
    if (busy())
        return;
    if (!PageDialogs::ask(nullptr, QMessageBox::Question, tr("恢复出厂设置"), tr("你确定要恢复出厂设置吗？"), tr("确认"),
                          tr("取消")))
        return;
    openProgress(tr("恢复出厂设置中，请不要执行其他操作"));
    mResetFlag = true;
    sendKeyboardReset();
}

void OtherSetForm::sendKeyboardReset()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->usb_reset_keyboard(Source, true);
}

void OtherSetForm::usb_receive_reset_keyboard(uchar source, int, int)
{
    if (source != Source || !mResetFlag) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm usb_receive_reset_keyboard 忽略 source:{ %1 };flag={%2} ===")
                                 .arg(source)
                                 .arg(mResetFlag);
        return;
    }
    mResetFlag = false;
    closeProgress();
    showInformation(tr("恢复出厂设置成功！"));
    PageTitleBar::switchPage(this, 0);
}

void OtherSetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== OtherSetForm usb错误 source={%1};order={%2};error={%3}===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (source != Source) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    // A failed transfer has told the page already (FirewareTransfer::finished).
    if (!mTransfer->isRunning())
        closeProgress();
    if (order == kResetReply && mResetFlag) {
        mResetFlag = false;
        showInformation(tr("恢复出厂设置失败！"));
    }
}

void OtherSetForm::openProgress(const QString &label)
{
    closeProgress();
    mProgressDialog = new QModalProgressDialog(label);
}

void OtherSetForm::closeProgress()
{
    QModalProgressDialog::release(mProgressDialog);
}

void OtherSetForm::showToast(const QString &text, QWidget *over)
{
    auto *toast = new QToastBox(over ? over : this, text, kToastMs);
    toast->show();
}

void OtherSetForm::showInformation(const QString &text)
{
    PageDialogs::message(nullptr, QMessageBox::Information, tr("提示"), text);
}
