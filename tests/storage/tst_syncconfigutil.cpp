// The whole configuration read, end to end: the real protocol, HID access and reader thread
// against an emulated keyboard holding a non-default configuration, at both frame sizes, and
// under faults of the link.

#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/SyncConfigUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/TestDataDir.h"

#include <QtTest>

using Result = QPair<bool, int>;
using Results = QList<Result>;

namespace {
// Reply timer: room for a loaded machine; a test that waits for a time-out sets the short one.
constexpr int Interval = UsbCommunicateUtil::DefaultReplyInterval; // ms
constexpr int ShortInterval = 60;                                  // ms

// A configuration no factory keyboard has: every block differs from its defaults.
void makeDistinctive(EmulatedKeyboardState &state)
{
    state.identity.version = 0x0207;
    state.params.deadUp = 34;
    state.params.currentLayer = 1;
    for (int i = 0; i < state.profiles.size(); ++i)
        state.profiles[i].name = QStringList({"日常", "FPS", "MOBA", "Work"}).value(i);
    state.currentProfile = 2;
    EmulatedProfile &profile = state.profile();
    for (auto it = profile.customLight.begin(); it != profile.customLight.end(); ++it)
        *it = KEYBOARD_CUSTOM_LIGHT{it.key(), uchar(it.key() % 5), it.key(), uchar(255 - it.key()), uchar(it.key() * 3)};
    for (auto it = profile.effects.begin(); it != profile.effects.end(); ++it)
        it->speed = uchar(4 - it.key() % 4), it->colorR = uchar(10 * it.key());
    profile.normalLayer[10] = KEYBOARD_KEY_INFO{10, 3, 0, 2};    // M3
    profile.normalLayer[20] = KEYBOARD_KEY_INFO{20, 2, 0, 0xE9}; // volume up
    profile.fnLayer[6] = KEYBOARD_KEY_INFO{6, 0xFF, 0xFF, 0xFF};
    QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(profile);
    table[0] = HIGH_KEY_INFO{0, 0, 30, {1, 0x04, 0}};
    table[1] = HIGH_KEY_INFO{1, 1, 31, {0xFF, 0x50, 0x00, 1, 0, 0x05, 0, 0x01, 0}};
    table[2] = HIGH_KEY_INFO{2, 2, 32, {1, 1, 0x04, 0, 2, 1, 0x05, 0, 4, 1, 0x06, 0, 8, 1, 0x07, 0}};
    table[5] = HIGH_KEY_INFO{5, 5, 37, {38, 3}}; // free slots in the middle of the table
    for (int i = 0; i < 20; ++i)
        state.macros[9].append(KEYBOARD_MACRO_INFO{1, uchar(i & 1 ? 0 : 1), uchar(0x04 + i / 2), 0, quint16(10 * i)});
    for (auto it = profile.triggers.begin(); it != profile.triggers.end(); ++it)
        *it = KEYBOARD_TRIGGER_INFO{it.key(), quint16(10 + it.key()), it.key() % 2 == 1, it.key() % 3 == 0,
                                    quint16(5 + it.key() % 7), quint16(8 + it.key() % 9)};
}

// Each record as text, for comparing the keyboard's memory with the model block by block.
QString text(const KEYBOARD_CUSTOM_LIGHT &l) { return QString("%1:%2,%3,%4,%5").arg(l.keyItem).arg(l.light).arg(l.colorR).arg(l.colorG).arg(l.colorB); }
QString text(const KEYBOARD_EFFECT_LIGHT &e) { return QString("%1:%2,%3,%4,%5").arg(e.item).arg(e.light).arg(e.speed).arg(e.fullColor).arg(e.colorR); }
QString text(const KEYBOARD_KEY_INFO &k) { return QString("%1:%2,%3,%4").arg(k.keyItem).arg(k.type).arg(k.hValue).arg(k.lValue); }
QString text(const KEYBOARD_MACRO_INFO &a) { return QString("%1,%2,%3,%4").arg(a.type).arg(a.state).arg(a.lValue).arg(a.time); }
QString text(const KEYBOARD_CONFIG_INFO &c) { return c.configName; }
QString text(const EmulatedProfile &p) { return p.name; }
QString text(const KEYBOARD_TRIGGER_INFO &t)
{
    return QString("%1:%2,%3,%4,%5,%6").arg(t.keyItem).arg(t.trigger).arg(t.model).arg(t.quick).arg(t.quickTrigger).arg(t.resetTrigger);
}
QString text(const HIGH_KEY_INFO &h)
{
    const int length = h.item == 0xFF ? 0 : EmulatedHighKeyCommands::wireLength(h.attribute) - 3;
    return QString("%1:%2,%3,").arg(h.item).arg(h.attribute).arg(h.keyItem) + QByteArray(reinterpret_cast<const char *>(h.data.data()), length).toHex();
}

template<typename T> const T &record(const T &value) { return value; }
template<typename T> const T &record(const QSharedPointer<T> &pointer) { return *pointer; }

template<typename Container>
QStringList texts(const Container &records)
{
    QStringList out;
    for (const auto &r : records)
        out << text(record(r));
    return out;
}
} // namespace

class TestSyncConfigUtil : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    std::unique_ptr<TestDataDir> dataDir;
    std::shared_ptr<EmulatedKeyboard> keyboard;

    QByteArray connectKeyboard(int frameSize)
    {
        const QByteArray path = bus.attachKeyboard(keyboard, {frameSize}).first();
        gUsbCommunicateUtil->openCommunicate(0);
        gUsbCommunicateUtil->communicateDevice();
        return path;
    }

    // Runs one read to its result; before its start, something may happen (a page's request...).
    // Returns every report in order; nothing may follow the result.
    Results runRead(uchar scope = SyncConfigUtil::ScopeProductInfo, const std::function<void()> &meanwhile = {})
    {
        Results results;
        SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, scope, 0, QString());
        connect(&read, &SyncConfigUtil::sync_config_result, this, [&](bool status, int value) { results << Result(status, value); });
        read.startSync();
        if (meanwhile)
            meanwhile();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(read.isFinished(), 15000); }();
        QTest::qWait(ShortInterval * 4);
        for (int i = 0; i + 1 < results.size(); ++i) // progress that never falls, then the result
            [&] { QVERIFY(results[i].first && results[i].second < 100 && (i == 0 || results[i].second >= results[i - 1].second)); }();
        return results;
    }

    // The keyboard model holds exactly what the keyboard holds.
    void verifyModel(EmulatedKeyboardState &state)
    {
        const KeyboardConfigUtil &model = *gKeyboardConfig;
        const EmulatedProfile &profile = state.profile();
        QCOMPARE(model.keyboardProductInfo->version, state.identity.version);
        QCOMPARE(texts(model.keyboardConfigList), texts(state.profiles));
        QCOMPARE(int(model.currentConfigIndex), state.currentProfile);
        QCOMPARE(QList<int>({model.keyboardParams->deadUp, model.keyboardParams->currentLayer}), QList<int>({34, 1}));
        QCOMPARE(texts(model.keyboardCustomLightMap), texts(profile.customLight));
        QCOMPARE(texts(model.keyboardEffectLightMap), texts(profile.effects));
        QVERIFY(!model.keyboardEffectLightNameMap.isEmpty());
        QCOMPARE(texts(model.keyboardKeyMap), texts(profile.normalLayer));
        QCOMPARE(texts(model.keyboardFn1KeyMap), texts(profile.fnLayer));
        QCOMPARE(texts(model.keyboardHighKeyList), texts(EmulatedHighKeyCommands::slotTable(state.profile())));
        for (int index = 0; index < 10; ++index)
            QCOMPARE(texts(model.keyboardMacroList[index]), texts(state.macros[index]));
        QCOMPARE(texts(model.keyboardTriggerMap), texts(profile.triggers));
    }

private Q_SLOTS:
    void init()
    {
        if (gUsbCommunicateUtil)
            cleanup(); // what a failed init() left goes before anything new is built
        QTest::failOnWarning(QRegularExpression(".*"));
        bus.reset();
        dataDir = std::make_unique<TestDataDir>();
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
        bus.reset();
        dataDir.reset();
    }

    // Whole reads, also when a reply is damaged or lost (and then asked for again).
    void wholeConfigurationIsRead_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("kind"); // a ReplyFault, or -1
        QTest::addColumn<int>("code"); // reply code the fault hits
        QTest::addColumn<int>("value");
        for (int size : {128, 64}) {
            const QByteArray tag = " " + QByteArray::number(size);
            QTest::newRow("no fault" + tag) << size << -1 << 0 << 0;
            QTest::newRow("dropped profile reply" + tag) << size << int(ReplyFault::Drop) << 0xD7 << 0;
            QTest::newRow("duplicate key layer reply" + tag) << size << int(ReplyFault::Duplicate) << 0xAA << 0;
            // A late answer comes after the timer has sent the request again.
            QTest::newRow("late macro reply" + tag) << size << int(ReplyFault::Delay) << 0xC2 << ShortInterval * 3 / 2;
            // A length byte claiming more than a frame holds.
            QTest::newRow("lying length on lighting" + tag) << size << int(ReplyFault::WrongLength) << 0x96 << 200;
            QTest::newRow("wrong code for triggers" + tag) << size << int(ReplyFault::WrongCode) << 0xAC << 0xAB;
        }
    }

    void wholeConfigurationIsRead()
    {
        QFETCH(int, frameSize);
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(int, value);
        if (kind >= 0)
            keyboard->addReplyFault({ReplyFault::Kind(kind), value, code, 1});
        // A reply lost, late or spoilt is asked for again once the timer runs out.
        if (kind >= 0 && kind != int(ReplyFault::Duplicate))
            gUsbCommunicateUtil->setReplyInterval(ShortInterval);
        connectKeyboard(frameSize);
        QCOMPARE(runRead().last(), Result(true, 100));
        verifyModel(keyboard->state());
        // The macros one after the other, each once.
        QList<int> macros;
        for (const KeyboardRequest &request : keyboard->requests())
            if (request.order() == 0x42 && request.frame.frame == 1)
                macros << uchar(request.payload().at(0));
        if (kind < 0)
            QCOMPARE(macros, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    void scopeDecidesWhereTheReadStarts()
    {
        connectKeyboard(128);
        gKeyboardConfig->keyboardProductInfo->version = 0x1234;
        QCOMPARE(runRead(SyncConfigUtil::ScopeWholeParam).last(), Result(true, 100));
        // Neither identity nor profiles are asked for or copied by a read that starts later.
        QCOMPARE(keyboard->requestCount(0x62) + keyboard->requestCount(0x57), 0);
        QVERIFY(gKeyboardConfig->keyboardProductInfo->version == 0x1234 && gKeyboardConfig->keyboardConfigList.isEmpty());
        QCOMPARE(gKeyboardConfig->keyboardMacroList[9].size(), 20);
        QCOMPARE(runRead(SyncConfigUtil::ScopeConfigInfo).last(), Result(true, 100));
        QCOMPARE(QList<qsizetype>({keyboard->requestCount(0x62), gKeyboardConfig->keyboardConfigList.size()}), QList<qsizetype>({0, 4}));
    }

    // Each read ends exactly once, with the first thing that ends it.
    void endings()
    {
        gUsbCommunicateUtil->setReplyInterval(ShortInterval);
        QCOMPARE(runRead(), Results({{false, -200}})); // no link: at once, to a receiver connected before
        const QByteArray path = connectKeyboard(128);
        QCOMPARE(runRead(SyncConfigUtil::ScopeProductInfo, [] { // a page's failed request is not the read's
                     emit gUsbCommunicateUtil->usb_communicate_error(UsbCommunicateUtil::SourceKeyPage, 0x90, -2);
                 }).last(), Result(true, 100));
        QCOMPARE(runRead(SyncConfigUtil::ScopeProductInfo, [] { // a page's request takes over the link
                     gUsbCommunicateUtil->usb_select_effect_light(UsbCommunicateUtil::SourceLightPage, false, 2);
                 }), Results({{false, -2}}));
        QCOMPARE(runRead(SyncConfigUtil::ScopeProductInfo, [] {
                     for (int code : {-201, -202})
                         emit gUsbCommunicateUtil->usb_communicate_error(UsbCommunicateUtil::SourceLink, 0, code);
                 }), Results({{false, -201}}));
        EmulatedHidFaults faults;
        faults.unplugAfterWrites = 9;
        bus.setFaults(path, faults);
        const Result unplugged = runRead().last();
        QVERIFY(!unplugged.first && (unplugged.second == -1 || unplugged.second == -2));
    }
};

QTEST_MAIN(TestSyncConfigUtil)
#include "tst_syncconfigutil.moc"
