#include "tests/support/TestHttpServer.h"

#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {
QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}
} // namespace

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent), mServer(new QTcpServer(this))
{
    connect(mServer, &QTcpServer::newConnection, this, &TestHttpServer::accept);
}

TestHttpServer::~TestHttpServer() = default;

bool TestHttpServer::listen()
{
    return mServer->listen(QHostAddress::LocalHost, 0);
}

QString TestHttpServer::baseAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(mServer->serverPort());
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(baseAddress() + path);
}

void TestHttpServer::serve(const QString &path, const Response &response)
{
    mRoutes.insert(path, response);
}

void TestHttpServer::serve(const QString &path, const QByteArray &body)
{
    Response response;
    response.body = body;
    serve(path, response);
}

bool TestHttpServer::serveFile(const QString &path, const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    serve(path, file.readAll());
    return true;
}

void TestHttpServer::serveCutOff(const QString &path, const QByteArray &body, int sentBytes)
{
    Response response;
    response.body = body;
    response.mode = Response::CutOff;
    response.sentBytes = sentBytes;
    serve(path, response);
}

void TestHttpServer::serveSlow(const QString &path, const QByteArray &body, int chunks, int intervalMs)
{
    Response response;
    response.body = body;
    response.mode = Response::Slow;
    response.chunks = qMax(1, chunks);
    response.chunkIntervalMs = intervalMs;
    serve(path, response);
}

void TestHttpServer::serveStatus(const QString &path, int status)
{
    Response response;
    response.status = status;
    response.body = reason(status);
    serve(path, response);
}

void TestHttpServer::remove(const QString &path)
{
    mRoutes.remove(path);
}

int TestHttpServer::requestCount(const QString &path) const
{
    return mCounts.value(path);
}

int TestHttpServer::totalRequests() const
{
    return int(mRequests.size());
}

QStringList TestHttpServer::requests() const
{
    return mRequests;
}

void TestHttpServer::clearCounts()
{
    mCounts.clear();
    mRequests.clear();
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
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    if (socket->property("answered").toBool())
        return;
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("head", head);
        return;
    }
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2 ? QUrl::fromEncoded(requestLine.at(1)).path(QUrl::FullyEncoded)
                                                 : QString();
    mCounts[path] += 1;
    mRequests.append(path);
    respond(socket, path);
}

void TestHttpServer::respond(QTcpSocket *socket, const QString &path)
{
    Response response;
    if (mRoutes.contains(path)) {
        response = mRoutes.value(path);
    } else {
        response.status = 404;
        response.body = reason(404);
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "\r\n";
    socket->write(head);

    switch (response.mode) {
    case Response::Whole:
        socket->write(response.body);
        socket->disconnectFromHost();
        break;
    case Response::CutOff:
        // The connection ends before the announced body is complete.
        socket->write(response.body.left(response.sentBytes));
        socket->disconnectFromHost();
        break;
    case Response::Slow: {
        auto offset = std::make_shared<qsizetype>(0);
        const qsizetype piece = (response.body.size() + response.chunks - 1) / response.chunks;
        auto *timer = new QTimer(socket);
        timer->setInterval(response.chunkIntervalMs);
        const QByteArray body = response.body;
        QPointer<QTcpSocket> guard(socket);
        const auto sendPiece = [guard, timer, offset, piece, body] {
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
        if (*offset < body.size())
            timer->start();
        break;
    }
    }
}
