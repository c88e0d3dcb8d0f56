// The commands that are not per-key blocks, against the emulated keyboard: identity and board
// parameters, firmware download and reset, profiles, lighting effects, macros, advanced keys and
// calibration; what goes out, what comes back, and the requests that end in an error.

#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "tests/support/TestDataDir.h"
#include "emulator/EmulatedCalibrationCommands.h"
#include "emulator/EmulatedHighKeyCommands.h"

#include <QtTest>

using U = UsbCommunicateUtil;
using Request = std::function<void(U &)>;
using Action = std::function<void(LinkedKeyboard &)>;

// A request and the payloads of the frames it sends.
struct Sent { int frameSize, order; Request request; QList<QByteArray> payloads; };
// A request, the reply frames handed to the protocol one by one, and what it makes of them.
struct Received { int frameSize; Request request; int code; QList<QByteArray> frames; std::function<QString(U &)> reading; QString expected; };
// A request that is refused, sent again or given up: how often it went out, the warning logged
// (a pattern), and the error (0: none).
struct Refused { Action setup, request; int order, sends; QString warning; int error; };
Q_DECLARE_METATYPE(Sent)
Q_DECLARE_METATYPE(Received)
Q_DECLARE_METATYPE(Refused)

namespace {
constexpr uchar Sync = U::SourceSyncConfig;
constexpr uchar Page = U::SourceMaintenancePage;

// An advanced key from its item, kind, key and data bytes; every data byte behind those 0xAA,
// so that bytes its kind does not carry show if they go out.
HIGH_KEY_INFO highKey(const char *text)
{
    const QByteArray b = hex(text);
    HIGH_KEY_INFO info{uchar(b[0]), uchar(b[1]), uchar(b[2]), {}};
    for (int i = 0; i < HIGH_KEY_INFO::DataSize; ++i)
        info.data[size_t(i)] = i + 3 < b.size() ? uchar(b[i + 3]) : 0xAA;
    return info;
}

inline QString show(const HIGH_KEY_INFO &k) { return QString::fromLatin1((bytes({k.item, k.attribute, k.keyItem}) + bytes(QList<uchar>(k.data.cbegin(), k.data.cend()))).toHex()); }
inline QSharedPointer<KEYBOARD_MACRO_INFO> action(uchar type, uchar state, uchar key, quint16 time) { return QSharedPointer<KEYBOARD_MACRO_INFO>(new KEYBOARD_MACRO_INFO{type, state, key, 0, time}); }
inline QByteArray field(const QByteArray &text, int width) { return text.leftJustified(width, '\0'); }

// Each entry of a container as text, joined.
template<typename Container, typename Show>
QString list(const Container &entries, Show show)
{
    QStringList out;
    for (const auto &entry : entries)
        out << show(entry);
    return out.join(QLatin1Char(' '));
}
} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
    TestDataDir data; // for the user's language setting

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }
    void cleanup() { gSystemConfig.reset(); }

    void requestPayloads_data()
    {
        QTest::addColumn<Sent>("sent");
        const auto params = QSharedPointer<KEYBOARD_PARAMS>::create(KEYBOARD_PARAMS{7, true, 0x0123, 20, 2, 1, false, true, 1});
        QTest::newRow("board parameters") << Sent{128, 0x50, [params](U &u) { u.usb_set_whole_param(Page, false, params); },
                                                  {hex("ff01230114000201000101ffffffffffffffffff")}};
        QTest::newRow("factory reset") << Sent{128, 0x61, [](U &u) { u.usb_reset_keyboard(Page, false); }, {hex("5aa5")}};
        QTest::newRow("end of firmware data")
            << Sent{128, 0x66, [](U &u) { u.usb_download_fireware_data_end(Page, false, 0x11223344u, 16); }, {hex("1000000044332211")}};
        QTest::newRow("switch to profile 3") << Sent{64, 0x55, [](U &u) { u.usb_switch_config_table(Page, false, 3); }, {hex("03")}};
        QTest::newRow("add profile 1") << Sent{64, 0x58, [](U &u) { u.usb_add_config_table(Page, false, 1); }, {hex("01")}};
        QTest::newRow("delete profile 0") << Sent{64, 0x59, [](U &u) { u.usb_del_config_table(Page, false, 0); }, {hex("00")}};
        // A new name goes out as at most 28 bytes, cut after its last whole character.
        const auto rename = [](const QString &name) { return [name](U &u) { u.usb_set_config_info(Page, false, 2, name); }; };
        QTest::newRow("rename, ASCII") << Sent{64, 0x56, rename(QString(30, 'n')), {hex("02") + field(QByteArray(28, 'n'), 29)}};
        QTest::newRow("rename, three-byte characters")
            << Sent{64, 0x56, rename(QStringLiteral("配置配置配置配置配置")), {hex("02") + field(QStringLiteral("配置配置配置配置配").toUtf8(), 29)}};
        QTest::newRow("rename, four-byte character at the cut")
            << Sent{64, 0x56, rename(QString(25, 'a') + QStringLiteral("😀")), {hex("02") + field(QByteArray(25, 'a'), 29)}};
        // The language of the effect names, asked in every frame: English 0, Vietnamese 7, anything else 1.
        const auto names = [](const char *locale) {
            return [locale](U &u) {
                if (locale) {
                    gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
                    gSystemConfig->setSystemLocale(QLocale(QLatin1String(locale)));
                }
                u.usb_get_effect_light_name(Page, false);
            };
        };
        QTest::newRow("effect names in English") << Sent{128, 0x18, names("en_US"), {hex("00"), hex("00")}};
        QTest::newRow("effect names in Vietnamese") << Sent{128, 0x18, names("vi_VN"), {hex("07"), hex("07")}};
        QTest::newRow("effect names in German") << Sent{128, 0x18, names("de_DE"), {hex("01"), hex("01")}};
        QTest::newRow("effect names without settings") << Sent{128, 0x18, names(nullptr), {hex("01"), hex("01")}};
        QTest::newRow("one effect written")
            << Sent{128, 0x13, [](U &u) { u.usb_set_effect_light(Page, false, {3, 0x07, 2, 4, 1, 0x11, 0x22, 0x33}); }, {hex("0302040107112233")}};
        QTest::newRow("effect selected") << Sent{128, 0x19, [](U &u) { u.usb_select_effect_light(Page, false, 4); }, {hex("04")}};
        QTest::newRow("one effect read") << Sent{128, 0x17, [](U &u) { u.usb_get_effect_light(Page, false, 5); }, {hex("05")}};
        EffectLightMap effects; // item, flags, light, speed, full colour, R, G, B
        for (uchar i = 0; i < 8; ++i)
            effects.insert(i, QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create(KEYBOARD_EFFECT_LIGHT{i, uchar(i % 16), 3, 1, uchar(i % 2), i, 0x80, 0xFF}));
        QTest::newRow("effects written, 7 a frame")
            << Sent{64, 0x14, [effects](U &u) { u.usb_set_effect_light_all(Page, false, effects); },
                    {hex("00030100000080ff01030101010180ff02030100020280ff03030101030380ff04030100040480ff05030101050580ff06030100060680ff"),
                     hex("07030101070780ff")}};
        const MacroList three{action(1, 1, 0x04, 300), action(0, 0, 0x02, 1), action(2, 1, 0xE9, 0x1234)};
        QTest::newRow("macro: state, type, lValue, hValue, time")
            << Sent{128, 0x40, [three](U &u) { u.usb_set_macro_config(Page, false, 0, three); }, {hex("0003010104002c010000020001000102e9003412")}};
        const QByteArray nine = hex("0609") + hex("010104002c01").repeated(9);
        QTest::newRow("macro of twenty, 9 a frame") << Sent{64, 0x40, [three](U &u) { u.usb_set_macro_config(Page, false, 6, MacroList(20, three[0])); },
                                                            {nine, nine, hex("0602") + hex("010104002c01").repeated(2)}};
        QTest::newRow("macro read") << Sent{128, 0x42, [](U &u) { u.usb_get_macro_config(Page, false, 6); }, {hex("06")}};
        QTest::newRow("macro cleared") << Sent{128, 0x41, [](U &u) { u.usb_del_macro_config(Page, false, 4); }, {hex("04")}};
        const auto add = [](const char *record) { return [record](U &u) { u.usb_add_high_key(Page, false, highKey(record)); }; };
        QTest::newRow("advanced key TGL") << Sent{128, 0x22, add("030010010400"), {hex("030010010400")}};
        // The MT tap function is held as type, hValue, lValue and goes out as type, lValue, hValue.
        QTest::newRow("advanced key MT") << Sent{128, 0x22, add("040111ff5000020183010400"), {hex("040111ff5000028301010400")}};
        QTest::newRow("advanced key DKS")
            << Sent{128, 0x22, add("0502120101050002010600040107000802e900ee"), {hex("0502120101050002010600040107000802e900")}};
        QTest::newRow("advanced key RS") << Sent{128, 0x22, add("06031314"), {hex("06031314")}};
        QTest::newRow("advanced key OKS") << Sent{128, 0x22, add("07041516"), {hex("07041516")}};
        QTest::newRow("advanced key SOCD") << Sent{128, 0x22, add("1f05171803"), {hex("1f05171803")}};
        QTest::newRow("advanced key deleted: its slot")
            << Sent{128, 0x25, [](U &u) { u.usb_del_high_key(Page, false, highKey("06031314")); }, {hex("06")}};
        const HighKeyList free(7, QSharedPointer<HIGH_KEY_INFO>::create(EmulatedHighKeyCommands::freeSlot()));
        const QByteArray freeSlot = hex("ffff") + QByteArray(17, '\0');
        QTest::newRow("advanced-key table, 6 a frame")
            << Sent{128, 0x23, [free](U &u) { u.usb_set_high_key(Page, false, free); }, {freeSlot.repeated(6), freeSlot}};
        QTest::newRow("live reports on") << Sent{128, 0x53, [](U &u) { u.usb_set_report_calibration(Page, false, true); }, {hex("01")}};
    }

    void requestPayloads()
    {
        QFETCH(Sent, sent);
        LinkedKeyboard link(sent.frameSize);
        sent.request(link.protocol());
        QTRY_COMPARE(link.payloads(uchar(sent.order)), sent.payloads);
    }

    void identityRequestCarriesTheClock()
    {
        LinkedKeyboard link(128);
        link.protocol().usb_get_product_info(Sync, false);
        const QDate today = QDate::currentDate(); // 0, year + 0x30 (low byte), month, day, ...
        QCOMPARE(link.payloads(0x62).value(0).left(3), bytes({0, today.year() + 0x30, today.month()}));
    }

    void replies_data()
    {
        QTest::addColumn<Received>("received");
        const auto identity = [](U &u) {
            u.syncProductInfo();
            const KEYBOARD_PRODUCT_INFO &i = *gKeyboardConfig->keyboardProductInfo;
            return QStringLiteral("%1 %2 %3%4%5 %6|%7|%8").arg(i.serialNumber, 0, 16).arg(i.version, 0, 16).arg(i.flagBit0).arg(i.flagBit1)
                .arg(i.flagBit7).arg(i.customerName, i.productName, i.logoName);
        };
        const Request askIdentity = [](U &u) { u.usb_get_product_info(Sync, true); };
        const QByteArray head = hex("0130050183") + QByteArray(5, '\0'), product = field("Quill HE104 键盘", 20);
        // The customer field is 30 bytes wide at 128, 18 at 64; a name that fills it has no zero byte.
        QTest::newRow("identity at 128") << Received{128, askIdentity, 0xE2, {head + "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123" + product + "QUILLOGO"}, identity,
                                                     QStringLiteral("3001 105 111 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123|Quill HE104 键盘|QUILLOGO")};
        QTest::newRow("identity at 64") << Received{64, askIdentity, 0xE2, {head + "ABCDEFGHIJKLMNOPQR" + product + "QUILLOGO"}, identity,
                                                    QStringLiteral("3001 105 111 ABCDEFGHIJKLMNOPQR|Quill HE104 键盘|QUILLOGO")};
        QTest::newRow("board parameters: flag bytes of 2 and 3 are set")
            << Received{128, [](U &u) { u.usb_get_whole_param(Sync, true); }, 0xDE, {hex("4202230114000201020301")},
                        [](U &u) {
                            const auto model = gKeyboardConfig->keyboardParams;
                            u.syncWholeParam();
                            const KEYBOARD_PARAMS &p = *model; // written in place
                            return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9").arg(p.reserve, 0, 16).arg(p.touchOptimize).arg(p.deadDown, 0, 16)
                                .arg(p.deadUp).arg(p.pollingRate).arg(p.shakeLevel).arg(p.calibration).arg(p.sportsMode).arg(p.currentLayer);
                        },
                        "42 1 123 20 2 1 1 1 1"};
        // [0, active profile, number of the first name, 29-byte names]: an empty slot takes no
        // number; a name the keyboard cut inside a character keeps its whole ones.
        QTest::newRow("profiles")
            << Received{128, [](U &u) { u.usb_get_config_info(Sync, true); }, 0xD7,
                        {hex("000200") + field("Game", 29) + field("", 29) + QStringLiteral("中文配置名称很长的一个").toUtf8().left(29) + field("Ünïcode", 29)},
                        [](U &u) {
                            u.syncConfigInfo();
                            return QString::number(gKeyboardConfig->currentConfigIndex) + QLatin1Char('|')
                                + list(gKeyboardConfig->keyboardConfigList, [](const auto &c) { return QStringLiteral("%1:%2").arg(c->index).arg(c->configName); });
                        },
                        QStringLiteral("2|0:Game 1:中文配置名称很长的 2:Ünïcode")};
        // [first index, width, fields]: width 0 carries nothing; a field wider than the payload runs
        // to its end; an empty field takes no index; a character cut by the field is dropped.
        QTest::newRow("effect names")
            << Received{128, [](U &u) { u.usb_get_effect_light_name(Sync, true); }, 0x98,
                        {hex("0300") + "Static", hex("05c8") + "Long name", hex("0606") + field("Beam", 6) + field("", 6) + field("Glow", 6), hex("0804") + "ab\xe2\x82"},
                        [](U &u) {
                            u.syncEffectLightName();
                            const EffectLightNameMap &names = gKeyboardConfig->keyboardEffectLightNameMap;
                            return list(names.keys(), [&names](uchar key) { return QStringLiteral("%1:%2:%3").arg(key).arg(names[key]->index).arg(names[key]->name); });
                        },
                        QStringLiteral("5:5:Long name 6:6:Beam 7:7:Glow 8:8:ab")};
        const auto macro = [](U &u) { return list(u.macroList(3), [](const auto &a) { return QStringLiteral("%1,%2,%3,%4,%5").arg(a->type).arg(a->state).arg(a->lValue).arg(a->hValue).arg(a->time); }); };
        const QByteArray nine = hex("0309") + hex("010104002c01").repeated(9);
        QTest::newRow("macro in three frames") << Received{64, [](U &u) { u.usb_get_macro_config(Sync, true, 3); }, 0xC2,
                                                           {nine, nine, hex("0302") + hex("010104002c01").repeated(2)}, macro,
                                                           QStringList(20, "1,1,4,0,300").join(' ')};
        QTest::newRow("macro: empty") << Received{128, [](U &u) { u.usb_get_macro_config(Sync, false, 3); }, 0xC2, {hex("ff00")}, macro, QString()};
        QTest::newRow("macro: more actions claimed than carried")
            << Received{128, [](U &u) { u.usb_get_macro_config(Sync, false, 3); }, 0xC2, {hex("031e010104000a0000010400140055")}, macro,
                        "1,1,4,0,10 1,0,4,0,20"};
        const Request askHighKeys = [](U &u) { u.usb_get_high_key(Sync, true); };
        const auto highKeys = [](U &u) { return list(u.highKeyList(), [](const auto &k) { return show(*k); }); };
        const auto wire = [](const char *record) { return hex(record).leftJustified(19, '\0'); };
        const auto held = [](const char *record) { return QString::fromLatin1(record).leftJustified(40, '0'); };
        // The MT tap function comes in as type, lValue, hValue; a TGL record takes its three function
        // bytes only; a kind the program does not know keeps its slot and kind only.
        QTest::newRow("advanced keys in two frames")
            << Received{128, askHighKeys, 0xAB, {wire("050120ff500002b501010400") + wire("09002102e90077") + hex("0a03"), hex("020933") + bytes(keyRange(1, 16))},
                        highKeys, held("050120ff50000201b5010400") + ' ' + held("09002102e900") + ' ' + held("020900")};
        QTest::newRow("advanced keys: fewer bytes than a record") << Received{128, askHighKeys, 0xAB, {QByteArray(18, 1)}, highKeys, QString()};
        // Key 250 on with ten groups whose on bytes are 2; a frame too short for a group; a group with bytes over.
        QTest::newRow("travel settings")
            << Received{128, [](U &u) { u.usb_get_trigger_config(Sync, true); }, 0xAC,
                        {hex("fa") + hex("9600020214002c01").repeated(10), hex("0101010101010101"), hex("140a000000050006000000ff")},
                        [](U &u) {
                            u.syncTriggerConfig();
                            const TriggerMap &map = gKeyboardConfig->keyboardTriggerMap;
                            return list(map.keys(), [](uchar key) { return QString::number(key); }) + '|' + show(*map.value(1)) + '|' + show(*map.value(20));
                        },
                        "0 1 2 3 20 250 251 252 253 254 255|key 1 trigger 150 model 1 quick 1 press 20 release 300|key 20 trigger 10 model 0 quick 0 press 5 release 6"};
        // Every frame but the last is full, so a frame's first key follows from its number.
        QTest::newRow("calibration states") << Received{64, [](U &u) { u.usb_get_calibration_state(Sync, true); }, 0xD2,
                                                        {hex("01").leftJustified(58, '\0'), hex("0200000003")},
                                                        [](U &u) {
                                                            QMap<uchar, uchar> set = u.calibrationMap();
                                                            const int size = int(set.size());
                                                            set.removeIf([](const auto &entry) { return entry.value() == 0; });
                                                            return QString::number(size) + '|' + list(set.keys(), [&set](uchar key) { return QStringLiteral("%1:%2").arg(key).arg(set[key]); });
                                                        },
                                                        "63|0:1 58:2 62:3"};
        // Live depth reports come unasked: groups of (unused, key, depth); bytes short of a group are left over.
        const auto depths = [](U &u) { return list(u.alignList(), [](const auto &a) { return QStringLiteral("%1:%2").arg(a->keyItem).arg(a->value); }); };
        QTest::newRow("live report") << Received{64, [](U &) {}, 0xD3, {hex("0005100100062000")}, depths, "5:272 6:32"};
        QTest::newRow("live report, bytes over") << Received{64, [](U &) {}, 0xD3, {hex("090834127766")}, depths, "8:4660"};
        QTest::newRow("live report of nothing") << Received{64, [](U &) {}, 0xD3, {hex("0005")}, depths, QString()};
    }

    void replies()
    {
        QFETCH(Received, received);
        LinkedKeyboard link(received.frameSize);
        link.silence();
        received.request(link.protocol());
        for (int k = 0; k < received.frames.size(); ++k)
            link.deliver(uchar(received.code), received.frames[k], uchar(k + 1), uchar(received.frames.size()));
        QCOMPARE(received.reading(link.protocol()), received.expected);
    }

    void refusalsAndResends_data()
    {
        QTest::addColumn<Refused>("refused");
        const Action none = [](LinkedKeyboard &) {};
        const auto ask = [](const Request &request) { return [request](LinkedKeyboard &l) { request(l.protocol()); }; };
        const MacroList one{action(1, 1, 4, 0)};
        QTest::newRow("macro 10 read") << Refused{none, ask([](U &u) { u.usb_get_macro_config(Page, true, 10); }), 0x42, 0, {}, -4};
        QTest::newRow("macro 10 written") << Refused{none, ask([one](U &u) { u.usb_set_macro_config(Page, true, 10, one); }), 0x40, 0, {}, -4};
        QTest::newRow("macro 255 written") << Refused{none, ask([one](U &u) { u.usb_set_macro_config(Page, true, 255, one); }), 0x40, 0, {}, -4};
        QTest::newRow("macro 12 cleared") << Refused{none, ask([](U &u) { u.usb_del_macro_config(Page, true, 12); }), 0x41, 0, {}, -4};
        const Action otherMacro = [](LinkedKeyboard &l) {
            l.keyboard().setHandler(0x42, [](EmulatedKeyboardState &, const KeyboardRequest &, KeyboardReplies &r) { r.send(hex("0400")); });
        };
        QTest::newRow("another macro's answer, not waiting") << Refused{otherMacro, ask([](U &u) { u.usb_get_macro_config(Page, false, 3); }), 0x42, 1, {}, -4};
        QTest::newRow("another macro's answer, waiting") << Refused{otherMacro, ask([](U &u) { u.usb_get_macro_config(Page, true, 3); }), 0x42, 3, {}, -2};
        QTest::newRow("no board parameters") << Refused{none, ask([](U &u) { u.usb_set_whole_param(Page, true, {}); }), 0x50, 0, "sendSetWholeParam", 0};
        // A list write whose count a byte cannot carry, or that holds a null record.
        QTest::newRow("advanced-key table of 256")
            << Refused{none, ask([](U &u) { u.usb_set_high_key(Page, true, HighKeyList(256, QSharedPointer<HIGH_KEY_INFO>::create())); }), 0x23, 0,
                       "count=\\{256\\}", -1};
        QTest::newRow("macro with a null action")
            << Refused{none, ask([one](U &u) { u.usb_set_macro_config(Page, true, 2, one + MacroList{{}}); }), 0x40, 0, "null=\\{1\\}", -1};
        QTest::newRow("firmware chunk longer than a frame")
            << Refused{none, ask([](U &u) { u.usb_download_fireware_data(Page, true, 1, 123, reinterpret_cast<uchar *>(QByteArray(123, 'x').data())); }),
                       0x65, 0, "length=\\{123\\}", -1};
        // A refused chunk is sent again as the engine copied it, its number low byte first in the head.
        const Action chunk = ask([](U &u) {
            QByteArray c = hex("aabbcc");
            u.usb_download_fireware_keyboard(Page, true, 0x0102, 3, reinterpret_cast<uchar *>(c.data()));
            c.fill('\0');
        });
        QTest::newRow("firmware refused once") << Refused{[](LinkedKeyboard &l) { l.state().firmware.refuseNext = 1; }, chunk, 0x60, 2, {}, 0};
        QTest::newRow("firmware refused three times") << Refused{[](LinkedKeyboard &l) { l.state().firmware.refuseNext = 3; }, chunk, 0x60, 3, {}, -2};
        QTest::newRow("raw values unanswered: not sent again")
            << Refused{[](LinkedKeyboard &l) { l.keyboard().addReplyFault({ReplyFault::Drop, 0, 0xDB, 1}); },
                       ask([](U &u) { u.usb_get_calibration_adc(Page, true); }), 0x5B, 1, {}, -2};
        // A one-byte 0xD3 answers only a switch of the live reports.
        QTest::newRow("stray switch answer while storing") << Refused{[](LinkedKeyboard &l) { l.keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD4, 3}); },
                                                                      [](LinkedKeyboard &l) { l.protocol().usb_save_calibration(Page, true), l.deliver(0xD3, hex("00")); },
                                                                      0x54, 3, {}, -2};
    }

    void refusalsAndResends()
    {
        QFETCH(Refused, refused);
        LinkedKeyboard link(128);
        link.protocol().setReplyInterval(60);
        refused.setup(link);
        QSignalSpy errors(&link.protocol(), &U::usb_communicate_error);
        if (!refused.warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(refused.warning));
        refused.request(link);
        const uchar order = uchar(refused.order);
        QTRY_VERIFY(refused.error ? !errors.isEmpty() : link.written(order).size() >= refused.sends);
        QTest::qWait(150); // nothing follows
        QCOMPARE(link.written(order).size(), refused.sends);
        QCOMPARE(signalsOf(errors), refused.error ? Emissions{failure(Page, order | 0x80, refused.error)} : Emissions{});
        if (order == 0x60)
            QCOMPARE(link.written(order), QList<QByteArray>(refused.sends, link.report(order, hex("aabbcc"), 0x02, 0x01)));
    }

    void effects()
    {
        LinkedKeyboard link(64);
        U &u = link.protocol();
        const auto read = [&](uchar index) {
            QVERIFY(link.run(SIGNAL(usb_receive_effect_light(uchar, int, int)), [&] { u.usb_get_effect_light(Sync, true, index); }));
            u.syncEffectLight();
        };
        link.profile().effects[4] = {4, 0x0B, 1, 2, 1, 0xAA, 0xBB, 0xCC};
        read(0xFF);
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());
        // One effect read goes into the model's record of that effect; the others stay.
        const EffectLightMap before = gKeyboardConfig->keyboardEffectLightMap;
        link.profile().effects[5] = {5, 0x01, 4, 4, 0, 1, 2, 3};
        link.profile().effects[6].speed = 9;
        read(5);
        QCOMPARE(gKeyboardConfig->keyboardEffectLightMap, before);
        QCOMPARE(differences(EffectLightMap{{5, before[5]}}, link.profile().effects, false), QString());
        QCOMPARE(before[6]->speed, uchar(2));
        // An effect and a key colour written one after the other keep their own records.
        link.profile().effects[6].speed = 2;
        QVERIFY(link.run(SIGNAL(usb_receive_custom_light(uchar, int, int)), [&] { u.usb_get_custom_light(Sync, true); }));
        u.syncCustomLight();
        QVERIFY(link.run(SIGNAL(usb_receive_set_effect_light(uchar, int, int)), [&] { u.usb_set_effect_light(Page, false, {2, 0x0F, 4, 3, 0, 0, 0xFF, 0}); }));
        QVERIFY(link.run(SIGNAL(usb_receive_set_custom_light(uchar, int, int)), [&] { u.usb_set_custom_light(Page, false, {9, 9, 1, 9, 9, 0xFF, 0, 0}, {4, 8}); }));
        u.syncModifyEffectLight();
        u.syncModifyCustomLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
        // An effect the model has no record of is passed over.
        u.usb_set_effect_light(Page, false, {12, 0, 0, 0, 0, 0, 0, 0});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncModifyEffectLight.*\\{12\\}"));
        u.syncModifyEffectLight();
        QVERIFY(!gKeyboardConfig->keyboardEffectLightMap.contains(12));
    }

    void answersThatCarryTheirRequest()
    {
        LinkedKeyboard link(128);
        QSignalSpy added(&link.protocol(), &U::usb_receive_add_high_key);
        QSignalSpy deleted(&link.protocol(), &U::usb_receive_del_high_key);
        QSignalSpy cleared(&link.protocol(), &U::usb_receive_del_macro_config);
        // Each answer about an advanced key carries the whole record, though only its slot goes out to delete.
        const HIGH_KEY_INFO mt = highKey("040111ff5000020183010400");
        link.protocol().usb_add_high_key(Page, false, mt);
        QTRY_COMPARE(added.size(), 1);
        link.protocol().usb_del_high_key(Page, false, mt);
        QTRY_COMPARE(deleted.size(), 1);
        QCOMPARE(show(added[0][3].value<HIGH_KEY_INFO>()), show(mt));
        QCOMPARE(show(deleted[0][3].value<HIGH_KEY_INFO>()), show(mt));
        // The answer to clearing a macro clears the model's macro.
        gKeyboardConfig->keyboardMacroList[4] = gKeyboardConfig->keyboardMacroList[5] = {action(1, 1, 4, 0)};
        link.protocol().usb_del_macro_config(Page, false, 4);
        QTRY_COMPARE(cleared.size(), 1);
        QVERIFY(gKeyboardConfig->keyboardMacroList[4].isEmpty());
        QCOMPARE(gKeyboardConfig->keyboardMacroList[5].size(), 1);
    }

    void rawValues()
    {
        LinkedKeyboard link(64);
        U &u = link.protocol();
        link.state().calibration.adc.insert(100, 0xBEEF);
        for (uchar key : keyRange(0, 104))
            gKeyboardConfig->keyboardKeyMap.insert(key, QSharedPointer<KEYBOARD_KEY_INFO>::create());
        QSignalSpy values(&u, &U::usb_receive_get_calibration_adc);
        u.usb_get_calibration_adc(Sync, true);
        QTRY_COMPARE(values.size(), 1);
        const QMap<uchar, ushort> map = values[0][3].value<QMap<uchar, ushort>>();
        QCOMPARE(map.keys(), keyRange(0, 104));
        QCOMPARE((QList<int>{map.value(0), map.value(100), map.value(103)}), (QList<int>{2000, 0xBEEF, 2103}));
        // A model with another number of keys: the read is not handed on.
        gKeyboardConfig->keyboardKeyMap.remove(103);
        u.usb_get_calibration_adc(Sync, true);
        QTRY_COMPARE(link.written(0x5B).size(), 8);
        QTest::qWait(30);
        QCOMPARE(values.size(), 1);
    }

    void reportSwitch()
    {
        LinkedKeyboard link(128);
        U &u = link.protocol();
        u.setReplyInterval(60);
        QSignalSpy errors(&u, &U::usb_communicate_error);
        QSignalSpy switched(&u, &U::usb_receive_report_calibration_switch);
        QSignalSpy live(&u, &U::usb_receive_report_calibration);
        // On: the answer once though the keyboard repeats it, then the depth of the key held down.
        EmulatedCalibrationCommands::pressKey(link.state(), 7, 120);
        link.keyboard().addReplyFault({ReplyFault::Duplicate, 0, 0xD3, 1});
        u.usb_set_report_calibration(Page, true, true);
        QTRY_COMPARE(live.size(), 1);
        QTest::qWait(200);
        QCOMPARE(switched.size(), 1);
        QCOMPARE(live[0][3].value<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>>().value(0)->value, quint16(120));
        // Off, its answer lost: a live report in between does not end the request; the resend's answer does.
        link.keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD3, 1});
        u.usb_set_report_calibration(Page, true, false);
        link.deliver(0xD3, hex("00090100"));
        QTRY_COMPARE(switched.size(), 2);
        QCOMPARE(link.written(0x53).size(), 3);
        // Refused: the answer is handed on, and no report follows.
        link.state().calibration.switchAnswer = 2;
        u.usb_set_report_calibration(Page, false, true);
        QTRY_COMPARE(switched.size(), 3);
        QCOMPARE(switched[2][3].value<uchar>(), uchar(2));
        QTest::qWait(30);
        QCOMPARE(live.size(), 2);
        QCOMPARE(errors.size(), 0);
    }

    void textFieldsAndErrorTexts()
    {
        QCOMPARE(U::ucharConvertString("abc\0def", 8), QStringLiteral("abc"));
        QCOMPARE(U::ucharConvertString(nullptr, 4), QString());
        QCOMPARE(U::utf8WholeCharacters("a\x80\x80", 3, 3), 3); // stray continuation bytes are left to the decoder
        // Codes without a text of their own share the one for any other error.
        const QString other = U::getErrorMessage(12345);
        for (int code : {-6, -18, 0, -58, -200})
            QCOMPARE(U::getErrorMessage(code), other);
        for (int code : {-1, -5, -19, -57})
            QVERIFY(U::getErrorMessage(code) != other);
    }

    // The failure codes' own texts, a few of each group.
    void errorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("frame not received") << -1 << "指定帧没收到";
        QTest::newRow("checksum") << -2 << "chksum错误";
        QTest::newRow("unrecognised command") << -3 << "不识别的命令";
        QTest::newRow("read time-out") << -20 << "读取USB超时";
        QTest::newRow("product model mismatch") << -23 << "产品型号不匹配";
        QTest::newRow("firmware file") << -55 << "打开文件失败";
        QTest::newRow("firmware receive") << -57 << "接收数据失败";
    }

    void errorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(U::getErrorMessage(code), text);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
