#pragma once
// What the Bluetooth manager asks of a link to the keyboard, classic or Low Energy: opening,
// closing, writing frames, and the four signals it relays as its own.

#include <QBluetoothDeviceInfo>
#include <QByteArray>
#include <QObject>

class BluetoothLink : public QObject
{
    Q_OBJECT
public:
    explicit BluetoothLink(QObject *parent = nullptr);

    // Starts connecting; the outcome arrives later as a signal.
    virtual void openDevice(const QBluetoothDeviceInfo &info, int frameSize) = 0;
    // Drops the link; emits nothing.
    virtual void closeDevice() = 0;
    // Writes one frame; failures come back as ble_error_callback.
    virtual void sendData(const QByteArray &frame) = 0;
    virtual bool isConnected() const = 0;

Q_SIGNALS:
    void ble_connected();
    void ble_disconnected();
    void ble_error_callback(const int &error);
    void ble_data_received_callback(const uchar &order, const uchar &frame, const uchar &total,
                                    const uchar &length, QByteArray data);

protected:
    // Hands on a received frame read from `bytes`; anything that is not a whole frame is dropped.
    void deliverFrame(const QByteArray &bytes, int frameSize);
};
