#include "app/FileDownloadUtil.h"

#include "storage/DownloadLimits.h"
#include "storage/FileTransfer.h"

#include <QDebug>

FileDownloadUtil::FileDownloadUtil(QObject *parent)
    : QObject(parent), mTransfer(new FileTransfer(FileTransfer::IdleWhen::BeforeReport, this))
{
    qInfo() << "=== FileDownloadUtil 文件下载对象创建 ===";
    connect(mTransfer, &FileTransfer::progress, this, &FileDownloadUtil::download_progress);
    connect(mTransfer, &FileTransfer::finished, this,
            [this](const QString &filePath) { Q_EMIT download_finished(mType, filePath); });
    connect(mTransfer, &FileTransfer::error, this,
            [this](const QString &error) { Q_EMIT download_error(mType, error); });
}

FileDownloadUtil::~FileDownloadUtil()
{
    qInfo() << "=== FileDownloadUtil 文件下载对象销毁 ===";
}

void FileDownloadUtil::download(const int &type, const QUrl &url, const QString &filePath)
{
    if (mTransfer->isRunning()) {
        Q_EMIT download_error(type, QStringLiteral("Another download in progress"));
        return;
    }
    mType = type;
    const qint64 maxBytes = type == ProductDatabase ? DownloadLimits::ProductDatabase : DownloadLimits::ResourcePackage;
    const QString refused = mTransfer->start(url, filePath, maxBytes);
    if (!refused.isEmpty())
        Q_EMIT download_error(type, refused);
}

void FileDownloadUtil::cancel()
{
    mTransfer->cancel();
}

bool FileDownloadUtil::isRunning() const
{
    return mTransfer->isRunning();
}
