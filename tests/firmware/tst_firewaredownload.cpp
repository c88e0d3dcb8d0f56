#include "app/FirewareDownloadThread.h"
#include "emulator/EmulatedFirmwareCommands.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "link/UsbHidUtil.h"
#include "tests/firmware/FirmwareTestKit.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {
constexpr quint16 kSerial = 0x3001;
// 9 frames at 128 bytes (the last of 24 bytes), 18 at 64 (the last of 14).
constexpr int kPayload = 1000;
using Report = QPair<bool, int>;
} // namespace

class TestFirewareDownload : public QObject
{
    Q_OBJECT

    EmulatedHidBus &bus = EmulatedHidBus::instance();
    QTemporaryDir mDir;
    QString mPath;
    QByteArray mFile;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    QList<QByteArray> mPorts;
    QList<Report> mReports;
    QString mDenied;
    int mBusyLimitMs = 0; // 0: the worker's own

    // Runs one worker to its end (the hook runs in its thread on every report) and checks what
    // every run must leave: one final report after progress that never falls, no handle open and
    // the HID library not released.
    void flash(Report final, int replyTimeoutMs = 2000, const std::function<void(bool, int)> &hook = {})
    {
        FirewareDownloadThread worker(mPath, 0x5E2D, 0x4E93, 2, kSerial);
        worker.setReplyTimeout(replyTimeoutMs);
        if (mBusyLimitMs > 0)
            worker.setBusyLimit(mBusyLimitMs);
        mReports.clear();
        connect(&worker, &FirewareDownloadThread::fireware_download_result, this,
                [this](bool status, int value) { mReports.append({status, value}); });
        if (hook)
            connect(&worker, &FirewareDownloadThread::fireware_download_result, &worker, hook, Qt::DirectConnection);
        worker.start();
        const bool ended = worker.wait(20000);
        worker.requestInterruption();
        worker.wait();
        QVERIFY(ended);
        QCoreApplication::processEvents();
        mDenied = worker.deniedDevicePath();
        QCOMPARE(mReports.last(), final);
        QCOMPARE(mReports.count(final), 1);
        for (qsizetype i = 0; i + 1 < mReports.size(); ++i) {
            QVERIFY(mReports[i].first && mReports[i].second < 100);
            QVERIFY(!i || mReports[i].second >= mReports[i - 1].second);
        }
        QCOMPARE(bus.openHandleCount(), 0);
        QCOMPARE(bus.exitCount(), 0);
    }

    QList<QByteArray> written() const { return bus.writtenReports(mPorts.first()); }
    static int frames(int frameSize) { return (kPayload + frameSize - 7) / (frameSize - 6); }
    void setFaults(const EmulatedHidFaults &faults)
    {
        for (const QByteArray &port : std::as_const(mPorts))
            bus.setFaults(port, faults);
    }

private Q_SLOTS:
    void init()
    {
        FirmwareTestKit::failOnWarnings();
        bus.reset();
        global_setUsbFrameSize(128);
        mPath = mDir.filePath(QStringLiteral("firmware.bin"));
        mFile = FirmwareTestKit::writeImage(mPath, kSerial, FirmwareTestKit::payload(kPayload));
        mKeyboard = std::make_shared<EmulatedKeyboard>();
        mPorts = bus.attachKeyboard(mKeyboard);
        mBusyLimitMs = 0;
    }

    // The frames have the size of the interface opened, whatever the link's frame size is.
    void wholeImageArrives_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("linkFrameSize");
        QTest::newRow("128") << 128 << 64;
        QTest::newRow("64") << 64 << 128;
    }

    void wholeImageArrives()
    {
        QFETCH(int, frameSize);
        QFETCH(int, linkFrameSize);
        bus.reset();
        mPorts = bus.attachKeyboard(mKeyboard, {frameSize});
        global_setUsbFrameSize(linkFrameSize);
        flash({true, 100});
        QCOMPARE(mKeyboard->state().firmware.keyboard.assembled(), mFile.mid(40));
        QCOMPARE(written().size(), frames(frameSize) + 1);
        QCOMPARE(written().last().left(15), QByteArray::fromHex("00fa63010100081122334455667788"));
        QCOMPARE(gUsbFrameMaxsize.load(), linkFrameSize);
    }

    // A refused frame goes again as it was; three refusals in a row end the flashing.
    void refusals_data()
    {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("writes");
        QTest::newRow("one") << 1 << 1 << frames(128) + 2;
        QTest::newRow("three") << 3 << 1 << 3;
    }

    void refusals()
    {
        QFETCH(int, refusals);
        QFETCH(int, status);
        QFETCH(int, writes);
        mKeyboard->state().firmware.refuseNext = refusals;
        mKeyboard->state().firmware.refuseStatus = uchar(status);
        flash(refusals < 3 ? Report{true, 100} : Report{false, -57});
        QCOMPARE(written().size(), writes);
        QCOMPARE(written().at(1), written().at(0));
        QCOMPARE(mKeyboard->state().firmware.keyboard.ended, refusals < 3);
    }

    // The end frame goes once; three refusing answers to it end the flashing.
    void endFrameRefusedThreeTimes()
    {
        mKeyboard->state().firmware.endRefusals = 3;
        flash({false, -57});
        QCOMPARE(written().size(), frames(128) + 1);
        QVERIFY(!mKeyboard->state().firmware.keyboard.ended);
    }

    // A busy keyboard gets the same frame again after a pause, which uses up no attempt; one that
    // stays busy beyond the limit ends the flashing.
    void busyKeyboard_data()
    {
        QTest::addColumn<int>("busyAnswers");
        QTest::addColumn<int>("code"); // 0: the flashing succeeds
        QTest::newRow("busy twice") << 2 << 0;
        QTest::newRow("busy three times") << 3 << 0;
        QTest::newRow("busy for ever") << 1000000 << -59;
    }

    void busyKeyboard()
    {
        QFETCH(int, busyAnswers);
        QFETCH(int, code);
        mKeyboard->state().firmware.refuseNext = busyAnswers;
        mKeyboard->state().firmware.refuseStatus = EmulatedFirmwareCommands::StatusBusy;
        mBusyLimitMs = 400;
        QElapsedTimer clock;
        clock.start();
        flash(code ? Report{false, code} : Report{true, 100});
        const QList<QByteArray> sent = written();
        QCOMPARE(sent.count(sent.first()), code ? sent.size() : busyAnswers + 1);
        if (!code) {
            QCOMPARE(sent.size(), frames(128) + 1 + busyAnswers);
            return;
        }
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 400 && ms < 3000 && sent.size() >= 3, qPrintable(QStringLiteral("%1 ms, %2 sends").arg(ms).arg(sent.size())));
    }

    // A notice that some keyboard interface went away leaves the flashing going unless it was the
    // one written to; then it ends at once with its own code.
    void removalNotice_data()
    {
        QTest::addColumn<bool>("own");
        QTest::newRow("another interface") << false;
        QTest::newRow("the one written to") << true;
    }

    void removalNotice()
    {
        QFETCH(bool, own);
        const QByteArray other = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128}, "other").first();
        flash(own ? Report{false, -58} : Report{true, 100}, 2000, [&](bool, int value) {
            if (value != 0)
                return;
            bus.detach(own ? mPorts.first() : other);
            qobject_cast<FirewareDownloadThread *>(QThread::currentThread())->checkDeviceRemoved();
        });
        QCOMPARE(written().size(), own ? 1 : frames(128) + 1);
    }

    // Refusals read before the first frame was written are not its answer.
    void staleRepliesAreDropped()
    {
        for (int i = 0; i < 3; ++i)
            bus.pushInputReport(mPorts.first(), QByteArray::fromHex("fae00101000101"));
        flash({true, 100});
        QCOMPARE(written().size(), frames(128) + 1);
    }

    // A keyboard that stops answering ends the flashing within three reply times; one that is
    // pulled out ends it at once, and takes a new flashing once it is back.
    void linkFaults_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("writes");
        QTest::newRow("silent") << true << -57 << 3;
        QTest::newRow("unplugged after 4 frames") << false << -58 << 4;
    }

    void linkFaults()
    {
        QFETCH(bool, silent);
        QFETCH(int, code);
        QFETCH(int, writes);
        EmulatedHidFaults faults;
        faults.silent = silent;
        faults.unplugAfterWrites = silent ? -1 : 4;
        setFaults(faults);
        QElapsedTimer clock;
        clock.start();
        flash({false, code}, 150);
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= (silent ? 450 : 0) && ms < 2000, qPrintable(QString::number(ms)));
        QCOMPARE(written().size(), writes);
        if (silent)
            return;
        // Plugged in again, the keyboard takes the image anew from its first frame.
        bus.attachKeyboard(mKeyboard);
        flash({true, 100});
        QCOMPARE(mKeyboard->state().firmware.keyboard.assembled(), mFile.mid(40));
    }

    // A file that shrinks under way fails instead of sending zeros.
    void fileCutShort()
    {
        flash({false, -55}, 2000, [this](bool, int value) {
            if (value == 0)
                QFile::resize(mPath, 200); // the second frame needs bytes 162 to 283
        });
        QCOMPARE(written().size(), 1);
    }

    // Nothing is sent when the keyboard or the image is not right.
    void refusedBeforeSending_data()
    {
        QTest::addColumn<int>("serial");
        QTest::addColumn<int>("payloadSize"); // -1: no file
        QTest::addColumn<bool>("attached");
        QTest::addColumn<bool>("denied");
        QTest::addColumn<int>("code");
        QTest::newRow("another product") << kSerial + 1 << kPayload << true << false << -23;
        QTest::newRow("header only") << int(kSerial) << 0 << true << false << -55;
        QTest::newRow("no file") << int(kSerial) << -1 << true << false << -55;
        QTest::newRow("no keyboard") << int(kSerial) << kPayload << false << false << -54;
        QTest::newRow("no permission") << int(kSerial) << kPayload << true << true << -54;
    }

    void refusedBeforeSending()
    {
        QFETCH(int, serial);
        QFETCH(int, payloadSize);
        QFETCH(bool, attached);
        QFETCH(bool, denied);
        QFETCH(int, code);
        QFile::remove(mPath);
        if (payloadSize >= 0)
            FirmwareTestKit::writeImage(mPath, quint16(serial), FirmwareTestKit::payload(payloadSize));
        if (!attached)
            bus.reset();
        EmulatedHidFaults faults;
        faults.openFails = denied;
        setFaults(faults);
        flash({false, code});
        QCOMPARE(mReports.size(), 1);
        QCOMPARE(bus.writeCount(mPorts.first()), 0);
        QCOMPARE(mDenied, denied ? QString::fromLatin1(mPorts.first()) : QString());
    }
};

QTEST_GUILESS_MAIN(TestFirewareDownload)
#include "tst_firewaredownload.moc"
