#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedTriggerCommands.h"

#include <QtTest>

namespace {
constexpr uchar Performance = UsbCommunicateUtil::SourcePerformancePage;
constexpr uchar SyncConfig = UsbCommunicateUtil::SourceSyncConfig;
constexpr uchar Import = UsbCommunicateUtil::SourceImport;

QSharedPointer<KEYBOARD_TRIGGER_INFO> travel(uchar key, quint16 trigger, bool model, bool quick, quint16 press,
                                             quint16 release)
{
    auto info = QSharedPointer<KEYBOARD_TRIGGER_INFO>::create();
    info->keyItem = key;
    info->trigger = trigger;
    info->model = model;
    info->quick = quick;
    info->quickTrigger = press;
    info->resetTrigger = release;
    return info;
}

// Settings that differ from key to key, so that a shifted key shows.
TriggerMap settingsFor(const QList<uchar> &keys)
{
    TriggerMap map;
    for (uchar key : keys)
        map.insert(key, travel(key, quint16(100 + key), key % 2, key % 3 == 0, quint16(10 + key), quint16(300 + key)));
    return map;
}

bool readIntoModel(LinkedKeyboard &link)
{
    const bool done = runToLastFrame(link, &UsbCommunicateUtil::usb_receive_trigger_config,
                                     [&] { link.protocol().usb_get_trigger_config(SyncConfig, true); });
    link.protocol().syncTriggerConfig();
    return done;
}

// The first key number of each write frame (payload byte 0).
QList<int> firstKeysOf(const QList<KeyboardFrame> &frames)
{
    return payloadBytesAt(frames, 0);
}
} // namespace

// Travel settings read, written whole and changed per key, at both frame sizes.
class TestTriggerCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readInFrames_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("frames");
        // 104 keys: 15 a frame at 128, 7 a frame at 64.
        QTest::newRow("128") << 128 << 7;
        QTest::newRow("64") << 64 << 15;
    }

    void readInFrames()
    {
        QFETCH(int, frameSize);
        QFETCH(int, frames);
        LinkedKeyboard link(frameSize);
        KEYBOARD_TRIGGER_INFO &odd = link.profile().triggers[33];
        odd.model = true;
        odd.quick = true;
        odd.trigger = 0x1234;
        odd.resetTrigger = 400;
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_trigger_config);
        link.protocol().usb_get_trigger_config(SyncConfig, true);
        QTRY_VERIFY(lastFrameArrived(spy));
        QCOMPARE(spy.size(), frames);
        QCOMPARE(spy.last()[1].toInt(), frames);
        QCOMPARE(link.requests(EmulatedTriggerCommands::GetTrigger).size(), frames);
        link.protocol().syncTriggerConfig();
        QCOMPARE(differences(gKeyboardConfig->keyboardTriggerMap, link.profile().triggers), QString());
    }

    void repliesTakenApart()
    {
        LinkedKeyboard link(128);
        // Hand-made replies: key 250 on with 10 groups, bytes 2 counting as on, then a frame too
        // short for a group and one whose last byte is left over.
        link.keyboard().setHandler(EmulatedTriggerCommands::GetTrigger, [](EmulatedKeyboardState &,
                                                                           const KeyboardRequest &request,
                                                                           KeyboardReplies &replies) {
            const int k = request.frame.frame;
            QByteArray payload;
            if (k == 1) {
                payload = QByteArray(1, char(250));
                for (int i = 0; i < 10; ++i)
                    payload += QByteArray::fromHex("9600020214002c01");
            } else if (k == 2) {
                payload = QByteArray(8, '\x01');
            } else {
                payload = QByteArray(1, char(20)) + QByteArray::fromHex("0a000000050006000000ff");
            }
            replies.send(payload, uchar(k), 3);
        });
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_trigger_config);
        link.protocol().usb_get_trigger_config(SyncConfig, false);
        QTRY_VERIFY(lastFrameArrived(spy));
        QCOMPARE(spy.size(), 3); // the empty frame is announced too
        link.protocol().syncTriggerConfig();
        const TriggerMap &map = gKeyboardConfig->keyboardTriggerMap;
        QCOMPARE(map.keys(), (keyRange(0, 4) + QList<uchar>{20} + keyRange(250, 6)));
        const auto key1 = map.value(1);
        QCOMPARE(key1->trigger, quint16(150));
        QVERIFY(key1->model);
        QVERIFY(key1->quick);
        QCOMPARE(key1->quickTrigger, quint16(20));
        QCOMPARE(key1->resetTrigger, quint16(300));
        QCOMPARE(map.value(20)->trigger, quint16(10));
        QCOMPARE(map.value(20)->quickTrigger, quint16(5));
        QCOMPARE(map.value(20)->resetTrigger, quint16(6));
    }

    void writtenWholeInFullFrames_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{122, 122, 122, 122, 122, 122, 114};
        QTest::newRow("64") << 64 << QList<int>{58, 58, 58, 58, 58, 58, 58, 58, 58, 58, 58, 58, 58, 58, 50};
    }

    void writtenWholeInFullFrames()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        const TriggerMap settings = settingsFor(keyRange(0, 104));
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config_all);
        link.protocol().usb_set_trigger_config_all(Import, true, settings);
        QTRY_VERIFY(lastFrameArrived(spy));
        const QList<KeyboardFrame> frames = link.requests(EmulatedTriggerCommands::SetTriggerAll);
        QCOMPARE(lengthsOf(frames), lengths);
        const int perFrame = (frameSize - 6 - 1) / 8;
        for (int k = 0; k < frames.size(); ++k) {
            QCOMPARE(int(uchar(frames[k].payload[0])), k * perFrame);
            QCOMPARE(int(uchar(frames[k].payload[1])), (lengths[k] - 2) / 8);
        }
        // Key 1's group: trigger 101, rapid trigger on, continuous off, 11, 301.
        QCOMPARE(frames[0].payload.mid(2 + 8, 8), QByteArray::fromHex("650001000b002d01"));
        QCOMPARE(differences(settings, link.profile().triggers), QString());
        link.protocol().syncTriggerConfig();
        QCOMPARE(differences(gKeyboardConfig->keyboardTriggerMap, link.profile().triggers), QString());
    }

    void writeAllSplitsAtGaps()
    {
        LinkedKeyboard link(64);
        const TriggerMap settings = settingsFor(keyRange(0, 8) + keyRange(10, 3) + QList<uchar>{103});
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config_all);
        link.protocol().usb_set_trigger_config_all(Import, true, settings);
        QTRY_VERIFY(lastFrameArrived(spy));
        const QList<KeyboardFrame> frames = link.requests(EmulatedTriggerCommands::SetTriggerAll);
        QCOMPARE(firstKeysOf(frames), (QList<int>{0, 7, 10, 103}));
        QCOMPARE(lengthsOf(frames), (QList<int>{58, 10, 26, 10}));
        QCOMPARE(link.profile().triggers[8].trigger, quint16(120)); // untouched factory value
        QCOMPARE(link.profile().triggers[103].trigger, quint16(203));
        QCOMPARE(link.profile().triggers[12].resetTrigger, quint16(312));
    }

    void emptyWritesAreAnsweredAtOnce()
    {
        LinkedKeyboard link(128);
        QSignalSpy all(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config_all);
        QSignalSpy one(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config);
        QSignalSpy quick(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_quick_trigger_config);
        link.protocol().usb_set_trigger_config_all(Import, true, TriggerMap());
        link.protocol().usb_set_trigger_config(Performance, false, KEYBOARD_TRIGGER_INFO(), {});
        link.protocol().usb_set_quick_trigger_config(Performance, false, {});
        QCOMPARE(framesOf(all), (QList<QPair<int, int>>{{1, 1}}));
        QCOMPARE(framesOf(one), (QList<QPair<int, int>>{{1, 1}}));
        QCOMPARE(framesOf(quick), (QList<QPair<int, int>>{{1, 1}}));
        QCOMPARE(link.keyboard().requests().size(), 0);
    }

    void actuationOfChosenKeys_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{106};
        QTest::newRow("64") << 64 << QList<int>{58, 50};
    }

    void actuationOfChosenKeys()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        QVERIFY(readIntoModel(link));
        QList<uchar> keys = keyRange(0, 104);
        std::reverse(keys.begin(), keys.end()); // any order: every key number travels
        KEYBOARD_TRIGGER_INFO info = *travel(0, 150, true, true, 1, 2);
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config);
        link.protocol().usb_set_trigger_config(Performance, false, info, keys);
        QTRY_VERIFY(lastFrameArrived(spy));
        const QList<KeyboardFrame> frames = link.requests(EmulatedTriggerCommands::SetTrigger);
        QCOMPARE(lengthsOf(frames), lengths);
        for (const KeyboardFrame &frame : frames)
            QCOMPARE(frame.payload.left(2), QByteArray("\x96\x00", 2));
        QCOMPARE(uchar(frames[0].payload[2]), uchar(103));
        link.protocol().syncModifyTriggerConfig();
        QCOMPARE(differences(gKeyboardConfig->keyboardTriggerMap, link.profile().triggers), QString());
        // Only the actuation travel changed.
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(50)->trigger, quint16(150));
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(50)->model, false);
    }

    void rapidTriggerOfChosenKeys_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{120, 8};
        QTest::newRow("64") << 64 << QList<int>{56, 56, 16};
    }

    void rapidTriggerOfChosenKeys()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        QVERIFY(readIntoModel(link));
        QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> list;
        for (uchar key : keyRange(40, 16))
            list.append(travel(key, 999, true, key % 2, 30, 300));
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_quick_trigger_config);
        link.protocol().usb_set_quick_trigger_config(Performance, false, list);
        QTRY_VERIFY(lastFrameArrived(spy));
        const QList<KeyboardFrame> frames = link.requests(EmulatedTriggerCommands::SetQuickTrigger);
        QCOMPARE(lengthsOf(frames), lengths);
        QCOMPARE(frames[0].payload.left(8), QByteArray::fromHex("280001001e002c01"));
        link.protocol().syncModifyQuickTriggerConfig();
        QCOMPARE(differences(gKeyboardConfig->keyboardTriggerMap, link.profile().triggers), QString());
        // The actuation travel does not travel with the rapid-trigger settings.
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(41)->trigger, quint16(120));
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(41)->quick, true);
    }

    void failedWriteLeavesTheModelAlone()
    {
        LinkedKeyboard link(128);
        link.protocol().setReplyInterval(100);
        QVERIFY(readIntoModel(link));
        const TriggerMap held = gKeyboardConfig->keyboardTriggerMap;
        const KEYBOARD_TRIGGER_INFO before = *held.value(5);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        QSignalSpy one(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_trigger_config);

        // A write that does not go out.
        EmulatedHidFaults faults;
        faults.writeFails = true;
        link.setFaults(faults);
        link.protocol().usb_set_trigger_config(Performance, false, *travel(0, 50, false, false, 0, 0), {5, 6});
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorWrite));

        // A keyboard that takes the write and never answers.
        faults.writeFails = false;
        faults.silent = true;
        link.setFaults(faults);
        link.protocol().usb_set_trigger_config(Performance, true, *travel(0, 60, false, false, 0, 0), {5, 6});
        QTRY_COMPARE(errors.size(), 2);
        QCOMPARE(errors[1], (QList<QVariant>{QVariant::fromValue(Performance), QVariant::fromValue(uchar(0xA6)),
                                             int(UsbCommunicateUtil::ErrorNoReply)}));
        QCOMPARE(one.size(), 0);
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap, held);
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(5)->trigger, before.trigger);
        QCOMPARE(link.profile().triggers[5].trigger, before.trigger);
    }
};

QTEST_GUILESS_MAIN(TestTriggerCommands)
#include "tst_triggercommands.moc"
