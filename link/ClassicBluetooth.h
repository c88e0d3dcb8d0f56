#pragma once
// Classic Bluetooth link: device frames over an RFCOMM connection to the keyboard's serial port
// service. One write per frame; each chunk of received bytes is read as one frame.

#include "link/BluetoothLink.h"

#include <QBluetoothDeviceInfo>
#include <QBluetoothSocket>
#include <QBluetoothUuid>
#include <QByteArray>
#include <QString>

class ClassicBluetooth : public BluetoothLink
{
    Q_OBJECT
public:
    static const QBluetoothUuid SERIAL_PORT_UUID;

    explicit ClassicBluetooth(QObject *parent = nullptr);
    ~ClassicBluetooth() override;

    // Starts connecting; the outcome arrives as ble_connected or ble_error_callback.
    void openDevice(const QBluetoothDeviceInfo &info, int frameSize) override;
    // Drops the connection, also one still being set up; emits nothing.
    void closeDevice() override;
    // Writes the frame whole; failures come back as ble_error_callback.
    void sendData(const QByteArray &frame) override;
    bool isConnected() const override;

    // The log line for a socket error.
    static QString socketErrorLine(QBluetoothSocket::SocketError error, const QString &errorText);

private Q_SLOTS:
    void onError(QBluetoothSocket::SocketError error);
    void onDataReceived();
    void onConnected();
    void onDisconnected();

private:
    void releaseSocket();

    QBluetoothSocket *mSocket = nullptr;
    int mFrameSize = 64;
};
