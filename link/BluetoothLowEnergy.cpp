#include "link/BluetoothLowEnergy.h"

#include "link/BluetoothFrame.h"

#include <QDebug>
#include <QLowEnergyDescriptor>

const QBluetoothUuid BluetoothLowEnergy::SERVICE_UUID(
    QStringLiteral("{0000ae40-0000-1000-8000-00805f9b34fb}"));
const QBluetoothUuid BluetoothLowEnergy::WRITE_CHAR_UUID(
    QStringLiteral("{0000ae41-0000-1000-8000-00805f9b34fb}"));
const QBluetoothUuid BluetoothLowEnergy::NOTIFY_CHAR_UUID(
    QStringLiteral("{0000ae42-0000-1000-8000-00805f9b34fb}"));

BluetoothLowEnergy::BluetoothLowEnergy(QObject *parent)
    : BluetoothLink(parent)
{
    mWriteQueue.setWriter([this](const QByteArray &piece) { return writePiece(piece); });
    qDebug() << "=== BluetoothLowEnergy BLE蓝牙对象创建 ===";
}

BluetoothLowEnergy::~BluetoothLowEnergy()
{
    closeDevice();
    qDebug() << "=== BluetoothLowEnergy BLE蓝牙对象销毁 ===";
}

void BluetoothLowEnergy::releaseService()
{
    mReady = false;
    mWriteQueue.clear();
    mWriteCharacteristic = QLowEnergyCharacteristic();
    mNotifyCharacteristic = QLowEnergyCharacteristic();
    if (mService) {
        QLowEnergyService *service = mService;
        mService = nullptr;
        service->disconnect(this);
        service->deleteLater();
    }
}

void BluetoothLowEnergy::releaseController()
{
    if (mController) {
        // Signals are cut first, so that a close asked for by the program reports nothing.
        QLowEnergyController *controller = mController;
        mController = nullptr;
        controller->disconnect(this);
        controller->disconnectFromDevice();
        controller->deleteLater();
    }
}

void BluetoothLowEnergy::openDevice(const QBluetoothDeviceInfo &info, int frameSize)
{
    mFrameSize = frameSize;
    releaseService();
    releaseController();

    mController = QLowEnergyController::createCentral(info);
    connect(mController, &QLowEnergyController::connected, this,
            &BluetoothLowEnergy::onDeviceConnected);
    connect(mController, &QLowEnergyController::disconnected, this,
            &BluetoothLowEnergy::onDeviceDisconnected);
    connect(mController, &QLowEnergyController::serviceDiscovered, this,
            &BluetoothLowEnergy::onServiceDiscovered);
    connect(mController, &QLowEnergyController::errorOccurred, this, &BluetoothLowEnergy::onError);
    // Without an adapter the controller reports its error from within this call.
    mController->connectToDevice();
}

void BluetoothLowEnergy::closeDevice()
{
    releaseService();
    releaseController();
}

bool BluetoothLowEnergy::isConnected() const
{
    return mReady && mService && mWriteCharacteristic.isValid();
}

bool BluetoothLowEnergy::isWritable(QLowEnergyCharacteristic::PropertyTypes properties)
{
    return properties.testFlag(QLowEnergyCharacteristic::WriteNoResponse)
           || properties.testFlag(QLowEnergyCharacteristic::Write);
}

QLowEnergyService::WriteMode
BluetoothLowEnergy::writeMode(QLowEnergyCharacteristic::PropertyTypes properties)
{
    return properties.testFlag(QLowEnergyCharacteristic::WriteNoResponse)
               ? QLowEnergyService::WriteWithoutResponse
               : QLowEnergyService::WriteWithResponse;
}

void BluetoothLowEnergy::sendData(const QByteArray &frame)
{
    if (!mService || !mWriteCharacteristic.isValid()) {
        qDebug() << "=== BluetoothLowEnergy sendData 服务或特征未准备好 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_WRITE);
        return;
    }
    if (mService->state() != QLowEnergyService::RemoteServiceDiscovered) {
        qDebug() << "=== BluetoothLowEnergy sendData 服务未就绪, 当前状态：{ " << mService->state()
                 << " } ===";
        emit ble_error_callback(BLUETOOTH_ERROR_WRITE);
        return;
    }
    if (!isWritable(mWriteCharacteristic.properties())) {
        qDebug() << "=== BluetoothLowEnergy sendData 特征不支持写入 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_WRITE);
        return;
    }
    const int mtu = mController ? mController->mtu() : BluetoothFrame::MIN_MTU;
    mWriteQueue.enqueue(BluetoothFrame::split(frame, mtu));
    qDebug().noquote() << "=== BluetoothLowEnergy sendData 已发送数据:{ "
                              + QString::fromLatin1(frame.toHex(' ')) + " } ===";
}

bool BluetoothLowEnergy::writePiece(const QByteArray &piece)
{
    // The link may have gone down while pieces were waiting.
    if (!mService || !mWriteCharacteristic.isValid()
        || mService->state() != QLowEnergyService::RemoteServiceDiscovered) {
        return false;
    }
    mService->writeCharacteristic(mWriteCharacteristic, piece,
                                  writeMode(mWriteCharacteristic.properties()));
    return true;
}

void BluetoothLowEnergy::setupService()
{
    if (!mService) {
        qDebug() << "=== BluetoothLowEnergy setupService mService is null ===";
        return;
    }
    mWriteCharacteristic = mService->characteristic(WRITE_CHAR_UUID);
    if (!mWriteCharacteristic.isValid()) {
        qDebug() << "=== BluetoothLowEnergy setupService 未找到写特征 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_NO_DEVICE);
        return;
    }
    mNotifyCharacteristic = mService->characteristic(NOTIFY_CHAR_UUID);
    if (!mNotifyCharacteristic.isValid()) {
        qDebug() << "=== BluetoothLowEnergy setupService 未找到通知特征 ===";
        emit ble_error_callback(BLUETOOTH_ERROR_NO_DEVICE);
        return;
    }
    const QLowEnergyDescriptor notifyConfig = mNotifyCharacteristic.descriptor(
        QBluetoothUuid(QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration));
    if (notifyConfig.isValid()) {
        mService->writeDescriptor(notifyConfig, QByteArray::fromHex("0100"));
    }
    mReady = true;
    emit ble_connected();
}

void BluetoothLowEnergy::onDeviceConnected()
{
    qDebug() << "=== BluetoothLowEnergy onDeviceConnected BLE设备已连接 ===";
    if (mController) {
        mController->discoverServices();
    }
}

void BluetoothLowEnergy::onDeviceDisconnected()
{
    qDebug() << "=== BluetoothLowEnergy onDeviceDisconnected BLE设备断开连接 ===";
    mReady = false;
    mWriteQueue.clear();
    emit ble_disconnected();
}

void BluetoothLowEnergy::onServiceDiscovered(QBluetoothUuid serviceUuid)
{
    qDebug() << "=== BluetoothLowEnergy onServiceDiscovered" << serviceUuid.toString() << "===";
    if (serviceUuid != SERVICE_UUID || !mController) {
        return;
    }
    releaseService();
    mService = mController->createServiceObject(serviceUuid);
    if (!mService) {
        qDebug().noquote() << "=== BluetoothLowEnergy onServiceDiscovered 访问服务时发生异常::{ "
                                  + serviceUuid.toString() + " } ===";
        return;
    }
    connect(mService, &QLowEnergyService::stateChanged, this,
            &BluetoothLowEnergy::onServiceStateChanged);
    connect(mService, &QLowEnergyService::characteristicChanged, this,
            &BluetoothLowEnergy::onCharacteristicChanged);
    connect(mService, &QLowEnergyService::characteristicWritten, this,
            &BluetoothLowEnergy::onCharacteristicWritten);
    mService->discoverDetails(QLowEnergyService::FullDiscovery);
    qDebug() << "=== BluetoothLowEnergy onServiceDiscovered MTU:" << mController->mtu() << "===";
}

void BluetoothLowEnergy::onServiceDiscoveredFinished()
{
}

void BluetoothLowEnergy::onServiceStateChanged(QLowEnergyService::ServiceState state)
{
    if (state != QLowEnergyService::RemoteServiceDiscovered) {
        return;
    }
    qDebug() << "=== BluetoothLowEnergy onServiceStateChanged 服务详情已发现 ===";
    setupService();
}

void BluetoothLowEnergy::onCharacteristicChanged(QLowEnergyCharacteristic characteristic,
                                                 QByteArray value)
{
    if (characteristic.uuid() != NOTIFY_CHAR_UUID) {
        return;
    }
    qDebug().noquote() << "=== BluetoothLowEnergy onCharacteristicChanged 收到数据:{ "
                              + QString::fromLatin1(value.toHex(' ')) + " } ===";
    deliverFrame(value, mFrameSize);
}

void BluetoothLowEnergy::onCharacteristicWritten(QLowEnergyCharacteristic characteristic,
                                                 QByteArray value)
{
    Q_UNUSED(value);
    if (characteristic.uuid() == WRITE_CHAR_UUID) {
        qDebug() << "=== BluetoothLowEnergy onCharacteristicWritten 数据写入成功 ===";
    }
}

QString BluetoothLowEnergy::errorText(QLowEnergyController::Error error)
{
    switch (error) {
    case QLowEnergyController::NoError:
        return QStringLiteral("没有错误");
    case QLowEnergyController::UnknownError:
        return QStringLiteral("未知错误");
    case QLowEnergyController::UnknownRemoteDeviceError:
        return QStringLiteral("未知远程设备错误");
    case QLowEnergyController::NetworkError:
        return QStringLiteral("网络错误");
    case QLowEnergyController::InvalidBluetoothAdapterError:
        return QStringLiteral("无效的蓝牙适配器错误");
    case QLowEnergyController::ConnectionError:
        return QStringLiteral("连接错误");
    case QLowEnergyController::AdvertisingError:
        return QStringLiteral("广播错误");
    case QLowEnergyController::RemoteHostClosedError:
        return QStringLiteral("远程主机关闭错误");
    case QLowEnergyController::AuthorizationError:
        return QStringLiteral("授权错误");
    default:
        return QStringLiteral("未知错误代码: %1").arg(int(error));
    }
}

void BluetoothLowEnergy::onError(QLowEnergyController::Error error)
{
    qDebug().noquote() << "=== BluetoothLowEnergy onError:{ " + errorText(error) + " } ===";
    mReady = false;
    mWriteQueue.clear();
    emit ble_disconnected();
}
