#include "storage/FileTransfer.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

FileTransfer::FileTransfer(IdleWhen idleWhen, QObject *parent)
    : QObject(parent), mIdleWhen(idleWhen), mManager(new QNetworkAccessManager(this))
{
}

FileTransfer::~FileTransfer()
{
    if (mReply) {
        mReply->disconnect(this);
        mReply->abort();
        mReply->deleteLater();
        mReply = nullptr;
        mFile.close();
        mFile.remove();
    }
}

bool FileTransfer::isRunning() const
{
    return mReply != nullptr;
}

QNetworkRequest FileTransfer::request(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(StallTimeoutMs);
    return request;
}

QString FileTransfer::start(const QUrl &url, const QString &filePath)
{
    if (mReply)
        return QStringLiteral("Another download in progress");

    mFile.setFileName(filePath);
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    if (!mFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("Cannot open file for writing");

    mWriteFailed = false;
    mReply = mManager->get(request(url));
    connect(mReply, &QNetworkReply::downloadProgress, this, &FileTransfer::progress);
    connect(mReply, &QNetworkReply::readyRead, this, &FileTransfer::readAvailable);
    connect(mReply, &QNetworkReply::finished, this, &FileTransfer::replyFinished);
    return QString();
}

void FileTransfer::cancel()
{
    if (mReply)
        mReply->abort();
}

bool FileTransfer::store(const QByteArray &data)
{
    if (data.isEmpty())
        return true;
    return mFile.write(data) == data.size();
}

void FileTransfer::readAvailable()
{
    if (!mReply || mWriteFailed)
        return;
    if (!store(mReply->readAll())) {
        // A full disk: the transfer cannot succeed any more.
        mWriteFailed = true;
        mReply->abort();
    }
}

void FileTransfer::replyFinished()
{
    QNetworkReply *reply = mReply;
    if (!reply)
        return;

    QString failure;
    if (mWriteFailed)
        failure = QStringLiteral("Cannot write file");
    else if (reply->error() != QNetworkReply::NoError)
        failure = reply->errorString();
    else if (!store(reply->readAll()) || !mFile.flush())
        failure = QStringLiteral("Cannot write file");

    const QString fileName = mFile.fileName();
    mFile.close();
    if (!failure.isEmpty())
        mFile.remove();

    const auto release = [this, reply] {
        reply->disconnect(this);
        reply->deleteLater();
        mReply = nullptr;
    };
    if (mIdleWhen == IdleWhen::BeforeReport)
        release();
    if (failure.isEmpty())
        Q_EMIT finished(fileName);
    else
        Q_EMIT error(failure);
    if (mIdleWhen == IdleWhen::AfterReport && mReply == reply)
        release();
}
