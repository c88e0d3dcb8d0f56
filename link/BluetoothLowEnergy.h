#pragma once
// Bluetooth Low Energy link: the program is the central of the keyboard's vendor GATT service,
// writes frames to one characteristic in MTU-sized pieces and reads every notification of the
// other as one frame.

#include "link/BluetoothLink.h"
#include "link/LowEnergyWriteQueue.h"

#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QByteArray>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QLowEnergyService>
#include <QString>

class BluetoothLowEnergy : public BluetoothLink
{
    Q_OBJECT
public:
    static const QBluetoothUuid SERVICE_UUID;
    static const QBluetoothUuid WRITE_CHAR_UUID;
    static const QBluetoothUuid NOTIFY_CHAR_UUID;

    explicit BluetoothLowEnergy(QObject *parent = nullptr);
    ~BluetoothLowEnergy() override;

    // Starts connecting; the outcome arrives as ble_connected, ble_disconnected or
    // ble_error_callback.
    void openDevice(const QBluetoothDeviceInfo &info, int frameSize) override;
    // Tears the connection down; emits nothing.
    void closeDevice() override;
    // Writes one frame in pieces of MTU - 3 bytes, 10 ms apart, without blocking; failures come
    // back as ble_error_callback.
    void sendData(const QByteArray &frame) override;
    // True once both characteristics are known and until the link goes down or is closed.
    bool isConnected() const override;
    // Takes the characteristics and switches notifications on.
    void setupService();

    // Whether a characteristic with these properties can be written at all, and how.
    static bool isWritable(QLowEnergyCharacteristic::PropertyTypes properties);
    static QLowEnergyService::WriteMode writeMode(QLowEnergyCharacteristic::PropertyTypes properties);
    // The log text of a controller error.
    static QString errorText(QLowEnergyController::Error error);

private Q_SLOTS:
    void onDeviceConnected();
    void onDeviceDisconnected();
    void onServiceDiscovered(QBluetoothUuid serviceUuid);
    void onServiceDiscoveredFinished();
    void onServiceStateChanged(QLowEnergyService::ServiceState state);
    void onCharacteristicChanged(QLowEnergyCharacteristic characteristic, QByteArray value);
    void onCharacteristicWritten(QLowEnergyCharacteristic characteristic, QByteArray value);
    void onError(QLowEnergyController::Error error);

private:
    void releaseService();
    void releaseController();
    bool writePiece(const QByteArray &piece);

    int mFrameSize = 64;
    QLowEnergyController *mController = nullptr;
    QLowEnergyService *mService = nullptr;
    QLowEnergyCharacteristic mWriteCharacteristic;
    QLowEnergyCharacteristic mNotifyCharacteristic;
    // Set when the setup chain has completed; cleared when the link goes down or is closed.
    bool mReady = false;
    LowEnergyWriteQueue mWriteQueue;
};
