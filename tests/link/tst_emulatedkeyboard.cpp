#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedIdentityCommands.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/KeyboardFrameCodec.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace {
int writeReport(hid_device *device, const QByteArray &report)
{
    return hid_write(device, reinterpret_cast<const uchar *>(report.constData()), size_t(report.size()));
}

// Reads one report; empty on time-out or error.
QByteArray readReport(hid_device *device, int timeoutMs = 200)
{
    uchar buffer[129] = {};
    const int n = hid_read_timeout(device, buffer, sizeof buffer, timeoutMs);
    return n > 0 ? QByteArray(reinterpret_cast<const char *>(buffer), n) : QByteArray();
}

KeyboardFrame decoded(const QByteArray &bytes)
{
    KeyboardFrame frame;
    if (!KeyboardFrameCodec::decode(bytes, &frame))
        frame.code = 0;
    return frame;
}

bool exec(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    return query.exec(statement);
}
} // namespace

// The test foundation itself: frame codec, the HID library stand-in and the emulated keyboard.
class TestEmulatedKeyboard : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    std::shared_ptr<EmulatedKeyboard> keyboard;
    QList<QByteArray> paths;
    hid_device *device = nullptr;

    // Attaches a fresh keyboard with the given interfaces and opens the first one.
    void plugAndOpen(const QList<int> &sizes = {128, 64})
    {
        keyboard = std::make_shared<EmulatedKeyboard>();
        paths = bus.attachKeyboard(keyboard, sizes);
        device = hid_open_path(paths[0].constData());
        QVERIFY(device);
    }

    QByteArray request(uchar order, const QByteArray &payload = QByteArray(), int frameSize = 128)
    {
        return KeyboardFrameCodec::outputReport(order, payload, frameSize);
    }

private Q_SLOTS:
    void init()
    {
        bus.reset();
        device = nullptr;
    }

    void cleanup()
    {
        if (device)
            hid_close(device);
        device = nullptr;
        keyboard.reset();
    }

    // --- frame codec

    void codecLayout()
    {
        const QByteArray frame = KeyboardFrameCodec::encode(0xE2, 2, 3, QByteArray("\x01\x02", 2), 64);
        QCOMPARE(frame.size(), 64);
        QCOMPARE(frame.left(8), QByteArray("\xFA\xE2\x02\x03\x00\x02\x01\x02", 8));
        QCOMPARE(frame.mid(8), QByteArray(56, '\0'));
        KeyboardFrame back;
        QVERIFY(KeyboardFrameCodec::decode(frame, &back));
        QCOMPARE(back.code, uchar(0xE2));
        QCOMPARE(back.frame, uchar(2));
        QCOMPARE(back.total, uchar(3));
        QCOMPARE(back.payload, QByteArray("\x01\x02", 2));
        QCOMPARE(KeyboardFrameCodec::outputReport(0x5E, {}, 64).size(), 65);
        QCOMPARE(KeyboardFrameCodec::outputReport(0x5E, {}, 64).left(3), QByteArray("\x00\xFA\x5E", 3));
    }

    void codecLimits()
    {
        QCOMPARE(KeyboardFrameCodec::payloadCapacity(128), 122);
        QCOMPARE(KeyboardFrameCodec::encode(0x10, 1, 1, QByteArray(58, 'x'), 64).size(), 64);
        QVERIFY(KeyboardFrameCodec::encode(0x10, 1, 1, QByteArray(59, 'x'), 64).isEmpty());
        KeyboardFrame frame;
        QVERIFY(!KeyboardFrameCodec::decode(QByteArray("\xFB\x10\x01\x01\x00\x00", 6), &frame));
        QVERIFY(!KeyboardFrameCodec::decode(QByteArray("\xFA\x10\x01\x01\x00", 5), &frame));
        QVERIFY(!KeyboardFrameCodec::decode(QByteArray("\xFA\x10\x01\x01\x01\x00", 6), &frame));
        QVERIFY(!KeyboardFrameCodec::decode(QByteArray("\xFA\x10\x01\x01\x00\x03\x01\x02", 8), &frame));
        QCOMPARE(KeyboardFrameCodec::entriesPerFrame(128, 1, 4), 30);
        QCOMPARE(KeyboardFrameCodec::entriesPerFrame(64, 1, 4), 14);
        QCOMPARE(KeyboardFrameCodec::frameCount(104, 30), 4);
        QCOMPARE(KeyboardFrameCodec::frameCount(30, 30), 1);
        QCOMPARE(KeyboardFrameCodec::frameCount(0, 30), 1);
    }

    // --- the HID library stand-in

    void writesMustCarryReportIdAndExactLength()
    {
        plugAndOpen({128});
        QByteArray report = request(0x5E);
        QCOMPARE(writeReport(device, report.left(128)), -1);
        QVERIFY(QString::fromWCharArray(hid_error(device)).contains("129"));
        QCOMPARE(writeReport(device, report + '\0'), -1);
        report[0] = 1;
        QCOMPARE(writeReport(device, report), -1);
        QCOMPARE(bus.rejectedWriteCount(paths[0]), 3);
        QVERIFY(readReport(device, 50).isEmpty());
        report[0] = 0;
        QCOMPARE(writeReport(device, report), 129);
        QCOMPARE(bus.writtenReports(paths[0]), QList<QByteArray>{report});
        QCOMPARE(bus.writeCount(paths[0]), 4);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));
    }

    void enumerationMirrorsTheAttachedInterfaces()
    {
        plugAndOpen({128, 64});
        hid_device_info *devices = hid_enumerate(0, 0);
        QVERIFY(devices);
        QCOMPARE(devices->usage_page, ushort(0xFF00));
        QCOMPARE(devices->usage, ushort(1));
        QVERIFY(devices->next);
        QCOMPARE(devices->next->usage_page, ushort(0xFF02));
        QCOMPARE(devices->next->usage, ushort(2));
        QCOMPARE(QString::fromWCharArray(devices->next->product_string), QString("Quill HE104"));
        QVERIFY(!devices->next->next);
        hid_free_enumeration(devices);
        QCOMPARE(hid_enumerate(0x5E2D, 0x1111), nullptr);
        QCOMPARE(bus.enumerateCount(), 2);
        QCOMPARE(hid_open_path("/dev/none"), nullptr);
        QCOMPARE(hid_init(), 0);
        QCOMPARE(hid_exit(), 0);
        QCOMPARE(bus.exitCount(), 1);
    }

    void blockingReadHonoursItsTimeout()
    {
        plugAndOpen({64});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(readReport(device, 150).isEmpty());
        QVERIFY(clock.elapsed() >= 140);
        QVERIFY(clock.elapsed() < 400);
        QCOMPARE(bus.readCount(paths[0]), 1);
        // A report written by another thread wakes the blocked read at once.
        std::thread writer([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            bus.pushInputReport(paths[0], "\xFA\x01");
        });
        clock.restart();
        QCOMPARE(readReport(device, 2000), QByteArray("\xFA\x01"));
        QVERIFY(clock.elapsed() < 1000);
        writer.join();
        // Non-blocking mode returns at once.
        QCOMPARE(hid_set_nonblocking(device, 1), 0);
        uchar buffer[8];
        QCOMPARE(hid_read(device, buffer, sizeof buffer), 0);
    }

    void readsTruncateToTheRequestedLength()
    {
        plugAndOpen({64});
        bus.pushInputReport(paths[0], QByteArray(64, 'r'));
        uchar buffer[16] = {};
        QCOMPARE(hid_read_timeout(device, buffer, 10, 100), 10);
    }

    void faultSwitches()
    {
        plugAndOpen({128});
        EmulatedHidFaults faults;
        faults.writeFails = true;
        bus.setFaults(paths[0], faults);
        QCOMPARE(writeReport(device, request(0x62, QByteArray(7, '\0'))), -1);
        QVERIFY(QString::fromWCharArray(hid_error(device)).contains("write failed"));

        faults = EmulatedHidFaults();
        faults.silent = true;
        bus.setFaults(paths[0], faults);
        QCOMPARE(writeReport(device, request(0x62, QByteArray(7, '\0'))), 129);
        QVERIFY(readReport(device, 100).isEmpty());
        QCOMPARE(keyboard->requestCount(0x62), 0);

        faults = EmulatedHidFaults();
        faults.readFails = true;
        bus.setFaults(paths[0], faults);
        uchar buffer[129];
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(hid_read_timeout(device, buffer, sizeof buffer, 500), -1);
        QVERIFY(clock.elapsed() < 100);

        faults = EmulatedHidFaults();
        faults.openFails = true;
        bus.setFaults(paths[0], faults);
        QCOMPARE(hid_open_path(paths[0].constData()), nullptr);
        QCOMPARE(bus.openCount(paths[0]), 2);
    }

    void unplugKillsOpenHandles()
    {
        plugAndOpen({128});
        std::thread unplugger([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            bus.detach(paths[0]);
        });
        uchar buffer[129];
        QElapsedTimer clock;
        clock.start();
        // A blocked read ends with an error as soon as the device goes.
        QCOMPARE(hid_read_timeout(device, buffer, sizeof buffer, 2000), -1);
        QVERIFY(clock.elapsed() < 1000);
        unplugger.join();
        QCOMPARE(writeReport(device, request(0x5E)), -1);
        QCOMPARE(hid_read_timeout(device, buffer, sizeof buffer, 0), -1);
        QCOMPARE(bus.enumerateCount(), 0);
        QCOMPARE(hid_enumerate(0, 0), nullptr);
        // Plugged in again: a new handle works, the old one stays dead.
        bus.attach(EmulatedHidBus::keyboardInterface(128), keyboard);
        hid_device *fresh = hid_open_path(paths[0].constData());
        QVERIFY(fresh);
        QCOMPARE(writeReport(fresh, request(0x5E)), 129);
        QCOMPARE(decoded(readReport(fresh)).code, uchar(0xDE));
        QCOMPARE(writeReport(device, request(0x5E)), -1);
        hid_close(fresh);
    }

    // --- the keyboard

    void identityAtBothFrameSizes()
    {
        plugAndOpen({128, 64});
        hid_device *narrowDevice = hid_open_path(paths[1].constData());
        const QByteArray clock("\x00\x1A\x01\x02\x03\x04\x05", 7);
        QCOMPARE(writeReport(narrowDevice, request(0x62, clock, 64)), 65);
        const QByteArray reply = readReport(narrowDevice);
        // The reply comes back on the interface that asked, at its frame size.
        QCOMPARE(reply.size(), 64);
        QVERIFY(readReport(device, 20).isEmpty());
        const KeyboardFrame frame = decoded(reply);
        QCOMPARE(frame.code, uchar(0xE2));
        QCOMPARE(frame.payload.size(), 56);
        QCOMPARE(frame.payload.mid(28, 12), QByteArray("Quill HE104\0", 12));
        QCOMPARE(keyboard->state().identity.lastHostClock, clock);
        hid_close(narrowDevice);
    }

    void identityTextFieldsAreCutToTheirWidth()
    {
        EmulatedIdentity identity;
        identity.customerName = QByteArray(40, 'c');
        identity.flags = 0x83;
        const QByteArray wide = EmulatedIdentityCommands::identityPayload(identity, 128);
        QCOMPARE(wide.mid(10, 30), QByteArray(30, 'c'));
        QCOMPARE(wide.mid(40, 11), QByteArray("Quill HE104"));
        QCOMPARE(uchar(wide[4]), uchar(0x83));
        const QByteArray narrow = EmulatedIdentityCommands::identityPayload(identity, 64);
        QCOMPARE(narrow.mid(10, 18), QByteArray(18, 'c'));
        QCOMPARE(narrow.mid(28, 11), QByteArray("Quill HE104"));
        QCOMPARE(narrow.mid(48, 5), QByteArray("QUILL"));
    }

    void parameterWriteThenRead()
    {
        plugAndOpen({64});
        QByteArray write(20, char(0xFF));
        write.replace(1, 10, QByteArray("\x02\x34\x12\x0A\x00\x03\x02\x01\x00\x01", 10));
        QCOMPARE(writeReport(device, request(0x50, write, 64)), 65);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xD0));
        const KEYBOARD_PARAMS &params = keyboard->state().params;
        QVERIFY(params.touchOptimize);
        QCOMPARE(params.deadDown, quint16(0x1234));
        QCOMPARE(params.deadUp, quint16(10));
        QCOMPARE(params.pollingRate, uchar(3));
        QCOMPARE(params.shakeLevel, uchar(2));
        QVERIFY(params.calibration);
        QVERIFY(!params.sportsMode);
        QCOMPARE(params.currentLayer, uchar(1));
        QCOMPARE(params.reserve, uchar(0));
        QCOMPARE(writeReport(device, request(0x5E, {}, 64)), 65);
        const KeyboardFrame reply = decoded(readReport(device));
        QCOMPARE(reply.code, uchar(0xDE));
        QCOMPARE(reply.payload, QByteArray("\x00\x01\x34\x12\x0A\x00\x03\x02\x01\x00\x01", 11));
        // A write too short for the parameters changes nothing and is not answered.
        QCOMPARE(writeReport(device, request(0x50, QByteArray(5, '\0'), 64)), 65);
        QVERIFY(readReport(device, 50).isEmpty());
        QCOMPARE(keyboard->state().params.deadDown, quint16(0x1234));
    }

    void unknownAndMalformedRequestsGoUnanswered()
    {
        plugAndOpen({128});
        QCOMPARE(writeReport(device, request(0x33)), 129);
        QByteArray bad = request(0x5E);
        bad[1] = char(0xFB);
        QCOMPARE(writeReport(device, bad), 129);
        QVERIFY(readReport(device, 50).isEmpty());
        QCOMPARE(keyboard->unhandledCount(), 1);
        QCOMPARE(keyboard->malformedCount(), 1);
        QCOMPARE(keyboard->requestCount(0x33), 1);
        QCOMPARE(keyboard->requests().size(), 1);
    }

    void addingACommandIsAddingAHandler()
    {
        plugAndOpen({64});
        QVERIFY(!keyboard->hasHandler(0x35));
        keyboard->setHandler(0x35, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                      KeyboardReplies &replies) {
            QCOMPARE(request.frameSize, 64);
            // A reply of two frames, the second with another code.
            replies.send(QByteArray(1, char(state.profiles.size())), 1, 2);
            replies.sendAs(0xF1, QByteArray("\x00", 1));
        });
        QCOMPARE(writeReport(device, request(0x35, {}, 64)), 65);
        const KeyboardFrame first = decoded(readReport(device));
        QCOMPARE(first.code, uchar(0xB5));
        QCOMPARE(first.frame, uchar(1));
        QCOMPARE(first.total, uchar(2));
        QCOMPARE(first.payload, QByteArray(1, char(EmulatedKeyboardState::ProfileCount)));
        QCOMPARE(decoded(readReport(device)).code, uchar(0xF1));
    }

    void replyFaults()
    {
        plugAndOpen({128});
        const QByteArray read = request(0x5E);
        keyboard->addReplyFault({ReplyFault::Drop, 0, 0xDE, 1});
        writeReport(device, read);
        QVERIFY(readReport(device, 50).isEmpty());
        // Used up: the next request is answered.
        writeReport(device, read);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));

        keyboard->addReplyFault({ReplyFault::Duplicate, 0, -1, 1});
        writeReport(device, read);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));
        QVERIFY(readReport(device, 30).isEmpty());

        keyboard->addReplyFault({ReplyFault::WrongCode, 0xE2, -1, 1});
        writeReport(device, read);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xE2));

        keyboard->addReplyFault({ReplyFault::WrongLength, 200, -1, 1});
        writeReport(device, read);
        const QByteArray lying = readReport(device);
        QCOMPARE(uchar(lying[5]), uchar(200));
        KeyboardFrame frame;
        QVERIFY(!KeyboardFrameCodec::decode(lying, &frame));

        // A fault for another code leaves this reply alone and waits for its own.
        keyboard->addReplyFault({ReplyFault::Drop, 0, 0xE2, 1});
        writeReport(device, read);
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));
        keyboard->clearReplyFaults();
        writeReport(device, request(0x62, QByteArray(7, '\0')));
        QCOMPARE(decoded(readReport(device)).code, uchar(0xE2));
    }

    void delayedReplyComesLaterAndAfterOthers()
    {
        plugAndOpen({128});
        keyboard->addReplyFault({ReplyFault::Delay, 150, 0xE2, 1});
        writeReport(device, request(0x62, QByteArray(7, '\0')));
        writeReport(device, request(0x5E));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(decoded(readReport(device)).code, uchar(0xDE));
        QVERIFY(clock.elapsed() < 100);
        QVERIFY(readReport(device, 50).isEmpty());
        QCOMPARE(decoded(readReport(device, 500)).code, uchar(0xE2));
        QVERIFY(clock.elapsed() >= 140);
    }

    // --- initial state

    void builtInState()
    {
        const EmulatedKeyboardState state = EmulatedKeyboardState::builtIn();
        QCOMPARE(state.identity.serialNumber, quint16(0x3001));
        QCOMPARE(state.identity.version, quint16(0x0105));
        QCOMPARE(state.keyNumbers.size(), 104);
        QCOMPARE(state.keyNumbers.first(), uchar(0));
        QCOMPARE(state.keyNumbers.last(), uchar(103));
        QCOMPARE(state.profiles.size(), EmulatedKeyboardState::ProfileCount);
        for (const EmulatedProfile &profile : state.profiles) {
            QCOMPARE(profile.normalLayer.size(), 104);
            QCOMPARE(profile.fnLayer.size(), 104);
            QCOMPARE(profile.triggers.size(), 104);
            QCOMPARE(profile.customLight.size(), 104);
            QVERIFY(profile.highKeys.isEmpty());
        }
        QCOMPARE(state.profiles[0].normalLayer.value(0).type, uchar(1));
        QCOMPARE(state.profiles[0].normalLayer.value(0).lValue, uchar(0x04));
        QCOMPARE(state.profiles[1].name, QString("Profile 2"));
        QCOMPARE(state.effectNames.size(), EmulatedKeyboardState::EffectCount);
        QVERIFY(state.macros[9].isEmpty());
        QVERIFY(!state.calibration.reporting);
    }

    void stateFromProductDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("products.db3");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make_products");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(exec(db, "CREATE TABLE product_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, vendorId INT NOT NULL, "
                             "productId INT NOT NULL, interface INT NOT NULL, productName VARCHAR(60) NOT NULL, "
                             "productData VARCHAR(60) NOT NULL, triggerMin INT NOT NULL, triggerMax INT NOT NULL, "
                             "qttMin INT NOT NULL, qttMax INT NOT NULL, qrtMin INT NOT NULL, qrtMax INT NOT NULL, "
                             "width INT NOT NULL, height INT NOT NULL, strCol VARCHAR(60) NOT NULL)"));
            QVERIFY(exec(db, "CREATE TABLE key_position_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, keyItem INT NOT NULL, "
                             "posItem INT NOT NULL, flag BOOL NOT NULL, row INT NOT NULL, col INT NOT NULL, left INT NOT NULL, "
                             "top INT NOT NULL, width INT NOT NULL, height INT NOT NULL)"));
            for (const char *table : {"keyboard_default_table", "keyboard_default_fn1_table"})
                QVERIFY(exec(db, QString("CREATE TABLE %1 (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, keyItem INT NOT NULL, "
                                         "type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, label VARCHAR(20) NOT NULL)")
                                     .arg(table)));
            QVERIFY(exec(db, "INSERT INTO product_table VALUES (12289, 24109, 20115, 2, 'Tiny HE', 'tiny', 10, 400, 1, 250, 1, 250, 0, 0, '')"));
            // Model 0x3001 has keys 5, 7 and 200; another model (0x8001, stored as -32767) has key 1.
            QVERIFY(exec(db, "INSERT INTO key_position_table VALUES (1, 12289, 7, 0, 1, 0, 1, 0, 0, 10, 10)"));
            QVERIFY(exec(db, "INSERT INTO key_position_table VALUES (2, 12289, 5, 1, 1, 0, 0, 0, 0, 10, 10)"));
            QVERIFY(exec(db, "INSERT INTO key_position_table VALUES (3, 12289, 200, 2, 0, 1, 0, 0, 0, 10, 10)"));
            QVERIFY(exec(db, "INSERT INTO key_position_table VALUES (4, -32767, 1, 0, 1, 0, 0, 0, 0, 10, 10)"));
            QVERIFY(exec(db, "INSERT INTO keyboard_default_table VALUES (1, 12289, 5, 1, 0, 41, 'Esc')"));
            QVERIFY(exec(db, "INSERT INTO keyboard_default_table VALUES (2, 12289, 7, 2, 1, 205, 'Play')"));
            QVERIFY(exec(db, "INSERT INTO keyboard_default_fn1_table VALUES (1, 12289, 5, 5, 0, 9, 'Light')"));
            db.close();
        }
        QSqlDatabase::removeDatabase("make_products");

        EmulatedKeyboardState state;
        QString error;
        QVERIFY2(EmulatedKeyboardState::fromProductDatabase(path, 0x3001, &state, &error), qPrintable(error));
        QCOMPARE(state.keyNumbers, (QList<uchar>{5, 7, 200}));
        QCOMPARE(state.identity.serialNumber, quint16(0x3001));
        QCOMPARE(state.identity.productName, QByteArray("Tiny HE"));
        const EmulatedProfile &profile = state.profiles[0];
        QCOMPARE(profile.normalLayer.size(), 3);
        QCOMPARE(profile.normalLayer.value(5).lValue, uchar(41));
        QCOMPARE(profile.normalLayer.value(7).type, uchar(2));
        QCOMPARE(profile.normalLayer.value(7).hValue, uchar(1));
        QCOMPARE(profile.normalLayer.value(7).lValue, uchar(205));
        // A key without a factory function is disabled.
        QCOMPARE(profile.normalLayer.value(200).type, uchar(0xFF));
        // The Fn layer comes from its own table, and from the normal layer where that has no row.
        QCOMPARE(profile.fnLayer.value(5).type, uchar(5));
        QCOMPARE(profile.fnLayer.value(5).lValue, uchar(9));
        QCOMPARE(profile.fnLayer.value(7).lValue, uchar(205));
        QCOMPARE(profile.triggers.size(), 3);

        // Serial numbers of 0x8000 and above are stored negative.
        QVERIFY(EmulatedKeyboardState::fromProductDatabase(path, 0x8001, &state, &error));
        QCOMPARE(state.keyNumbers, QList<uchar>{1});

        // Unknown model and missing file: refused, state untouched.
        QVERIFY(!EmulatedKeyboardState::fromProductDatabase(path, 0x3002, &state, &error));
        QVERIFY(error.contains("3002"));
        QVERIFY(!EmulatedKeyboardState::fromProductDatabase(dir.filePath("missing.db3"), 0x3001, &state, &error));
        QVERIFY(!QFile::exists(dir.filePath("missing.db3")));
        QCOMPARE(state.keyNumbers, QList<uchar>{1});
    }

    void sampleKeyboardIsTheFirstModel()
    {
        const auto sample = EmulatedKeyboard::createSample();
        QCOMPARE(sample->state().identity.serialNumber, quint16(0x3001));
        QVERIFY(!sample->state().keyNumbers.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEmulatedKeyboard)
#include "tst_emulatedkeyboard.moc"
