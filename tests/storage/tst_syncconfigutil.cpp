// The whole configuration read, end to end: the real protocol, HID access and reader thread
// against an emulated keyboard holding a non-default configuration, at both frame sizes, and
// under faults of the link.

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/SyncConfigUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/TestDataDir.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int Interval = 60; // reply timer, ms

HIGH_KEY_INFO highKey(uchar slot, uchar kind, uchar key, std::initializer_list<uchar> data)
{
    HIGH_KEY_INFO info;
    info.item = slot;
    info.attribute = kind;
    info.keyItem = key;
    int i = 0;
    for (uchar byte : data)
        info.data[size_t(i++)] = byte;
    return info;
}

// A configuration no factory keyboard has: every block differs from its defaults.
void makeDistinctive(EmulatedKeyboardState &state)
{
    state.identity.flags = 0x81;
    state.identity.version = 0x0207;
    state.params.touchOptimize = true;
    state.params.deadDown = 12;
    state.params.deadUp = 34;
    state.params.pollingRate = 1;
    state.params.shakeLevel = 2;
    state.params.sportsMode = true;
    state.params.currentLayer = 1;

    state.profiles[0].name = QStringLiteral("日常");
    state.profiles[1].name = QStringLiteral("FPS");
    state.profiles[2].name = QStringLiteral("MOBA");
    state.profiles[3].name = QStringLiteral("Work");
    state.currentProfile = 2;
    EmulatedProfile &profile = state.profile();

    for (auto it = profile.customLight.begin(); it != profile.customLight.end(); ++it) {
        const uchar key = it.key();
        it->light = uchar(key % 5);
        it->colorR = key;
        it->colorG = uchar(255 - key);
        it->colorB = uchar(key * 3);
    }
    for (auto it = profile.effects.begin(); it != profile.effects.end(); ++it) {
        it->light = uchar(1 + it.key() % 4);
        it->speed = uchar(4 - it.key() % 4);
        it->colorR = uchar(10 * it.key());
        it->fullColor = uchar(it.key() & 1);
    }
    profile.normalLayer[10] = KEYBOARD_KEY_INFO{10, 3, 0, 2};    // M3
    profile.normalLayer[20] = KEYBOARD_KEY_INFO{20, 2, 0, 0xE9}; // volume up
    profile.normalLayer[30] = KEYBOARD_KEY_INFO{30, 4, 0, 0};    // advanced key in slot 0
    profile.fnLayer[5] = KEYBOARD_KEY_INFO{5, 5, 0, 0xE0};
    profile.fnLayer[6] = KEYBOARD_KEY_INFO{6, 0xFF, 0xFF, 0xFF};

    QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(profile);
    table[0] = highKey(0, 0, 30, {1, 0x04, 0});
    table[1] = highKey(1, 1, 31, {0xFF, 0x50, 0x00, 1, 0, 0x05, 0, 0x01, 0});
    table[2] = highKey(2, 2, 32, {1, 1, 0x04, 0, 2, 1, 0x05, 0, 4, 1, 0x06, 0, 8, 1, 0x07, 0});
    table[3] = highKey(3, 3, 33, {34});
    // slot 4 stays free, in the middle of the table
    table[5] = highKey(5, 4, 35, {36});
    table[6] = highKey(6, 5, 37, {38, 3});

    state.macros[0] = {KEYBOARD_MACRO_INFO{1, 1, 0x04, 0, 20}, KEYBOARD_MACRO_INFO{1, 0, 0x04, 0, 35}};
    for (int i = 0; i < 20; ++i)
        state.macros[9].append(KEYBOARD_MACRO_INFO{1, uchar(i & 1 ? 0 : 1), uchar(0x04 + i / 2), 0, quint16(10 * i)});

    for (auto it = profile.triggers.begin(); it != profile.triggers.end(); ++it) {
        it->trigger = quint16(10 + it.key());
        it->model = it.key() % 2;
        it->quick = it.key() % 3 == 0;
        it->quickTrigger = quint16(5 + it.key() % 7);
        it->resetTrigger = quint16(8 + it.key() % 9);
    }
}
} // namespace

class TestSyncConfigUtil : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    TestDataDir *dataDir = nullptr;
    std::shared_ptr<EmulatedKeyboard> keyboard;
    QByteArray path;

    void connectKeyboard(int frameSize)
    {
        path = bus.attachKeyboard(keyboard, {frameSize}).first();
        gUsbCommunicateUtil->openCommunicate(0);
        gUsbCommunicateUtil->communicateDevice();
    }

    // Runs one read to its result. Returns the results in order (progress first).
    QList<QPair<bool, int>> runRead(uchar scope = SyncConfigUtil::ScopeProductInfo, int timeoutMs = 15000)
    {
        QList<QPair<bool, int>> results;
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, scope, 0, QString());
        bool done = false;
        connect(&read, &SyncConfigUtil::sync_config_result, this, [&](bool status, int value) {
            results.append({status, value});
            if (!status || value == 100)
                done = true;
        });
        read.startSync();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(done, timeoutMs); }();
        // Nothing more arrives once the result is out.
        QTest::qWait(Interval * 4);
        return results;
    }

    static void verifyProgress(const QList<QPair<bool, int>> &results)
    {
        int last = -1;
        for (const auto &result : results) {
            QVERIFY(result.first);
            QVERIFY2(result.second >= last, "progress must not fall");
            last = result.second;
        }
        QCOMPARE(last, 100);
        QCOMPARE(results.count({true, 100}), 1);
    }

    // The keyboard model holds exactly what the keyboard holds.
    void verifyModel(EmulatedKeyboardState &state)
    {
        const KeyboardConfigUtil &model = *gKeyboardConfig;
        QCOMPARE(model.keyboardProductInfo->serialNumber, state.identity.serialNumber);
        QCOMPARE(model.keyboardProductInfo->version, state.identity.version);
        QCOMPARE(model.keyboardProductInfo->flagBit0, true);
        QCOMPARE(model.keyboardProductInfo->flagBit7, true);
        QCOMPARE(model.keyboardProductInfo->productName, QString::fromUtf8(state.identity.productName));

        QCOMPARE(model.keyboardConfigList.size(), state.profiles.size());
        for (int i = 0; i < state.profiles.size(); ++i)
            QCOMPARE(model.keyboardConfigList[i]->configName, state.profiles[i].name);
        QCOMPARE(int(model.currentConfigIndex), state.currentProfile);

        const KEYBOARD_PARAMS &params = *model.keyboardParams;
        QCOMPARE(params.touchOptimize, state.params.touchOptimize);
        QCOMPARE(params.deadDown, state.params.deadDown);
        QCOMPARE(params.deadUp, state.params.deadUp);
        QCOMPARE(params.pollingRate, state.params.pollingRate);
        QCOMPARE(params.shakeLevel, state.params.shakeLevel);
        QCOMPARE(params.sportsMode, state.params.sportsMode);
        QCOMPARE(params.currentLayer, state.params.currentLayer);

        const EmulatedProfile &profile = state.profile();
        QCOMPARE(model.keyboardCustomLightMap.size(), profile.customLight.size());
        for (const KEYBOARD_CUSTOM_LIGHT &light : profile.customLight) {
            const auto record = model.keyboardCustomLightMap.value(light.keyItem);
            QVERIFY(record);
            QCOMPARE(record->light, light.light);
            QCOMPARE(record->colorR, light.colorR);
            QCOMPARE(record->colorG, light.colorG);
            QCOMPARE(record->colorB, light.colorB);
        }
        QCOMPARE(model.keyboardEffectLightMap.size(), profile.effects.size());
        for (const KEYBOARD_EFFECT_LIGHT &effect : profile.effects) {
            const auto record = model.keyboardEffectLightMap.value(effect.item);
            QVERIFY(record);
            QCOMPARE(record->functionFlag, effect.functionFlag);
            QCOMPARE(record->light, effect.light);
            QCOMPARE(record->speed, effect.speed);
            QCOMPARE(record->fullColor, effect.fullColor);
            QCOMPARE(record->colorR, effect.colorR);
        }
        QVERIFY(!model.keyboardEffectLightNameMap.isEmpty());

        for (int layer = 0; layer < 2; ++layer) {
            const QMap<uchar, KEYBOARD_KEY_INFO> &keys = layer ? profile.fnLayer : profile.normalLayer;
            const KeyInfoMap &modelKeys = layer ? model.keyboardFn1KeyMap : model.keyboardKeyMap;
            QCOMPARE(modelKeys.size(), keys.size());
            for (const KEYBOARD_KEY_INFO &key : keys) {
                const auto record = modelKeys.value(key.keyItem);
                QVERIFY(record);
                QCOMPARE(record->type, key.type);
                QCOMPARE(record->hValue, key.hValue);
                QCOMPARE(record->lValue, key.lValue);
            }
        }

        const QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(state.profile());
        QCOMPARE(model.keyboardHighKeyList.size(), table.size());
        for (int i = 0; i < table.size(); ++i) {
            const HIGH_KEY_INFO &record = *model.keyboardHighKeyList[i];
            QCOMPARE(record.item, table[i].item);
            if (table[i].item == 0xFF)
                continue;
            QCOMPARE(record.attribute, table[i].attribute);
            QCOMPARE(record.keyItem, table[i].keyItem);
            for (int b = 0; b < EmulatedHighKeyCommands::wireLength(table[i].attribute) - 3; ++b)
                QCOMPARE(record.data[size_t(b)], table[i].data[size_t(b)]);
        }
        QCOMPARE(gKeyboardConfig->getHighKeyTotal(), 6);

        for (int index = 0; index < 10; ++index) {
            const MacroList &actions = model.keyboardMacroList[size_t(index)];
            QCOMPARE(actions.size(), state.macros[size_t(index)].size());
            for (int i = 0; i < actions.size(); ++i) {
                const KEYBOARD_MACRO_INFO &expected = state.macros[size_t(index)][i];
                QCOMPARE(actions[i]->type, expected.type);
                QCOMPARE(actions[i]->state, expected.state);
                QCOMPARE(actions[i]->lValue, expected.lValue);
                QCOMPARE(actions[i]->time, expected.time);
            }
        }

        QCOMPARE(model.keyboardTriggerMap.size(), profile.triggers.size());
        for (const KEYBOARD_TRIGGER_INFO &trigger : profile.triggers) {
            const auto record = model.keyboardTriggerMap.value(trigger.keyItem);
            QVERIFY(record);
            QCOMPARE(record->trigger, trigger.trigger);
            QCOMPARE(record->model, trigger.model);
            QCOMPARE(record->quick, trigger.quick);
            QCOMPARE(record->quickTrigger, trigger.quickTrigger);
            QCOMPARE(record->resetTrigger, trigger.resetTrigger);
        }
    }

private Q_SLOTS:
    void init()
    {
        bus.reset();
        global_setUsbFrameSize(128);
        dataDir = new TestDataDir;
        gSystemConfig.reset(new SystemConfigUtil);
        gKeyboardConfig.reset(new KeyboardConfigUtil);
        gUsbCommunicateUtil.reset(new UsbCommunicateUtil);
        gUsbCommunicateUtil->setReplyInterval(Interval);
        keyboard = EmulatedKeyboard::createSample();
        makeDistinctive(keyboard->state());
    }

    void cleanup()
    {
        gUsbCommunicateUtil->closeCommunicate();
        gUsbCommunicateUtil.reset();
        gKeyboardConfig.reset();
        gSystemConfig.reset();
        keyboard.reset();
        bus.reset();
        delete dataDir;
        dataDir = nullptr;
    }

    void wholeConfigurationIsRead_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128") << 128;
        QTest::newRow("64") << 64;
    }

    void wholeConfigurationIsRead()
    {
        QFETCH(int, frameSize);
        connectKeyboard(frameSize);
        const auto results = runRead();
        verifyProgress(results);
        if (QTest::currentTestFailed())
            return;
        verifyModel(keyboard->state());
        // Every block was asked for; the macros one after the other, each once, 0 to 9.
        QCOMPARE(keyboard->requestCount(0x62), 1);
        QList<int> macros;
        QList<int> layers;
        for (const KeyboardRequest &request : keyboard->requests()) {
            if (request.frame.frame != 1)
                continue;
            if (request.order() == 0x42)
                macros.append(uchar(request.payload().at(0)));
            if (request.order() == 0x2A)
                layers.append(uchar(request.payload().at(0)));
        }
        QCOMPARE(macros, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        QCOMPARE(layers, (QList<int>{0, 1}));
    }

    void scopeDecidesWhereTheReadStarts()
    {
        connectKeyboard(128);
        gKeyboardConfig->keyboardProductInfo->serialNumber = 0x1234;
        verifyProgress(runRead(SyncConfigUtil::ScopeWholeParam));
        QCOMPARE(keyboard->requestCount(0x62), 0);
        QCOMPARE(keyboard->requestCount(0x57), 0);
        // Neither identity nor profiles are copied by a read that did not ask for them.
        QCOMPARE(gKeyboardConfig->keyboardProductInfo->serialNumber, quint16(0x1234));
        QVERIFY(gKeyboardConfig->keyboardConfigList.isEmpty());
        QCOMPARE(gKeyboardConfig->keyboardMacroList[9].size(), 20);

        verifyProgress(runRead(SyncConfigUtil::ScopeConfigInfo));
        QCOMPARE(keyboard->requestCount(0x62), 0);
        QCOMPARE(gKeyboardConfig->keyboardConfigList.size(), 4);
        QCOMPARE(gKeyboardConfig->keyboardProductInfo->serialNumber, quint16(0x1234));
    }

    void resultBeforeStartIsNotLost()
    {
        // No link: the read reports at once, to a receiver connected before the start.
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
        QSignalSpy results(&read, &SyncConfigUtil::sync_config_result);
        read.startSync();
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.first(), (QList<QVariant>{false, -200}));
        QVERIFY(read.isFinished());
    }

    void otherSourcesDoNotEndTheRead()
    {
        connectKeyboard(128);
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
        QSignalSpy results(&read, &SyncConfigUtil::sync_config_result);
        read.startSync();
        // A page's failed request is not the read's business.
        Q_EMIT gUsbCommunicateUtil->usb_communicate_error(UsbCommunicateUtil::SourceKeyPage, 0x90, -2);
        QTRY_VERIFY_WITH_TIMEOUT(read.isFinished(), 15000);
        QCOMPARE(results.last(), (QList<QVariant>{true, 100}));
        for (const QList<QVariant> &result : results)
            QVERIFY(result.first().toBool());
    }

    void readReplacedByAnotherRequesterEnds()
    {
        connectKeyboard(128);
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
        QSignalSpy results(&read, &SyncConfigUtil::sync_config_result);
        read.startSync();
        // A page asks for something while the read's first request is still unanswered.
        gUsbCommunicateUtil->usb_select_effect_light(UsbCommunicateUtil::SourceLightPage, false, 2);
        QTRY_VERIFY_WITH_TIMEOUT(read.isFinished(), 5000);
        QCOMPARE(results.last(), (QList<QVariant>{false, -2}));
        QCOMPARE(results.count(), 1);
    }

    void linkErrorEndsTheReadOnce()
    {
        connectKeyboard(128);
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
        QSignalSpy results(&read, &SyncConfigUtil::sync_config_result);
        read.startSync();
        Q_EMIT gUsbCommunicateUtil->usb_communicate_error(UsbCommunicateUtil::SourceLink, 0, -201);
        Q_EMIT gUsbCommunicateUtil->usb_communicate_error(UsbCommunicateUtil::SourceLink, 0, -202);
        QTest::qWait(Interval * 4);
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.first(), (QList<QVariant>{false, -201}));
    }

    void faultsEndCorrectlyOrWithACode_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code"); // reply code the fault hits
        QTest::addColumn<bool>("mustComplete");
        for (int size : {128, 64}) {
            const QByteArray tag = QByteArray::number(size);
            QTest::newRow("dropped profile reply " + tag) << size << int(ReplyFault::Drop) << 0xD7 << true;
            QTest::newRow("duplicate key layer reply " + tag) << size << int(ReplyFault::Duplicate) << 0xAA << true;
            QTest::newRow("late macro reply " + tag) << size << int(ReplyFault::Delay) << 0xC2 << true;
            QTest::newRow("lying length on lighting " + tag) << size << int(ReplyFault::WrongLength) << 0x96 << true;
            QTest::newRow("wrong code for triggers " + tag) << size << int(ReplyFault::WrongCode) << 0xAC << true;
        }
    }

    void faultsEndCorrectlyOrWithACode()
    {
        QFETCH(int, frameSize);
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(bool, mustComplete);
        ReplyFault fault;
        fault.kind = ReplyFault::Kind(kind);
        fault.onlyCode = code;
        fault.times = 1;
        // A late answer comes after the timer has sent the frame again; a lying length byte claims
        // more than a frame holds.
        fault.value = kind == ReplyFault::Delay ? Interval * 3 / 2 : (kind == ReplyFault::WrongCode ? 0xAB : 200);
        keyboard->addReplyFault(fault);
        connectKeyboard(frameSize);

        const auto results = runRead();
        QVERIFY(!results.isEmpty());
        const auto final = results.last();
        QCOMPARE(results.count({final.first, final.second}), 1);
        if (final.first) {
            QCOMPARE(final.second, 100);
            verifyModel(keyboard->state());
        } else {
            QVERIFY(!mustComplete);
            QVERIFY(final.second < 0);
        }
    }

    void unplugMidReadFailsWithACode()
    {
        connectKeyboard(128);
        EmulatedHidFaults faults;
        faults.unplugAfterWrites = 9;
        bus.setFaults(path, faults);
        const auto results = runRead();
        QVERIFY(!results.isEmpty());
        QVERIFY(!results.last().first);
        QVERIFY(results.last().second == -1 || results.last().second == -2);
        QCOMPARE(results.count(results.last()), 1);
    }
};

QTEST_MAIN(TestSyncConfigUtil)
#include "tst_syncconfigutil.moc"
