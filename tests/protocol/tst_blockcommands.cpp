// Per-key blocks (per-key colours, both key layers, travel settings) against the emulated
// keyboard: read in frames at both frame sizes, written whole and for listed keys, runs of key
// numbers split at gaps and carried across 255, restores, and the copies into the keyboard model.

#include "model/KeyboardConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedKeyLayerCommands.h"

#include <QtTest>

using U = UsbCommunicateUtil;
using Request = std::function<void(U &)>;

enum Kind { Light, Layer, FnLayer, Trigger };

// A block read: the keyboard's keys, and the frames they come in.
struct Read { Kind kind; int frameSize; QList<uchar> keys; int frames; };
// A whole block written: first key and length of each frame, and the last frame's payload when given.
struct Written { Kind kind; int frameSize; QList<uchar> keyboard, keys; QList<int> firsts, lengths; QByteArray last; };
// Values written for listed keys, and the payloads of the frames.
struct ListedWrite { Kind kind; int frameSize; QList<uchar> keyboard; Request write; int order; QList<QByteArray> payloads; };
// A restore: the answer (the keyboard's own when empty), what goes out, and whether every key went back.
struct Restore { QList<uchar> keyboard; int layer; QList<uchar> keys; QByteArray reply, sent; bool everyKey; };
// Answers with the other layer's number (`wrong` of them): the frames asked for, and the error.
struct OtherLayer { bool wait; int layer, wrong; QList<int> asked; int error; };
Q_DECLARE_METATYPE(Read)
Q_DECLARE_METATYPE(Written)
Q_DECLARE_METATYPE(ListedWrite)
Q_DECLARE_METATYPE(Restore)
Q_DECLARE_METATYPE(OtherLayer)

namespace {
constexpr uchar Sync = U::SourceSyncConfig;
constexpr uchar Page = U::SourceKeyPage;
const QList<uchar> All = keyRange(0, 104); // the built-in keyboard's keys
const QList<uchar> Every = keyRange(0, 256);
const QList<uchar> Across = keyRange(0, 48) + keyRange(200, 56); // one run from 200 over 255 to 47

EmulatedKeyboardState keyboardOf(QList<uchar> keys)
{
    EmulatedKeyboardState state = EmulatedKeyboardState::builtIn();
    std::sort(keys.begin(), keys.end());
    state.keyNumbers = keys;
    state.resetProfiles();
    return state;
}

// Records that differ from key to key and from seed to seed, so that a shifted key shows.
KEYBOARD_CUSTOM_LIGHT colour(uchar key, int seed) { return {key, uchar((key + seed) % 5), key, uchar(255 - key), uchar(key * 3 + seed)}; }
KEYBOARD_KEY_INFO function(uchar key, int seed) { return {key, 1, uchar(seed), uchar(0x60 - key % 0x50 + seed)}; }
KEYBOARD_TRIGGER_INFO travel(uchar key, int seed) { return {key, quint16(100 + key + seed), key % 2 == 1, (key + seed) % 3 == 0, quint16(10 + key), quint16(300 + key + seed)}; }

// What the tests do with one kind of block.
struct Block {
    uchar readOrder, writeOrder;
    int keyAt;        // payload byte of a write frame that names its first key
    QByteArray asked; // payload of every read request
    std::function<void(LinkedKeyboard &)> vary; // every key of the keyboard a record of seed 1
    std::function<bool(LinkedKeyboard &)> read; // and copy into the model
    // Writes records of seed 2 for the keys and copies them into the model; the first difference
    // of the keyboard's memory from what it must hold now.
    std::function<QString(LinkedKeyboard &, const QList<uchar> &)> write;
    std::function<QString(LinkedKeyboard &, bool)> compare; // the model against the keyboard
};

template<typename Record, typename Memory, typename Model, typename Write>
Block makeBlock(uchar readOrder, uchar writeOrder, int keyAt, const QByteArray &asked, Memory memory, Model model,
                Record (*make)(uchar, int), const char *readSignal, Request readRequest, Request readCopy, const char *writeSignal,
                Write writeRequest, Request writeCopy)
{
    Block b{readOrder, writeOrder, keyAt, asked, {}, {}, {}, {}};
    b.vary = [=](LinkedKeyboard &l) {
        for (auto it = memory(l).begin(); it != memory(l).end(); ++it)
            it.value() = make(it.key(), 1);
    };
    b.read = [=](LinkedKeyboard &l) {
        const bool done = l.run(readSignal, [&] { readRequest(l.protocol()); });
        readCopy(l.protocol());
        return done;
    };
    b.write = [=](LinkedKeyboard &l, const QList<uchar> &keys) {
        QMap<uchar, QSharedPointer<Record>> sent;
        QMap<uchar, Record> expected = memory(l);
        for (uchar key : keys) {
            sent.insert(key, QSharedPointer<Record>::create(make(key, 2)));
            expected[key] = make(key, 2);
        }
        if (!l.run(writeSignal, [&] { writeRequest(l.protocol(), sent); }))
            return QStringLiteral("no last reply");
        writeCopy(l.protocol());
        return differences(held(expected), memory(l));
    };
    b.compare = [=](LinkedKeyboard &l, bool same) { return differences(model(), memory(l), same); };
    return b;
}

Block blockOf(Kind kind)
{
    if (kind == Light) {
        return makeBlock(
            0x16, 0x11, 0, {}, [](LinkedKeyboard &l) -> auto & { return l.profile().customLight; },
            []() -> auto & { return gKeyboardConfig->keyboardCustomLightMap; }, colour, SIGNAL(usb_receive_custom_light(uchar, int, int)),
            [](U &u) { u.usb_get_custom_light(Sync, true); }, [](U &u) { u.syncCustomLight(); },
            SIGNAL(usb_receive_set_custom_light_all(uchar, int, int)), [](U &u, const CustomLightMap &m) { u.usb_set_custom_light_all(Page, true, m); },
            [](U &u) { u.syncCustomLight(); });
    }
    if (kind == Trigger) {
        return makeBlock(
            0x2C, 0x28, 0, {}, [](LinkedKeyboard &l) -> auto & { return l.profile().triggers; },
            []() -> auto & { return gKeyboardConfig->keyboardTriggerMap; }, travel, SIGNAL(usb_receive_trigger_config(uchar, int, int)),
            [](U &u) { u.usb_get_trigger_config(Sync, true); }, [](U &u) { u.syncTriggerConfig(); },
            SIGNAL(usb_receive_set_trigger_config_all(uchar, int, int)), [](U &u, const TriggerMap &m) { u.usb_set_trigger_config_all(Page, true, m); },
            [](U &u) { u.syncTriggerConfig(); });
    }
    const uchar layer = kind == FnLayer ? 1 : 0;
    return makeBlock(
        0x2A, 0x20, 1, QByteArray(1, char(layer)),
        [layer](LinkedKeyboard &l) -> auto & { return layer ? l.profile().fnLayer : l.profile().normalLayer; },
        [layer]() -> auto & { return layer ? gKeyboardConfig->keyboardFn1KeyMap : gKeyboardConfig->keyboardKeyMap; }, function,
        SIGNAL(usb_receive_keyboard_config(uchar, int, int, uchar)), [layer](U &u) { u.usb_get_keyboard_config(Sync, true, layer); },
        [layer](U &u) { u.syncKeyboardConfig(layer); }, SIGNAL(usb_receive_set_keyboard_config(uchar, int, int, uchar)),
        [layer](U &u, const KeyInfoMap &m) { u.usb_set_keyboard_config(Page, true, layer, m); }, [layer](U &u) { u.syncSetKeyboardConfig(layer); });
}

QList<int> steps(int first, int step, int count)
{
    QList<int> list;
    for (int i = 0; i < count; ++i)
        list.append(first + i * step);
    return list;
}
} // namespace

class TestBlockCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void readInFrames_data()
    {
        QTest::addColumn<Read>("read");
        QTest::newRow("colours at 128: 30 a frame") << Read{Light, 128, All, 4};
        QTest::newRow("colours at 64: 14 a frame") << Read{Light, 64, All, 8};
        QTest::newRow("colours across 255") << Read{Light, 128, Across, 4};
        QTest::newRow("layer at 128: 40 a frame") << Read{Layer, 128, All, 3};
        QTest::newRow("Fn layer at 64: 18 a frame") << Read{FnLayer, 64, All, 6};
        QTest::newRow("layer across 255") << Read{Layer, 128, Across, 3};
        QTest::newRow("travel at 64: 7 a frame") << Read{Trigger, 64, All, 15};
        QTest::newRow("travel across 255") << Read{Trigger, 64, Across, 15};
    }

    void readInFrames()
    {
        QFETCH(Read, read);
        LinkedKeyboard link(read.frameSize, keyboardOf(read.keys));
        const Block block = blockOf(read.kind);
        block.vary(link);
        QVERIFY(block.read(link));
        QCOMPARE(block.compare(link, true), QString());
        // Frame 1 is asked for as 1 of 1, every later one by number with the announced count.
        QList<QByteArray> asked;
        for (int k = 0; k < read.frames; ++k)
            asked.append(link.report(block.readOrder, block.asked, uchar(k + 1), uchar(k ? read.frames : 1)));
        QCOMPARE(link.written(block.readOrder), asked);
    }

    void writeWhole_data()
    {
        QTest::addColumn<Written>("written");
        const QList<uchar> gap = keyRange(0, 10) + keyRange(20, 10);
        QTest::newRow("colours at 128") << Written{Light, 128, All, All, steps(0, 30, 4), (QList<int>(3, 121) << 57), {}};
        QTest::newRow("colours at 64") << Written{Light, 64, All, All, steps(0, 14, 8), (QList<int>(7, 57) << 25), {}};
        QTest::newRow("colours, a gap") << Written{Light, 128, All, keyRange(0, 3) + keyRange(5, 2), {0, 5}, {13, 9}, hex("050205fa110306f914")};
        QTest::newRow("layer at 128") << Written{Layer, 128, All, All, steps(0, 40, 3), {122, 122, 74}, {}};
        QTest::newRow("Fn layer at 64") << Written{FnLayer, 64, All, All, steps(0, 18, 6), (QList<int>(5, 56) << 44), {}};
        QTest::newRow("layer, a gap") << Written{Layer, 128, All, gap, {0, 20}, {32, 32}, hex("0014014e02014d02014c02014b02014a02014902014802014702014602014502")};
        QTest::newRow("layer of 256 keys") << Written{Layer, 128, Every, Every, steps(0, 40, 7), (QList<int>(6, 122) << 50), {}};
        QTest::newRow("layer across 255: two runs") << Written{Layer, 128, Across, Across, {0, 40, 200, 240}, {122, 26, 122, 50}, {}};
        QTest::newRow("travel at 128") << Written{Trigger, 128, All, All, steps(0, 15, 7), (QList<int>(6, 122) << 114), {}};
        QTest::newRow("travel at 64") << Written{Trigger, 64, All, All, steps(0, 7, 15), (QList<int>(14, 58) << 50), {}};
        QTest::newRow("travel, gaps")
            << Written{Trigger, 64, All, keyRange(0, 8) + keyRange(10, 3) + keyRange(103, 1), {0, 7, 10, 103}, {58, 10, 26, 10}, hex("6701cd00010171009501")};
    }

    void writeWhole()
    {
        QFETCH(Written, written);
        LinkedKeyboard link(written.frameSize, keyboardOf(written.keyboard));
        const Block block = blockOf(written.kind);
        QVERIFY(block.read(link));
        QCOMPARE(block.write(link, written.keys), QString());
        QCOMPARE(block.compare(link, false), QString());
        const QList<KeyboardFrame> frames = link.requests(block.writeOrder);
        QList<int> firsts, lengths, numbers, totals;
        for (const KeyboardFrame &frame : frames) {
            firsts << uchar(frame.payload[block.keyAt]);
            lengths << int(frame.payload.size());
            numbers << frame.frame;
            totals << frame.total;
        }
        QCOMPARE(firsts, written.firsts);
        QCOMPARE(lengths, written.lengths);
        QCOMPARE(numbers, steps(1, 1, int(frames.size())));
        QCOMPARE(totals, QList<int>(frames.size(), int(frames.size())));
        if (!written.last.isEmpty())
            QCOMPARE(frames.last().payload, written.last);
    }

    void writeListed_data()
    {
        QTest::addColumn<ListedWrite>("listed");
        QList<uchar> backwards = All;
        std::reverse(backwards.begin(), backwards.end());
        const auto colour = [](const QList<uchar> &keys) { return [keys](U &u) { u.usb_set_custom_light(Page, false, {7, 0, 3, 9, 0, 0x10, 0x20, 0x30}, keys); }; };
        const auto actuation = [](const QList<uchar> &keys) { return [keys](U &u) { u.usb_set_trigger_config(Page, false, travel(0, 50), keys); }; };
        const QByteArray light = hex("03102030"), trigger = hex("9600");
        QTest::newRow("colour at 128") << ListedWrite{Light, 128, All, colour(All), 0x10, {light + bytes(All)}};
        QTest::newRow("colour at 64") << ListedWrite{Light, 64, All, colour(All), 0x10, {light + bytes(keyRange(0, 54)), light + bytes(keyRange(54, 50))}};
        QTest::newRow("colour of 256 keys") << ListedWrite{Light, 128, Every, colour(Every), 0x10,
                                                           {light + bytes(keyRange(0, 118)), light + bytes(keyRange(118, 118)), light + bytes(keyRange(236, 20))}};
        QTest::newRow("actuation, any order") << ListedWrite{Trigger, 128, All, actuation(backwards), 0x26, {trigger + bytes(backwards)}};
        QTest::newRow("actuation at 64")
            << ListedWrite{Trigger, 64, All, actuation(All), 0x26, {trigger + bytes(keyRange(0, 56)), trigger + bytes(keyRange(56, 48))}};
        QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> rapid;
        for (uchar key : keyRange(40, 8))
            rapid.append(QSharedPointer<KEYBOARD_TRIGGER_INFO>::create(travel(key, 3)));
        // Each record names its key: key, 0, continuous, rapid trigger, press and release travel.
        QTest::newRow("rapid trigger at 64")
            << ListedWrite{Trigger, 64, All, [rapid](U &u) { u.usb_set_quick_trigger_config(Page, false, rapid); }, 0x27,
                           {hex("280000003200570129000100330058012a000001340059012b00010035005a012c00000036005b012d00010137005c012e00000038005d01"),
                            hex("2f00010039005e01")}};
    }

    void writeListed()
    {
        QFETCH(ListedWrite, listed);
        LinkedKeyboard link(listed.frameSize, keyboardOf(listed.keyboard));
        const Block block = blockOf(listed.kind);
        block.vary(link);
        QVERIFY(block.read(link));
        listed.write(link.protocol());
        QTRY_COMPARE(link.payloads(uchar(listed.order)), listed.payloads);
        // The keyboard has taken every frame; the copies of the other writes have nothing to copy.
        link.protocol().syncModifyCustomLight();
        link.protocol().syncModifyTriggerConfig();
        link.protocol().syncModifyQuickTriggerConfig();
        QCOMPARE(block.compare(link, true), QString());
    }

    void restore_data()
    {
        QTest::addColumn<Restore>("restore");
        const QList<uchar> seven{7, 0xFF};
        QTest::newRow("one key") << Restore{All, 0, seven, {}, hex("0007ff"), false};
        QTest::newRow("two Fn keys") << Restore{All, 1, {3, 9}, {}, hex("010309"), false};
        QTest::newRow("every key") << Restore{All, 0, {0xFF, 0xFF}, {}, hex("00ffff"), true};
        // The answer names key 7 and is padded with 0xFF: no restore of key 255.
        QTest::newRow("one key of a keyboard with key 255") << Restore{Every, 0, seven, {}, hex("0007ff"), false};
        QTest::newRow("one key, answer cut short") << Restore{All, 0, seven, hex("00070104"), hex("0007ff"), false};
    }

    void restore()
    {
        QFETCH(Restore, restore);
        LinkedKeyboard link(128, keyboardOf(restore.keyboard));
        const Block block = blockOf(restore.layer ? FnLayer : Layer);
        block.vary(link);
        QVERIFY(block.read(link));
        if (!restore.reply.isEmpty())
            link.keyboard().setHandler(0x24, [reply = restore.reply](EmulatedKeyboardState &, const KeyboardRequest &, KeyboardReplies &r) { r.send(reply); });
        const QMap<uchar, KEYBOARD_KEY_INFO> before = restore.layer ? link.profile().fnLayer : link.profile().normalLayer;
        QSignalSpy spy(&link.protocol(), &U::usb_receive_set_keyboard_default);
        link.protocol().usb_set_keyboard_default(Page, false, uchar(restore.layer), restore.keys);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(link.payloads(0x24), QList<QByteArray>{restore.sent});
        QCOMPARE(spy[0][4].toBool(), restore.everyKey);
        link.protocol().syncSetKeyboardConfig(uchar(restore.layer));
        // After a restore of every key nothing is copied: the model waits for the next read.
        const KeyInfoMap &model = restore.layer ? gKeyboardConfig->keyboardFn1KeyMap : gKeyboardConfig->keyboardKeyMap;
        QCOMPARE(restore.everyKey ? differences(model, before) : block.compare(link, true), QString());
    }

    void answersForTheOtherLayer_data()
    {
        QTest::addColumn<OtherLayer>("other");
        QTest::newRow("waiting: asked again at once") << OtherLayer{true, 0, 1, {1, 1, 2, 3}, 0};
        QTest::newRow("waiting: three times, then -2") << OtherLayer{true, 0, 1000, {1, 1, 1}, -2};
        QTest::newRow("not waiting: -3") << OtherLayer{false, 1, 1000, {1}, -3};
        QTest::newRow("layer 2: refused") << OtherLayer{true, 2, 0, {}, -3};
    }

    void answersForTheOtherLayer()
    {
        QFETCH(OtherLayer, other);
        LinkedKeyboard link(128);
        auto left = std::make_shared<int>(other.wrong);
        link.keyboard().setHandler(0x2A, [left](EmulatedKeyboardState &state, const KeyboardRequest &request, KeyboardReplies &replies) {
            KeyboardRequest other = request; // answered with the other layer's number and keys
            if ((*left)-- > 0)
                other.frame.payload[0] = char(other.frame.payload[0] ^ 1);
            EmulatedKeyLayerCommands::readLayer(state, other, replies);
        });
        QSignalSpy replies(&link.protocol(), &U::usb_receive_keyboard_config);
        QSignalSpy errors(&link.protocol(), &U::usb_communicate_error);
        QElapsedTimer clock;
        clock.start();
        link.protocol().usb_get_keyboard_config(Sync, other.wait, uchar(other.layer));
        QTRY_VERIFY(lastFrameArrived(replies) || !errors.isEmpty());
        QVERIFY(clock.elapsed() < 900); // the reply timer of a second was never waited for
        QTest::qWait(50);
        QList<int> asked;
        for (const KeyboardFrame &frame : link.requests(0x2A))
            asked.append(frame.frame);
        QCOMPARE(asked, other.asked);
        QCOMPARE(framesOf(replies), (other.error ? Frames{} : Frames{{1, 3}, {2, 3}, {3, 3}}));
        QCOMPARE(signalsOf(errors), (other.error ? Emissions{failure(Sync, 0xAA, other.error)} : Emissions{}));
    }

    void writesWithNothingToSendAreAnsweredAtOnce()
    {
        LinkedKeyboard link(128);
        const QList<QPair<const char *, Request>> writes{
            {SIGNAL(usb_receive_set_custom_light_all(uchar, int, int)), [](U &u) { u.usb_set_custom_light_all(Page, true, {}); }},
            {SIGNAL(usb_receive_set_custom_light(uchar, int, int)), [](U &u) { u.usb_set_custom_light(Page, true, {}, {}); }},
            {SIGNAL(usb_receive_set_keyboard_config(uchar, int, int, uchar)), [](U &u) { u.usb_set_keyboard_config(Page, true, 1, {}); }},
            {SIGNAL(usb_receive_set_keyboard_default(uchar, int, int, uchar, bool)), [](U &u) { u.usb_set_keyboard_default(Page, true, 0, {}); }},
            {SIGNAL(usb_receive_set_trigger_config_all(uchar, int, int)), [](U &u) { u.usb_set_trigger_config_all(Page, true, {}); }},
            {SIGNAL(usb_receive_set_trigger_config(uchar, int, int)), [](U &u) { u.usb_set_trigger_config(Page, true, {}, {}); }},
            {SIGNAL(usb_receive_set_quick_trigger_config(uchar, int, int)), [](U &u) { u.usb_set_quick_trigger_config(Page, true, {}); }},
            {SIGNAL(usb_receive_set_high_key(uchar, int, int)), [](U &u) { u.usb_set_high_key(Page, true, {}); }},
            {SIGNAL(usb_receive_set_macro_config(uchar, int, int, uchar)), [](U &u) { u.usb_set_macro_config(Page, true, 3, {}); }},
            // Item 255 is the per-key lighting, not an effect.
            {SIGNAL(usb_receive_set_effect_light(uchar, int, int)), [](U &u) { u.usb_set_effect_light(Page, true, {0xFF, 0, 0, 0, 0, 0, 0, 0}); }}};
        for (const auto &[signal, request] : writes) {
            QSignalSpy spy(&link.protocol(), signal);
            request(link.protocol());
            QVERIFY2(framesOf(spy) == (Frames{{1, 1}}) && spy[0][0].value<uchar>() == Page, signal);
        }
        QCOMPARE(EmulatedHidBus::instance().writeCount(link.path()), 0);
    }

    void copiesPassOverKeysTheModelLacks()
    {
        gKeyboardConfig = QSharedPointer<KeyboardConfigUtil>::create();
        gKeyboardConfig->keyboardCustomLightMap = held(QMap<uchar, KEYBOARD_CUSTOM_LIGHT>{{1, colour(1, 1)}, {2, colour(2, 1)}});
        gKeyboardConfig->keyboardTriggerMap = held(QMap<uchar, KEYBOARD_TRIGGER_INFO>{{1, travel(1, 1)}, {3, travel(3, 1)}});
        gKeyboardConfig->keyboardKeyMap = held(QMap<uchar, KEYBOARD_KEY_INFO>{{3, function(3, 1)}});
        const auto skip = [](const char *copy, int key) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("%1 .*\\{%2\\}").arg(QLatin1String(copy)).arg(key)));
        };
        U u; // no link: the requests only fill what the copies take
        u.usb_set_custom_light(Page, false, {0, 0, 0, 0, 0, 0, 0x99, 0}, {2, 200});
        skip("syncModifyCustomLight", 200);
        u.syncModifyCustomLight();
        u.syncModifyCustomLight(); // the key list was used up
        u.usb_set_trigger_config(Page, false, travel(0, 150), {9, 3});
        skip("syncModifyTriggerConfig", 9);
        u.syncModifyTriggerConfig();
        u.usb_set_quick_trigger_config(Page, false, {QSharedPointer<KEYBOARD_TRIGGER_INFO>::create(travel(1, 5)), {}, QSharedPointer<KEYBOARD_TRIGGER_INFO>::create(travel(50, 5))});
        skip("syncModifyQuickTriggerConfig", 50);
        u.syncModifyQuickTriggerConfig();
        u.usb_set_keyboard_config(Page, false, 0, held(QMap<uchar, KEYBOARD_KEY_INFO>{{3, function(3, 7)}, {77, function(77, 7)}}));
        u.syncSetKeyboardConfig(2); // no such layer: nothing copied, nothing used up
        skip("syncSetKeyboardConfig", 77);
        u.syncSetKeyboardConfig(0);
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, {{1, colour(1, 1)}, {2, {2, 0, 0, 0x99, 0}}}), QString());
        QCOMPARE(differences(gKeyboardConfig->keyboardTriggerMap, {{1, {1, 102, true, true, 11, 306}}, {3, {3, 250, true, false, 13, 304}}}), QString());
        QCOMPARE(differences(gKeyboardConfig->keyboardKeyMap, {{3, function(3, 7)}}), QString());
        gKeyboardConfig.reset();
    }
};

QTEST_GUILESS_MAIN(TestBlockCommands)
#include "tst_blockcommands.moc"
