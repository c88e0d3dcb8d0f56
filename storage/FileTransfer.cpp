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
        abortReply();
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
    // The first error the reply reports ends the transfer, as its end does: a body that fails to
    // decompress reports one at once, but its reply finishes only once its read buffer is drained.
    connect(mReply, &QNetworkReply::errorOccurred, this, &FileTransfer::replyEnded);
    connect(mReply, &QNetworkReply::finished, this, &FileTransfer::replyEnded);
    return QString();
}

void FileTransfer::cancel()
{
    abortReply();
}

void FileTransfer::abortReply()
{
    // A reply that reported an error is over; aborting it would report a second one.
    if (mReply && mReply->error() == QNetworkReply::NoError)
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
    QNetworkReply *reply = mReply;
    if (!reply || mWriteFailed)
        return;
    const QByteArray data = reply->readAll();
    // Reading may have ended the transfer: a body that fails to decompress reports so from inside.
    if (mReply != reply)
        return;
    if (!store(data) && mReply) {
        // A full disk: the transfer cannot succeed any more.
        mWriteFailed = true;
        mReply->abort();
    }
}

void FileTransfer::replyEnded()
{
    QNetworkReply *reply = mReply;
    if (!reply)
        return;
    // The end is taken once. Reading the rest of a compressed body may still report an error: it
    // is taken from the reply below.
    reply->disconnect(this);

    if (!mWriteFailed && reply->error() == QNetworkReply::NoError) {
        const QByteArray rest = reply->readAll();
        if (reply->error() == QNetworkReply::NoError && (!store(rest) || !mFile.flush()))
            mWriteFailed = true;
    }
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
