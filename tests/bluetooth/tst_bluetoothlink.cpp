#include "link/BluetoothFrame.h"
#include "link/BluetoothLowEnergy.h"
#include "link/BluetoothManager.h"
#include "link/ClassicBluetooth.h"
#include "link/LowEnergyWriteQueue.h"

#include <QBluetoothLocalDevice>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QBluetoothAddress kKeyboard(QStringLiteral("11:22:33:44:55:66"));
const QBluetoothAddress kOther(QStringLiteral("AA:BB:CC:DD:EE:FF"));

QBluetoothDeviceInfo device(const QBluetoothAddress &address, const QString &name,
                            QBluetoothDeviceInfo::CoreConfigurations core = QBluetoothDeviceInfo::LowEnergyCoreConfiguration)
{
    QBluetoothDeviceInfo info(address, name, 0);
    info.setCoreConfigurations(core);
    return info;
}

const QBluetoothDeviceInfo kClassicKeyboard = device(kKeyboard, "ZVL_K75", QBluetoothDeviceInfo::BaseRateCoreConfiguration);

// Every signal a link emits, in order: "connected", "disconnected", "error <code>".
template<typename Link>
struct LinkLog : QStringList {
    explicit LinkLog(Link *link)
    {
        QObject::connect(link, &Link::ble_connected, &context, [this] { append("connected"); });
        QObject::connect(link, &Link::ble_disconnected, &context, [this] { append("disconnected"); });
        QObject::connect(link, &Link::ble_error_callback, &context, [this](const int &code) { append(QString("error %1").arg(code)); });
    }
    QObject context;
};

// Every piece a write queue hands to the link, and when; the link refuses pieces while !accept.
struct PieceRecorder {
    explicit PieceRecorder(LowEnergyWriteQueue &queue)
    {
        clock.start();
        queue.setWriter([this](const QByteArray &piece) {
            if (accept)
                written << piece, at << clock.elapsed();
            return accept;
        });
    }
    bool spacedByInterval() const
    {
        for (int i = 1; i < at.size(); ++i)
            if (at[i] - at[i - 1] < LowEnergyWriteQueue::PIECE_INTERVAL_MS - 1)
                return false;
        return true;
    }
    QElapsedTimer clock;
    bool accept = true;
    QList<QByteArray> written;
    QList<qint64> at;
};
} // namespace

// The Bluetooth links, their frames and the pacing of Low Energy writes. The links are tried
// without an adapter (tests that need its absence skip on a computer that has one).
class TestBluetoothLink : public QObject
{
    Q_OBJECT
private:
    bool mAdapter = false;

private Q_SLOTS:
    void initTestCase()
    {
        // Qt Bluetooth reports the missing adapter itself (here, once per run); that is not the program's.
        QLoggingCategory::setFilterRules("qt.bluetooth*.warning=false");
        mAdapter = QBluetoothLocalDevice().isValid();
    }

    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void keyboardIsConnectedNamedAndLowEnergyFirst()
    {
        const QList<QBluetoothAddress> connected{kOther, kKeyboard};
        QVERIFY(BluetoothManager::isKeyboard(device(kKeyboard, "ZVL_K75"), connected));
        QVERIFY(!BluetoothManager::isKeyboard(device(kKeyboard, "ZVL_K75"), {kOther}));
        QVERIFY(!BluetoothManager::isKeyboard(device(kOther, "Mouse"), connected));
        QVERIFY(BluetoothManager::checkNameVaild("ZVL_")); // a case-sensitive prefix
        for (const char *name : {"zvl_K75", "My ZVL_K75", "ZVLK75"})
            QVERIFY2(!BluetoothManager::checkNameVaild(name), name);
        QVERIFY(!BluetoothManager::isKeyboard(device(QBluetoothAddress(), "ZVL_K75"), {QBluetoothAddress()}));
        QVERIFY(BluetoothManager::isLowEnergy(device(kKeyboard, "ZVL_", QBluetoothDeviceInfo::BaseRateAndLowEnergyCoreConfiguration)));
        QVERIFY(!BluetoothManager::isLowEnergy(kClassicKeyboard));
    }

    void discoveryWithoutAdapterFailsLater()
    {
        if (mAdapter)
            QSKIP("this computer has a Bluetooth adapter");
        BluetoothManager manager;
        QSignalSpy finished(&manager, &BluetoothManager::ble_discovery_finished);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!manager.startDeviceDiscovery());
        QVERIFY(clock.elapsed() < 500);
        QCOMPARE(finished.size(), 0); // from the event loop, once the caller can wait for it
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        manager.stopDeviceDiscovery();
        QVERIFY(!manager.startDeviceDiscovery());
        QTRY_COMPARE(finished.size(), 2);
    }

    void managerBeforeAnyDiscovery()
    {
        BluetoothManager manager;
        LinkLog log(&manager);
        QSignalSpy finished(&manager, &BluetoothManager::ble_discovery_finished);
        // Reports the agent delivers with no discovery running choose nothing and end nothing.
        QMetaObject::invokeMethod(&manager, "deviceDiscovered", Q_ARG(QBluetoothDeviceInfo, device(kKeyboard, "ZVL_K75")));
        QMetaObject::invokeMethod(&manager, "discoveryFinished");
        QMetaObject::invokeMethod(&manager, "discoveryError", Q_ARG(QBluetoothDeviceDiscoveryAgent::Error,
                                                                   QBluetoothDeviceDiscoveryAgent::InputOutputError));
        manager.openDevice();
        manager.sendData(QByteArray(BluetoothManager::FRAME_SIZE, '\0')); // the classic link answers
        manager.closeDevice();
        QCOMPARE(finished.size(), 0);
        QCOMPARE(log, QStringList({"error -200", "error -201"}));
        QVERIFY(!manager.isConnected());
    }

    void classicLink()
    {
        ClassicBluetooth link;
        LinkLog log(&link);
        link.sendData(QByteArray(64, '\0'));
        link.openDevice(QBluetoothDeviceInfo(), 64);
        link.sendData(QByteArray(64, '\0'));
        link.closeDevice();
        QCOMPARE(log, QStringList({"error -201", "error -200", "error -201"}));
        if (mAdapter)
            return;
        // Without an adapter: one failure per attempt, also when the link is closed from inside
        // its own report (as the protocol does).
        connect(&link, &ClassicBluetooth::ble_error_callback, &link, &ClassicBluetooth::closeDevice);
        link.openDevice(kClassicKeyboard, 64);
        QTRY_COMPARE(log.size(), 4);
        link.openDevice(kClassicKeyboard, 64);
        QTRY_COMPARE(log.size(), 5);
        QTest::qWait(20);
        QCOMPARE(log.mid(3), QStringList({"error -200", "error -200"}));
        QVERIFY(!link.isConnected());
    }

    void lowEnergyLink()
    {
        BluetoothLowEnergy link;
        LinkLog log(&link);
        link.sendData(QByteArray(64, '\0')); // not ready for writing
        link.setupService();                 // no service yet: nothing
        link.closeDevice();
        QCOMPARE(log, QStringList{"error -202"});
        if (mAdapter)
            return;
        // The controller failing is a disconnection; the program's own close reports nothing; the
        // link opens again, also when closed from its own report.
        connect(&link, &BluetoothLowEnergy::ble_disconnected, &link, &BluetoothLowEnergy::closeDevice);
        link.openDevice(device(kKeyboard, "ZVL_K75"), 64);
        QTRY_COMPARE(log.size(), 2);
        link.openDevice(device(kKeyboard, "ZVL_K75"), 64);
        QTRY_COMPARE(log.size(), 3);
        QTest::qWait(20);
        link.sendData(QByteArray(64, '\0'));
        QCOMPARE(log, QStringList({"error -202", "disconnected", "disconnected", "error -202"}));
    }

    void lowEnergyWriteModeFollowsProperties()
    {
        using C = QLowEnergyCharacteristic;
        QVERIFY(BluetoothLowEnergy::isWritable(C::Read | C::Write | C::Notify));
        QVERIFY(BluetoothLowEnergy::isWritable(C::WriteNoResponse));
        QVERIFY(!BluetoothLowEnergy::isWritable(C::Read | C::Notify | C::WriteSigned));
        QCOMPARE(BluetoothLowEnergy::writeMode(C::Write), QLowEnergyService::WriteWithResponse);
        QCOMPARE(BluetoothLowEnergy::writeMode(C::Write | C::WriteNoResponse), QLowEnergyService::WriteWithoutResponse);
    }

    // One read or notification: only the payload bytes the length names, and only those that
    // arrived within the frame, are taken (the USB reader's table has the other refusals).
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QString>("frame"); // "order frame total length payload"; empty: refused
        QTest::newRow("whole frame") << QByteArray::fromHex("fad70101000540414243440000") << 64 << "d7 1 1 5 4041424344";
        QTest::newRow("short read") << QByteArray::fromHex("fa900101000211223344") << 64 << "90 1 1 2 1122";
        QTest::newRow("byte four ignored") << QByteArray::fromHex("fae202057f03a1a2a3") << 64 << "e2 2 5 3 a1a2a3";
        QTest::newRow("head only") << QByteArray::fromHex("faf101010000") << 64 << "f1 1 1 0 ";
        QTest::newRow("payload exactly at the frame's end") << QByteArray::fromHex("fa90010100050102030405") << 11 << "90 1 1 5 0102030405";
        QTest::newRow("payload past the frame's end") << QByteArray::fromHex("fa90010100050102030405") << 10 << "";
        QTest::newRow("claims 59 of a 64-byte frame") << QByteArray::fromHex("fa900101003b") + QByteArray(70, 'x') << 64 << "";
        QTest::newRow("no frame size") << QByteArray::fromHex("faf101010000") << 0 << "";
    }

    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, frameSize);
        QFETCH(QString, frame);
        BluetoothFrame read;
        read.order = 0x55;
        const bool taken = BluetoothFrame::parse(bytes, frameSize, &read);
        QCOMPARE(taken, !frame.isEmpty());
        if (taken)
            QCOMPARE(QString("%1 %2 %3 %4 %5").arg(read.order, 2, 16).arg(read.frame).arg(read.total).arg(read.length).arg(read.data.toHex()), frame);
        else
            QCOMPARE(read.order, uchar(0x55)); // left untouched
    }

    void split_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("mtu");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("default MTU") << 64 << 23 << QList<int>{20, 20, 20, 4};
        QTest::newRow("MTU below the minimum") << 64 << 10 << QList<int>{20, 20, 20, 4};
        QTest::newRow("MTU 24") << 64 << 24 << QList<int>{21, 21, 21, 1};
        QTest::newRow("MTU 67") << 64 << 67 << QList<int>{64};
        QTest::newRow("empty") << 0 << 23 << QList<int>{};
    }

    void split()
    {
        QFETCH(int, frameSize);
        QFETCH(int, mtu);
        QFETCH(QList<int>, sizes);
        QByteArray frame;
        for (int i = 0; i < frameSize; ++i)
            frame += char(i);
        const QList<QByteArray> pieces = BluetoothFrame::split(frame, mtu);
        QList<int> got;
        for (const QByteArray &piece : pieces)
            got << int(piece.size());
        QCOMPARE(got, sizes);
        QCOMPARE(pieces.join(), frame);
    }

    // Pieces go out one interval apart without blocking the caller; a refused piece or a clear
    // drops what waits.
    void lowEnergyWritesArePaced()
    {
        LowEnergyWriteQueue queue;
        PieceRecorder recorder(queue);
        queue.enqueue({"a", "b", "c"});
        queue.enqueue({"d"}); // a frame queued behind waits for the pause after the last piece
        // The first at once, the rest later: the caller never waits out an interval.
        QCOMPARE(recorder.written, QList<QByteArray>{"a"});
        QTRY_VERIFY(queue.isIdle());
        QCOMPARE(recorder.written, (QList<QByteArray>{"a", "b", "c", "d"}));
        QVERIFY(recorder.spacedByInterval());
        queue.enqueue({"e", "f", "g"});
        recorder.accept = false;
        QTRY_VERIFY(queue.isIdle());
        recorder.accept = true;
        queue.enqueue({"h", "i"});
        queue.clear();
        QTRY_VERIFY(queue.isIdle());
        QCOMPARE(recorder.written.mid(4), (QList<QByteArray>{"e", "h"}));
        LowEnergyWriteQueue unwired; // without a writer nothing is kept
        unwired.enqueue({"a", "b"});
        QVERIFY(unwired.isIdle());
    }
};

QTEST_GUILESS_MAIN(TestBluetoothLink)
#include "tst_bluetoothlink.moc"
