#include "storage/DownloadManager.h"

#include "storage/FileTransfer.h"

DownloadManager::DownloadManager(QObject *parent)
    : QObject(parent), mTransfer(new FileTransfer(FileTransfer::IdleWhen::AfterReport, this))
{
    connect(mTransfer, &FileTransfer::progress, this, &DownloadManager::progress);
    connect(mTransfer, &FileTransfer::finished, this, &DownloadManager::finished);
    connect(mTransfer, &FileTransfer::error, this, &DownloadManager::error);
}

void DownloadManager::download(const QUrl &url, const QString &filePath, qint64 maxBytes)
{
    const QString refused = mTransfer->start(url, filePath, maxBytes);
    if (!refused.isEmpty())
        Q_EMIT error(refused);
}

void DownloadManager::cancel()
{
    mTransfer->cancel();
}

bool DownloadManager::isRunning() const
{
    return mTransfer->isRunning();
}

QString DownloadManager::digest() const
{
    return mTransfer->digest();
}
