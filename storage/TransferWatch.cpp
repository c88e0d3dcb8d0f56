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
    connect(reply, &QNetworkReply::finished, mTimer, &QTimer::stop);
    // A reply that reported an error is over, whether or not it has finished: its owner ends it.
    connect(reply, &QNetworkReply::errorOccurred, mTimer, &QTimer::stop);
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

bool TransferWatch::take(qint64 bytes)
{
    if (mOutcome != Outcome::Running)
        return false;
    mTaken += bytes;
    bool announced = false;
    const qint64 length = mReply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    if (mTaken > mMaxBytes || (announced && mTaken > length)) {
        stop(Outcome::TooLarge);
        return false;
    }
    return true;
}

void TransferWatch::checkAnnouncedLength()
{
    if (mOutcome != Outcome::Running)
        return;
    bool announced = false;
    const qint64 length = mReply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    if (announced && length > mMaxBytes) {
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
    bool announced = false;
    const qint64 length = mReply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    const qint64 needed = announced ? qMin(length - mTakenAtTick, MinBytesPerWindow) : MinBytesPerWindow;
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
