#include "model/KeyCodeTables.h"
#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"

#include <QRect>
#include <QtTest>

using PickerList = QList<KEYBOARD_LIST_INFO>;
Q_DECLARE_METATYPE(const PickerList *)

namespace {
QSharedPointer<HIGH_KEY_INFO> slot(uchar item, uchar attribute, uchar keyItem = 0, uchar second = 0)
{
    return QSharedPointer<HIGH_KEY_INFO>::create(HIGH_KEY_INFO{item, attribute, keyItem, {second}});
}

QByteArray bytesOf(const HIGH_KEY_INFO &record)
{
    const char head[] = {char(record.item), char(record.attribute), char(record.keyItem)};
    return QByteArray(head, 3) + QByteArray(reinterpret_cast<const char *>(record.data.data()), HIGH_KEY_INFO::DataSize);
}

QSharedPointer<PRODUCT_DEFAULT_KEY> factoryKey(uchar keyItem, uchar lValue, uchar type = 1)
{
    return QSharedPointer<PRODUCT_DEFAULT_KEY>::create(PRODUCT_DEFAULT_KEY{keyItem, type, 0, lValue, QString()});
}

// lValue of each key 10..13 on a layer; "-" where the key has no record.
QString layer(KeyboardConfigUtil &config, uchar layerIndex)
{
    QStringList values;
    for (uchar key = 10; key <= 13; ++key) {
        const auto info = config.getKeyboardKeyInfo(layerIndex, key);
        values << (info ? QString::number(info->lValue, 16) : QString("-"));
    }
    return values.join(' ');
}

// Keys 10 and 11 share a position (one keycap, two sensors), 12 stands alone, 13 has a position
// but no function. Every function is (1, 0, 0x04) on both layers.
void fillSharedLayout(KeyboardConfigUtil &config)
{
    for (uchar key : {10, 11, 12, 13})
        config.keyPositionMap.insert(key, QSharedPointer<KEY_POSITION>::create(KEY_POSITION{key, uchar(key == 11 ? 10 : key)}));
    for (uchar key : {10, 11, 12})
        for (KeyInfoMap *map : {&config.keyboardKeyMap, &config.keyboardFn1KeyMap})
            map->insert(key, QSharedPointer<KEYBOARD_KEY_INFO>::create(KEYBOARD_KEY_INFO{key, 1, 0, 0x04}));
}
} // namespace

// The keyboard model and the key tables it is described with.
class TestKeyboardConfigUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void advancedKeySlots()
    {
        KeyboardConfigUtil config;
        // Slots 0, 1 and 3 in use, 2 and 4 free; a free slot may keep stale bytes.
        config.keyboardHighKeyList = {slot(0, 0, 5), slot(1, 1, 6), slot(255, 2, 7), slot(3, 3, 8, 9), slot(255, 0)};
        QCOMPARE(QList<int>({config.getHighKeyTotal(), config.getFreeHighKey(0), config.getFreeHighKey(3), config.getFreeHighKey(5)}),
                 QList<int>({3, 2, 4, 255}));
        // Kinds by slot: 255 is "none", though free slots carry it.
        QCOMPARE(QList<int>({config.getKeyboardHighKeyIcon(3), config.getKeyboardHighKeyIcon(2), config.getKeyboardHighKeyIcon(255)}),
                 QList<int>({3, 255, 255}));
        // Only RS, OKS and SOCD bind a second key.
        QCOMPARE(QList<int>({config.getHighKeyItem(3, 8, 9), config.getHighKeyItem(1, 8, 9), config.getHighKeyItem(4, 8, 1)}),
                 QList<int>({3, 255, 255}));
        const auto held = config.keyboardHighKeyList.at(1);
        held->data.fill(0x5A);
        config.delHighKey(1);
        config.delHighKey(5); // beyond the table
        QCOMPARE(config.keyboardHighKeyList.size(), 5);
        QCOMPARE(config.keyboardHighKeyList.at(1), held); // emptied in place: pages may hold it
        QCOMPARE(bytesOf(*held), QByteArray::fromHex("ff0000") + QByteArray(17, '\0'));
        QCOMPARE(QList<int>({config.getFreeHighKey(0), config.getHighKeyTotal()}), QList<int>({1, 2}));
    }

    void keysSharingAPositionChangeTogether()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.setKeyboardKeyInfo(0, 11, 4, 0, 2);
        QCOMPARE(layer(config, 0), QString("2 2 4 -"));
        QCOMPARE(layer(config, 1), QString("4 4 4 -"));
        config.setKeyboardKeyInfo(1, 10, 2, 0x01, 0x83);
        QCOMPARE(layer(config, 1), QString("83 83 4 -"));
        QCOMPARE(config.getKeyboardKeyInfo(1, 11)->hValue, uchar(1));
        config.setKeyboardKeyInfo(0, 12, 0, 0, 0x20);
        QCOMPARE(layer(config, 0), QString("2 2 20 -"));

        // Nothing is created or changed where something is missing.
        config.keyboardFn1KeyMap.remove(11);
        config.setKeyboardKeyInfo(2, 10, 3, 0, 1); // no such layer
        config.setKeyboardKeyInfo(0, 99, 3, 0, 1); // no position
        config.setKeyboardKeyInfo(0, 13, 3, 0, 1); // position without function
        config.setKeyboardKeyInfo(1, 10, 3, 0, 1); // 11 has no record on layer 1
        QCOMPARE(layer(config, 0), QString("2 2 20 -"));
        QCOMPARE(layer(config, 1), QString("1 - 4 -"));
        QVERIFY(!config.getKeyboardKeyInfo(2, 10));
    }

    void factoryFunctions()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.defaultKeyList = {factoryKey(10, 0x2C), factoryKey(12, 0x29), factoryKey(10, 0x05)};
        config.defaultFn1KeyList = {factoryKey(10, 0xF8, 5)};
        config.setKeyboardDefaultKeyInfo(11, 0); // no factory record of its own
        QCOMPARE(layer(config, 0), QString("4 4 4 -"));
        config.setKeyboardDefaultKeyInfo(10, 0); // the first match
        QCOMPARE(layer(config, 0), QString("2c 2c 4 -"));
        config.setKeyboardDefaultKeyInfo(10, 1);
        QCOMPARE(layer(config, 1), QString("f8 f8 4 -"));
        QCOMPARE(config.getKeyboardKeyInfo(1, 11)->type, uchar(5));
        config.keyPositionMap.remove(12);
        config.setKeyboardDefaultKeyInfo(12, 0); // factory record without position
        config.setKeyboardDefaultKeyInfo(12, 1); // no factory record on that layer
        QCOMPARE(layer(config, 0) + " " + layer(config, 1), QString("2c 2c 4 - f8 f8 4 -"));
    }

    // Forgetting the keyboard keeps what the next read overwrites anyway: its reported identity,
    // the active profile, the board parameters and the effect names.
    void resetForgetsTheKeyboard()
    {
        KeyboardConfigUtil config;
        fillSharedLayout(config);
        config.productInfo = QSharedPointer<PRODUCT_INFO>::create();
        config.defaultKeyList = {factoryKey(10, 0x04)};
        config.defaultFn1KeyList = {factoryKey(10, 0x04)};
        config.keyboardConfigList.append(QSharedPointer<KEYBOARD_CONFIG_INFO>::create());
        config.keyboardCustomLightMap.insert(10, QSharedPointer<KEYBOARD_CUSTOM_LIGHT>::create());
        config.keyboardEffectLightNameMap.insert(1, QSharedPointer<KEYBOARD_EFFECT_LIGHT_NAME>::create());
        config.keyboardEffectLightMap.insert(1, QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create());
        config.keyboardHighKeyList = {slot(0, 0, 10)};
        for (MacroList &macro : config.keyboardMacroList)
            macro.append(QSharedPointer<KEYBOARD_MACRO_INFO>::create());
        config.keyboardTriggerMap.insert(10, QSharedPointer<KEYBOARD_TRIGGER_INFO>::create());
        config.currentConfigIndex = 2;
        config.keyboardProductInfo->serialNumber = 0x1234;
        config.keyboardParams->pollingRate = 3;
        const auto identity = config.keyboardProductInfo;
        const auto params = config.keyboardParams;

        config.resetKeyboardConfig();
        qsizetype macroSteps = 0;
        for (const MacroList &macro : config.keyboardMacroList)
            macroSteps += macro.size();
        // product, positions, factory layers, profiles, lights, effects, key layers, advanced keys,
        // macro steps, triggers; then the effect names
        QCOMPARE(QList<qsizetype>({qsizetype(bool(config.productInfo)), config.keyPositionMap.size(),
                                   config.defaultKeyList.size(), config.defaultFn1KeyList.size(),
                                   config.keyboardConfigList.size(), config.keyboardCustomLightMap.size(),
                                   config.keyboardEffectLightMap.size(), config.keyboardKeyMap.size(),
                                   config.keyboardFn1KeyMap.size(), config.keyboardHighKeyList.size(), macroSteps,
                                   config.keyboardTriggerMap.size(), config.keyboardEffectLightNameMap.size()}),
                 QList<qsizetype>({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
        QVERIFY(config.keyboardProductInfo == identity && identity->serialNumber == 0x1234);
        QVERIFY(config.keyboardParams == params && params->pollingRate == 3);
        QCOMPARE(config.currentConfigIndex, uchar(2));
    }

    void newAdvancedKeys_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("keyItem");
        QTest::addColumn<QByteArray>("record"); // item, kind, key, then the 17 data bytes
        QTest::newRow("TGL") << 0 << 255 << QByteArray::fromHex("ff00ff" "ffffff00000000000000000000000000" "00");
        QTest::newRow("MT") << 1 << 255 << QByteArray::fromHex("ff01ff" "ff5000ffffffffffff00000000000000" "00");
        QTest::newRow("DKS") << 2 << 255 << QByteArray::fromHex("ff02ff" "00ffffff00ffffff00ffffff00ffffff" "00");
        QTest::newRow("RS") << 3 << 17 << QByteArray::fromHex("ff0311" "ff000000000000000000000000000000" "00");
        QTest::newRow("OKS") << 4 << 17 << QByteArray::fromHex("ff0411" "ff000000000000000000000000000000" "00");
        QTest::newRow("SOCD") << 5 << 30 << QByteArray::fromHex("ff051e" "ff000000000000000000000000000000" "00");
        QTest::newRow("no such kind") << 6 << 30 << QByteArray();
    }

    void newAdvancedKeys()
    {
        QFETCH(int, kind);
        QFETCH(int, keyItem);
        QFETCH(QByteArray, record);
        const auto created = KeyboardConfigUtil::createHighKey(uchar(kind), uchar(keyItem));
        QCOMPARE(created ? bytesOf(*created) : QByteArray(), record);
    }

    // The sizes of the key code lists and the key pickers.
    void listSizes()
    {
        QCOMPARE(QList<qsizetype>({gKeyCodeList.size(), gControlKeyCodeList.size(), gMediaKeyCodeList.size(),
                                   gMacroKeyCodeList.size(), gHighKeyCodeList.size(), gInternalKeyCodeList.size()}),
                 QList<qsizetype>({109, 8, 21, 10, 6, 25}));
        QCOMPARE(QList<qsizetype>({gNormalKeyboardList.size(), gSystemKeyboardList.size(), gMacroKeyboardList.size(),
                                   gEffectKeyboardList.size(), gExtendKeyboardList.size()}),
                 QList<qsizetype>({104, 20, 10, 10, 13}));
    }

    // Display entries of single key functions, written out in full: a code that is wrong alike in
    // the code lists and the pickers shows here.
    void displayEntries_data()
    {
        QTest::addColumn<QList<int>>("function"); // type, hValue, lValue
        QTest::addColumn<QString>("entry");       // isImage|label|icon|tooltip key, or empty for none
        QTest::newRow("keypad Enter") << QList<int>{1, 0, 0x58} << "0|Enter||keyboard/key/numEnter";
        QTest::newRow("Enter") << QList<int>{1, 0, 0x28} << "0|Enter||keyboard/key/enter";
        QTest::newRow("^6, hValue ignored") << QList<int>{1, 0x02, 0x23} << "0|^6||keyboard/key/6";
        QTest::newRow("quote") << QList<int>{1, 0, 0x34} << "0|\"'||keyboard/key/comma";
        QTest::newRow("keypad 0") << QList<int>{1, 0, 0x62} << "0|0||keyboard/key/num0";
        QTest::newRow("F24") << QList<int>{1, 0, 0x73} << "0|F24||keyboard/key/f24";
        QTest::newRow("left Win") << QList<int>{0, 0, 0x08} << "0|Left Win||keyboard/control/leftWin";
        QTest::newRow("right Ctrl") << QList<int>{0, 0, 0x10} << "0|Right Ctrl||keyboard/control/rightCtrl";
        QTest::newRow("right Shift") << QList<int>{0, 0, 0x20} << "0|Right Shift||keyboard/control/rightShirt";
        QTest::newRow("right Alt") << QList<int>{0, 0, 0x40} << "0|Right Alt||keyboard/control/rightAlt";
        QTest::newRow("right Win") << QList<int>{0, 0, 0x80} << "0|Right Win||keyboard/control/rightWin";
        QTest::newRow("back") << QList<int>{2, 0x00, 0xB4} << "1||system_key_back.png|keyboard/media/back";
        QTest::newRow("player") << QList<int>{2, 0x01, 0x83} << "1||system_key_player.png|keyboard/media/player";
        QTest::newRow("home") << QList<int>{2, 0x02, 0x23} << "1||system_key_home.png|keyboard/media/home";
        QTest::newRow("home without high byte") << QList<int>{2, 0x00, 0x23} << "";
        QTest::newRow("M10") << QList<int>{3, 0, 9} << "0|M10||keyboard/macro/m10";
        QTest::newRow("SOCD") << QList<int>{4, 0, 5} << "1||key_socd.png|keyboard/high/socd";
        QTest::newRow("Fn") << QList<int>{5, 0, 0xFE} << "0|Fn||keyboard/internal/fn1";
        QTest::newRow("calibration") << QList<int>{5, 0, 0xF7} << "1|校准|extend_key_calibration.png|keyboard/internal/calibration";
        QTest::newRow("no usage 0x64") << QList<int>{1, 0, 0x64} << "";
        QTest::newRow("no function 0xF0") << QList<int>{5, 0, 0xF0} << "";
        QTest::newRow("disabled") << QList<int>{0xFF, 0xFF, 0xFF} << "";
        QTest::newRow("no type 6") << QList<int>{6, 0, 0} << "";
    }

    void displayEntries()
    {
        QFETCH(QList<int>, function);
        QFETCH(QString, entry);
        const KEY_CODE_INFO *found = global_getKeyLabel(uchar(function[0]), uchar(function[1]), uchar(function[2]));
        QCOMPARE(found ? QStringList({QString::number(found->isImage), found->label, found->iconFile, found->tipKey}).join('|')
                       : QString(),
                 entry);
    }

    // Picker keys, written out in full: place, size, key function, name.
    void pickerKeys_data()
    {
        QTest::addColumn<const PickerList *>("picker");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key"); // x,y wxh type/hValue/lValue label
        QTest::newRow("keypad +") << &gNormalKeyboardList << 57 << "1056,96 44x90 1/0/57 +";
        QTest::newRow("Shirt") << &gNormalKeyboardList << 85 << "590,192 126x44 0/0/20 Shirt";
        QTest::newRow("keypad ENTER") << &gNormalKeyboardList << 90 << "1056,192 44x90 1/0/58 ENTER";
        QTest::newRow("SPACE") << &gNormalKeyboardList << 94 << "198,240 278x44 1/0/2c SPACE";
        QTest::newRow("Right Alt") << &gNormalKeyboardList << 95 << "480,240 55x44 0/0/40 Right Alt";
        QTest::newRow("Right Win") << &gNormalKeyboardList << 96 << "539,240 55x44 0/0/80 Right Win";
        QTest::newRow("Right Ctrl") << &gNormalKeyboardList << 98 << "659,240 57x44 0/0/10 Right Ctrl";
        QTest::newRow("mail") << &gSystemKeyboardList << 19 << "486,54 44x44 2/1/8a ";
        QTest::newRow("M10") << &gMacroKeyboardList << 9 << "486,0 44x44 3/0/9 ";
        QTest::newRow("lighting off") << &gEffectKeyboardList << 9 << "486,0 44x44 5/0/e6 ";
        QTest::newRow("PF+") << &gExtendKeyboardList << 6 << "324,0 44x44 5/0/df ";
        QTest::newRow("PF-") << &gExtendKeyboardList << 7 << "0,54 44x44 5/0/de ";
    }

    void pickerKeys()
    {
        QFETCH(const PickerList *, picker);
        QFETCH(int, index);
        QFETCH(QString, key);
        QVERIFY(index < picker->size());
        const KEYBOARD_LIST_INFO &found = picker->at(index);
        QCOMPARE(found.index, uchar(index));
        QCOMPARE(QString("%1,%2 %3x%4 %5/%6/%7 %8").arg(found.x).arg(found.y).arg(found.width).arg(found.height)
                     .arg(found.type).arg(found.hValue, 0, 16).arg(found.lValue, 0, 16).arg(found.label),
                 key);
    }

    // Every picker key names a key function with a display entry, whose code leads back to the
    // key; keys of one picker do not overlap; full-keyboard keys are found by their function.
    void pickerKeysRoundTrip_data()
    {
        QTest::addColumn<const PickerList *>("picker");
        QTest::newRow("keyboard") << &gNormalKeyboardList;
        QTest::newRow("media") << &gSystemKeyboardList;
        QTest::newRow("macros") << &gMacroKeyboardList;
        QTest::newRow("lighting") << &gEffectKeyboardList;
        QTest::newRow("functions") << &gExtendKeyboardList;
    }

    void pickerKeysRoundTrip()
    {
        QFETCH(const PickerList *, picker);
        QVERIFY(!picker->isEmpty());
        for (int i = 0; i < picker->size(); ++i) {
            const KEYBOARD_LIST_INFO &key = picker->at(i);
            const QString where = QString("key %1 (%2, %3, %4)").arg(i).arg(key.type).arg(key.hValue).arg(key.lValue);
            const KEY_CODE_INFO *entry = global_getKeyLabel(key.type, key.hValue, key.lValue);
            QVERIFY2(entry, qPrintable(where));
            QCOMPARE(entry->code, key.type == KeyTypeMedia ? quint16(key.hValue << 8 | key.lValue) : quint16(key.lValue));
            if (picker == &gNormalKeyboardList)
                QVERIFY2(global_getNormalKeyboard(key.type, key.hValue, key.lValue) == &key, qPrintable(where));
            for (int j = i + 1; j < picker->size(); ++j) {
                const KEYBOARD_LIST_INFO &other = picker->at(j);
                QVERIFY2(!QRect(key.x, key.y, key.width, key.height).intersects(QRect(other.x, other.y, other.width, other.height)),
                         qPrintable(where + " overlaps " + QString::number(j)));
            }
        }
    }

    void keyEventTranslation_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("lValue");
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << true << 0 << 1 << 0x56;
        QTest::newRow("keypad full stop") << int(Qt::Key_Period) << true << 0 << 1 << 0x37;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true << 0 << 1 << 0x58;
        QTest::newRow("Z on keypad") << int(Qt::Key_Z) << true << 0 << 1 << 0x1D;
        QTest::newRow("right shift") << int(Qt::Key_Shift) << true << 54 << 0 << 0x20;
        QTest::newRow("right shift, X11") << int(Qt::Key_Shift) << false << 62 << 0 << 0x20;
        QTest::newRow("right ctrl") << int(Qt::Key_Control) << false << 57373 << 0 << 0x10;
        QTest::newRow("right meta, X11") << int(Qt::Key_Meta) << false << 134 << 0 << 0x80;
        QTest::newRow("right alt") << int(Qt::Key_Alt) << false << 57400 << 0 << 0x40;
        QTest::newRow("AltGr") << int(Qt::Key_AltGr) << false << 108 << 0xFF << 0;
        // Held Shift names the symbol; the key beneath it is recorded.
        QTest::newRow("shift+1") << int(Qt::Key_Exclam) << false << 10 << 1 << 0x1E;
        QTest::newRow("shift+8") << int(Qt::Key_Asterisk) << false << 17 << 1 << 0x25;
        QTest::newRow("keypad asterisk") << int(Qt::Key_Asterisk) << true << 63 << 1 << 0x55;
        QTest::newRow("shift+/") << int(Qt::Key_Question) << false << 61 << 1 << 0x38;
        QTest::newRow("shift+tab") << int(Qt::Key_Backtab) << false << 23 << 1 << 0x2B;
    }

    void keyEventTranslation()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(int, scanCode);
        QFETCH(int, type);
        QFETCH(int, lValue);
        const KEYBOARD_MACRO_INFO info = global_qtKeyboardConvert(key, keypad, scanCode);
        QCOMPARE(int(info.type), type);
        if (type != 0xFF)
            QCOMPARE(int(info.lValue), lValue);
        QCOMPARE(int(info.state) + int(info.hValue) + int(info.time), 0);
    }

    // F1 to F12 are recorded as themselves, each under its own name.
    void functionKeysRecordThemselves()
    {
        for (int n = 1; n <= 12; ++n) {
            const KEYBOARD_MACRO_INFO info = global_qtKeyboardConvert(Qt::Key_F1 + n - 1, false, 0);
            const KEY_CODE_INFO *entry = global_getKeyLabel(info.type, info.hValue, info.lValue);
            const KEYBOARD_LIST_INFO *pickerKey = global_getNormalKeyboard(info.type, info.hValue, info.lValue);
            QCOMPARE(QString("%1/%2 %3 %4").arg(info.type).arg(info.lValue, 0, 16)
                         .arg(entry ? entry->label : QString(), pickerKey ? pickerKey->label : QString()),
                     QString("1/%1 F%2 F%2").arg(0x39 + n, 0, 16).arg(n));
        }
    }

    // Whatever a key event becomes can be shown and picked.
    void translatedKeysCanBeNamed()
    {
        int translated = 0;
        for (int key = 0x20; key <= 0x01000060; key = key == 0x7E ? 0x01000000 : key + 1) {
            for (int scan : {0, 54, 57373, 57436, 57400}) {
                for (bool keypad : {false, true}) {
                    const KEYBOARD_MACRO_INFO info = global_qtKeyboardConvert(key, keypad, scan);
                    translated += info.type != 0xFF;
                    QVERIFY2(info.type == 0xFF || (global_getKeyLabel(info.type, info.hValue, info.lValue)
                                                   && global_getNormalKeyboard(info.type, info.hValue, info.lValue)),
                             qPrintable(QString("key 0x%1").arg(key, 0, 16)));
                }
            }
        }
        QVERIFY(translated > 100);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardConfigUtil)
#include "tst_keyboardconfigutil.moc"
