#include "link/ClassicBluetooth.h"

#include "link/BluetoothFrame.h"

#include <QDebug>

const QBluetoothUuid ClassicBluetooth::SERIAL_PORT_UUID(
    QStringLiteral("00001101-0000-1000-8000-00805f9b34fb"));

ClassicBluetooth::ClassicBluetooth(QObject *parent)
    : BluetoothLink(parent)
{
    qDebug() << "=== ClassicBluetooth 经典蓝牙对象创建 ===";
}

ClassicBluetooth::~ClassicBluetooth()
{
    releaseSocket();
    qDebug() << "=== ClassicBluetooth 经典蓝牙对象销毁 ===";
}

void ClassicBluetooth::releaseSocket()
{
    if (!mSocket) {
        return;
    }
    // Cut the signals first, so that a close asked for by the program reports nothing. The socket
    // is shut down from the event loop: a close may come from inside one of the socket's own
    // signals, and aborting it there pulls its state from under the call still running.
    QBluetoothSocket *socket = mSocket;
    mSocket = nullptr;
    socket->disconnect(this);
    QMetaObject::invokeMethod(
        socket,
        [socket] {
            socket->disconnectFromService();
            socket->deleteLater();
        },
        Qt::QueuedConnection);
}

void ClassicBluetooth::openDevice(const QBluetoothDeviceInfo &info, int frameSize)
{
    releaseSocket();
    mFrameSize = frameSize;

    const QBluetoothAddress address = info.address();
    if (address.isNull()) {
        qDebug() << "=== ClassicBluetooth openDevice 无效蓝牙设备地址 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_NO_DEVICE);
        return;
    }

    mSocket = new QBluetoothSocket(QBluetoothServiceInfo::RfcommProtocol);
    connect(mSocket, &QBluetoothSocket::readyRead, this, &ClassicBluetooth::onDataReceived);
    connect(mSocket, &QBluetoothSocket::connected, this, &ClassicBluetooth::onConnected);
    connect(mSocket, &QBluetoothSocket::disconnected, this, &ClassicBluetooth::onDisconnected);
    connect(mSocket, &QBluetoothSocket::errorOccurred, this, &ClassicBluetooth::onError);
    // The socket may fail at once (no adapter); its error is reported from within this call.
    mSocket->connectToService(address, SERIAL_PORT_UUID, QIODevice::ReadWrite);
}

void ClassicBluetooth::closeDevice()
{
    // A socket still connecting is dropped too: otherwise it would report ble_connected for a
    // link the program has already closed.
    releaseSocket();
}

void ClassicBluetooth::sendData(const QByteArray &frame)
{
    if (!isConnected()) {
        qDebug() << "=== ClassicBluetooth sendData 没有连接任何设备 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_NOT_CONNECTED);
        return;
    }
    if (mSocket->write(frame) == -1) {
        qDebug().noquote() << "=== ClassicBluetooth sendData 发送数据失败:{ " + mSocket->errorString()
                                  + " } ===";
        emit ble_error_callback(BLUETOOTH_ERROR_WRITE);
    }
}

bool ClassicBluetooth::isConnected() const
{
    return mSocket && mSocket->state() == QBluetoothSocket::SocketState::ConnectedState;
}

QString ClassicBluetooth::socketErrorLine(QBluetoothSocket::SocketError error,
                                          const QString &errorText)
{
    using E = QBluetoothSocket::SocketError;
    switch (error) {
    case E::NoSocketError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Socket error ===");
    case E::UnknownSocketError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Unknown socket error ===");
    case E::RemoteHostClosedError:
        return QStringLiteral(
            "=== ClassicBluetooth onSocketError Remote host closed the connection ===");
    case E::HostNotFoundError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Host not found ===");
    case E::ServiceNotFoundError:
        return QStringLiteral(
            "=== ClassicBluetooth onSocketError Serial Port service not found on the device ===");
    case E::NetworkError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Network error occurred ===");
    case E::UnsupportedProtocolError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Unsupported protocol ===");
    case E::OperationError:
        return QStringLiteral("=== ClassicBluetooth onSocketError Operation error ===");
    case E::MissingPermissionsError:
        return QStringLiteral("=== onSocketError Missing permissions error ===");
    }
    return QStringLiteral("=== ClassicBluetooth onSocketError Unknown error:{ ") + errorText
           + QStringLiteral(" } ===");
}

void ClassicBluetooth::onError(QBluetoothSocket::SocketError error)
{
    if (!mSocket) {
        return;
    }
    qDebug().noquote() << socketErrorLine(error, mSocket->errorString());
    emit ble_error_callback(BLUETOOTH_ERROR_NO_DEVICE);
}

void ClassicBluetooth::onDataReceived()
{
    if (!mSocket) {
        return;
    }
    deliverFrame(mSocket->readAll(), mFrameSize);
}

void ClassicBluetooth::onConnected()
{
    emit ble_connected();
}

void ClassicBluetooth::onDisconnected()
{
    emit ble_disconnected();
}
