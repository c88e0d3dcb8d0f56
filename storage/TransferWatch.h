#pragma once
#include <QByteArray>
#include <QObject>

class QNetworkReply;
class QTimer;

// Reads one network reply's body for its owner and keeps the reply from running for good or
// growing without end. A reply whose answer does not begin within a window (a server that never
// answers, after a redirect as well), or whose body then brings fewer than MinBytesPerWindow bytes
// within a window (or less than what is left of the length it announced: it stalls or trickles),
// is aborted, and so is one that announces or brings more than its bound, or more than the length
// it announced. The reply ends with its first error or with its end, whichever comes first: a
// body that fails to decompress reports an error at once, but its reply finishes only once its
// read buffer is drained. The watch is a child of the reply.
class TransferWatch : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Running, Stalled, TooLarge };

    static constexpr int DefaultWindowMs = 30000;
    static constexpr qint64 MinBytesPerWindow = 1024;
    // Bytes the network layer keeps for a reply before its owner reads them.
    static constexpr qint64 ReadBufferBytes = 256 * 1024;

    // Starts watching at once: the first window runs from the request on.
    TransferWatch(QNetworkReply *reply, qint64 maxBytes);

    Outcome outcome() const { return mOutcome; }

    // The window of the watches made from now on; tests shorten it.
    static void setWindow(int ms);
    static int window();

Q_SIGNALS:
    // A piece of the body within the bounds, in order. A receiver may abort the reply.
    void received(const QByteArray &data);
    // The reply finished or reported an error, told once, after the last piece of its body.
    void ended();

private:
    void readBody();
    void end();
    // Counts bytes taken from the reply. False, with the reply aborted, when they pass the bound
    // or the announced length.
    bool take(qint64 bytes);
    // The length the answer's head gives; -1 when it gives none.
    qint64 announcedLength() const;
    void checkAnnouncedLength();
    void checkRate();
    void stop(Outcome outcome);

    QNetworkReply *mReply = nullptr;
    QTimer *mTimer = nullptr;
    qint64 mMaxBytes = 0;
    qint64 mTaken = 0;
    qint64 mTakenAtTick = 0;
    bool mAnswered = false;
    bool mEnded = false;
    Outcome mOutcome = Outcome::Running;
};
