#include "storage/FileTransfer.h"

#include "storage/TransferWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

const char *const FileTransfer::TooLargeError = "File too large";

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

QString FileTransfer::digest() const
{
    return mDigest;
}

QString FileTransfer::start(const QUrl &url, const QString &filePath, qint64 maxBytes)
{
    if (mReply)
        return QStringLiteral("Another download in progress");

    mFile.setFileName(filePath);
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    if (!mFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("Cannot open file for writing");

    mWriteFailed = false;
    mHash.reset();
    mDigest.clear();
    mReply = mManager->get(QNetworkRequest(url));
    mWatch = new TransferWatch(mReply, maxBytes);
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
    // Data past the bound are not written: the watch has aborted the reply, which ended the
    // transfer from inside this call if it was still running.
    if (!mWatch->take(data.size()))
        return true;
    mHash.addData(data);
    return mFile.write(data) == data.size();
}

void FileTransfer::readAvailable()
{
    if (!mReply || mWriteFailed)
        return;
    if (!store(mReply->readAll()) && mReply) {
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

    if (!mWriteFailed && reply->error() == QNetworkReply::NoError && (!store(reply->readAll()) || !mFile.flush()))
        mWriteFailed = true;
    QString failure;
    if (mWriteFailed)
        failure = QStringLiteral("Cannot write file");
    else if (mWatch->outcome() == TransferWatch::Outcome::TooLarge)
        failure = QString::fromLatin1(TooLargeError);
    else if (reply->error() != QNetworkReply::NoError)
        failure = reply->errorString();

    const QString fileName = mFile.fileName();
    mFile.close();
    if (failure.isEmpty())
        mDigest = QString::fromLatin1(mHash.result().toHex().toUpper());
    else
        mFile.remove();

    const auto release = [this, reply] {
        reply->disconnect(this);
        reply->deleteLater();
        mReply = nullptr;
        mWatch = nullptr;
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
