// The emulated keyboard is the program's counterpart in every keyboard test. Its frame code is
// checked here against literal bytes, so that a mistake shared with the program's own could not
// hide; so are its reply faults and its HID stand-in's refusal of malformed reports, which other
// tests rely on without seeing them.

#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"

#include <QtTest>

namespace {
QByteArray padded(const char *hex, int size = 64)
{
    return QByteArray::fromHex(hex).leftJustified(size, '\0');
}

// "<delay> <bytes up to the last non-zero one>" of a reply report.
QString describe(const EmulatedReport &report)
{
    QByteArray bytes = report.bytes;
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::number(report.delayMs) + " " + bytes.toHex();
}

// The test handler's answer to the request "fa350203 00020a0b": its payload, back.
const QString kAnswer = "0 fab5020300020a0b";
} // namespace

class TestEmulatedKeyboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    // A request frame in, the reply reports out, through one reply fault.
    void replies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("fault"); // ReplyFault::Kind, or -1
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("onlyCode");
        QTest::addColumn<QStringList>("replies");
        const QByteArray echo = padded("fa350203 00020a0b"); // frame 2 of 3
        QTest::newRow("answer") << echo << -1 << 0 << -1 << QStringList{kAnswer};
        QTest::newRow("full frame") << QByteArray::fromHex("fa350101003a") + QByteArray(58, 'x') << -1 << 0 << -1
                                    << QStringList{"0 fab50101003a" + QString(QByteArray(58, 'x').toHex())};
        QTest::newRow("dropped") << echo << int(ReplyFault::Drop) << 0 << 0xB5 << QStringList();
        QTest::newRow("fault for another code") << echo << int(ReplyFault::Drop) << 0 << 0xE2 << QStringList{kAnswer};
        QTest::newRow("duplicate") << echo << int(ReplyFault::Duplicate) << 0 << -1 << QStringList{kAnswer, kAnswer};
        QTest::newRow("delayed") << echo << int(ReplyFault::Delay) << 150 << -1 << QStringList{"150 fab5020300020a0b"};
        QTest::newRow("wrong code") << echo << int(ReplyFault::WrongCode) << 0xE2 << -1 << QStringList{"0 fae2020300020a0b"};
        QTest::newRow("wrong length") << echo << int(ReplyFault::WrongLength) << 200 << -1 << QStringList{"0 fab5020300c80a0b"};
        QTest::newRow("request ignored") << echo << int(ReplyFault::Ignore) << 0 << 0xB5 << QStringList();
        QTest::newRow("other tag") << padded("fb350101 0000") << -1 << 0 << -1 << QStringList();
        QTest::newRow("byte four set") << padded("fa350101 0100") << -1 << 0 << -1 << QStringList();
        QTest::newRow("length past the frame") << padded("fa350101 003b") << -1 << 0 << -1 << QStringList();
        QTest::newRow("no handler") << padded("fa330101 0000") << -1 << 0 << -1 << QStringList();
    }

    void replies()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, fault);
        QFETCH(int, value);
        QFETCH(int, onlyCode);
        QFETCH(QStringList, replies);
        EmulatedKeyboard keyboard;
        keyboard.setHandler(0x35, [](EmulatedKeyboardState &, const KeyboardRequest &request, KeyboardReplies &out) {
            out.send(request.payload(), request.frame.frame, request.frame.total);
        });
        if (fault >= 0)
            keyboard.addReplyFault({ReplyFault::Kind(fault), value, onlyCode, 1});
        QStringList got;
        for (const EmulatedReport &report : keyboard.handleOutputFrame(request, 64)) {
            QCOMPARE(report.bytes.size(), 64);
            got << describe(report);
        }
        QCOMPARE(got, replies);
        // The fault is used up (or still waits for its own code): the next request is answered.
        if (fault >= 0)
            QCOMPARE(describe(keyboard.handleOutputFrame(request, 64).value(0)), kAnswer);
    }

    // Only a report id 0 and a whole report of the interface's size reach the keyboard.
    void hidWritesMustBeWholeReports_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("result");
        const QByteArray request = KeyboardFrameCodec::encode(0x35, 1, 1, {}, 64);
        QTest::newRow("report id and 64 bytes") << '\0' + request << 65;
        QTest::newRow("no report id") << request << -1;
        QTest::newRow("a byte too many") << '\0' + request + '\0' << -1;
        QTest::newRow("report id 1") << '\1' + request << -1;
    }

    void hidWritesMustBeWholeReports()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, result);
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        bus.reset();
        auto keyboard = std::make_shared<EmulatedKeyboard>();
        const QByteArray path = bus.attachKeyboard(keyboard, {64}).first();
        hid_device *device = hid_open_path(path.constData());
        QCOMPARE(hid_write(device, reinterpret_cast<const uchar *>(report.constData()), size_t(report.size())), result);
        QCOMPARE(keyboard->requestCount(0x35), int(result > 0));
        hid_close(device);
    }
};

QTEST_GUILESS_MAIN(TestEmulatedKeyboard)
#include "tst_emulatedkeyboard.moc"
