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
        mWatch->disconnect(this);
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
    connect(mWatch, &TransferWatch::received, this, &FileTransfer::store);
    connect(mWatch, &TransferWatch::ended, this, &FileTransfer::replyEnded);
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

void FileTransfer::store(const QByteArray &data)
{
    if (mWriteFailed)
        return;
    mHash.addData(data);
    if (mFile.write(data) != data.size()) {
        // A full disk: the transfer cannot succeed any more.
        mWriteFailed = true;
        abortReply();
    }
}

void FileTransfer::replyEnded()
{
    QNetworkReply *reply = mReply;
    if (!reply)
        return;
    reply->disconnect(this);
    mWatch->disconnect(this);
    if (!mWriteFailed && reply->error() == QNetworkReply::NoError && !mFile.flush())
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
