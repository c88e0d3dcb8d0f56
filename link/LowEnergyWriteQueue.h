#pragma once
// Paces the pieces of Low Energy writes: the first piece goes out at once, every further piece
// one interval after the previous one, and a piece queued soon after the last one still waits
// for the interval to pass. Driven by a timer on the owner's thread, it never blocks.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QTimer>

#include <functional>

class LowEnergyWriteQueue : public QObject
{
    Q_OBJECT
public:
    // Writes one piece; false when the link can no longer take it, which drops what is queued.
    using Writer = std::function<bool(const QByteArray &piece)>;

    static constexpr int PIECE_INTERVAL_MS = 10;

    explicit LowEnergyWriteQueue(QObject *parent = nullptr);

    void setWriter(Writer writer);
    // Queues the pieces behind those still waiting.
    void enqueue(const QList<QByteArray> &pieces);
    // Drops every waiting piece; the pause after a piece already written still runs.
    void clear();
    int pendingCount() const;
    // True when nothing waits and the pause after the last piece has passed.
    bool isIdle() const;

private:
    void writeNext();

    Writer mWriter;
    QQueue<QByteArray> mPieces;
    QTimer mTimer;
};
