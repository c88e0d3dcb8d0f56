#include "tests/support/TestHttpServer.h"

#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {
QByteArray reason(int status)
{
    const QHash<int, QByteArray> reasons = {{200, "OK"}, {302, "Found"}, {403, "Forbidden"}, {404, "Not Found"}, {500, "Internal Server Error"}};
    return reasons.value(status, "Status");
}
} // namespace

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent), mServer(new QTcpServer(this))
{
    connect(mServer, &QTcpServer::newConnection, this, &TestHttpServer::accept);
}

bool TestHttpServer::serveFile(const QString &path, const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    serve(path, file.readAll());
    return true;
}

void TestHttpServer::serveStatus(const QString &path, int status)
{
    serve(path, Response{status, reason(status)});
}

void TestHttpServer::accept()
{
    while (QTcpSocket *socket = mServer->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void TestHttpServer::readRequest(QTcpSocket *socket)
{
    // The head is kept on the socket until it is complete.
    const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    if (socket->property("answered").toBool())
        return;
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2 ? QUrl::fromEncoded(requestLine.at(1)).path(QUrl::FullyEncoded) : QString();
    mRequests.append(path);
    const Response response = mRoutes.value(path, Response{404, reason(404)});
    if (response.answerAfterMs <= 0) {
        respond(socket, path, response);
        return;
    }
    QTimer::singleShot(response.answerAfterMs, socket, [this, socket, path, response] { respond(socket, path, response); });
}

void TestHttpServer::respond(QTcpSocket *socket, const QString &path, const Response &response)
{
    const QByteArray status = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status)
                              + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (response.mode == Response::Stream) {
        socket->write(status + (response.announced < 0 ? QByteArray() : "Content-Length: " + QByteArray::number(response.announced) + "\r\n")
                      + "Transfer-Encoding: chunked\r\n\r\n");
        stream(socket, path, response);
        return;
    }
    socket->write(status + (response.location.isEmpty() ? QByteArray() : "Location: " + response.location + "\r\n")
                  + "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n\r\n");
    if (response.mode != Response::Slow) {
        // A cut-off answer ends before the announced body is complete.
        socket->write(response.mode == Response::CutOff ? response.body.left(response.sentBytes) : response.body);
        socket->disconnectFromHost();
        return;
    }
    const qsizetype piece = (response.body.size() + response.chunks - 1) / response.chunks;
    auto *timer = new QTimer(socket);
    auto offset = std::make_shared<qsizetype>(0);
    const auto sendPiece = [guard = QPointer<QTcpSocket>(socket), timer, offset, piece, body = response.body] {
        if (!guard)
            return;
        guard->write(body.mid(*offset, piece));
        *offset += piece;
        if (*offset >= body.size()) {
            timer->stop();
            guard->disconnectFromHost();
        }
    };
    connect(timer, &QTimer::timeout, socket, sendPiece);
    sendPiece();
    if (*offset < response.body.size())
        timer->start(response.chunkIntervalMs);
}

void TestHttpServer::stream(QTcpSocket *socket, const QString &path, const Response &response)
{
    static constexpr qint64 kPiece = 64 * 1024;
    auto done = std::make_shared<bool>(false);
    const auto more = [this, socket, path, done, total = response.streamBytes] {
        if (*done || socket->bytesToWrite() > 0)
            return;
        qint64 &sent = mStreamed[path];
        if (sent >= total) {
            *done = true;
            socket->write("0\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        const qint64 size = qMin(kPiece, total - sent);
        socket->write(QByteArray::number(size, 16) + "\r\n" + QByteArray(size, 'x') + "\r\n");
        sent += size;
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}
