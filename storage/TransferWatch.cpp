#include "storage/TransferWatch.h"

#include <QNetworkReply>
#include <QTimer>

#include <atomic>

namespace {
std::atomic<int> gWindowMs{TransferWatch::DefaultWindowMs};
}

TransferWatch::TransferWatch(QNetworkReply *reply, qint64 maxBytes)
    : QObject(reply), mReply(reply), mTimer(new QTimer(this)), mMaxBytes(maxBytes)
{
    // The network layer reads no further ahead than this: what the server sends waits in the
    // connection, not in memory.
    reply->setReadBufferSize(ReadBufferBytes);
    connect(reply, &QNetworkReply::metaDataChanged, this, &TransferWatch::checkAnnouncedLength);
    connect(reply, &QNetworkReply::readyRead, this, &TransferWatch::readBody);
    connect(reply, &QNetworkReply::errorOccurred, this, &TransferWatch::end);
    connect(reply, &QNetworkReply::finished, this, &TransferWatch::end);
    connect(mTimer, &QTimer::timeout, this, &TransferWatch::checkRate);
    mTimer->start(window());
}

void TransferWatch::setWindow(int ms)
{
    gWindowMs = ms;
}

int TransferWatch::window()
{
    return gWindowMs;
}

void TransferWatch::readBody()
{
    if (mEnded)
        return;
    const QByteArray data = mReply->readAll();
    // Reading may have ended the reply: a body that fails to decompress reports so from inside.
    if (mEnded || mReply->error() != QNetworkReply::NoError)
        return;
    if (!data.isEmpty() && take(data.size()))
        Q_EMIT received(data);
}

void TransferWatch::end()
{
    if (mEnded)
        return;
    mTimer->stop();
    // What is left of the body comes first; a reply that failed or was aborted has nothing left
    // to give. Reading it may end the reply from inside, which has then been told.
    if (mReply->error() == QNetworkReply::NoError) {
        readBody();
        if (mEnded)
            return;
    }
    mEnded = true;
    Q_EMIT ended();
}

qint64 TransferWatch::announcedLength() const
{
    // Read from the reply each time: a redirect's head gives way to the next answer's.
    bool announced = false;
    const qint64 length = mReply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    return announced ? length : -1;
}

bool TransferWatch::take(qint64 bytes)
{
    if (mOutcome != Outcome::Running)
        return false;
    mTaken += bytes;
    const qint64 announced = announcedLength();
    if (mTaken > mMaxBytes || (announced >= 0 && mTaken > announced)) {
        stop(Outcome::TooLarge);
        return false;
    }
    return true;
}

void TransferWatch::checkAnnouncedLength()
{
    if (mOutcome != Outcome::Running)
        return;
    if (announcedLength() > mMaxBytes) {
        stop(Outcome::TooLarge);
        return;
    }
    // The first window waited for the answer to begin; from its head on, the body is measured.
    if (!mAnswered) {
        mAnswered = true;
        mTakenAtTick = mTaken;
        mTimer->start(window());
    }
}

void TransferWatch::checkRate()
{
    // A window must bring the minimum, or all that is left of an announced body when that is less.
    const qint64 announced = announcedLength();
    const qint64 needed = announced >= 0 ? qMin(announced - mTakenAtTick, MinBytesPerWindow) : MinBytesPerWindow;
    if (needed > 0 && mTaken - mTakenAtTick < needed)
        stop(Outcome::Stalled);
    mTakenAtTick = mTaken;
}

void TransferWatch::stop(Outcome outcome)
{
    mOutcome = outcome;
    mTimer->stop();
    // Aborting a reply that reported an error would report a second one.
    if (mReply->isRunning() && mReply->error() == QNetworkReply::NoError)
        mReply->abort();
}
