#include "link/HidInterfaceTracker.h"
#include "link/HidWatcher.h"
#include "link/UsbHidUtil.h"
#include "link/UsbReceiveThread.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/EventWait.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using Entry = HidInterfaceTracker::Entry;
using Entries = QList<Entry>;

namespace {
// Interfaces that are not the keyboard's vendor interfaces: page and usage crossed or swapped,
// its desktop keyboard collection, another vendor's or product's.
const QList<EmulatedHidInterface> kStrays = [] {
    QList<EmulatedHidInterface> strays;
    for (const QList<int> &id : QList<QList<int>>{{0x5E2D, 0x4E93, 0xFF02, 1}, {0x5E2D, 0x4E93, 0xFF00, 2}, {0x5E2D, 0x4E93, 1, 0xFF00},
                                                 {0x5E2D, 0x4E93, 1, 6}, {0x046D, 0x4E93, 0xFF00, 1}, {0x5E2D, 0x4E94, 0xFF02, 2}}) {
        strays << EmulatedHidBus::keyboardInterface(64, "stray" + QByteArray::number(strays.size()));
        strays.last().vendorId = quint16(id[0]);
        strays.last().productId = quint16(id[1]);
        strays.last().usagePage = quint16(id[2]);
        strays.last().usage = quint16(id[3]);
    }
    return strays;
}();

// Interfaces by short name: w3 and n4 the keyboard's 128- and 64-byte interfaces on
// /dev/hidraw3 and 4, d2 its desktop keyboard collection, m1 a mouse, s9 and c8 the keyboard's
// ids with usage and page swapped or crossed.
Entries entries(const QString &names)
{
    Entries list;
    for (const QString &name : names.split(' ', Qt::SkipEmptyParts)) {
        const QByteArray path = "/dev/hidraw" + name.mid(1).toLatin1();
        const QMap<QChar, QList<int>> kinds = {{'w', {0x5E2D, 0xFF00, 1}}, {'n', {0x5E2D, 0xFF02, 2}},
                                               {'d', {0x5E2D, 0x0001, 6}}, {'m', {0x046D, 0x0001, 2}},
                                               {'s', {0x5E2D, 0x0001, 0xFF00}}, {'c', {0x5E2D, 0xFF02, 1}}};
        const QList<int> kind = kinds.value(name[0]);
        list << Entry{path, quint16(kind[0]), quint16(kind[0] == 0x5E2D ? 0x4E93 : 0xC077), quint16(kind[1]), quint16(kind[2])};
    }
    return list;
}
} // namespace

// HID access on the emulated bus: which interfaces count, which one the link opens, the reader
// thread (what it hands on or drops, how it paces and stops) and the hot-plug watcher.
class TestUsbHidUtil : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    UsbReceiveThread *reader = nullptr;
    hid_device *device = nullptr;
    QByteArray path;
    QStringList received; // "order frame total length payload", in hex

    void openKeyboard(int frameSize)
    {
        path = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {frameSize}).first();
        device = UsbHidUtil::openPreferredUsbDevice();
        QVERIFY(device);
        reader->openThread(device);
        QTRY_VERIFY(bus.readCount(path) > 0);
    }

private Q_SLOTS:
    void init()
    {
        if (reader)
            cleanup(); // what a failed init() left goes before anything new is built
        QTest::failOnWarning(QRegularExpression(".*"));
        bus.reset();
        global_setUsbFrameSize(100);
        for (const EmulatedHidInterface &stray : kStrays)
            bus.attach(stray);
        received.clear();
        reader = new UsbReceiveThread;
        // Received on the main thread, as the command protocol receives them.
        connect(reader, &UsbReceiveThread::usb_receive_data, this,
                [this](const uchar &order, const uchar &frame, const uchar &total, const uchar &length, QByteArray data) {
                    received << QString("%1 %2 %3 %4 %5").arg(order, 2, 16).arg(frame).arg(total).arg(length).arg(data.toHex());
                });
    }

    void cleanup()
    {
        reader->closeThread();
        if (device)
            hid_close(device);
        device = nullptr;
        delete reader;
        reader = nullptr;
    }

    void frameSizesChangeTogether()
    {
        QVERIFY(global_setUsbFrameSize(64));
        for (int refused : {129, 6, 0})
            QVERIFY(!global_setUsbFrameSize(refused));
        QCOMPARE(QList<int>({gUsbFrameMaxsize, gUsbFrameEffectSize}), QList<int>({64, 58}));
    }

    // The legal test needs all four values of one row.
    void enumerationCountsLegalInterfacesOnly()
    {
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        EmulatedHidInterface other = EmulatedHidBus::keyboardInterface(64, "other");
        other.usage = 1; // the 64-byte interface's usage page with the 128-byte one's usage
        bus.attach(other);
        QCOMPARE(UsbHidUtil().getEffectUsbDeviceTotal(), 2);
    }

    // The 128-byte interface first, then the 64-byte one; within a row the first interface that
    // opens, but a row whose interface refuses blocking mode is left.
    void interfaceChoice_data()
    {
        QTest::addColumn<QList<int>>("first");  // interfaces of keyboard "a", in plug-in order
        QTest::addColumn<QList<int>>("second"); // of keyboard "b"
        QTest::addColumn<QString>("fault");     // on a-128 (or all of a)
        QTest::addColumn<QByteArray>("opened");
        QTest::newRow("128 preferred") << QList<int>{64, 128} << QList<int>{} << "" << QByteArray("a-128");
        QTest::newRow("64 alone") << QList<int>{64} << QList<int>{} << "" << QByteArray("a-64");
        QTest::newRow("128 does not open") << QList<int>{128, 64} << QList<int>{} << "open" << QByteArray("a-64");
        QTest::newRow("next 128 of the row") << QList<int>{128} << QList<int>{128, 64} << "open" << QByteArray("b-128");
        QTest::newRow("128 refuses blocking") << QList<int>{128, 64} << QList<int>{} << "blocking" << QByteArray("a-64");
        QTest::newRow("row left after refusal") << QList<int>{128} << QList<int>{128, 64} << "blocking" << QByteArray("b-64");
        QTest::newRow("nothing opens") << QList<int>{128, 64} << QList<int>{} << "all" << QByteArray();
        QTest::newRow("no keyboard") << QList<int>{} << QList<int>{} << "" << QByteArray();
    }

    void interfaceChoice()
    {
        QFETCH(QList<int>, first);
        QFETCH(QList<int>, second);
        QFETCH(QString, fault);
        QFETCH(QByteArray, opened);
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), first, "a");
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), second, "b");
        EmulatedHidFaults faults;
        faults.openFails = fault == "open" || fault == "all";
        faults.nonblockingFails = fault == "blocking";
        for (const QByteArray &path : paths)
            if (fault == "all" || path.endsWith("a-128"))
                bus.setFaults(path, faults);

        hid_device *handle = UsbHidUtil::openPreferredUsbDevice();
        for (const EmulatedHidInterface &stray : kStrays)
            QCOMPARE(bus.openCount(stray.path), 0);
        QCOMPARE(bus.openHandleCount(), opened.isEmpty() ? 0 : 1); // a handle refusing blocking mode is closed again
        const int size = opened.isEmpty() ? 100 : opened.endsWith("128") ? 128 : 64; // else the last link's sizes stay
        QCOMPARE(QList<int>({gUsbFrameMaxsize, gUsbFrameEffectSize}), QList<int>({size, size - 6}));
        if (opened.isEmpty())
            return;
        const QByteArray path = "/dev/hidraw-emulated/" + opened;
        QCOMPARE(bus.openCount(path), 1);
        // Blocking mode: a plain read waits for a report that comes later.
        bus.pushInputReport(path, "\xFA\x01", 30);
        uchar report[129];
        QCOMPARE(hid_read(handle, report, sizeof report), 2);
        hid_close(handle);
    }

    void enumerationDifference_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::newRow("keyboard plugged") << "m1" << "m1 d2 w3 n4" << "w3 n4" << "";
        QTest::newRow("keyboard pulled") << "m1 d2 w3 n4" << "m1" << "" << "w3 n4";
        QTest::newRow("other collections") << "" << "m1 d2 s9 c8" << "" << "";
        QTest::newRow("order changed") << "w3 n4" << "n4 w3" << "" << "";
        QTest::newRow("moved to another node") << "w3" << "w5" << "w5" << "w3";
        QTest::newRow("second keyboard, listed twice") << "w3" << "w3 w6 w6" << "w6 w6" << "";
        QTest::newRow("one of two identical entries left") << "w3 w6 w6" << "w3 w6" << "" << "w6";
    }

    void enumerationDifference()
    {
        QFETCH(QString, before);
        QFETCH(QString, now);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        HidInterfaceTracker tracker;
        tracker.reset(entries(before));
        const auto changes = tracker.update(entries(now));
        QCOMPARE(changes.added, entries(added));
        QCOMPARE(changes.removed, entries(removed));
        QCOMPARE(tracker.known(), entries(now));
    }

    void watcherReportsWhatTheNoticesReveal()
    {
        // A keyboard present at the start is known, not announced.
        const QList<QByteArray> first = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64}, "first");
        auto *monitor = new HidPlatformMonitor;
        HidWatcher watcher(nullptr, monitor);
        QVERIFY(watcher.isWatching());
        QSignalSpy connected(&watcher, &HidWatcher::deviceConnected);
        QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64});
        EmulatedHidInterface mouse = EmulatedHidBus::keyboardInterface(64, "mouse");
        mouse.vendorId = 0x046D;
        bus.attach(mouse);
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Added, paths[0]);
        QCOMPARE(QList<qsizetype>({connected.size(), disconnected.size()}), QList<qsizetype>({2, 0}));
        // The 64-byte node is back by the time its removal is handled: still gone and come again.
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Removed, paths[1]);
        QCOMPARE(QList<qsizetype>({connected.size(), disconnected.size()}), QList<qsizetype>({3, 1}));
        bus.detach(paths[0]);
        bus.detach(mouse.path);
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Changed, QByteArray());
        QCOMPARE(QList<qsizetype>({connected.size(), disconnected.size()}), QList<qsizetype>({3, 2}));
        // Both interfaces of a keyboard gone by one rescan: a notice for each.
        for (const QByteArray &path : first)
            bus.detach(path);
        watcher.rescan();
        QCOMPARE(QList<qsizetype>({connected.size(), disconnected.size()}), QList<qsizetype>({3, 4}));
        QVERIFY(!HidWatcher(nullptr, nullptr).isWatching());
    }

    void framesHandedOn_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("handedOn"); // empty: dropped
        const auto frame = [](const char *hex, int size) { return QByteArray::fromHex(hex).leftJustified(size, '\0'); };
        QTest::newRow("bytes behind the payload") << 128 << frame("fa960102000511223344550099", 128) << "96 1 2 5 1122334455";
        QTest::newRow("empty payload") << 64 << frame("fad001010000ffff", 64) << "d0 1 1 0 ";
        QTest::newRow("other tag") << 64 << frame("fbe201010002abcd", 64) << "";
        QTest::newRow("report id in front") << 64 << frame("00fae201010002abcd", 64) << "";
        QTest::newRow("shorter than a head") << 64 << QByteArray::fromHex("fae201") << "";
        QTest::newRow("length beyond a short report") << 64 << QByteArray::fromHex("fae2010100c8aabbccdd") << "";
        QTest::newRow("length beyond the frame") << 64 << frame("fae20101003b", 64) << "";
        QTest::newRow("length filling the frame") << 64 << frame("fae20101003a", 64) << QString("e2 1 1 58 " + QByteArray(58, '\0').toHex());
        QTest::newRow("full 128-byte frame") << 128 << QByteArray::fromHex("fa970101007a") + QByteArray(122, 'p')
                                             << QString("97 1 1 122 " + QByteArray(122, 'p').toHex());
    }

    void framesHandedOn()
    {
        QFETCH(int, frameSize);
        QFETCH(QByteArray, report);
        QFETCH(QString, handedOn);
        openKeyboard(frameSize);
        bus.pushInputReport(path, report);
        // A frame behind it shows that the reader has dealt with the report.
        bus.pushInputReport(path, QByteArray::fromHex("fade01010001ee").leftJustified(frameSize, '\0'));
        QTRY_VERIFY_WITH_TIMEOUT(!received.isEmpty() && received.last().startsWith("de "), 2000);
        QCOMPARE(received.mid(0, received.size() - 1).join(""), handedOn);
        QCOMPARE(received.last(), QString("de 1 1 1 ee"));
    }

    // Reads wait their time-out; failed reads pause before the next one; closing ends the reader
    // within one read time-out in either case.
    void pacing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("maxReads"); // in 600 ms
        QTest::newRow("silent keyboard") << "" << 3;
        QTest::newRow("failing reads") << "read" << 600 / UsbReceiveThread::ErrorBackoffMs + 5;
        QTest::newRow("unplugged") << "unplug" << 600 / UsbReceiveThread::ErrorBackoffMs + 5;
    }

    void pacing()
    {
        QFETCH(QString, fault);
        QFETCH(int, maxReads);
        openKeyboard(64);
        EmulatedHidFaults faults;
        faults.readFails = fault == "read";
        bus.setFaults(path, faults);
        if (fault == "unplug")
            bus.detach(path);
        const int before = bus.readCount(path);
        QTest::qWait(600);
        const int reads = bus.readCount(path) - before;
        QVERIFY2(reads <= maxReads, qPrintable(QString::number(reads)));
        EVENTWAIT_VERIFY(bus.readCount(path) > before, 5000); // and it reads on
        QVERIFY(reader->isRunning());
        if (fault == "read") { // it recovers once reads work again
            bus.setFaults(path, EmulatedHidFaults());
            bus.pushInputReport(path, QByteArray::fromHex("fade01010001ee").leftJustified(64, '\0'));
            QTRY_COMPARE(received, QStringList{"de 1 1 1 ee"});
        }
        QElapsedTimer clock;
        clock.start();
        reader->closeThread();
        QVERIFY2(clock.elapsed() <= UsbReceiveThread::ReadTimeoutMs + 150, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(reader->isFinished());
    }

    // Closed right after opening, the reader stops; reopened on another handle, it leaves the first.
    void reopening()
    {
        path = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128}).first();
        device = UsbHidUtil::openPreferredUsbDevice();
        reader->openThread(device);
        reader->closeThread();
        QVERIFY(reader->isFinished());
        reader->openThread(device);
        const QByteArray narrowPath = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {64}, "second").first();
        hid_device *narrow = hid_open_path(narrowPath.constData());
        QTRY_VERIFY(bus.readCount(path) > 0);
        reader->openThread(narrow);
        const int wideReads = bus.readCount(path);
        global_setUsbFrameSize(64);
        bus.pushInputReport(narrowPath, QByteArray::fromHex("fae201010001aa").leftJustified(64, '\0'));
        QTRY_COMPARE(received, QStringList{"e2 1 1 1 aa"});
        QCOMPARE(bus.readCount(path), wideReads);
        reader->closeThread();
        hid_close(narrow);
    }
};

QTEST_GUILESS_MAIN(TestUsbHidUtil)
#include "tst_usbhidutil.moc"
