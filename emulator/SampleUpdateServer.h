#pragma once
// The emulated keyboard program's own update server on 127.0.0.1: it offers the sample keyboard a
// newer firmware, "/normal/<model>/firmversion.xml" (version, description, MD5 digest and the
// image's address) and the image itself, so that the maintenance page's update can be tried end
// to end. Every other path answers 404. One request per connection.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

class SampleUpdateServer : public QObject
{
    Q_OBJECT
public:
    explicit SampleUpdateServer(QObject *parent = nullptr);

    // Listens at a free port; false when it cannot.
    bool listen();
    // "http://127.0.0.1:<port>".
    QString baseAddress() const;

    void serve(const QString &path, const QByteArray &body) { mRoutes.insert(path, body); }
    // Offers a firmware image of the keyboard model productData as the given version.
    void offerFirmware(const QString &productData, quint16 version, const QByteArray &image);

    // A keyboard firmware image: the 40-byte header (the model's serial number at 0, the payload
    // length at 4, the version at 8) and payloadSize bytes of made-up payload.
    static QByteArray sampleImage(quint16 serialNumber, quint16 version, int payloadSize);

private:
    void accept();
    void answer(QTcpSocket *socket);

    QTcpServer *mServer = nullptr;
    QHash<QString, QByteArray> mRoutes;
};
