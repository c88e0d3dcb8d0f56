#include "link/UsbHidUtil.h"
#include "link/UsbReceiveThread.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
struct ReceivedFrame {
    uchar order = 0;
    uchar frame = 0;
    uchar total = 0;
    uchar length = 0;
    QByteArray data;
};

quint16 u16At(const QByteArray &bytes, int at)
{
    return quint16(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
}

// A zero-padded text field of the identity reply.
QByteArray textAt(const QByteArray &bytes, int at, int width)
{
    const QByteArray field = bytes.mid(at, width);
    const qsizetype end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

QByteArray frameOf(const QByteArray &head, const QByteArray &payload, int frameSize)
{
    QByteArray report = head + payload;
    report.resize(frameSize, '\0');
    return report;
}
} // namespace

// The HID reader on the emulated bus: what it hands on, what it drops, how it stops.
class TestUsbReceiveThread : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    UsbReceiveThread *reader = nullptr;
    hid_device *device = nullptr;
    QList<ReceivedFrame> received;

    // Plugs in the keyboard's interfaces of the given sizes, opens the preferred one and starts
    // the reader on it; returns the opened interface's path.
    QByteArray openKeyboard(const QList<int> &sizes = {128, 64})
    {
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), sizes);
        device = UsbHidUtil::openPreferredUsbDevice();
        reader->openThread(device);
        return sizes.contains(128) ? paths[sizes.indexOf(128)] : paths[0];
    }

    void stop()
    {
        reader->closeThread();
        if (device)
            hid_close(device);
        device = nullptr;
    }

private Q_SLOTS:
    void init()
    {
        bus.reset();
        global_setUsbFrameSize(128);
        received.clear();
        reader = new UsbReceiveThread;
        // Received on the main thread, as the command protocol receives them.
        connect(reader, &UsbReceiveThread::usb_receive_data, this,
                [this](uchar const &order, uchar const &frame, uchar const &total, uchar const &length,
                       QByteArray data) { received.append({order, frame, total, length, data}); });
    }

    void cleanup()
    {
        stop();
        delete reader;
        reader = nullptr;
    }

    void identityReplyReadBack_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("productAt");
        QTest::addColumn<int>("customerWidth");
        QTest::newRow("128-byte interface") << 128 << 40 << 30;
        QTest::newRow("64-byte interface") << 64 << 28 << 18;
    }

    void identityReplyReadBack()
    {
        QFETCH(int, frameSize);
        QFETCH(int, productAt);
        QFETCH(int, customerWidth);
        const QByteArray path = openKeyboard({frameSize});
        QCOMPARE(gUsbFrameMaxsize.load(), frameSize);

        const QByteArray clock("\x00\x1A\x03\x0E\x0C\x22\x38", 7);
        const QByteArray request = KeyboardFrameCodec::outputReport(0x62, clock, frameSize);
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(request.constData()), size_t(request.size())),
                 frameSize + 1);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);

        const ReceivedFrame &reply = received[0];
        QCOMPARE(reply.order, uchar(0xE2));
        QCOMPARE(reply.frame, uchar(1));
        QCOMPARE(reply.total, uchar(1));
        QCOMPARE(int(reply.length), frameSize == 128 ? 68 : 56);
        QCOMPARE(reply.data.size(), int(reply.length));
        QCOMPARE(u16At(reply.data, 0), quint16(0x3001));
        QCOMPARE(u16At(reply.data, 2), quint16(0x0105));
        QCOMPARE(textAt(reply.data, 10, customerWidth), QByteArray("Quill"));
        QCOMPARE(textAt(reply.data, productAt, 20), QByteArray("Quill HE104"));
        QCOMPARE(textAt(reply.data, productAt + 20, 8), QByteArray("QUILL"));
        // Every byte between the texts is padding.
        QCOMPARE(reply.data.mid(10 + 5, customerWidth - 5), QByteArray(customerWidth - 5, '\0'));
        QCOMPARE(bus.rejectedWriteCount(path), 0);
    }

    void boardParametersRoundTrip_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128") << 128;
        QTest::newRow("64") << 64;
    }

    void boardParametersRoundTrip()
    {
        QFETCH(int, frameSize);
        openKeyboard({frameSize});
        QByteArray params(20, char(0xFF));
        const QByteArray fields("\x01\x2C\x01\x0F\x00\x03\x02\x00\x01\x01", 10);
        params.replace(1, 10, fields);
        QByteArray write = KeyboardFrameCodec::outputReport(0x50, params, frameSize);
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(write.constData()), size_t(write.size())),
                 frameSize + 1);
        const QByteArray read = KeyboardFrameCodec::outputReport(0x5E, QByteArray(), frameSize);
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(read.constData()), size_t(read.size())),
                 frameSize + 1);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 2000);
        QCOMPARE(received[0].order, uchar(0xD0));
        QCOMPARE(received[1].order, uchar(0xDE));
        QCOMPARE(received[1].data.size(), 11);
        QCOMPARE(received[1].data.mid(1), fields);
        QCOMPARE(received[1].data[0], '\0'); // reserve is not written
    }

    void headIsTakenApart()
    {
        const QByteArray path = openKeyboard({128});
        const QByteArray payload("\x11\x22\x33\x44\x55", 5);
        QByteArray report = frameOf(QByteArray("\xFA\x96\x01\x02\x00\x05", 6), payload, 128);
        report[11] = char(0x99); // behind the payload: ignored
        bus.pushInputReport(path, report);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QCOMPARE(received[0].order, uchar(0x96));
        QCOMPARE(received[0].frame, uchar(1));
        QCOMPARE(received[0].total, uchar(2));
        QCOMPARE(received[0].length, uchar(5));
        QCOMPARE(received[0].data, payload);
    }

    void reportsWithAnotherTagAreDropped()
    {
        const QByteArray path = openKeyboard({64});
        bus.pushInputReport(path, frameOf(QByteArray("\x00\xE2\x01\x01\x00\x02", 6), "ab", 64));
        bus.pushInputReport(path, frameOf(QByteArray("\xFB\xE2\x01\x01\x00\x02", 6), "cd", 64));
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\xDE\x01\x01\x00\x02", 6), "ef", 64));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QTRY_COMPARE(bus.pendingInputReports(path), 0);
        QTest::qWait(50);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].order, uchar(0xDE));
        QCOMPARE(received[0].data, QByteArray("ef"));
    }

    void emptyPayload()
    {
        const QByteArray path = openKeyboard({64});
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\xD0\x01\x01\x00\x00", 6), "xyz", 64));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QCOMPARE(received[0].length, uchar(0));
        QVERIFY(received[0].data.isEmpty());
    }

    void lengthBeyondTheReportIsDropped()
    {
        const QByteArray path = openKeyboard({64});
        // A short report that claims 200 payload bytes.
        bus.pushInputReport(path, QByteArray("\xFA\xE2\x01\x01\x00\xC8wxyz", 10));
        // A full frame whose length byte claims more than a 64-byte frame holds.
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\xE2\x01\x01\x00\x3B", 6), "abc", 64));
        // Shorter than a head: nothing to take apart.
        bus.pushInputReport(path, QByteArray("\xFA\xE2\x01", 3));
        // A frame whose length fits exactly.
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\xE2\x01\x01\x00\x3A", 6), "abc", 64));
        QTRY_COMPARE_WITH_TIMEOUT(bus.pendingInputReports(path), 0, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QTest::qWait(50);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].length, uchar(58));
        QCOMPARE(received[0].data.size(), 58);
        QVERIFY(received[0].data.startsWith("abc"));
    }

    void readsWholeReportsOfTheLinkFrameSize()
    {
        const QByteArray path = openKeyboard({128});
        QTRY_VERIFY(bus.readCount(path) > 0);
        // A 128-byte frame with its payload reaching the last byte.
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\x97\x01\x01\x00\x7A", 6), QByteArray(122, 'p'), 128));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QCOMPARE(received[0].data, QByteArray(122, 'p'));
    }

    void stopsWithinItsReadTimeout()
    {
        const QByteArray path = openKeyboard({128});
        QTRY_VERIFY(bus.readCount(path) > 0);
        QTest::qWait(100); // well inside a blocking read
        QVERIFY(reader->isRunning());
        QElapsedTimer clock;
        clock.start();
        reader->closeThread();
        QVERIFY2(clock.elapsed() <= UsbReceiveThread::ReadTimeoutMs + 150,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(reader->isFinished());
    }

    void keepsReadingWhileSilent()
    {
        const QByteArray path = openKeyboard({64});
        QTest::qWait(1200);
        // Two or three reads of 500 ms each, nothing emitted, still running.
        QVERIFY(bus.readCount(path) >= 2);
        QVERIFY(bus.readCount(path) <= 4);
        QVERIFY(received.isEmpty());
        QVERIFY(reader->isRunning());
    }

    void noSpinAfterUnplug()
    {
        const QByteArray path = openKeyboard({128});
        QTRY_VERIFY(bus.readCount(path) > 0);
        bus.detach(path);
        const int before = bus.readCount(path);
        QTest::qWait(1000);
        const int reads = bus.readCount(path) - before;
        // About one read per back-off pause; a reader that retried at once would make thousands.
        QVERIFY2(reads >= 5 && reads <= 1000 / UsbReceiveThread::ErrorBackoffMs + 5, qPrintable(QString::number(reads)));
        // It stops only when asked, and promptly, even in the middle of a pause.
        QVERIFY(reader->isRunning());
        QElapsedTimer clock;
        clock.start();
        reader->closeThread();
        QVERIFY(clock.elapsed() < UsbReceiveThread::ErrorBackoffMs + 100);
    }

    void readErrorsBackOffAndRecover()
    {
        const QByteArray path = openKeyboard({64});
        EmulatedHidFaults faults;
        faults.readFails = true;
        bus.setFaults(path, faults);
        QTest::qWait(500);
        QVERIFY(bus.readCount(path) <= 500 / UsbReceiveThread::ErrorBackoffMs + 5);
        bus.setFaults(path, EmulatedHidFaults());
        bus.pushInputReport(path, frameOf(QByteArray("\xFA\xDE\x01\x01\x00\x01", 6), "k", 64));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
    }

    void unplugMidTransfer()
    {
        const QByteArray path = openKeyboard({128});
        EmulatedHidFaults faults;
        faults.unplugAfterWrites = 1;
        bus.setFaults(path, faults);
        const QByteArray request = KeyboardFrameCodec::outputReport(0x62, QByteArray(7, '\0'), 128);
        // The request is taken, then the keyboard is gone before it answers.
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(request.constData()), size_t(request.size())), 129);
        QVERIFY(!bus.isAttached(path));
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(request.constData()), size_t(request.size())), -1);
        QTest::qWait(300);
        QVERIFY(received.isEmpty());
        QVERIFY(bus.readCount(path) <= 300 / UsbReceiveThread::ErrorBackoffMs + 5);
    }

    void closeWithoutStart()
    {
        QElapsedTimer clock;
        clock.start();
        reader->closeThread();
        QVERIFY(clock.elapsed() < 50);
        QVERIFY(!reader->isInterruptionRequested());
        // A null handle starts nothing.
        reader->openThread(nullptr);
        QVERIFY(!reader->isRunning());
    }

    void closeRightAfterOpenStillStops()
    {
        openKeyboard({128});
        reader->closeThread();
        QVERIFY(reader->isFinished());
        // Closing an ended reader again returns at once.
        reader->closeThread();
    }

    void restartsOnANewHandle()
    {
        const QByteArray first = openKeyboard({128});
        stop();
        bus.detach(first);
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {64}, "second");
        device = UsbHidUtil::openPreferredUsbDevice();
        QVERIFY(device);
        reader->openThread(device);
        bus.pushInputReport(paths[0], frameOf(QByteArray("\xFA\xE2\x01\x01\x00\x01", 6), "z", 64));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QCOMPARE(received[0].data, QByteArray("z"));
    }

    void openWhileRunningSwitchesHandles()
    {
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64});
        hid_device *wide = hid_open_path(paths[0].constData());
        hid_device *narrow = hid_open_path(paths[1].constData());
        reader->openThread(wide);
        QTRY_VERIFY(bus.readCount(paths[0]) > 0);
        reader->openThread(narrow);
        const int wideReads = bus.readCount(paths[0]);
        global_setUsbFrameSize(64);
        bus.pushInputReport(paths[1], frameOf(QByteArray("\xFA\xE2\x01\x01\x00\x01", 6), "n", 64));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 2000);
        QCOMPARE(bus.readCount(paths[0]), wideReads);
        reader->closeThread();
        hid_close(wide);
        hid_close(narrow);
    }
};

QTEST_GUILESS_MAIN(TestUsbReceiveThread)
#include "tst_usbreceivethread.moc"
