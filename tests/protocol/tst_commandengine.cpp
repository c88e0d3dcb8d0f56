// The command engine against the emulated keyboard, through the real HID access and reader
// thread: framing, reply matching, the reply timer with its resend, errors and the source byte;
// identity, board parameters, firmware download and factory reset.

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedFirmwareCommands.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int Interval = 80; // reply timer in these tests, ms

// Payload of an accepted output report (report id, then the frame head, then the payload).
QByteArray payloadOf(const QByteArray &report)
{
    return report.mid(7, uchar(report[6]));
}
} // namespace

class TestCommandEngine : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    std::shared_ptr<EmulatedKeyboard> keyboard;
    QByteArray path; // the interface the engine opened
    UsbCommunicateUtil *engine = nullptr;
    QSignalSpy *errors = nullptr;

    // Plugs in the keyboard with the given interfaces and opens the link; the engine opens the
    // 128-byte interface when it is there.
    void connectKeyboard(const QList<int> &sizes = {128, 64})
    {
        const QList<QByteArray> paths = bus.attachKeyboard(keyboard, sizes);
        path = sizes.contains(128) ? paths[sizes.indexOf(128)] : paths[0];
        QSignalSpy connected(engine, &UsbCommunicateUtil::protocol_device_connected);
        engine->openCommunicate(0);
        QCOMPARE(connected.count(), 1);
        engine->communicateDevice();
    }

    // The keyboard takes every write and never answers.
    void silence()
    {
        EmulatedHidFaults faults;
        faults.silent = true;
        bus.setFaults(path, faults);
    }

    QList<QByteArray> written() const { return bus.writtenReports(path); }

    // Waits for the given time while the event loop runs.
    static void settle(int ms) { QTest::qWait(ms); }

private Q_SLOTS:
    void init()
    {
        bus.reset();
        global_setUsbFrameSize(128);
        keyboard = EmulatedKeyboard::createSample();
        engine = new UsbCommunicateUtil;
        engine->setReplyInterval(Interval);
        errors = new QSignalSpy(engine, &UsbCommunicateUtil::usb_communicate_error);
    }

    void cleanup()
    {
        delete errors;
        errors = nullptr;
        engine->closeCommunicate();
        delete engine;
        engine = nullptr;
        gKeyboardConfig.reset();
        keyboard.reset();
        bus.reset();
    }

    // --- link control -----------------------------------------------------------------------

    void opensThePreferredInterface_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<int>("frameSize");
        QTest::newRow("both interfaces") << QList<int>{64, 128} << 128;
        QTest::newRow("64-byte only") << QList<int>{64} << 64;
    }

    void opensThePreferredInterface()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(int, frameSize);
        connectKeyboard(sizes);
        QCOMPARE(int(gUsbFrameMaxsize), frameSize);
        QCOMPARE(int(gUsbFrameEffectSize), frameSize - 6);

        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(written().size(), 1);
        const QByteArray report = written().first();
        QCOMPARE(report.size(), frameSize + 1);
        QCOMPARE(uchar(report[0]), uchar(0x00)); // report id
        QCOMPARE(report.mid(1, 6), QByteArray::fromHex("fa5e01010000"));
        QCOMPARE(report.mid(7), QByteArray(frameSize - 6, '\0'));
    }

    void noInterfaceReportsNoDevice()
    {
        QSignalSpy connected(engine, &UsbCommunicateUtil::protocol_device_connected);
        const int exits = bus.exitCount();
        engine->openCommunicate(0);
        QCOMPARE(connected.count(), 0);
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(0), uchar(0), -200}));
        QCOMPARE(bus.exitCount(), exits + 1);
        QVERIFY(!engine->checkCommunicateState());

        // Starting the reader without a device is refused the same way.
        engine->communicateDevice();
        QCOMPARE(errors->count(), 2);
        QCOMPARE(errors->last(), (QList<QVariant>{uchar(0), uchar(0), -200}));
    }

    void openingTwiceKeepsOneHandle()
    {
        connectKeyboard();
        engine->openCommunicate(0);
        engine->communicateDevice();
        QCOMPARE(bus.openHandleCount(), 1);
        engine->closeCommunicate();
        QCOMPARE(bus.openHandleCount(), 0);
        engine->closeCommunicate(); // harmless on a closed link
        QVERIFY(!engine->checkCommunicateState());
        QVERIFY(!engine->checkBleCommunicateState());
    }

    void requestOnClosedLinkSendsNothing()
    {
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, true);
        settle(Interval * 4);
        QCOMPARE(replies.count(), 0);
        QCOMPARE(errors->count(), 0);
    }

    // --- identity and parameters --------------------------------------------------------------

    void identityAtBothFrameSizes_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QString>("customer");
        QTest::newRow("128") << 128 << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"); // whole 30 bytes
        QTest::newRow("64") << 64 << QStringLiteral("ABCDEFGHIJKLMNOPQR");              // its 18 bytes
    }

    void identityAtBothFrameSizes()
    {
        QFETCH(int, frameSize);
        QFETCH(QString, customer);
        EmulatedIdentity &identity = keyboard->state().identity;
        identity.customerName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"; // fills the wide field, no zero byte
        identity.productName = "Quill HE104 键盘";
        identity.logoName = "QUILLOGO";
        identity.flags = 0x83;
        identity.version = 0x0105;
        connectKeyboard({frameSize});

        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(replies.count(), 1);
        QCOMPARE(replies.first(), (QList<QVariant>{uchar(1), 1, 1}));

        const auto info = engine->productInfo();
        QCOMPARE(info->serialNumber, quint16(0x3001));
        QCOMPARE(info->version, quint16(0x0105));
        QVERIFY(info->flagBit0);
        QVERIFY(info->flagBit1);
        QVERIFY(info->flagBit7);
        QCOMPARE(info->customerName, customer);
        QCOMPARE(info->productName, QStringLiteral("Quill HE104 键盘"));
        QCOMPARE(info->logoName, QStringLiteral("QUILLOGO"));

        // The request carries the host's clock: 0, year + 0x30 (low byte), month, day, ...
        const QByteArray clock = identity.lastHostClock;
        QCOMPARE(clock.size(), 7);
        QCOMPARE(uchar(clock[0]), uchar(0));
        const QDate today = QDate::currentDate();
        QCOMPARE(uchar(clock[1]), uchar((today.year() + 0x30) & 0xFF));
        QCOMPARE(int(uchar(clock[2])), today.month());

        gKeyboardConfig.reset(new KeyboardConfigUtil);
        engine->syncProductInfo();
        QCOMPARE(gKeyboardConfig->keyboardProductInfo->serialNumber, quint16(0x3001));
        QCOMPARE(gKeyboardConfig->keyboardProductInfo->customerName, customer);
        QVERIFY(gKeyboardConfig->keyboardProductInfo->flagBit7);
    }

    void parametersWrittenAreReadBack_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128") << 128;
        QTest::newRow("64") << 64;
    }

    void parametersWrittenAreReadBack()
    {
        QFETCH(int, frameSize);
        connectKeyboard({frameSize});
        auto params = QSharedPointer<KEYBOARD_PARAMS>::create();
        params->reserve = 0x07;
        params->touchOptimize = true;
        params->deadDown = 0x0123;
        params->deadUp = 20;
        params->pollingRate = 2;
        params->shakeLevel = 1;
        params->calibration = false;
        params->sportsMode = true;
        params->currentLayer = 1;

        QSignalSpy setReplies(engine, &UsbCommunicateUtil::usb_receive_set_whole_param);
        engine->usb_set_whole_param(UsbCommunicateUtil::SourcePerformancePage, false, params);
        QTRY_COMPARE(setReplies.count(), 1);
        QCOMPARE(setReplies.first().first().value<uchar>(), uchar(8));
        QCOMPARE(payloadOf(written().last()), QByteArray::fromHex("ff01230114000201000101ffffffffffffffffff"));

        // A fresh engine state: what is read back comes from the keyboard.
        *engine->wholeParam() = KEYBOARD_PARAMS();
        keyboard->state().params.reserve = 0x42;
        QSignalSpy getReplies(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(getReplies.count(), 1);
        const KEYBOARD_PARAMS read = *engine->wholeParam();
        QCOMPARE(read.reserve, uchar(0x42));
        QVERIFY(read.touchOptimize);
        QCOMPARE(read.deadDown, quint16(0x0123));
        QCOMPARE(read.deadUp, quint16(20));
        QCOMPARE(read.pollingRate, uchar(2));
        QCOMPARE(read.shakeLevel, uchar(1));
        QVERIFY(!read.calibration);
        QVERIFY(read.sportsMode);
        QCOMPARE(read.currentLayer, uchar(1));

        gKeyboardConfig.reset(new KeyboardConfigUtil);
        const auto modelParams = gKeyboardConfig->keyboardParams;
        engine->syncWholeParam();
        QCOMPARE(gKeyboardConfig->keyboardParams.data(), modelParams.data()); // written in place
        QCOMPARE(gKeyboardConfig->keyboardParams->deadDown, quint16(0x0123));
    }

    void nonZeroFlagBytesAreTrue()
    {
        connectKeyboard();
        // A keyboard that reports 2 for a flag byte.
        keyboard->setHandler(0x5E, [](EmulatedKeyboardState &, const KeyboardRequest &, KeyboardReplies &replies) {
            replies.send(QByteArray::fromHex("0002000000000000020200"));
        });
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(replies.count(), 1);
        QVERIFY(engine->wholeParam()->touchOptimize);
        QVERIFY(engine->wholeParam()->calibration);
        QVERIFY(engine->wholeParam()->sportsMode);
    }

    void nullParametersSendNothing()
    {
        connectKeyboard();
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_set_whole_param);
        engine->usb_set_whole_param(UsbCommunicateUtil::SourcePerformancePage, true, {});
        settle(Interval * 4);
        QCOMPARE(written().size(), 0);
        QCOMPARE(replies.count(), 0);
        QCOMPARE(errors->count(), 0);
    }

    // --- reply timer, resend and errors -----------------------------------------------------

    void resendsThenGivesUp()
    {
        connectKeyboard();
        silence();

        engine->usb_get_whole_param(UsbCommunicateUtil::SourcePerformancePage, true);
        QCOMPARE(written().size(), 1);
        QTRY_COMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(8), uchar(0xDE), -2}));
        // Three sends in all, every one the same frame.
        QCOMPARE(written().size(), 3);
        QCOMPARE(written()[1], written()[0]);
        QCOMPARE(written()[2], written()[0]);
        settle(Interval * 3);
        QCOMPARE(written().size(), 3);
        QCOMPARE(errors->count(), 1);
    }

    void writeFailureReportsAtOnce()
    {
        connectKeyboard();
        EmulatedHidFaults faults;
        faults.writeFails = true;
        bus.setFaults(path, faults);

        engine->usb_get_product_info(UsbCommunicateUtil::SourceKeyPage, true);
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(4), uchar(0xE2), -1}));
        // No timer was started: nothing further happens.
        settle(Interval * 4);
        QCOMPARE(errors->count(), 1);
    }

    void wrongCodeKeepsTheRequestWaiting()
    {
        connectKeyboard();
        keyboard->addReplyFault({ReplyFault::WrongCode, 0xDE, 0xE2, 1});
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        QSignalSpy params(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, true);
        // The wrong answer is ignored; the resend gets the right one.
        QTRY_COMPARE(replies.count(), 1);
        QCOMPARE(written().size(), 2);
        QCOMPARE(params.count(), 0);
        QCOMPARE(errors->count(), 0);
    }

    void duplicateReplyIsHandledOnce()
    {
        connectKeyboard();
        keyboard->addReplyFault({ReplyFault::Duplicate, 0, 0xE2, 1});
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, false);
        QTRY_COMPARE(replies.count(), 1);
        settle(Interval * 2);
        QCOMPARE(replies.count(), 1);
    }

    void lateReplyAfterGivingUpChangesNothing()
    {
        connectKeyboard();
        // Every answer comes after the timer has given up on it.
        keyboard->addReplyFault({ReplyFault::Delay, Interval * 4, 0xDE, 3});
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(1), uchar(0xDE), -2}));
        settle(Interval * 6);
        QCOMPARE(replies.count(), 0);
        QCOMPARE(engine->wholeParam()->deadDown, quint16(0));
    }

    void replyToAnEarlierRequestIsIgnored()
    {
        connectKeyboard();
        QSignalSpy params(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        QSignalSpy identity(engine, &UsbCommunicateUtil::usb_receive_product_info);
        keyboard->addReplyFault({ReplyFault::Delay, Interval / 2, 0xDE, 1});
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, false);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, false);
        QTRY_COMPARE(identity.count(), 1);
        settle(Interval);
        QCOMPARE(params.count(), 0);
    }

    void answerReadBeforeTheNextRequestIsNotItsAnswer()
    {
        connectKeyboard();
        // The keyboard answers the first request twice; the requester asks again from the first
        // answer, after the keyboard's data changed. The doubled answer was read before the
        // second request went out, so it cannot be that request's answer.
        keyboard->addReplyFault({ReplyFault::Duplicate, 0, 0xE2, 1});
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        bool askedAgain = false;
        connect(engine, &UsbCommunicateUtil::usb_receive_product_info, this, [&] {
            if (askedAgain)
                return;
            askedAgain = true;
            keyboard->state().identity.version = 0x0202;
            engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, true);
        });
        keyboard->state().identity.version = 0x0101;
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(replies.count(), 2);
        settle(Interval * 3);
        QCOMPARE(replies.count(), 2);
        QCOMPARE(engine->productInfo()->version, quint16(0x0202));
        QCOMPARE(errors->count(), 0);
    }

    void lateAnswerToAnEarlierSendIsNotTheNextAnswer()
    {
        connectKeyboard();
        // The first answer comes after the timer has sent the frame again; the answer to the
        // second send comes at once. The next request of the same code is answered slowly, so
        // the late answer arrives first.
        keyboard->addReplyFault({ReplyFault::Delay, Interval * 3 / 2, 0xDE, 1});
        keyboard->state().params.deadDown = 1;
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_whole_param);
        bool askedAgain = false;
        connect(engine, &UsbCommunicateUtil::usb_receive_whole_param, this, [&] {
            if (askedAgain)
                return;
            askedAgain = true;
            keyboard->state().params.deadDown = 2;
            keyboard->addReplyFault({ReplyFault::Delay, Interval * 4 / 5, 0xDE, 1});
            engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        });
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        QTRY_COMPARE(replies.count(), 2);
        settle(Interval * 3);
        QCOMPARE(engine->wholeParam()->deadDown, quint16(2));
        QCOMPARE(errors->count(), 0);
    }

    void newRequestDoesNotInheritTheTimer()
    {
        connectKeyboard();
        silence();
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        settle(Interval + Interval / 2); // one resend of the first request
        QCOMPARE(written().size(), 2);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceKeyPage, false);
        // The replaced request's requester hears that its request is given up, after the call.
        QCOMPARE(errors->count(), 0);
        settle(Interval * 4);
        // The second request waits for nothing: no resend, no error under its source.
        QCOMPARE(written().size(), 3);
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(1), uchar(0xDE), -2}));
    }

    void ownFollowUpRequestIsNotAnError()
    {
        connectKeyboard();
        silence();
        // The same requester asking again replaces its own request without an error.
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, false);
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, false);
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceKeyPage, false);
        settle(Interval * 2);
        QCOMPARE(errors->count(), 0);
    }

    void shortNoticesAndRepliesCarryNothing()
    {
        connectKeyboard();
        QSignalSpy changes(engine, &UsbCommunicateUtil::usb_receive_config_change);
        QSignalSpy wireless(engine, &UsbCommunicateUtil::usb_receive_connect_wireless_device);
        const auto notice = [&](const QByteArray &payload) {
            QByteArray frame = QByteArray::fromHex("faf10101") + QByteArray(1, '\0') + QByteArray(1, char(payload.size())) + payload;
            frame.resize(128, '\0');
            bus.pushInputReport(path, frame);
        };
        notice(QByteArray());                   // kind 0 by the padding alone
        notice(QByteArray::fromHex("0002"));    // kind 0 without its item
        notice(QByteArray::fromHex("03"));      // kind 3 without its state
        notice(QByteArray::fromHex("000205"));  // a whole notice: profile 5
        notice(QByteArray::fromHex("0301"));    // a whole notice: wireless device connected
        QTRY_COMPARE(changes.count(), 1);
        QTRY_COMPARE(wireless.count(), 1);
        settle(Interval);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first(), (QList<QVariant>{uchar(2), uchar(2), uchar(5)}));
        QCOMPARE(wireless.first(), (QList<QVariant>{uchar(1)}));

        // A restore reply naming one key with its bytes cut short stores no key.
        keyboard->setHandler(0x24, [](EmulatedKeyboardState &, const KeyboardRequest &, KeyboardReplies &replies) {
            replies.send(QByteArray::fromHex("00070104"));
        });
        QSignalSpy restored(engine, &UsbCommunicateUtil::usb_receive_set_keyboard_default);
        engine->usb_set_keyboard_default(UsbCommunicateUtil::SourceKeyPage, false, 0, {7, 0xFF});
        QTRY_COMPARE(restored.count(), 1);
        gKeyboardConfig.reset(new KeyboardConfigUtil);
        gKeyboardConfig->keyboardKeyMap.insert(0, QSharedPointer<KEYBOARD_KEY_INFO>::create(KEYBOARD_KEY_INFO{0, 1, 0, 4}));
        engine->syncSetKeyboardConfig(0);
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(0)->lValue, uchar(4));
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(0)->type, uchar(1));
    }

    void linkGoneWhileWaitingEndsTheRequest()
    {
        connectKeyboard();
        silence();
        engine->usb_get_whole_param(UsbCommunicateUtil::SourceSyncConfig, true);
        engine->closeCommunicate();
        QTRY_COMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(1), uchar(0xDE), -2}));
    }

    void framesReceivedOnAClosedLinkAreDropped()
    {
        connectKeyboard();
        QSignalSpy replies(engine, &UsbCommunicateUtil::usb_receive_product_info);
        keyboard->addReplyFault({ReplyFault::Delay, Interval, 0xE2, 1});
        engine->usb_get_product_info(UsbCommunicateUtil::SourceSyncConfig, false);
        engine->closeCommunicate();
        settle(Interval * 2);
        QCOMPARE(replies.count(), 0);
    }

    // --- firmware download and reset ----------------------------------------------------------

    void chunkFrameLayout()
    {
        connectKeyboard();
        uchar bytes[] = {0xAA, 0xBB, 0xCC};
        engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, 0x0102, 3, bytes);
        bytes[0] = 0; // the engine keeps its own copy
        QTRY_COMPARE(written().size(), 1);
        QByteArray expected = QByteArray::fromHex("00fa6002010003aabbcc");
        expected.resize(129, '\0');
        QCOMPARE(written().first(), expected);
    }

    void endFramesCarryTheSecondValueFirst()
    {
        connectKeyboard();
        QSignalSpy ends(engine, &UsbCommunicateUtil::usb_receive_download_fireware_data_end);
        uchar chunk[] = {1, 2, 3, 4};
        engine->usb_download_fireware_data(UsbCommunicateUtil::SourceMaintenancePage, true, 0, 4, chunk);
        QTRY_COMPARE(written().size(), 1);
        QTest::qWait(10);
        engine->usb_download_fireware_data_end(UsbCommunicateUtil::SourceMaintenancePage, true, 0x11223344u, 16u);
        QTRY_COMPARE(ends.count(), 1);
        const QByteArray report = written().last();
        QCOMPARE(report.mid(1, 6), QByteArray::fromHex("fa6601010008"));
        QCOMPARE(payloadOf(report), QByteArray::fromHex("1000000044332211"));
        QCOMPARE(keyboard->state().firmware.data.endFirst, 0x11223344u);
        QCOMPARE(keyboard->state().firmware.data.endSecond, 16u);
    }

    void oversizedChunkIsRefused()
    {
        connectKeyboard({64});
        QByteArray chunk(59, 'x'); // one byte more than a 64-byte frame carries
        engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, 1, chunk.size(),
                                               reinterpret_cast<uchar *>(chunk.data()));
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(10), uchar(0xE0), -1}));
        settle(Interval * 2);
        QCOMPARE(written().size(), 0);
    }

    void refusedChunkIsSentAgain()
    {
        connectKeyboard();
        keyboard->state().firmware.refuseNext = 1;
        QSignalSpy accepted(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard);
        uchar chunk[] = {9, 8, 7};
        engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, 7, 3, chunk);
        QTRY_COMPARE(accepted.count(), 1);
        QCOMPARE(written().size(), 2);
        QCOMPARE(written()[1], written()[0]);
        settle(Interval * 2);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(errors->count(), 0);
        QCOMPARE(keyboard->state().firmware.keyboard.chunks.value(7), QByteArray::fromHex("090807"));
    }

    void threeRefusalsGiveUp()
    {
        connectKeyboard();
        keyboard->state().firmware.refuseNext = 3;
        QSignalSpy accepted(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end);
        engine->usb_download_fireware_keyboard_end(UsbCommunicateUtil::SourceMaintenancePage, true, 1, 2);
        QTRY_COMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QList<QVariant>{uchar(10), uchar(0xE3), -2}));
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(written().size(), 3);
    }

    void duplicateChunkReplyAdvancesOnce()
    {
        connectKeyboard();
        keyboard->addReplyFault({ReplyFault::Duplicate, 0, 0xE0, 1});
        int sent = 0;
        uchar chunk[] = {1};
        connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard, this, [&] {
            // The page sends the next chunk from every reply; a doubled reply would skip one.
            if (++sent < 3)
                engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, quint16(sent), 1, chunk);
        });
        engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, 0, 1, chunk);
        QTRY_COMPARE(sent, 3);
        settle(Interval * 2);
        QCOMPARE(sent, 3);
        QCOMPARE(keyboard->state().firmware.keyboard.chunks.keys(), (QList<quint16>{0, 1, 2}));
    }

    void wholeImageIsReassembled_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128") << 128;
        QTest::newRow("64") << 64;
    }

    void wholeImageIsReassembled()
    {
        QFETCH(int, frameSize);
        connectKeyboard({frameSize});
        QByteArray image(3000, '\0');
        QRandomGenerator generator(42);
        for (char &byte : image)
            byte = char(generator.bounded(256));

        const int chunkSize = gUsbFrameEffectSize;
        const int chunks = (image.size() + chunkSize - 1) / chunkSize;
        int next = 0;
        bool ended = false;
        auto sendChunk = [&] {
            QByteArray chunk = image.mid(next * chunkSize, chunkSize);
            engine->usb_download_fireware_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true, quint16(next),
                                                   chunk.size(), reinterpret_cast<uchar *>(chunk.data()));
        };
        connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard, this, [&](uchar source) {
            QCOMPARE(source, uchar(10));
            // The second chunk's first answer is a refusal: it is sent again.
            if (++next == 1)
                keyboard->state().firmware.refuseNext = 1;
            if (next < chunks)
                sendChunk();
            else
                engine->usb_download_fireware_keyboard_end(UsbCommunicateUtil::SourceMaintenancePage, true,
                                                           0xCAFEu, quint32(image.size()));
        });
        connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end, this, [&] { ended = true; });
        sendChunk();
        QTRY_VERIFY_WITH_TIMEOUT(ended, 20000);
        QCOMPARE(errors->count(), 0);
        const EmulatedFirmwareImage &received = keyboard->state().firmware.keyboard;
        QCOMPARE(received.chunks.size(), chunks);
        QCOMPARE(received.assembled(), image);
        QVERIFY(received.ended);
        QCOMPARE(received.endFirst, 0xCAFEu);
        QCOMPARE(received.endSecond, quint32(image.size()));
        // The refusal cost one resend; every other chunk and the end went out once.
        QCOMPARE(written().size(), chunks + 2);
    }

    void resetIsConfirmed()
    {
        connectKeyboard();
        keyboard->state().params.deadDown = 55;
        keyboard->state().profile().name = QStringLiteral("changed");
        QSignalSpy confirmed(engine, &UsbCommunicateUtil::usb_receive_reset_keyboard);
        engine->usb_reset_keyboard(UsbCommunicateUtil::SourceMaintenancePage, true);
        QTRY_COMPARE(confirmed.count(), 1);
        QCOMPARE(confirmed.first(), (QList<QVariant>{uchar(10), 1, 1}));
        QCOMPARE(payloadOf(written().first()), QByteArray::fromHex("5aa5"));
        QCOMPARE(keyboard->state().firmware.resets, 1);
        QVERIFY(keyboard->state().profile().name != QStringLiteral("changed"));
    }

    // --- helpers --------------------------------------------------------------------------

    void textFields()
    {
        QCOMPARE(UsbCommunicateUtil::ucharConvertString("abc\0def", 8), QStringLiteral("abc"));
        QCOMPARE(UsbCommunicateUtil::ucharConvertString("abcdef", 4), QStringLiteral("abcd"));
        QCOMPARE(UsbCommunicateUtil::ucharConvertString("abc", 0), QString());
        QCOMPARE(UsbCommunicateUtil::ucharConvertString("abc", -1), QString());
        QCOMPARE(UsbCommunicateUtil::ucharConvertString(nullptr, 4), QString());
        QCOMPARE(UsbCommunicateUtil::ucharConvertString("\xE9\x94\xAE\xE7\x9B\x98", 6), QStringLiteral("键盘"));
        QCOMPARE(UsbCommunicateUtil::getErrorMessage(-1), QStringLiteral("指定帧没收到"));
        QCOMPARE(UsbCommunicateUtil::getErrorMessage(12345), QStringLiteral("其他错误"));
    }
};

QTEST_GUILESS_MAIN(TestCommandEngine)
#include "tst_commandengine.moc"
