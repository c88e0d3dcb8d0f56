#pragma once
// A small HTTP server on 127.0.0.1 for the download tests: each path answers with a body as a
// whole, cut off mid-stream, in slow chunks, as a chunked stream sent as fast as the client takes
// it, as a redirect, or with an error status; every other path is 404. Requests are counted per
// path. One request per connection ("Connection: close").

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Response {
        enum Mode { Whole, CutOff, Slow, Stream };
        int status = 200;
        QByteArray body;
        Mode mode = Whole;
        int sentBytes = 0;       // CutOff: bytes sent before the connection is dropped
        int chunks = 1;          // Slow: number of pieces
        int chunkIntervalMs = 0; // Slow: pause between pieces
        qint64 streamBytes = 0;    // Stream: bytes in all
        qint64 announced = -1;     // Stream: the length announced, if any
        QByteArray location = {};  // a redirect's target
        int answerAfterMs = 0;     // the pause before the answer begins
    };

    explicit TestHttpServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 at a free port.
    bool listen() { return mServer->listen(QHostAddress::LocalHost, 0); }
    // "http://127.0.0.1:<port>".
    QString baseAddress() const { return QStringLiteral("http://127.0.0.1:%1").arg(mServer->serverPort()); }
    QUrl url(const QString &path) const { return QUrl(baseAddress() + path); }

    void serve(const QString &path, const Response &response) { mRoutes.insert(path, response); }
    void serve(const QString &path, const QByteArray &body) { serve(path, Response{200, body}); }
    // The file's bytes, read now; false when it cannot be read.
    bool serveFile(const QString &path, const QString &filePath);
    // Announces the whole length, sends the first sentBytes and drops the connection.
    void serveCutOff(const QString &path, const QByteArray &body, int sentBytes)
    {
        serve(path, Response{200, body, Response::CutOff, sentBytes});
    }
    void serveSlow(const QString &path, const QByteArray &body, int chunks, int intervalMs, int answerAfterMs = 0)
    {
        Response response{200, body, Response::Slow, 0, qMax(1, chunks), intervalMs};
        response.answerAfterMs = answerAfterMs;
        serve(path, response);
    }
    // A chunked body of streamBytes, each piece written once the client took the one before,
    // announcing the length given (none when negative).
    void serveStream(const QString &path, qint64 streamBytes, qint64 announced = -1)
    {
        Response response;
        response.mode = Response::Stream;
        response.streamBytes = streamBytes;
        response.announced = announced;
        serve(path, response);
    }
    void serveRedirect(const QString &path, const QUrl &target)
    {
        Response response;
        response.status = 302;
        response.location = target.toEncoded();
        serve(path, response);
    }
    void serveStatus(const QString &path, int status);
    void remove(const QString &path) { mRoutes.remove(path); }

    int requestCount(const QString &path) const { return int(mRequests.count(path)); }
    int totalRequests() const { return int(mRequests.size()); }
    // Request paths in arrival order.
    QStringList requests() const { return mRequests; }
    void clearCounts() { mRequests.clear(); mStreamed.clear(); }
    // Body bytes of streams on path handed to the connection so far.
    qint64 streamedBytes(const QString &path) const { return mStreamed.value(path); }

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QString &path, const Response &response);
    void stream(QTcpSocket *socket, const QString &path, const Response &response);

    QTcpServer *mServer = nullptr;
    QHash<QString, Response> mRoutes;
    QStringList mRequests;
    QHash<QString, qint64> mStreamed;
};
