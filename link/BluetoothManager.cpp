#include "link/BluetoothManager.h"

#include "link/BluetoothFrame.h"
#include "link/BluetoothLowEnergy.h"
#include "link/ClassicBluetooth.h"

#include <QBluetoothLocalDevice>
#include <QDebug>
#include <QMetaEnum>

QSharedPointer<BluetoothManager> gBluetoothManager;

BluetoothManager::BluetoothManager(QObject *parent)
    : QObject(parent)
{
    qDebug() << "=== BluetoothManager 蓝牙管理器对象创建 ===";
    mDiscoveryAgent = new QBluetoothDeviceDiscoveryAgent;
    connect(mDiscoveryAgent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            &BluetoothManager::deviceDiscovered);
    connect(mDiscoveryAgent, &QBluetoothDeviceDiscoveryAgent::finished, this,
            &BluetoothManager::discoveryFinished);
    connect(mDiscoveryAgent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            &BluetoothManager::discoveryError);

    mPowerOnTimer.setSingleShot(true);
    mPowerOnTimer.setInterval(POWER_ON_WAIT_MS);
    connect(&mPowerOnTimer, &QTimer::timeout, this, &BluetoothManager::startAgent);

    mLowEnergyLink = new BluetoothLowEnergy;
    mClassicLink = new ClassicBluetooth;
    relaySignals(mLowEnergyLink);
    relaySignals(mClassicLink);
}

void BluetoothManager::relaySignals(BluetoothLink *link)
{
    connect(link, &BluetoothLink::ble_connected, this, &BluetoothManager::ble_connected);
    connect(link, &BluetoothLink::ble_disconnected, this, &BluetoothManager::ble_disconnected);
    connect(link, &BluetoothLink::ble_error_callback, this, &BluetoothManager::ble_error_callback);
    connect(link, &BluetoothLink::ble_data_received_callback, this,
            &BluetoothManager::ble_data_received_callback);
}

BluetoothLink *BluetoothManager::activeLink() const
{
    return mLowEnergy ? mLowEnergyLink : mClassicLink;
}

BluetoothManager::~BluetoothManager()
{
    mDevice.reset();
    mPowerOnTimer.stop();
    if (mDiscovering) {
        mDiscovering = false;
        mDiscoveryAgent->stop();
    }
    mDiscoveryAgent->disconnect(this);
    mDiscoveryAgent->deleteLater();
    if (mLocalDevice) {
        mLocalDevice->deleteLater();
    }
    mLowEnergyLink->disconnect(this);
    mLowEnergyLink->deleteLater();
    mClassicLink->disconnect(this);
    mClassicLink->deleteLater();
    qDebug() << "=== BluetoothManager 蓝牙管理器对象销毁 ===";
}

bool BluetoothManager::startDeviceDiscovery()
{
    if (!mLocalDevice) {
        mLocalDevice = new QBluetoothLocalDevice;
    }
    if (!mLocalDevice->isValid()) {
        qDebug() << "=== BluetoothManager startDeviceDiscovery 蓝牙不可用 ===";
        // Nothing will be discovered: report it from the event loop, so that a caller that
        // shows its waiting box after this call is still released.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const bool found = false;
                emit ble_discovery_finished(found);
            },
            Qt::QueuedConnection);
        return false;
    }

    mPowerOnTimer.stop();
    mDevice.reset();
    mDiscovering = true;
    if (mLocalDevice->hostMode() == QBluetoothLocalDevice::HostPoweredOff) {
        qDebug() << "=== BluetoothManager startDeviceDiscovery 开启蓝牙 ===";
        mLocalDevice->powerOn();
        mPowerOnTimer.start();
        return true;
    }
    startAgent();
    return true;
}

void BluetoothManager::startAgent()
{
    if (!mDiscovering) {
        return; // cancelled while the adapter was coming up
    }
    mConnectedAddresses = mLocalDevice->connectedDevices();
    mDiscoveryAgent->setLowEnergyDiscoveryTimeout(DISCOVERY_TIMEOUT_MS);
    // A failing start reports its error from within this call.
    mDiscoveryAgent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void BluetoothManager::stopDeviceDiscovery()
{
    if (!mDiscovering) {
        return;
    }
    mDiscovering = false;
    mPowerOnTimer.stop();
    mDiscoveryAgent->stop();
}

bool BluetoothManager::checkNameVaild(const QString &name)
{
    return name.startsWith(QStringLiteral("ZVL_"), Qt::CaseSensitive);
}

bool BluetoothManager::isKeyboard(const QBluetoothDeviceInfo &device,
                                  const QList<QBluetoothAddress> &connectedAddresses)
{
    return device.isValid() && !device.address().isNull() && checkNameVaild(device.name())
           && connectedAddresses.contains(device.address());
}

bool BluetoothManager::isLowEnergy(const QBluetoothDeviceInfo &device)
{
    return device.coreConfigurations().testFlag(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
}

void BluetoothManager::deviceDiscovered(QBluetoothDeviceInfo device)
{
    if (!device.isValid()) {
        qDebug() << "==== BluetoothManager deviceDiscovered 发现无效设备，跳过处理 ===";
        return;
    }
    if (device.address().isNull()) {
        qDebug() << "==== BluetoothManager deviceDiscovered 设备地址无效，跳过处理 ===";
        return;
    }
    qDebug().noquote() << "====BluetoothManager discoveryFinished 已发现设备, device:{ "
                              + device.name() + " }, address:{ " + device.address().toString()
                              + " } ===";
    // A report that comes after a cancel or after the choice must not choose again.
    if (!mDiscovering || !isKeyboard(device, mConnectedAddresses)) {
        return;
    }
    mDevice = QSharedPointer<QBluetoothDeviceInfo>::create(device);
    mLowEnergy = isLowEnergy(device);
    mDiscovering = false;
    mDiscoveryAgent->stop();
    qDebug() << "=== BluetoothManager discoveryFinished 已成功检索到蓝牙设备 ===";
    const bool found = true;
    emit ble_discovery_finished(found);
}

void BluetoothManager::discoveryFinished()
{
    const bool wasDiscovering = mDiscovering;
    mDiscovering = false;
    if (!mDevice) {
        qDebug() << "=== BluetoothManager discoveryFinished 没有检索到蓝牙设备 ===";
        if (wasDiscovering) {
            const bool found = false;
            emit ble_discovery_finished(found);
        }
    }
}

void BluetoothManager::discoveryError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    qDebug().noquote() << QStringLiteral("=== discoveryError error:{ ")
                              + QString::fromLatin1(QMetaEnum::fromType<
                                                    QBluetoothDeviceDiscoveryAgent::Error>()
                                                        .valueToKey(error))
                              + QStringLiteral(" } ===");
    // The agent stops on an error; it reports no end of its own.
    if (mDiscovering) {
        mDiscovering = false;
        const bool found = false;
        emit ble_discovery_finished(found);
    }
}

void BluetoothManager::openDevice()
{
    if (!mDevice) {
        qDebug() << "=== BluetoothManager openDevice 没有合法的蓝牙设备 ===";
        const int error = BLUETOOTH_ERROR_NO_DEVICE;
        emit ble_error_callback(error);
        return;
    }
    activeLink()->openDevice(*mDevice, mFrameSize);
}

void BluetoothManager::closeDevice()
{
    activeLink()->closeDevice();
}

void BluetoothManager::sendData(const QByteArray &frame)
{
    qDebug().noquote() << "=== BluetoothManager sendData 发送数据:{ "
                              + QString::fromLatin1(frame.toHex(' ')) + " } ===";
    activeLink()->sendData(frame);
}

bool BluetoothManager::isConnected() const
{
    return activeLink()->isConnected();
}
