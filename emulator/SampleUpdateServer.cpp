#include "emulator/SampleUpdateServer.h"

#include "model/ToolTipUtil.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtEndian>

SampleUpdateServer::SampleUpdateServer(QObject *parent) : QObject(parent), mServer(new QTcpServer(this))
{
    connect(mServer, &QTcpServer::newConnection, this, &SampleUpdateServer::accept);
}

bool SampleUpdateServer::listen()
{
    return mServer->listen(QHostAddress::LocalHost, 0);
}

QString SampleUpdateServer::baseAddress() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(mServer->serverPort());
}

QByteArray SampleUpdateServer::sampleImage(quint16 serialNumber, quint16 version, int payloadSize)
{
    QByteArray image(40 + payloadSize, '\0');
    qToLittleEndian<quint16>(serialNumber, image.data());
    qToLittleEndian<quint32>(quint32(payloadSize), image.data() + 4);
    qToLittleEndian<quint32>(version, image.data() + 8);
    for (int i = 40; i < image.size(); ++i)
        image[i] = char(i * 31);
    return image;
}

void SampleUpdateServer::offerFirmware(const QString &productData, quint16 version, const QByteArray &image)
{
    const QString folder = QStringLiteral("/normal/") + productData.toLower();
    const QString imagePath = folder + QStringLiteral("/firmware_%1.bin").arg(version, 4, 16, QLatin1Char('0'));
    serve(imagePath, image);
    const QByteArray md5 = QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex().toUpper();
    serve(folder + QStringLiteral("/firmversion.xml"),
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<firmware>\n  <version>" + global_versionConversion(version).toUtf8()
              + "</version>\n  <description>Sample firmware of the emulated keyboard</description>\n  <md5>" + md5
              + "</md5>\n  <url>" + (baseAddress() + imagePath).toUtf8() + "</url>\n</firmware>\n");
}

void SampleUpdateServer::accept()
{
    while (QTcpSocket *socket = mServer->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
    }
}

void SampleUpdateServer::answer(QTcpSocket *socket)
{
    // The request head is gathered on the socket until it is complete.
    const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> line = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = line.size() >= 2 ? QUrl::fromEncoded(line.at(1)).path() : QString();
    const auto route = mRoutes.constFind(path);
    const bool found = route != mRoutes.cend();
    const QByteArray body = found ? route.value() : QByteArray("Not Found");
    socket->write((found ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found")
                  + QByteArray("\r\nContent-Type: application/octet-stream\r\nConnection: close\r\nContent-Length: ")
                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
}
