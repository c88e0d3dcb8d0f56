#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedKeyLayerCommands.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
constexpr uchar KeyPage = UsbCommunicateUtil::SourceKeyPage;
constexpr uchar SyncConfig = UsbCommunicateUtil::SourceSyncConfig;

QSharedPointer<KEYBOARD_KEY_INFO> keyFunction(uchar key, uchar type, uchar hValue, uchar lValue)
{
    auto info = QSharedPointer<KEYBOARD_KEY_INFO>::create();
    info->keyItem = key;
    info->type = type;
    info->hValue = hValue;
    info->lValue = lValue;
    return info;
}

// A new function for every listed key: keyboard keys counting down from 0x60.
KeyInfoMap newFunctions(const QList<uchar> &keys)
{
    KeyInfoMap map;
    for (uchar key : keys)
        map.insert(key, keyFunction(key, 1, 0, uchar(0x60 - key % 0x50)));
    return map;
}

// The first key number of each write frame (payload byte 1).
QList<int> firstKeysOf(const QList<KeyboardFrame> &frames)
{
    return payloadBytesAt(frames, 1);
}

// A keyboard whose keys are 200 to 255 and 0 to 47.
EmulatedKeyboardState wrappingKeyboard()
{
    EmulatedKeyboardState state = EmulatedKeyboardState::builtIn();
    state.keyNumbers = keyRange(200, 56) + keyRange(0, 48);
    std::sort(state.keyNumbers.begin(), state.keyNumbers.end());
    state.factoryNormal.clear();
    for (uchar key : std::as_const(state.keyNumbers)) {
        KEYBOARD_KEY_INFO info;
        info.keyItem = key;
        info.type = 1;
        info.lValue = uchar(key / 3);
        state.factoryNormal.insert(key, info);
    }
    state.factoryFn = state.factoryNormal;
    state.resetProfiles();
    return state;
}

// Reads one layer with the configuration read's source and copies it into the model.
bool readLayerIntoModel(LinkedKeyboard &link, uchar layer)
{
    const bool done = runToLastFrame(link, &UsbCommunicateUtil::usb_receive_keyboard_config,
                                     [&] { link.protocol().usb_get_keyboard_config(SyncConfig, true, layer); });
    link.protocol().syncKeyboardConfig(layer);
    return done;
}

bool writeLayer(LinkedKeyboard &link, uchar layer, const KeyInfoMap &keys)
{
    return runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_keyboard_config,
                          [&] { link.protocol().usb_set_keyboard_config(KeyPage, false, layer, keys); });
}

// Answers layer reads with the other layer's number, the first `wrong` times.
void answerWithOtherLayer(LinkedKeyboard &link, std::shared_ptr<int> wrong)
{
    link.keyboard().setHandler(EmulatedKeyLayerCommands::GetKeyboardConfig,
                               [wrong](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
                                   KeyboardReplies answer(request.order(), request.frameSize);
                                   EmulatedKeyLayerCommands::readLayer(state, request, answer);
                                   for (KeyboardFrame frame : answer.frames()) {
                                       if (*wrong > 0) {
                                           --*wrong;
                                           frame.payload[0] = char(frame.payload[0] ^ 1);
                                       }
                                       replies.send(frame.payload, frame.frame, frame.total);
                                   }
                               });
}
} // namespace

// Both key layers read, written and restored through the protocol against the emulated keyboard.
class TestKeyLayerCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frameSizes_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("readLengths"); // reply payload lengths of 104 keys
        QTest::addColumn<QList<int>>("firstKeys");
        QTest::newRow("128") << 128 << QList<int>{122, 122, 74} << QList<int>{0, 40, 80};
        QTest::newRow("64") << 64 << QList<int>{56, 56, 56, 56, 56, 44} << QList<int>{0, 18, 36, 54, 72, 90};
    }

    void bothLayersReadIntoTheModel_data() { frameSizes_data(); }
    void bothLayersReadIntoTheModel()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, readLengths);
        LinkedKeyboard link(frameSize);
        QVERIFY(link.isOpen());
        // A media key on the Fn layer: its 16-bit usage travels low byte first.
        KEYBOARD_KEY_INFO &media = link.profile().fnLayer[5];
        media.type = 2;
        media.hValue = 0x01;
        media.lValue = 0x83;

        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config);
        link.protocol().usb_get_keyboard_config(SyncConfig, true, 1);
        QTRY_VERIFY(lastFrameArrived(spy));
        const int frames = int(readLengths.size());
        QCOMPARE(spy.size(), frames);
        for (int k = 0; k < frames; ++k) {
            QCOMPARE(spy[k][0].value<uchar>(), SyncConfig);
            QCOMPARE(spy[k][1].toInt(), k + 1);
            QCOMPARE(spy[k][2].toInt(), frames);
            QCOMPARE(spy[k][3].value<uchar>(), uchar(1));
        }
        // The first request says 1 of 1; each later one asks for the frame the replies announced.
        const QList<KeyboardFrame> requests = link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig);
        QCOMPARE(requests.size(), frames);
        QCOMPARE(int(requests[0].total), 1);
        for (int k = 1; k < frames; ++k) {
            QCOMPARE(int(requests[k].frame), k + 1);
            QCOMPARE(int(requests[k].total), frames);
            QCOMPARE(requests[k].payload, QByteArray(1, '\x01'));
        }
        link.protocol().syncKeyboardConfig(1);
        QCOMPARE(differences(gKeyboardConfig->keyboardFn1KeyMap, link.profile().fnLayer), QString());
        QCOMPARE(gKeyboardConfig->keyboardFn1KeyMap.value(5)->hValue, uchar(0x01));
        QCOMPARE(gKeyboardConfig->keyboardFn1KeyMap.value(5)->lValue, uchar(0x83));

        QVERIFY(readLayerIntoModel(link, 0));
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.size(), 104);
    }

    void wholeLayerWrittenInFullFrames_data() { frameSizes_data(); }
    void wholeLayerWrittenInFullFrames()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, readLengths);
        QFETCH(QList<int>, firstKeys);
        LinkedKeyboard link(frameSize);
        QVERIFY(readLayerIntoModel(link, 1));
        KeyInfoMap keys = newFunctions(keyRange(0, 104));
        keys[9] = keyFunction(9, 2, 0x00, 0xE9); // volume up
        const int mark = link.requestMark();
        QVERIFY(writeLayer(link, 1, keys));

        const QList<KeyboardFrame> frames = link.requests(EmulatedKeyLayerCommands::SetKeyboardConfig, mark);
        QCOMPARE(lengthsOf(frames), readLengths);
        QCOMPARE(firstKeysOf(frames), firstKeys);
        for (const KeyboardFrame &frame : frames) {
            QCOMPARE(int(frame.total), int(firstKeys.size()));
            QCOMPARE(frame.payload[0], '\x01');
        }
        // Key 9 in frame 1 at 2 + 3 * 9: type, lValue, hValue.
        QCOMPARE(frames[0].payload.mid(2 + 27, 3), QByteArray("\x02\xE9\x00", 3));
        QCOMPARE(differences(keys, link.profile().fnLayer), QString());

        link.protocol().syncSetKeyboardConfig(1);
        QCOMPARE(differences(gKeyboardConfig->keyboardFn1KeyMap, link.profile().fnLayer), QString());
    }

    void aGapInTheKeysStartsANewFrame()
    {
        LinkedKeyboard link(128);
        const QMap<uchar, KEYBOARD_KEY_INFO> before = link.profile().normalLayer;
        const KeyInfoMap keys = newFunctions(keyRange(0, 10) + keyRange(20, 10));
        const int mark = link.requestMark();
        QVERIFY(writeLayer(link, 0, keys));
        const QList<KeyboardFrame> frames = link.requests(EmulatedKeyLayerCommands::SetKeyboardConfig, mark);
        QCOMPARE(firstKeysOf(frames), (QList<int>{0, 20}));
        QCOMPARE(lengthsOf(frames), (QList<int>{32, 32}));
        // Keys 10 to 19 were not in the write and keep their functions.
        for (int key = 10; key < 20; ++key)
            QCOMPARE(EmulatedKeyLayerCommands::keyBytes(link.profile().normalLayer[uchar(key)]),
                     EmulatedKeyLayerCommands::keyBytes(before[uchar(key)]));
        for (uchar key : keys.keys())
            QCOMPARE(link.profile().normalLayer[key].lValue, keys[key]->lValue);
    }

    void keyNumbersWrapAt255()
    {
        LinkedKeyboard link(128, wrappingKeyboard());
        QVERIFY(readLayerIntoModel(link, 0));
        // The keyboard counts 240 to 255 and on to 0 in one frame.
        const QList<KeyboardFrame> reads = link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig);
        QCOMPARE(reads.size(), 3);
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.firstKey(), uchar(0));
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.lastKey(), uchar(255));

        // Written back in ascending order: 0 to 47 and 200 to 255 are two runs.
        const int mark = link.requestMark();
        QVERIFY(writeLayer(link, 0, newFunctions(link.profile().normalLayer.keys())));
        const QList<KeyboardFrame> frames = link.requests(EmulatedKeyLayerCommands::SetKeyboardConfig, mark);
        QCOMPARE(firstKeysOf(frames), (QList<int>{0, 40, 200, 240}));
        QCOMPARE(lengthsOf(frames), (QList<int>{122, 26, 122, 50}));
        link.protocol().syncSetKeyboardConfig(0);
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
    }

    void twoHundredFiftySixKeysAreSent()
    {
        EmulatedKeyboardState state = EmulatedKeyboardState::builtIn();
        state.keyNumbers = keyRange(0, 256);
        state.resetProfiles();
        LinkedKeyboard link(128, state);
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
        link.protocol().usb_set_keyboard_config(KeyPage, false, 0, newFunctions(keyRange(0, 256)));
        // Not the at-once answer of an empty write.
        QCOMPARE(spy.size(), 0);
        QTRY_VERIFY(lastFrameArrived(spy));
        QCOMPARE(spy.size(), 7);
        QCOMPARE(lengthsOf(link.requests(EmulatedKeyLayerCommands::SetKeyboardConfig)),
                 (QList<int>{122, 122, 122, 122, 122, 122, 50}));
        QCOMPARE(link.profile().normalLayer[255].lValue, newFunctions({255})[255]->lValue);
    }

    void emptyWriteIsAnsweredAtOnce()
    {
        LinkedKeyboard link(64);
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
        link.protocol().usb_set_keyboard_config(KeyPage, false, 1, KeyInfoMap());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0], (QList<QVariant>{QVariant::fromValue(KeyPage), 1, 1, QVariant::fromValue(uchar(1))}));
        QCOMPARE(link.keyboard().requests().size(), 0);
    }

    void oneKeyRestored()
    {
        LinkedKeyboard link(64);
        QVERIFY(writeLayer(link, 0, newFunctions({7})));
        QVERIFY(readLayerIntoModel(link, 0));
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(7)->lValue, newFunctions({7})[7]->lValue);

        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_default);
        link.protocol().usb_set_keyboard_default(KeyPage, false, 0, {7, 0xFF});
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0].value(4).toBool(), false);
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::SetKeyboardDefault).value(0).payload,
                 QByteArray("\x00\x07\xFF", 3));
        link.protocol().syncSetKeyboardConfig(0);
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(7)->lValue, link.state().factoryNormal[7].lValue);
    }

    void twoFnKeysRestored()
    {
        LinkedKeyboard link(128);
        QVERIFY(writeLayer(link, 1, newFunctions({3, 9, 11})));
        QVERIFY(readLayerIntoModel(link, 1));
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_default);
        link.protocol().usb_set_keyboard_default(KeyPage, false, 1, {3, 9});
        QTRY_COMPARE(spy.size(), 1);
        link.protocol().syncSetKeyboardConfig(1);
        QCOMPARE(differences(gKeyboardConfig->keyboardFn1KeyMap, link.profile().fnLayer), QString());
        // Key 11 was not restored.
        QCOMPARE(gKeyboardConfig->keyboardFn1KeyMap.value(11)->lValue, newFunctions({11})[11]->lValue);
        QCOMPARE(gKeyboardConfig->keyboardFn1KeyMap.value(9)->lValue, link.state().factoryFn[9].lValue);
    }

    void everyKeyRestored()
    {
        LinkedKeyboard link(128);
        QVERIFY(writeLayer(link, 0, newFunctions(keyRange(0, 104))));
        QVERIFY(readLayerIntoModel(link, 0));
        const KeyInfoMap heldBefore = gKeyboardConfig->keyboardKeyMap;

        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_default);
        link.protocol().usb_set_keyboard_default(KeyPage, false, 0, {0xFF, 0xFF});
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy[0].value(4).toBool(), true);
        // Nothing is reported, so nothing is copied: the model waits for the next read.
        link.protocol().syncSetKeyboardConfig(0);
        QCOMPARE(gKeyboardConfig->keyboardKeyMap, heldBefore);
        QVERIFY(readLayerIntoModel(link, 0));
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
        for (auto it = link.state().factoryNormal.cbegin(); it != link.state().factoryNormal.cend(); ++it)
            QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(it.key())->lValue, it.value().lValue);
    }

    void wrongLayerWithWaitSetCostsOneSend()
    {
        LinkedKeyboard link(128);
        auto wrong = std::make_shared<int>(1);
        answerWithOtherLayer(link, wrong);
        QSignalSpy replies(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        QElapsedTimer clock;
        clock.start();
        link.protocol().usb_get_keyboard_config(SyncConfig, true, 0);
        QTRY_VERIFY(lastFrameArrived(replies));
        // Frame 1 was asked for again at once, not after the reply timer's second.
        QVERIFY(clock.elapsed() < 900);
        QList<int> asked;
        for (const KeyboardFrame &frame : link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig))
            asked.append(frame.frame);
        QCOMPARE(asked, (QList<int>{1, 1, 2, 3}));
        QCOMPARE(replies[0][1].toInt(), 1); // the wrong answer was not announced
        QCOMPARE(errors.size(), 0);
        link.protocol().syncKeyboardConfig(0);
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
    }

    void wrongLayerWithWaitSetThreeTimesIsNoReply()
    {
        LinkedKeyboard link(64);
        answerWithOtherLayer(link, std::make_shared<int>(1000));
        QSignalSpy replies(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        link.protocol().usb_get_keyboard_config(SyncConfig, true, 1);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0], (QList<QVariant>{QVariant::fromValue(SyncConfig), QVariant::fromValue(uchar(0xAA)),
                                             int(UsbCommunicateUtil::ErrorNoReply)}));
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig).size(), 3);
        QCOMPARE(replies.size(), 0);
    }

    void wrongLayerWithWaitClearIsReported()
    {
        LinkedKeyboard link(128);
        answerWithOtherLayer(link, std::make_shared<int>(1000));
        QSignalSpy replies(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        link.protocol().usb_get_keyboard_config(KeyPage, false, 1);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0], (QList<QVariant>{QVariant::fromValue(KeyPage), QVariant::fromValue(uchar(0xAA)),
                                             int(UsbCommunicateUtil::ErrorLayer)}));
        QTest::qWait(50);
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig).size(), 1);
        QCOMPARE(replies.size(), 0);
    }

    void layerAboveOneIsRefused()
    {
        LinkedKeyboard link(128);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        link.protocol().usb_get_keyboard_config(KeyPage, true, 2);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0][2].toInt(), int(UsbCommunicateUtil::ErrorLayer));
        QCOMPARE(link.keyboard().requests().size(), 0);
    }

    void aRequestStartedFromTheReplySignalEndsTheChain()
    {
        LinkedKeyboard link(128);
        QSignalSpy triggers(&link.protocol(), &UsbCommunicateUtil::usb_receive_trigger_config);
        QObject::connect(&link.protocol(), &UsbCommunicateUtil::usb_receive_keyboard_config, &link.protocol(),
                         [&link](uchar, int current, int) {
                             if (current == 1)
                                 link.protocol().usb_get_trigger_config(SyncConfig, true);
                         });
        link.protocol().usb_get_keyboard_config(SyncConfig, true, 0);
        QTRY_VERIFY(lastFrameArrived(triggers));
        QTest::qWait(50);
        // The layer read stopped after its first frame; the trigger read ran to its end.
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::GetKeyboardConfig).size(), 1);
        QCOMPARE(triggers.size(), 7);
    }

    void repliesAnnouncingMoreFramesAreNotFollowed()
    {
        LinkedKeyboard link(128);
        link.keyboard().setHandler(EmulatedKeyLayerCommands::SetKeyboardConfig,
                                   [](EmulatedKeyboardState &, const KeyboardRequest &request, KeyboardReplies &replies) {
                                       replies.send(QByteArray(), request.frame.frame, uchar(request.frame.total + 2));
                                   });
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
        link.protocol().usb_set_keyboard_config(KeyPage, false, 0, newFunctions(keyRange(0, 41)));
        QTRY_VERIFY(lastFrameArrived(spy));
        QTest::qWait(50);
        QCOMPARE(framesOf(spy), (QList<QPair<int, int>>{{1, 2}, {2, 2}}));
        QCOMPARE(link.requests(EmulatedKeyLayerCommands::SetKeyboardConfig).size(), 2);
    }

    void failedWriteLeavesTheModelAlone()
    {
        LinkedKeyboard link(64);
        QVERIFY(readLayerIntoModel(link, 0));
        const KeyInfoMap held = gKeyboardConfig->keyboardKeyMap;
        const KEYBOARD_KEY_INFO before = *gKeyboardConfig->keyboardKeyMap.value(30);
        // The second of three frames fails to go out.
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        QObject::connect(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_keyboard_config, &link.protocol(),
                         [&link](uchar, int current, int) {
                             if (current == 1) {
                                 EmulatedHidFaults faults;
                                 faults.writeFails = true;
                                 link.setFaults(faults);
                             }
                         });
        link.protocol().usb_set_keyboard_config(KeyPage, false, 0, newFunctions(keyRange(0, 40)));
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0], (QList<QVariant>{QVariant::fromValue(KeyPage), QVariant::fromValue(uchar(0xA0)),
                                             int(UsbCommunicateUtil::ErrorWrite)}));
        QCOMPARE(gKeyboardConfig->keyboardKeyMap, held);
        QCOMPARE(EmulatedKeyLayerCommands::keyBytes(*gKeyboardConfig->keyboardKeyMap.value(30)),
                 EmulatedKeyLayerCommands::keyBytes(before));
        // The keyboard took the first frame only; a new read shows exactly that.
        link.setFaults(EmulatedHidFaults());
        QCOMPARE(link.profile().normalLayer[17].lValue, newFunctions({17})[17]->lValue);
        QVERIFY(link.profile().normalLayer[18].lValue != newFunctions({18})[18]->lValue);
        QVERIFY(readLayerIntoModel(link, 0));
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, link.profile().normalLayer), QString());
    }
};

QTEST_GUILESS_MAIN(TestKeyLayerCommands)
#include "tst_keylayercommands.moc"
