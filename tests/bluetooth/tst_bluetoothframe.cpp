#include "link/BluetoothFrame.h"
#include "link/LowEnergyWriteQueue.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values) {
        out.append(char(value));
    }
    return out;
}

QByteArray counting(int size, int first = 0)
{
    QByteArray out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        out[i] = char(first + i);
    }
    return out;
}

// Records every piece a write queue hands to the link, with the time it was handed over.
struct PieceRecorder
{
    PieceRecorder() { clock.start(); }
    LowEnergyWriteQueue::Writer writer()
    {
        return [this](const QByteArray &piece) {
            if (!accept) {
                return false;
            }
            written.append(piece);
            at.append(clock.nsecsElapsed());
            return true;
        };
    }
    bool spacedByInterval() const
    {
        for (int i = 1; i < at.size(); ++i) {
            if (at[i] - at[i - 1] < 9'000'000) {
                qWarning() << "pieces" << i - 1 << "and" << i << "only" << at[i] - at[i - 1]
                           << "ns apart";
                return false;
            }
        }
        return true;
    }

    QElapsedTimer clock;
    bool accept = true;
    QList<QByteArray> written;
    QList<qint64> at;
};

} // namespace

class TestBluetoothFrame : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ---- received frames ----

    void parsesWholeFrame()
    {
        // One 64-byte frame: head, 32 payload bytes, zero padding.
        QByteArray raw = bytes({0xFA, 0xD7, 0x01, 0x01, 0x00, 0x20}) + counting(32, 0x40);
        raw.append(QByteArray(64 - raw.size(), '\0'));
        BluetoothFrame frame;
        QVERIFY(BluetoothFrame::parse(raw, 64, &frame));
        QCOMPARE(frame.order, uchar(0xD7));
        QCOMPARE(frame.frame, uchar(1));
        QCOMPARE(frame.total, uchar(1));
        QCOMPARE(frame.length, uchar(32));
        QCOMPARE(frame.data, counting(32, 0x40));
    }

    void parsesShortReadByItsLength()
    {
        // Ten bytes: only the two payload bytes the length names are handed on.
        const QByteArray raw = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 0x02, 0x11, 0x22, 0x33, 0x44});
        BluetoothFrame frame;
        QVERIFY(BluetoothFrame::parse(raw, 64, &frame));
        QCOMPARE(frame.order, uchar(0x90));
        QCOMPARE(frame.length, uchar(2));
        QCOMPARE(frame.data, bytes({0x11, 0x22}));
    }

    void parsesNotificationAndIgnoresByteFour()
    {
        const QByteArray raw = bytes({0xFA, 0xE2, 0x02, 0x05, 0x7F, 0x03, 0xA1, 0xA2, 0xA3});
        BluetoothFrame frame;
        QVERIFY(BluetoothFrame::parse(raw, 64, &frame));
        QCOMPARE(frame.order, uchar(0xE2));
        QCOMPARE(frame.frame, uchar(2));
        QCOMPARE(frame.total, uchar(5));
        QCOMPARE(frame.length, uchar(3));
        QCOMPARE(frame.data, bytes({0xA1, 0xA2, 0xA3}));
    }

    void headOnlyFrameHasEmptyPayload()
    {
        BluetoothFrame frame;
        frame.data = "stale";
        QVERIFY(BluetoothFrame::parse(bytes({0xFA, 0xF1, 0x01, 0x01, 0x00, 0x00}), 64, &frame));
        QCOMPARE(frame.length, uchar(0));
        QVERIFY(frame.data.isEmpty());
    }

    void dropsFramesWithoutTagOrHead_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("tag only") << bytes({0xFA});
        QTest::newRow("head cut at five bytes") << bytes({0xFA, 0xD7, 0x01, 0x01, 0x00});
        QTest::newRow("other first byte") << bytes({0xFB, 0xD7, 0x01, 0x01, 0x00, 0x01, 0x05});
        QTest::newRow("report id in front") << bytes({0x00, 0xFA, 0xD7, 0x01, 0x01, 0x00, 0x00});
    }

    void dropsFramesWithoutTagOrHead()
    {
        QFETCH(QByteArray, raw);
        BluetoothFrame frame;
        frame.order = 0x55;
        QVERIFY(!BluetoothFrame::parse(raw, 64, &frame));
        QCOMPARE(frame.order, uchar(0x55)); // left untouched
    }

    void lengthNeverReadsPastReceivedBytes_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<bool>("accepted");
        const QByteArray head5 = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 0x05});
        QTest::newRow("claims 5, got 2") << head5 + bytes({1, 2}) << 64 << false;
        QTest::newRow("claims 5, got 5") << head5 + counting(5) << 64 << true;
        QTest::newRow("claims 5, got 5, frame of 10") << head5 + counting(5) << 10 << false;
        QTest::newRow("claims 5, got 5, frame of 11") << head5 + counting(5) << 11 << true;
        const QByteArray head58 = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 58});
        QTest::newRow("full 64-byte frame") << head58 + counting(58) << 64 << true;
        const QByteArray head59 = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 59});
        // More bytes arrived than a frame holds: the length may not reach beyond the frame.
        QTest::newRow("claims 59 of a 64-byte frame") << head59 + counting(70) << 64 << false;
        const QByteArray head255 = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 0xFF});
        QTest::newRow("claims 255") << head255 + counting(58) << 64 << false;
        QTest::newRow("no frame size") << head5 + counting(5) << 0 << false;
        QTest::newRow("negative frame size") << head5 + counting(5) << -1 << false;
    }

    void lengthNeverReadsPastReceivedBytes()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, frameSize);
        QFETCH(bool, accepted);
        BluetoothFrame frame;
        QCOMPARE(BluetoothFrame::parse(raw, frameSize, &frame), accepted);
        if (accepted) {
            QCOMPARE(frame.data.size(), qsizetype(frame.length));
            QCOMPARE(frame.data, raw.mid(6, frame.length));
        }
    }

    void bytesBeyondTheFrameAreNotPartOfIt()
    {
        // An 80-byte notification for a 64-byte frame: the payload still comes from the head.
        const QByteArray raw = bytes({0xFA, 0x90, 0x01, 0x01, 0x00, 0x03}) + counting(74, 1);
        BluetoothFrame frame;
        QVERIFY(BluetoothFrame::parse(raw, 64, &frame));
        QCOMPARE(frame.data, bytes({1, 2, 3}));
    }

    // ---- Low Energy pieces ----

    void pieceSizeFollowsMtu_data()
    {
        QTest::addColumn<int>("mtu");
        QTest::addColumn<int>("piece");
        QTest::newRow("negative") << -1 << 20;
        QTest::newRow("unknown") << 0 << 20;
        QTest::newRow("below minimum") << 22 << 20;
        QTest::newRow("default") << 23 << 20;
        QTest::newRow("24") << 24 << 21;
        QTest::newRow("247") << 247 << 244;
    }

    void pieceSizeFollowsMtu()
    {
        QFETCH(int, mtu);
        QFETCH(int, piece);
        QCOMPARE(BluetoothFrame::pieceSize(mtu), piece);
    }

    void splitsFrameIntoPieces_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("mtu");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("64 at default MTU") << 64 << 23 << QList<int>{20, 20, 20, 4};
        QTest::newRow("64 at reported MTU 10") << 64 << 10 << QList<int>{20, 20, 20, 4};
        QTest::newRow("64 at MTU 24") << 64 << 24 << QList<int>{21, 21, 21, 1};
        QTest::newRow("64 at MTU 247") << 64 << 247 << QList<int>{64};
        QTest::newRow("64 at MTU 67") << 64 << 67 << QList<int>{64};
        QTest::newRow("40 at default MTU") << 40 << 23 << QList<int>{20, 20};
        QTest::newRow("empty") << 0 << 23 << QList<int>{};
    }

    void splitsFrameIntoPieces()
    {
        QFETCH(int, frameSize);
        QFETCH(int, mtu);
        QFETCH(QList<int>, sizes);
        const QByteArray frame = counting(frameSize, 0xFA);
        const QList<QByteArray> pieces = BluetoothFrame::split(frame, mtu);
        QList<int> got;
        QByteArray joined;
        for (const QByteArray &piece : pieces) {
            got.append(int(piece.size()));
            joined += piece;
        }
        QCOMPARE(got, sizes);
        QCOMPARE(joined, frame);
    }

    // ---- pacing of Low Energy writes ----

    void piecesGoOutPacedWithoutBlocking()
    {
        LowEnergyWriteQueue queue;
        PieceRecorder recorder;
        queue.setWriter(recorder.writer());
        const QList<QByteArray> pieces = BluetoothFrame::split(counting(64), 23);
        QElapsedTimer call;
        call.start();
        queue.enqueue(pieces);
        QVERIFY2(call.elapsed() < 25, "enqueue must not wait for the pieces");
        QCOMPARE(recorder.written.size(), 1); // the first piece at once, the rest later
        QCOMPARE(queue.pendingCount(), 3);
        QVERIFY(!queue.isIdle());

        QTRY_COMPARE(recorder.written.size(), 4);
        QCOMPARE(recorder.written, pieces);
        QVERIFY(recorder.spacedByInterval());
        QTRY_VERIFY(queue.isIdle());
    }

    void nextFrameWaitsForPauseAfterLastPiece()
    {
        LowEnergyWriteQueue queue;
        PieceRecorder recorder;
        queue.setWriter(recorder.writer());
        queue.enqueue({"first"});
        queue.enqueue({"second", "third"});
        QCOMPARE(recorder.written, QList<QByteArray>{"first"});
        QTRY_COMPARE(recorder.written.size(), 3);
        QCOMPARE(recorder.written, (QList<QByteArray>{"first", "second", "third"}));
        QVERIFY(recorder.spacedByInterval());
    }

    void refusedPieceDropsTheRest()
    {
        LowEnergyWriteQueue queue;
        PieceRecorder recorder;
        queue.setWriter(recorder.writer());
        queue.enqueue({"a", "b", "c"});
        recorder.accept = false;
        QTRY_VERIFY(queue.isIdle());
        QCOMPARE(recorder.written, QList<QByteArray>{"a"});
        QCOMPARE(queue.pendingCount(), 0);

        // The queue takes new pieces again, the first one at once.
        recorder.accept = true;
        queue.enqueue({"d"});
        QCOMPARE(recorder.written, (QList<QByteArray>{"a", "d"}));
    }

    void clearDropsWaitingPieces()
    {
        LowEnergyWriteQueue queue;
        PieceRecorder recorder;
        queue.setWriter(recorder.writer());
        queue.enqueue({"a", "b", "c"});
        queue.clear();
        QCOMPARE(queue.pendingCount(), 0);
        QTRY_VERIFY(queue.isIdle());
        QTest::qWait(30);
        QCOMPARE(recorder.written, QList<QByteArray>{"a"});
    }

    void withoutWriterNothingIsKept()
    {
        LowEnergyWriteQueue queue;
        queue.enqueue({"a", "b"});
        QCOMPARE(queue.pendingCount(), 0);
        QVERIFY(queue.isIdle());
    }
};

QTEST_GUILESS_MAIN(TestBluetoothFrame)
#include "tst_bluetoothframe.moc"
