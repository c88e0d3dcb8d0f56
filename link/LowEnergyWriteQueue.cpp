#include "link/LowEnergyWriteQueue.h"

LowEnergyWriteQueue::LowEnergyWriteQueue(QObject *parent)
    : QObject(parent)
{
    mTimer.setSingleShot(true);
    mTimer.setTimerType(Qt::PreciseTimer);
    mTimer.setInterval(PIECE_INTERVAL_MS);
    connect(&mTimer, &QTimer::timeout, this, &LowEnergyWriteQueue::writeNext);
}

void LowEnergyWriteQueue::setWriter(Writer writer)
{
    mWriter = std::move(writer);
}

void LowEnergyWriteQueue::enqueue(const QList<QByteArray> &pieces)
{
    for (const QByteArray &piece : pieces) {
        mPieces.enqueue(piece);
    }
    if (!mTimer.isActive()) {
        writeNext();
    }
}

void LowEnergyWriteQueue::clear()
{
    mPieces.clear();
}

int LowEnergyWriteQueue::pendingCount() const
{
    return int(mPieces.size());
}

bool LowEnergyWriteQueue::isIdle() const
{
    return mPieces.isEmpty() && !mTimer.isActive();
}

void LowEnergyWriteQueue::writeNext()
{
    if (mPieces.isEmpty()) {
        return; // the pause after the last piece is over
    }
    const QByteArray piece = mPieces.dequeue();
    if (!mWriter || !mWriter(piece)) {
        mPieces.clear();
        return;
    }
    mTimer.start();
}
