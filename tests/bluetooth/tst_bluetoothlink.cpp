#include "link/BluetoothFrame.h"
#include "link/BluetoothLowEnergy.h"
#include "link/BluetoothManager.h"
#include "link/ClassicBluetooth.h"

#include <QBluetoothLocalDevice>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QBluetoothAddress kKeyboardAddress(QStringLiteral("11:22:33:44:55:66"));
const QBluetoothAddress kOtherAddress(QStringLiteral("AA:BB:CC:DD:EE:FF"));

QBluetoothDeviceInfo device(const QBluetoothAddress &address, const QString &name,
                            QBluetoothDeviceInfo::CoreConfigurations core
                            = QBluetoothDeviceInfo::LowEnergyCoreConfiguration)
{
    QBluetoothDeviceInfo info(address, name, 0);
    info.setCoreConfigurations(core);
    return info;
}

bool hasAdapter()
{
    return QBluetoothLocalDevice().isValid();
}

// Counts every signal a link can emit.
template<typename Link>
struct LinkSpies
{
    explicit LinkSpies(Link *link)
        : connected(link, &Link::ble_connected)
        , disconnected(link, &Link::ble_disconnected)
        , errors(link, &Link::ble_error_callback)
        , frames(link, &Link::ble_data_received_callback)
    {
    }
    int total() const
    {
        return int(connected.size() + disconnected.size() + errors.size() + frames.size());
    }
    QSignalSpy connected;
    QSignalSpy disconnected;
    QSignalSpy errors;
    QSignalSpy frames;
};

} // namespace

class TestBluetoothLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ---- choosing the keyboard ----

    void nameTestIsCaseSensitivePrefix_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("keyboard") << "ZVL_K75" << true;
        QTest::newRow("prefix alone") << "ZVL_" << true;
        QTest::newRow("lower case") << "zvl_K75" << false;
        QTest::newRow("mixed case") << "Zvl_K75" << false;
        QTest::newRow("inside the name") << "My ZVL_K75" << false;
        QTest::newRow("without underscore") << "ZVLK75" << false;
        QTest::newRow("empty") << "" << false;
    }

    void nameTestIsCaseSensitivePrefix()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(BluetoothManager::checkNameVaild(name), accepted);
    }

    void keyboardMustBeConnectedToTheComputer()
    {
        const QList<QBluetoothAddress> connected{kOtherAddress, kKeyboardAddress};
        QVERIFY(BluetoothManager::isKeyboard(device(kKeyboardAddress, "ZVL_K75"), connected));
        // The same keyboard when the computer is not connected to it.
        QVERIFY(!BluetoothManager::isKeyboard(device(kKeyboardAddress, "ZVL_K75"), {kOtherAddress}));
        QVERIFY(!BluetoothManager::isKeyboard(device(kKeyboardAddress, "ZVL_K75"), {}));
        // Connected, but not a keyboard.
        QVERIFY(!BluetoothManager::isKeyboard(device(kOtherAddress, "Mouse"), connected));
        QVERIFY(!BluetoothManager::isKeyboard(device(kOtherAddress, "zvl_K75"), connected));
        // No address, no device.
        QVERIFY(!BluetoothManager::isKeyboard(device(QBluetoothAddress(), "ZVL_K75"),
                                              {QBluetoothAddress()}));
        QVERIFY(!BluetoothManager::isKeyboard(QBluetoothDeviceInfo(), connected));
    }

    void lowEnergyWinsForDualModeDevices()
    {
        QVERIFY(BluetoothManager::isLowEnergy(
            device(kKeyboardAddress, "ZVL_", QBluetoothDeviceInfo::LowEnergyCoreConfiguration)));
        QVERIFY(BluetoothManager::isLowEnergy(device(
            kKeyboardAddress, "ZVL_", QBluetoothDeviceInfo::BaseRateAndLowEnergyCoreConfiguration)));
        QVERIFY(!BluetoothManager::isLowEnergy(
            device(kKeyboardAddress, "ZVL_", QBluetoothDeviceInfo::BaseRateCoreConfiguration)));
        QVERIFY(!BluetoothManager::isLowEnergy(
            device(kKeyboardAddress, "ZVL_", QBluetoothDeviceInfo::UnknownCoreConfiguration)));
    }

    // ---- the manager without an adapter ----

    void invalidAdapterFailsAndReleasesTheWaiter()
    {
        if (hasAdapter()) {
            QSKIP("this computer has a Bluetooth adapter");
        }
        BluetoothManager manager;
        QSignalSpy finished(&manager, &BluetoothManager::ble_discovery_finished);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!manager.startDeviceDiscovery());
        QVERIFY2(clock.elapsed() < 500, "must not block the caller");
        // Reported from the event loop, after the caller had the chance to show its box.
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);

        // A cancel afterwards changes nothing; a second attempt reports again.
        manager.stopDeviceDiscovery();
        QVERIFY(!manager.startDeviceDiscovery());
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(1).at(0).toBool(), false);
        QTest::qWait(20);
        QCOMPARE(finished.size(), 2);
    }

    void openWithoutDiscoveryReportsNoDevice()
    {
        BluetoothManager manager;
        LinkSpies<BluetoothManager> spies(&manager);
        manager.openDevice();
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NO_DEVICE));
        QCOMPARE(spies.total(), 1);
        QVERIFY(!manager.isConnected());
    }

    void beforeDiscoveryCallsGoToTheClassicLink()
    {
        BluetoothManager manager;
        LinkSpies<BluetoothManager> spies(&manager);
        manager.sendData(QByteArray(BluetoothManager::FRAME_SIZE, '\0'));
        // The classic link's not-connected code, relayed.
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NOT_CONNECTED));
        manager.closeDevice();
        QCOMPARE(spies.total(), 1);
        QVERIFY(!manager.isConnected());
    }

    void reportsOutsideADiscoveryAreIgnored()
    {
        // Reports the agent delivers after a cancel (or with nothing running) must neither
        // choose a device nor announce an outcome.
        BluetoothManager manager;
        QSignalSpy finished(&manager, &BluetoothManager::ble_discovery_finished);
        manager.stopDeviceDiscovery();
        QVERIFY(QMetaObject::invokeMethod(&manager, "deviceDiscovered",
                                          Q_ARG(QBluetoothDeviceInfo,
                                                device(kKeyboardAddress, "ZVL_K75"))));
        QVERIFY(QMetaObject::invokeMethod(&manager, "discoveryFinished"));
        QVERIFY(QMetaObject::invokeMethod(
            &manager, "discoveryError",
            Q_ARG(QBluetoothDeviceDiscoveryAgent::Error,
                  QBluetoothDeviceDiscoveryAgent::InputOutputError)));
        QCOMPARE(finished.size(), 0);

        QSignalSpy errors(&manager, &BluetoothManager::ble_error_callback);
        manager.openDevice();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NO_DEVICE));
    }

    void managerGoesAwayCleanly()
    {
        auto *manager = new BluetoothManager;
        manager->startDeviceDiscovery();
        delete manager; // a pending outcome must not reach a deleted manager
        QTest::qWait(20);
    }

    // ---- classic link ----

    void classicSendBeforeOpenIsNotConnected()
    {
        ClassicBluetooth link;
        LinkSpies<ClassicBluetooth> spies(&link);
        QVERIFY(!link.isConnected());
        link.sendData(QByteArray(64, '\0'));
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NOT_CONNECTED));
        link.closeDevice();
        QCOMPARE(spies.total(), 1);
    }

    void classicOpenWithNullAddressFails()
    {
        ClassicBluetooth link;
        LinkSpies<ClassicBluetooth> spies(&link);
        link.openDevice(QBluetoothDeviceInfo(), 64);
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NO_DEVICE));
        QCOMPARE(spies.total(), 1);
        QVERIFY(!link.isConnected());
        // No socket was made: a write still finds nothing connected.
        link.sendData(QByteArray(64, '\0'));
        QCOMPARE(spies.errors.at(1).at(0).toInt(), int(BLUETOOTH_ERROR_NOT_CONNECTED));
    }

    void classicOpenWithoutAdapterFailsOnce()
    {
        if (hasAdapter()) {
            QSKIP("this computer has a Bluetooth adapter");
        }
        ClassicBluetooth link;
        LinkSpies<ClassicBluetooth> spies(&link);
        link.openDevice(device(kKeyboardAddress, "ZVL_K75",
                               QBluetoothDeviceInfo::BaseRateCoreConfiguration),
                        64);
        QTRY_COMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_NO_DEVICE));
        QCOMPARE(spies.connected.size(), 0);
        QVERIFY(!link.isConnected());
        // Closing the failed link reports nothing; opening again replaces the socket.
        link.closeDevice();
        QTest::qWait(20);
        QCOMPARE(spies.total(), 1);
        link.openDevice(device(kKeyboardAddress, "ZVL_K75",
                               QBluetoothDeviceInfo::BaseRateCoreConfiguration),
                        64);
        QTRY_COMPARE(spies.errors.size(), 2);
        QCOMPARE(spies.connected.size(), 0);
    }

    void classicCloseFromItsOwnErrorReport()
    {
        if (hasAdapter()) {
            QSKIP("this computer has a Bluetooth adapter");
        }
        // The protocol may close the link while the failing socket is still reporting.
        ClassicBluetooth link;
        LinkSpies<ClassicBluetooth> spies(&link);
        connect(&link, &ClassicBluetooth::ble_error_callback, &link, &ClassicBluetooth::closeDevice);
        link.openDevice(device(kKeyboardAddress, "ZVL_K75",
                               QBluetoothDeviceInfo::BaseRateCoreConfiguration),
                        64);
        QTRY_COMPARE(spies.errors.size(), 1);
        QTest::qWait(20);
        QCOMPARE(spies.total(), 1);
        QVERIFY(!link.isConnected());
    }

    void classicSocketErrorLines()
    {
        using E = QBluetoothSocket::SocketError;
        QCOMPARE(ClassicBluetooth::socketErrorLine(E::ServiceNotFoundError, "x"),
                 QString("=== ClassicBluetooth onSocketError Serial Port service not found on the "
                         "device ==="));
        QCOMPARE(ClassicBluetooth::socketErrorLine(E::RemoteHostClosedError, "x"),
                 QString("=== ClassicBluetooth onSocketError Remote host closed the connection ==="));
        QCOMPARE(ClassicBluetooth::socketErrorLine(E::NoSocketError, "x"),
                 QString("=== ClassicBluetooth onSocketError Socket error ==="));
        QCOMPARE(ClassicBluetooth::socketErrorLine(E::MissingPermissionsError, "x"),
                 QString("=== onSocketError Missing permissions error ==="));
        QCOMPARE(ClassicBluetooth::socketErrorLine(E(42), "broken pipe"),
                 QString("=== ClassicBluetooth onSocketError Unknown error:{ broken pipe } ==="));
    }

    // ---- Low Energy link ----

    void lowEnergySendBeforeReadyIsRefused()
    {
        BluetoothLowEnergy link;
        LinkSpies<BluetoothLowEnergy> spies(&link);
        QVERIFY(!link.isConnected());
        link.sendData(QByteArray(64, '\0'));
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_WRITE));
        // No service yet: setting up reports nothing.
        link.setupService();
        link.closeDevice();
        QCOMPARE(spies.total(), 1);
    }

    void lowEnergyControllerFailureIsADisconnection()
    {
        if (hasAdapter()) {
            QSKIP("this computer has a Bluetooth adapter");
        }
        BluetoothLowEnergy link;
        LinkSpies<BluetoothLowEnergy> spies(&link);
        link.openDevice(device(kKeyboardAddress, "ZVL_K75"), 64);
        QTRY_VERIFY(spies.disconnected.size() >= 1);
        QCOMPARE(spies.errors.size(), 0);
        QCOMPARE(spies.connected.size(), 0);
        QVERIFY(!link.isConnected());
        // The program's own close reports nothing further.
        const int before = spies.total();
        link.closeDevice();
        QTest::qWait(20);
        QCOMPARE(spies.total(), before);
        link.sendData(QByteArray(64, '\0'));
        QCOMPARE(spies.errors.size(), 1);
        QCOMPARE(spies.errors.at(0).at(0).toInt(), int(BLUETOOTH_ERROR_WRITE));
    }

    void lowEnergyCloseFromItsOwnDisconnection()
    {
        if (hasAdapter()) {
            QSKIP("this computer has a Bluetooth adapter");
        }
        // The protocol closes the link on ble_disconnected, possibly while the controller that
        // reported it is still inside its own call.
        BluetoothLowEnergy link;
        LinkSpies<BluetoothLowEnergy> spies(&link);
        connect(&link, &BluetoothLowEnergy::ble_disconnected, &link,
                &BluetoothLowEnergy::closeDevice);
        link.openDevice(device(kKeyboardAddress, "ZVL_K75"), 64);
        QTRY_COMPARE(spies.disconnected.size(), 1);
        QTest::qWait(20);
        QCOMPARE(spies.total(), 1);
        // And the link can be opened again afterwards.
        link.openDevice(device(kKeyboardAddress, "ZVL_K75"), 64);
        QTRY_COMPARE(spies.disconnected.size(), 2);
    }

    void lowEnergyWriteModeFollowsProperties()
    {
        using C = QLowEnergyCharacteristic;
        QVERIFY(BluetoothLowEnergy::isWritable(C::Write));
        QVERIFY(BluetoothLowEnergy::isWritable(C::WriteNoResponse));
        QVERIFY(BluetoothLowEnergy::isWritable(C::Read | C::Write | C::Notify));
        QVERIFY(!BluetoothLowEnergy::isWritable(C::Read | C::Notify));
        QVERIFY(!BluetoothLowEnergy::isWritable(C::WriteSigned));
        QVERIFY(!BluetoothLowEnergy::isWritable(C::Unknown));
        QCOMPARE(BluetoothLowEnergy::writeMode(C::Write), QLowEnergyService::WriteWithResponse);
        QCOMPARE(BluetoothLowEnergy::writeMode(C::WriteNoResponse),
                 QLowEnergyService::WriteWithoutResponse);
        QCOMPARE(BluetoothLowEnergy::writeMode(C::Write | C::WriteNoResponse),
                 QLowEnergyService::WriteWithoutResponse);
    }

    void lowEnergyErrorTexts()
    {
        QCOMPARE(BluetoothLowEnergy::errorText(QLowEnergyController::NoError), QString("没有错误"));
        QCOMPARE(BluetoothLowEnergy::errorText(QLowEnergyController::InvalidBluetoothAdapterError),
                 QString("无效的蓝牙适配器错误"));
        QCOMPARE(BluetoothLowEnergy::errorText(QLowEnergyController::AuthorizationError),
                 QString("授权错误"));
        QCOMPARE(BluetoothLowEnergy::errorText(QLowEnergyController::MissingPermissionsError),
                 QString("未知错误代码: 9"));
    }

    void gattIdentifiers()
    {
        QCOMPARE(BluetoothLowEnergy::SERVICE_UUID.toString(),
                 QString("{0000ae40-0000-1000-8000-00805f9b34fb}"));
        QCOMPARE(BluetoothLowEnergy::WRITE_CHAR_UUID.toString(),
                 QString("{0000ae41-0000-1000-8000-00805f9b34fb}"));
        QCOMPARE(BluetoothLowEnergy::NOTIFY_CHAR_UUID.toString(),
                 QString("{0000ae42-0000-1000-8000-00805f9b34fb}"));
        QCOMPARE(ClassicBluetooth::SERIAL_PORT_UUID,
                 QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::SerialPort));
    }
};

QTEST_GUILESS_MAIN(TestBluetoothLink)
#include "tst_bluetoothlink.moc"
