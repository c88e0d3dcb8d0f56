// The command engine against the emulated keyboard, through the real HID access and reader
// thread: link control, framing, reply matching, the reply timer with its resend, errors, and
// frames handed on by the USB reader or, as a Bluetooth link does, straight from the UI thread.

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/KeyboardFrameCodec.h"
#include "tests/support/EventWait.h"

#include <QtTest>

using U = UsbCommunicateUtil;

// What the keyboard does with the answers (a ReplyFault kind; -1 silent, -2 failing writes), and what comes of it.
struct Timer { int fault, value, times, writes, replies, error; };
Q_DECLARE_METATYPE(Timer)

namespace {
constexpr int Interval = 80; // reply timer in these tests, ms
constexpr uchar Sync = U::SourceSyncConfig;
constexpr uchar Page = U::SourcePerformancePage;
} // namespace

class TestCommandEngine : public QObject
{
    Q_OBJECT
    std::unique_ptr<LinkedKeyboard> link;
    std::unique_ptr<QSignalSpy> errors;

    U &open(const QList<int> &interfaces = {128})
    {
        cleanup(); // the bus is reset only while no reader runs
        link = std::make_unique<LinkedKeyboard>(interfaces);
        link->protocol().setReplyInterval(Interval);
        errors = std::make_unique<QSignalSpy>(&link->protocol(), &U::usb_communicate_error);
        return link->protocol();
    }

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }
    void cleanup()
    {
        errors.reset();
        link.reset();
    }

    void opensThePreferredInterface_data()
    {
        QTest::addColumn<QList<int>>("interfaces");
        QTest::addColumn<int>("frameSize");
        QTest::newRow("both interfaces") << QList<int>{64, 128} << 128;
        QTest::newRow("64-byte only") << QList<int>{64} << 64;
    }

    void opensThePreferredInterface()
    {
        QFETCH(QList<int>, interfaces);
        QFETCH(int, frameSize);
        open(interfaces).usb_get_whole_param(Sync, true);
        QCOMPARE(link->written(0x5E), QList<QByteArray>{hex("00fa5e01010000").leftJustified(frameSize + 1, '\0')});
        QCOMPARE(int(gUsbFrameEffectSize), frameSize - 6);
    }

    void openingAndClosing()
    {
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        bus.reset();
        const int exits = bus.exitCount();
        U engine; // without a keyboard: no device, and the library let go
        QSignalSpy failures(&engine, &U::usb_communicate_error);
        engine.openCommunicate(0);
        engine.communicateDevice();
        engine.usb_get_product_info(Sync, false);
        QCOMPARE(signalsOf(failures), (Emissions{failure(0, 0, -200), failure(0, 0, -200)}));
        QCOMPARE(bus.exitCount(), exits + 1);
        // Opening an open link keeps one handle; closing twice is harmless.
        open({128, 64}).openCommunicate(0);
        link->protocol().communicateDevice();
        QCOMPARE(bus.openHandleCount(), 1);
        link->protocol().closeCommunicate();
        link->protocol().closeCommunicate();
        QCOMPARE(bus.openHandleCount(), 0);
        QVERIFY(!link->protocol().checkCommunicateState());
    }

    void replyTimer_data()
    {
        QTest::addColumn<Timer>("timer");
        QTest::newRow("no answer: three sends, then -2") << Timer{-1, 0, 0, 3, 0, -2};
        QTest::newRow("failed write: -1 at once") << Timer{-2, 0, 0, 1, 0, -1};
        QTest::newRow("lost answer: sent again") << Timer{ReplyFault::Drop, 0, 1, 2, 1, 0};
        QTest::newRow("wrong code: sent again") << Timer{ReplyFault::WrongCode, 0xE2, 1, 2, 1, 0};
        QTest::newRow("doubled answer: taken once") << Timer{ReplyFault::Duplicate, 0, 1, 1, 1, 0};
        // Each answer comes well after the request was given up, also on a loaded machine.
        QTest::newRow("answers after giving up: ignored") << Timer{ReplyFault::Delay, Interval * 10, 3, 3, 0, -2};
    }

    void replyTimer()
    {
        QFETCH(Timer, timer);
        U &engine = open();
        EmulatedHidFaults faults;
        faults.silent = timer.fault == -1;
        faults.writeFails = timer.fault == -2;
        EmulatedHidBus::instance().setFaults(link->path(), faults);
        if (timer.fault >= 0)
            link->keyboard().addReplyFault({ReplyFault::Kind(timer.fault), timer.value, 0xDE, timer.times});
        QSignalSpy answers(&engine, &U::usb_receive_whole_param);
        engine.usb_get_whole_param(Page, true);
        // The request ends with its answer or its error; the keyboard's answers still on their way
        // are read; then nothing more comes: no send, answer or error.
        EVENTWAIT_VERIFY(answers.count() >= timer.replies && errors->count() >= (timer.error ? 1 : 0), 5000);
        EVENTWAIT_COMPARE(EmulatedHidBus::instance().pendingInputReports(link->path()), 0, 5000);
        QTest::qWait(Interval * 2);
        QCOMPARE(EmulatedHidBus::instance().writeCount(link->path()), timer.writes);
        QCOMPARE(answers.count(), timer.replies);
        QCOMPARE(signalsOf(*errors), timer.error ? Emissions{failure(Page, 0xDE, timer.error)} : Emissions{});
        if (timer.writes > 1) // every send is the same frame
            QCOMPARE(link->written(0x5E), QList<QByteArray>(timer.writes, link->report(0x5E, {})));
    }

    void answerReadBeforeTheNextRequestIsNotItsAnswer()
    {
        U &engine = open();
        // The keyboard answers twice; the requester asks again from the first answer, after the data
        // changed. The doubled answer was read before the second request went out: not its answer.
        link->keyboard().addReplyFault({ReplyFault::Duplicate, 0, 0xE2, 1});
        QSignalSpy replies(&engine, &U::usb_receive_product_info);
        bool askedAgain = false;
        connect(&engine, &U::usb_receive_product_info, this, [&] {
            if (std::exchange(askedAgain, true))
                return;
            link->state().identity.version = 0x0202;
            engine.usb_get_product_info(Sync, true);
        });
        link->state().identity.version = 0x0101;
        engine.usb_get_product_info(Sync, true);
        QTRY_COMPARE(replies.count(), 2);
        QTest::qWait(Interval * 3);
        QCOMPARE(replies.count(), 2);
        QCOMPARE(engine.productInfo()->version, quint16(0x0202));
        QCOMPARE(errors->count(), 0);
    }

    // After a frame went out twice, one answer of its code within (sends x reply interval) of
    // the accepted answer is the late answer to the first send, not the next request's.
    void lateAnswerWindow_data()
    {
        QTest::addColumn<int>("elapsed");  // engine clock between the accepted answer and the next one
        QTest::addColumn<int>("deadDown"); // as the next request reads it
        QTest::newRow("at once: the late answer") << 0 << 3;
        QTest::newRow("at the window's end: the late answer") << 600 << 3;
        QTest::newRow("past the window: the next request's") << 601 << 2;
    }

    void lateAnswerWindow()
    {
        QFETCH(int, elapsed);
        QFETCH(int, deadDown);
        U &engine = open();
        qint64 now = 5000;
        engine.setClock([&now] { return now; });
        engine.setReplyInterval(300);
        link->silence();
        engine.usb_get_whole_param(Sync, true);
        // The first send went unanswered: seen as the resend goes out, well before a third send.
        EVENTWAIT_COMPARE(link->written(0x5E).size(), 2, 5000);
        link->deliver(0xDE, hex("00000100"));
        QCOMPARE(engine.wholeParam()->deadDown, quint16(1));
        engine.setReplyInterval(60000); // no resend of the next request
        engine.usb_get_whole_param(Sync, true);
        now += elapsed;
        link->deliver(0xDE, hex("00000200"));
        link->deliver(0xDE, hex("00000300"));
        QCOMPARE(engine.wholeParam()->deadDown, quint16(deadDown));
        QCOMPARE(errors->count(), 0);
    }

    // A command that is never sent twice has no late answers: after its one send was answered
    // past a silent tick, the next request's answer is its own.
    void unrepeatedCommandHasNoLateAnswer()
    {
        U &engine = open();
        link->silence();
        QSignalSpy added(&engine, &U::usb_receive_add_config_table);
        engine.usb_add_config_table(Page, true, 0);
        QTest::qWait(Interval + Interval / 2);
        QCOMPARE(link->written(0x58).size(), 1);
        link->deliver(0xD8, {});
        engine.usb_add_config_table(Page, true, 0);
        link->deliver(0xD8, {});
        QCOMPARE(added.count(), 2);
        QCOMPARE(errors->count(), 0);
    }

    // Frame 1 answered once more while frame 2 is awaited, read by the USB reader and handed on
    // as by a Bluetooth link, where the frame number is the only thing that tells the two apart.
    void lateDuplicateOfFrameOne()
    {
        for (const bool usb : {true, false}) {
            U &engine = open();
            engine.setReplyInterval(5000);
            link->silence();
            QSignalSpy frames(&engine, &U::usb_receive_keyboard_config);
            const auto answer = [&](const char *payload, uchar frame) {
                if (usb)
                    EmulatedHidBus::instance().pushInputReport(link->path(), KeyboardFrameCodec::encode(0xAA, frame, 2, hex(payload), 128));
                else
                    link->deliver(0xAA, hex(payload), frame, 2);
            };
            engine.usb_get_keyboard_config(Sync, true, 0);
            answer("0000010400", 1);
            QTRY_COMPARE(link->written(0x2A).size(), 2);
            answer("0000010500", 1);
            answer("0001010600", 2);
            QTRY_VERIFY2(lastFrameArrived(frames), usb ? "USB" : "Bluetooth");
            QCOMPARE(framesOf(frames), (Frames{{1, 2}, {2, 2}}));
            QCOMPARE(link->written(0x2A).size(), 2);
            engine.syncKeyboardConfig(0);
            QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(0)->lValue, uchar(4));
            QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(1)->lValue, uchar(6));
        }
    }

    void replacedRequestIsGivenUp()
    {
        U &engine = open();
        link->silence();
        engine.usb_get_whole_param(Sync, true);
        EVENTWAIT_COMPARE(link->written(0x5E).size(), 2, 5000); // one resend of the first request
        engine.usb_get_product_info(U::SourceKeyPage, false);
        QCOMPARE(errors->count(), 0); // its requester hears of it after the call
        EVENTWAIT_VERIFY(!errors->isEmpty(), 5000);
        QTest::qWait(Interval * 2);
        // The second request waits for nothing: no resend, no error of its own.
        QCOMPARE(EmulatedHidBus::instance().writeCount(link->path()), 3);
        QCOMPARE(signalsOf(*errors), Emissions{failure(Sync, 0xDE, -2)});
        // A requester replacing its own request hears nothing.
        engine.usb_get_whole_param(Sync, false);
        engine.usb_get_product_info(Sync, false);
        QTest::qWait(Interval * 2);
        QCOMPARE(errors->count(), 1);
    }

    // The request waiting when the link closes, or replaced just before, ends once, and its
    // requester hears so before the link opens again, whoever begins the next request there.
    void closingTheLinkEndsTheRequest_data()
    {
        QTest::addColumn<int>("next"); // source of a request begun at once on the reopened link; -1 none
        QTest::addColumn<bool>("replaced"); // another requester's request replaced it before the close
        QTest::newRow("nothing follows") << -1 << false;
        QTest::newRow("another requester follows") << int(Page) << false; // a transfer given up, the device page reading anew
        QTest::newRow("its requester follows") << int(Sync) << false;
        QTest::newRow("replaced, its requester follows") << int(Sync) << true;
    }

    void closingTheLinkEndsTheRequest()
    {
        QFETCH(int, next);
        QFETCH(bool, replaced);
        U &engine = open();
        link->silence();
        QSignalSpy replies(&engine, &U::usb_receive_whole_param);
        engine.usb_get_whole_param(Sync, true);
        if (replaced)
            engine.usb_get_product_info(Page, false);
        engine.closeCommunicate();
        link->deliver(0xDE, hex("00000100")); // handed on after the link closed
        qsizetype heardWhenUp = -1;
        if (next >= 0) {
            connect(&engine, &U::protocol_device_connected, this, [&] { heardWhenUp = errors->count(); });
            engine.openCommunicate(0);
            engine.communicateDevice();
            engine.usb_get_product_info(uchar(next), false);
            QCOMPARE(heardWhenUp, 1);
        }
        EVENTWAIT_VERIFY(!errors->isEmpty(), 5000);
        QTest::qWait(Interval * 2); // nor again from the reply timer
        QCOMPARE(signalsOf(*errors), Emissions{failure(Sync, 0xDE, -2)});
        QCOMPARE(replies.count(), 0);
    }

    // A resend whose write fails ends the request there, once, whether the link then stays or closes.
    void failedResendEndsTheRequestOnce_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("link stays") << false;
        QTest::newRow("link closed") << true;
    }

    void failedResendEndsTheRequestOnce()
    {
        QFETCH(bool, close);
        U &engine = open();
        link->silence();
        engine.usb_get_whole_param(Sync, true);
        EmulatedHidFaults faults;
        faults.writeFails = true;
        EmulatedHidBus::instance().setFaults(link->path(), faults);
        QTRY_COMPARE(errors->count(), 1);
        if (close)
            engine.closeCommunicate();
        QTest::qWait(Interval * 4);
        QCOMPARE(signalsOf(*errors), Emissions{failure(Sync, 0xDE, -1)});
        QCOMPARE(EmulatedHidBus::instance().writeCount(link->path()), 2);
    }

    void notices()
    {
        U &engine = open();
        QSignalSpy changes(&engine, &U::usb_receive_config_change);
        QSignalSpy devices(&engine, &U::usb_receive_connect_wireless_device);
        // Profile 5, wireless device on and off; then notices too short for their kind, and another kind.
        for (const char *notice : {"000205", "0301", "0300", "0002", "03", "", "010000"})
            link->deliver(U::NoticeCode, hex(notice));
        QCOMPARE(signalsOf(changes), Emissions{failure(U::SourceMainWindow, 2, 5)});
        QCOMPARE(signalsOf(devices), (Emissions{{QVariant::fromValue(uchar(1))}, {QVariant::fromValue(uchar(0))}}));
        // A notice is no answer: the request waiting is sent again and given up.
        link->silence();
        engine.usb_get_config_info(Sync, true);
        link->deliver(U::NoticeCode, hex("000002"));
        QTRY_COMPARE(signalsOf(*errors), Emissions{failure(Sync, 0xD7, -2)});
        QCOMPARE(link->written(0x57).size(), 3);
    }

    void chainsOfFrames()
    {
        U &engine = open();
        // A request started from a reply signal owns the engine: the chain of the first ends there.
        QSignalSpy triggers(&engine, &U::usb_receive_trigger_config);
        connect(&engine, &U::usb_receive_keyboard_config, this, [&engine](uchar, int current, int) {
            if (current == 1)
                engine.usb_get_trigger_config(Sync, true);
        });
        engine.usb_get_keyboard_config(Sync, true, 0);
        QTRY_VERIFY(lastFrameArrived(triggers));
        QCOMPARE(link->written(0x2A).size(), 1);
        QCOMPARE(triggers.size(), 7);
        // A write follows its own frame count, not the one its answers announce.
        link->keyboard().setHandler(0x20, [](EmulatedKeyboardState &, const KeyboardRequest &request, KeyboardReplies &replies) {
            replies.send(QByteArray(), request.frame.frame, uchar(request.frame.total + 2));
        });
        QSignalSpy written(&engine, &U::usb_receive_set_keyboard_config);
        KeyInfoMap keys;
        for (uchar key : keyRange(0, 41))
            keys.insert(key, QSharedPointer<KEYBOARD_KEY_INFO>::create());
        engine.usb_set_keyboard_config(Sync, false, 0, keys);
        QTRY_VERIFY(lastFrameArrived(written));
        QTest::qWait(Interval / 2);
        QCOMPARE(framesOf(written), (Frames{{1, 2}, {2, 2}}));
        QCOMPARE(link->written(0x20).size(), 2);
        QCOMPARE(link->written(0x2A).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommandEngine)
#include "tst_commandengine.moc"
