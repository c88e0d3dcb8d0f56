#pragma once
// The program's one Bluetooth service: finds the keyboard by a Low Energy discovery, reaches it
// over Bluetooth Low Energy or a classic RFCOMM link, and stands in front of the chosen link.

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QTimer>

class BluetoothLink;
class QBluetoothLocalDevice;

class BluetoothManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int FRAME_SIZE = 64;
    static constexpr int DISCOVERY_TIMEOUT_MS = 5000;
    // Time the adapter is given to come up after being powered on.
    static constexpr int POWER_ON_WAIT_MS = 1000;

    explicit BluetoothManager(QObject *parent = nullptr);
    ~BluetoothManager() override;

    // Starts a discovery whose outcome arrives as ble_discovery_finished. Returns false when the
    // computer has no usable adapter; ble_discovery_finished(false) then follows from the event
    // loop, so that whoever waits for the outcome is released.
    bool startDeviceDiscovery();
    // Cancels a running discovery; no signal follows.
    void stopDeviceDiscovery();
    // Opens the link to the device chosen by the last discovery; ble_connected on success.
    void openDevice();
    void closeDevice();
    // Hands one frame to the active link; failures come back as ble_error_callback.
    void sendData(const QByteArray &frame);
    bool isConnected() const;

    // The keyboard's name prefix, "ZVL_", compared case-sensitively.
    static bool checkNameVaild(const QString &name);
    // Whether a discovered device is the keyboard: a valid device with an address, an accepted
    // name, and connected to the computer (its address among `connectedAddresses`).
    static bool isKeyboard(const QBluetoothDeviceInfo &device,
                           const QList<QBluetoothAddress> &connectedAddresses);
    // A device that speaks Low Energy (also a dual-mode one) is reached over Low Energy.
    static bool isLowEnergy(const QBluetoothDeviceInfo &device);

Q_SIGNALS:
    void ble_device_discovered(QBluetoothDeviceInfo deviceInfo);
    void ble_discovery_finished(const bool &flag);
    void ble_connected();
    void ble_disconnected();
    void ble_error_callback(const int &error);
    void ble_data_received_callback(const uchar &order, const uchar &frame, const uchar &total,
                                    const uchar &length, QByteArray data);

private Q_SLOTS:
    void deviceDiscovered(QBluetoothDeviceInfo device);
    void discoveryFinished();
    void discoveryError(QBluetoothDeviceDiscoveryAgent::Error error);

private:
    void relaySignals(BluetoothLink *link);
    // The link of the kind of the last chosen device (classic before any choice).
    BluetoothLink *activeLink() const;
    void startAgent();

    QBluetoothLocalDevice *mLocalDevice = nullptr;
    QBluetoothDeviceDiscoveryAgent *mDiscoveryAgent = nullptr;
    int mFrameSize = FRAME_SIZE;
    QList<QBluetoothAddress> mConnectedAddresses;
    QSharedPointer<QBluetoothDeviceInfo> mDevice;
    bool mLowEnergy = false;
    BluetoothLink *mLowEnergyLink = nullptr;
    BluetoothLink *mClassicLink = nullptr;
    bool mDiscovering = false;
    // Starts the agent once a powered-off adapter has had time to come up.
    QTimer mPowerOnTimer;
};

extern QSharedPointer<BluetoothManager> gBluetoothManager;
