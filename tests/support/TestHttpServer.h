#pragma once
// A small HTTP server on 127.0.0.1 for the download tests: each path answers with a body as a
// whole, cut off mid-stream, in slow chunks, or with an error status; every other path is 404.
// Requests are counted per path. One request per connection ("Connection: close").

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Response {
        enum Mode { Whole, CutOff, Slow };
        int status = 200;
        QByteArray body;
        Mode mode = Whole;
        int sentBytes = 0;       // CutOff: bytes sent before the connection is dropped
        int chunks = 1;          // Slow: number of pieces
        int chunkIntervalMs = 0; // Slow: pause between pieces
        bool announceLength = true;
    };

    explicit TestHttpServer(QObject *parent = nullptr);
    ~TestHttpServer() override;

    // Listens on 127.0.0.1 at a free port.
    bool listen();
    // "http://127.0.0.1:<port>".
    QString baseAddress() const;
    QUrl url(const QString &path) const;

    void serve(const QString &path, const Response &response);
    void serve(const QString &path, const QByteArray &body);
    // The file's bytes, read now; false when it cannot be read.
    bool serveFile(const QString &path, const QString &filePath);
    // Announces the whole length, sends the first sentBytes and drops the connection.
    void serveCutOff(const QString &path, const QByteArray &body, int sentBytes);
    void serveSlow(const QString &path, const QByteArray &body, int chunks, int intervalMs);
    void serveStatus(const QString &path, int status);
    void remove(const QString &path);

    int requestCount(const QString &path) const;
    int totalRequests() const;
    // Request paths in arrival order.
    QStringList requests() const;
    void clearCounts();

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QString &path);

    QTcpServer *mServer = nullptr;
    QHash<QString, Response> mRoutes;
    QHash<QString, int> mCounts;
    QStringList mRequests;
};
