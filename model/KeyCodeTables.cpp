#include "model/KeyCodeTables.h"

namespace {

KEY_CODE_INFO labelEntry(quint16 code, const char *label, const QString &tipKey)
{
    return KEY_CODE_INFO{0, QString::fromUtf8(label), QString(), tipKey, code};
}

KEY_CODE_INFO iconEntry(quint16 code, const char *iconFile, const QString &tipKey)
{
    return KEY_CODE_INFO{1, QString(), QString::fromLatin1(iconFile), tipKey, code};
}

QString tip(const char *group, const QString &name)
{
    return QStringLiteral("keyboard/%1/%2").arg(QLatin1String(group), name);
}

QList<KEY_CODE_INFO> buildControlKeyCodes()
{
    return {
        labelEntry(0x01, "Left Ctrl", tip("control", "leftControl")),
        labelEntry(0x02, "Left Shift", tip("control", "leftShirt")),
        labelEntry(0x04, "Left Alt", tip("control", "leftAlt")),
        labelEntry(0x08, "Left Win", tip("control", "leftWin")),
        labelEntry(0x10, "Right Ctrl", tip("control", "rightCtrl")),
        labelEntry(0x20, "Right Shift", tip("control", "rightShirt")),
        labelEntry(0x40, "Right Alt", tip("control", "rightAlt")),
        labelEntry(0x80, "Right Win", tip("control", "rightWin")),
    };
}

QList<KEY_CODE_INFO> buildKeyCodes()
{
    QList<KEY_CODE_INFO> list;
    list.reserve(109);
    const auto add = [&list](quint16 code, const char *label, const QString &name) {
        list.append(labelEntry(code, label, tip("key", name)));
    };
    const auto addRun = [&list](quint16 firstCode, int count, const QString &labelPrefix,
                                const QString &namePrefix, int firstNumber) {
        for (int i = 0; i < count; ++i) {
            const QString number = QString::number(firstNumber + i);
            list.append(KEY_CODE_INFO{0, labelPrefix + number, QString(),
                                      tip("key", namePrefix + number), quint16(firstCode + i)});
        }
    };

    for (int i = 0; i < 26; ++i) {
        const QChar letter(u'A' + i);
        list.append(KEY_CODE_INFO{0, QString(letter), QString(),
                                  tip("key", QString(letter.toLower())), quint16(0x04 + i)});
    }

    const char *const numberRow[] = {"!1", "@2", "#3", "$4", "%5", "^6", "&7", "*8", "(9", ")0"};
    for (int i = 0; i < 10; ++i)
        add(quint16(0x1E + i), numberRow[i], QString::number((i + 1) % 10));

    add(0x28, "Enter", "enter");
    add(0x29, "Esc", "esc");
    add(0x2A, "Back Space", "backSpace");
    add(0x2B, "Tab", "tab");
    add(0x2C, "Space", "space");

    add(0x2D, "-_", "desc");
    add(0x2E, "+=", "add");
    add(0x2F, "{[", "leftBracket");
    add(0x30, "}]", "rightBracket");
    add(0x31, "|\\", "vertical");
    add(0x32, "NonUSPound", "nonUs");
    add(0x33, ":;", "colon");
    add(0x34, "\"'", "comma");
    add(0x35, "~`", "tilde");
    add(0x36, "<,", "lessThan");
    add(0x37, ">.", "greaterThan");
    add(0x38, "?/", "question");
    add(0x39, "CapsLock", "capsLock");

    addRun(0x3A, 12, QStringLiteral("F"), QStringLiteral("f"), 1);

    add(0x46, "Prtsc", "printScreen");
    add(0x47, "LOCK", "lock");
    add(0x48, "PAUSE", "pause");
    add(0x49, "Insert", "insert");
    add(0x4A, "Home", "home");
    add(0x4B, "PgUp", "pageUp");
    add(0x4C, "Del", "del");
    add(0x4D, "End", "end");
    add(0x4E, "PgDn", "pageDown");
    add(0x4F, "Right", "right");
    add(0x50, "Left", "left");
    add(0x51, "Down", "down");
    add(0x52, "Up", "up");

    add(0x53, "Num Lock", "numLock");
    add(0x54, "/", "slash");
    add(0x55, "*", "asterisk");
    add(0x56, "-", "numDec");
    add(0x57, "+", "numAdd");
    add(0x58, "Enter", "numEnter");
    addRun(0x59, 9, QString(), QStringLiteral("num"), 1);
    add(0x62, "0", "num0");
    add(0x63, "./Del", "numDel");

    add(0x65, "Menu", "menu");

    addRun(0x68, 12, QStringLiteral("F"), QStringLiteral("f"), 13);
    return list;
}

QList<KEY_CODE_INFO> buildMediaKeyCodes()
{
    const auto media = [](quint16 code, const char *icon, const char *name) {
        return iconEntry(code, icon, tip("media", QLatin1String(name)));
    };
    return {
        media(0x0183, "system_key_player.png", "player"),
        media(0x00E9, "system_key_volume_add.png", "volumeAdd"),
        media(0x00EA, "system_key_volume_dec.png", "volumeDec"),
        media(0x00E2, "system_key_mute.png", "mute"),
        media(0x00CD, "system_key_play.png", "play"),
        media(0x00B7, "system_key_stop_play.png", "stopPlay"),
        media(0x00B6, "system_key_prev.png", "prev"),
        media(0x00B5, "system_key_next.png", "next"),
        media(0x006F, "system_key_light_add.png", "lightAdd"),
        media(0x0070, "system_key_light_dec.png", "lightDec"),
        media(0x0223, "system_key_home.png", "home"),
        media(0x0227, "system_key_refresh.png", "refresh"),
        media(0x0226, "system_key_stop.png", "stop"),
        media(0x00B4, "system_key_back.png", "back"),
        media(0x00B3, "system_key_forward.png", "forward"),
        media(0x0222, "system_key_favor.png", "favor"),
        media(0x0221, "system_key_search.png", "search"),
        media(0x0194, "system_key_computer.png", "computer"),
        media(0x0192, "system_key_calculator.png", "calculator"),
        media(0x018A, "system_key_mail.png", "mail"),
        media(0x022A, "system_key_start.png", "start"),
    };
}

QList<KEY_CODE_INFO> buildMacroKeyCodes()
{
    QList<KEY_CODE_INFO> list;
    for (int i = 0; i < 10; ++i) {
        const QString number = QString::number(i + 1);
        list.append(KEY_CODE_INFO{0, QStringLiteral("M") + number, QString(),
                                  tip("macro", QStringLiteral("m") + number), quint16(i)});
    }
    return list;
}

QList<KEY_CODE_INFO> buildHighKeyCodes()
{
    const auto high = [](quint16 kind, const char *icon, const char *name) {
        return iconEntry(kind, icon, tip("high", QLatin1String(name)));
    };
    return {
        high(0, "key_tgl.png", "tgl"),   high(1, "key_mt.png", "mt"),
        high(2, "key_dks.png", "dks"),   high(3, "key_rs.png", "rs"),
        high(4, "key_oks.png", "oks"),   high(5, "key_socd.png", "socd"),
    };
}

QList<KEY_CODE_INFO> buildInternalKeyCodes()
{
    const auto icon = [](quint16 code, const char *file, const char *name) {
        return iconEntry(code, file, tip("internal", QLatin1String(name)));
    };
    const auto text = [](quint16 code, const char *label, const char *name) {
        return labelEntry(code, label, tip("internal", QLatin1String(name)));
    };
    // Calibration carries a label too, though it is shown by its icon.
    KEY_CODE_INFO calibration = icon(0xF7, "extend_key_calibration.png", "calibration");
    calibration.label = QStringLiteral("校准");
    return {
        icon(0xEF, "lamp_key_rgb_next.png", "rgbNext"),
        icon(0xEE, "lamp_key_rgb_prev.png", "rgbPrev"),
        icon(0xED, "lamp_key_rgb_cycle.png", "rgbCycle"),
        icon(0xEC, "lamp_key_hue_add.png", "hueAdd"),
        icon(0xEB, "lamp_key_hue_dec.png", "hueDec"),
        icon(0xEA, "lamp_key_light_add.png", "lightAdd"),
        icon(0xE9, "lamp_key_light_dec.png", "lightDec"),
        icon(0xE8, "lamp_key_rgb_speed_add.png", "rgbSpeedAdd"),
        icon(0xE7, "lamp_key_rgb_speed_dec.png", "rgbSpeedDec"),
        text(0xE6, "Bright Off", "brightOff"),
        text(0xF2, "Web", "web"),
        text(0xF3, "2.4G", "24g"),
        text(0xF4, "BT3", "bt3"),
        text(0xF5, "BT2", "bt2"),
        text(0xF6, "BT1", "bt1"),
        text(0xFE, "Fn", "fn1"),
        text(0xFD, "Fn2", "fn2"),
        text(0xFC, "Fn3", "fn3"),
        text(0xFB, "Mac", "mac"),
        text(0xFA, "Win", "win"),
        text(0xDF, "PF+", "fninc"),
        text(0xDE, "PF-", "fndec"),
        icon(0xF9, "extend_key_win_lock.png", "winLock"),
        text(0xF8, "Reset", "reset"),
        calibration,
    };
}

// Full keyboard picker: one row of keys at a time, each key as label, type, lValue, x and,
// where it differs from 44, its width or height.
struct NormalKey {
    const char *label;
    uchar type;
    uchar lValue;
    qint32 x;
    qint32 width = 44;
    qint32 height = 44;
};

constexpr uchar M = KeyTypeModifier;
constexpr uchar K = KeyTypeKeyboard;

QList<KEYBOARD_LIST_INFO> buildNormalKeyboard()
{
    const struct {
        qint32 y;
        QList<NormalKey> keys;
    } rows[] = {
        {0, {{"Esc", K, 0x29, 0},      {"F1", K, 0x3A, 96},     {"F2", K, 0x3B, 144},
             {"F3", K, 0x3C, 192},     {"F4", K, 0x3D, 240},    {"F5", K, 0x3E, 312},
             {"F6", K, 0x3F, 360},     {"F7", K, 0x40, 408},    {"F8", K, 0x41, 456},
             {"F9", K, 0x42, 528},     {"F10", K, 0x43, 576},   {"F11", K, 0x44, 624},
             {"F12", K, 0x45, 672},    {"Prtsc", K, 0x46, 744}, {"LOCK", K, 0x47, 792},
             {"PAUSE", K, 0x48, 840}}},
        {48, {{"`", K, 0x35, 0},        {"1", K, 0x1E, 48},     {"2", K, 0x1F, 96},
              {"3", K, 0x20, 144},      {"4", K, 0x21, 192},    {"5", K, 0x22, 240},
              {"6", K, 0x23, 288},      {"7", K, 0x24, 336},    {"8", K, 0x25, 384},
              {"9", K, 0x26, 432},      {"0", K, 0x27, 480},    {"-", K, 0x2D, 528},
              {"=", K, 0x2E, 576},      {"Backspace", K, 0x2A, 624, 92},
              {"INS", K, 0x49, 744},    {"HOME", K, 0x4A, 792}, {"PgUp", K, 0x4B, 840},
              {"LOCK", K, 0x53, 912},   {"/", K, 0x54, 960},    {"*", K, 0x55, 1008},
              {"-", K, 0x56, 1056}}},
        {96, {{"Tab", K, 0x2B, 0, 71},  {"Q", K, 0x14, 74},     {"W", K, 0x1A, 122},
              {"E", K, 0x08, 170},      {"R", K, 0x15, 218},    {"T", K, 0x17, 266},
              {"Y", K, 0x1C, 314},      {"U", K, 0x18, 362},    {"I", K, 0x0C, 410},
              {"O", K, 0x12, 458},      {"P", K, 0x13, 506},    {"[", K, 0x2F, 554},
              {"]", K, 0x30, 602},      {"\\", K, 0x31, 650, 66},
              {"DEL", K, 0x4C, 744},    {"END", K, 0x4D, 792},  {"PgDn", K, 0x4E, 840},
              {"7", K, 0x5F, 912},      {"8", K, 0x60, 960},    {"9", K, 0x61, 1008},
              {"+", K, 0x57, 1056, 44, 90}}},
        {144, {{"Caps Lock", K, 0x39, 0, 84}, {"A", K, 0x04, 88}, {"S", K, 0x16, 136},
               {"D", K, 0x07, 184},     {"F", K, 0x09, 232},    {"G", K, 0x0A, 280},
               {"H", K, 0x0B, 328},     {"J", K, 0x0D, 376},    {"K", K, 0x0E, 424},
               {"L", K, 0x0F, 472},     {";", K, 0x33, 520},    {"'", K, 0x34, 568},
               {"Enter", K, 0x28, 616, 100},
               {"4", K, 0x5C, 912},     {"5", K, 0x5D, 960},    {"6", K, 0x5E, 1008}}},
        {192, {{"Shift", M, 0x02, 0, 106}, {"Z", K, 0x1D, 110}, {"X", K, 0x1B, 158},
               {"C", K, 0x06, 206},     {"V", K, 0x19, 254},    {"B", K, 0x05, 302},
               {"N", K, 0x11, 350},     {"M", K, 0x10, 398},    {",", K, 0x36, 446},
               {".", K, 0x37, 494},     {"/", K, 0x38, 542},
               {"Shirt", M, 0x20, 590, 126},
               {"↑", K, 0x52, 792},
               {"1", K, 0x59, 912},     {"2", K, 0x5A, 960},    {"3", K, 0x5B, 1008},
               {"ENTER", K, 0x58, 1056, 44, 90}}},
        {240, {{"Left Ctrl", M, 0x01, 0, 62},   {"Left Win", M, 0x08, 66, 62},
               {"Left Alt", M, 0x04, 131, 62},  {"SPACE", K, 0x2C, 198, 278},
               {"Right Alt", M, 0x40, 480, 55}, {"Right Win", M, 0x80, 539, 55},
               {"MENU", K, 0x65, 599, 55},      {"Right Ctrl", M, 0x10, 659, 57},
               {"←", K, 0x50, 744},     {"↓", K, 0x51, 792},    {"→", K, 0x4F, 840},
               {"0", K, 0x62, 912},
               // The keypad's full stop, where a full-size keyboard has it.
               {".", K, 0x63, 1008}}},
    };

    QList<KEYBOARD_LIST_INFO> list;
    list.reserve(104);
    for (const auto &row : rows) {
        for (const NormalKey &key : row.keys) {
            list.append(KEYBOARD_LIST_INFO{uchar(list.size()), key.x, row.y, key.width, key.height,
                                           key.type, 0, key.lValue, QString::fromUtf8(key.label)});
        }
    }
    return list;
}

// The small pickers: 44 x 44 keys on a 54-pixel pitch, perRow keys to a row.
QList<KEYBOARD_LIST_INFO> buildGridKeyboard(uchar type, const QList<quint16> &codes, int perRow)
{
    QList<KEYBOARD_LIST_INFO> list;
    for (int i = 0; i < codes.size(); ++i) {
        list.append(KEYBOARD_LIST_INFO{uchar(i), 54 * (i % perRow), 54 * (i / perRow), 44, 44, type,
                                       uchar(codes[i] >> 8), uchar(codes[i] & 0xFF), QString()});
    }
    return list;
}

QList<quint16> codesOf(const QList<KEY_CODE_INFO> &entries, int count)
{
    QList<quint16> codes;
    for (int i = 0; i < count && i < entries.size(); ++i)
        codes.append(entries[i].code);
    return codes;
}

} // namespace

// Defined in dependency order: the pickers of media keys and macros follow their code lists.
const QList<KEY_CODE_INFO> gControlKeyCodeList = buildControlKeyCodes();
const QList<KEY_CODE_INFO> gKeyCodeList = buildKeyCodes();
const QList<KEY_CODE_INFO> gMediaKeyCodeList = buildMediaKeyCodes();
const QList<KEY_CODE_INFO> gMacroKeyCodeList = buildMacroKeyCodes();
const QList<KEY_CODE_INFO> gHighKeyCodeList = buildHighKeyCodes();
const QList<KEY_CODE_INFO> gInternalKeyCodeList = buildInternalKeyCodes();

const QList<KEYBOARD_LIST_INFO> gNormalKeyboardList = buildNormalKeyboard();
// Every media key but the last (0x022A, start), in list order.
const QList<KEYBOARD_LIST_INFO> gSystemKeyboardList =
    buildGridKeyboard(KeyTypeMedia, codesOf(gMediaKeyCodeList, 20), 10);
const QList<KEYBOARD_LIST_INFO> gMacroKeyboardList =
    buildGridKeyboard(KeyTypeMacro, codesOf(gMacroKeyCodeList, 10), 10);
// Next effect down to lighting off.
const QList<KEYBOARD_LIST_INFO> gEffectKeyboardList = buildGridKeyboard(
    KeyTypeInternal, {0xEF, 0xEE, 0xED, 0xEC, 0xEB, 0xEA, 0xE9, 0xE8, 0xE7, 0xE6}, 10);
// Fn, Mac, Win, Win lock, reset, calibration, PF+, then PF-, web, 2.4G and Bluetooth 3 to 1.
const QList<KEYBOARD_LIST_INFO> gExtendKeyboardList = buildGridKeyboard(
    KeyTypeInternal, {0xFE, 0xFB, 0xFA, 0xF9, 0xF8, 0xF7, 0xDF, 0xDE, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6}, 7);
