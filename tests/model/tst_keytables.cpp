#include "model/KeyCodeTables.h"
#include "model/KeyHelpers.h"

#include <QRect>
#include <QSet>
#include <QtTest>

namespace {
using CodeList = QList<KEY_CODE_INFO>;
using PickerList = QList<KEYBOARD_LIST_INFO>;

const CodeList &codeListOfType(int type)
{
    static const CodeList *const lists[] = {&gControlKeyCodeList, &gKeyCodeList,
                                            &gMediaKeyCodeList,   &gMacroKeyCodeList,
                                            &gHighKeyCodeList,    &gInternalKeyCodeList};
    return *lists[type];
}

const PickerList *const kPickers[] = {&gNormalKeyboardList, &gSystemKeyboardList,
                                      &gMacroKeyboardList, &gEffectKeyboardList,
                                      &gExtendKeyboardList};

// The key function that a code list entry of this type stands for.
void functionOf(int type, const KEY_CODE_INFO &entry, uchar &hValue, uchar &lValue)
{
    hValue = type == KeyTypeMedia ? uchar(entry.code >> 8) : 0;
    lValue = uchar(entry.code & 0xFF);
}

bool inAnyPicker(int type, uchar hValue, uchar lValue)
{
    for (const PickerList *picker : kPickers) {
        for (const KEYBOARD_LIST_INFO &key : *picker) {
            if (key.type == type && key.hValue == hValue && key.lValue == lValue)
                return true;
        }
    }
    return false;
}
} // namespace

class TestKeyTables : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listSizes()
    {
        QCOMPARE(gControlKeyCodeList.size(), 8);
        QCOMPARE(gKeyCodeList.size(), 109);
        QCOMPARE(gMediaKeyCodeList.size(), 21);
        QCOMPARE(gMacroKeyCodeList.size(), 10);
        QCOMPARE(gHighKeyCodeList.size(), 6);
        QCOMPARE(gInternalKeyCodeList.size(), 25);
        QCOMPARE(gNormalKeyboardList.size(), 104);
        QCOMPARE(gSystemKeyboardList.size(), 20);
        QCOMPARE(gMacroKeyboardList.size(), 10);
        QCOMPARE(gEffectKeyboardList.size(), 10);
        QCOMPARE(gExtendKeyboardList.size(), 13);
    }

    void codeListEntriesAreWellFormed()
    {
        QSet<QString> tipKeys;
        for (int type = 0; type <= 5; ++type) {
            QSet<quint16> codes;
            for (const KEY_CODE_INFO &entry : codeListOfType(type)) {
                const QString where = QString("type %1 code 0x%2").arg(type).arg(entry.code, 0, 16);
                // Codes are unique within a list, so the first match is the only one.
                QVERIFY2(!codes.contains(entry.code), qPrintable(where));
                codes.insert(entry.code);
                QVERIFY2(entry.isImage <= 1, qPrintable(where));
                if (entry.isImage == 1)
                    QVERIFY2(entry.iconFile.endsWith(".png"), qPrintable(where));
                else
                    QVERIFY2(!entry.label.isEmpty() && entry.iconFile.isEmpty(), qPrintable(where));
                QVERIFY2(entry.tipKey.startsWith("keyboard/"), qPrintable(where));
                QVERIFY2(!tipKeys.contains(entry.tipKey), qPrintable(entry.tipKey));
                tipKeys.insert(entry.tipKey);
                if (type != KeyTypeMedia)
                    QVERIFY2(entry.code <= 0xFF, qPrintable(where));
            }
        }
        // Keyboard usages lie on the keyboard page: A (0x04) to F24 (0x73).
        for (const KEY_CODE_INFO &entry : gKeyCodeList)
            QVERIFY(entry.code >= 0x04 && entry.code <= 0x73);
        // One modifier bit each.
        for (const KEY_CODE_INFO &entry : gControlKeyCodeList)
            QVERIFY(entry.code != 0 && (entry.code & (entry.code - 1)) == 0);
    }

    void pickerGeometry()
    {
        for (const PickerList *picker : kPickers) {
            for (int i = 0; i < picker->size(); ++i) {
                const KEYBOARD_LIST_INFO &key = picker->at(i);
                QCOMPARE(int(key.index), i);
                QVERIFY(key.width >= 44 && key.height >= 44);
                // Only the full keyboard names its keys.
                QCOMPARE(key.label.isEmpty(), picker != &gNormalKeyboardList);
            }
            // No two keys of one picker overlap.
            for (int i = 0; i < picker->size(); ++i) {
                const KEYBOARD_LIST_INFO &a = picker->at(i);
                const QRect ra(a.x, a.y, a.width, a.height);
                for (int j = i + 1; j < picker->size(); ++j) {
                    const KEYBOARD_LIST_INFO &b = picker->at(j);
                    QVERIFY2(!ra.intersects(QRect(b.x, b.y, b.width, b.height)),
                             qPrintable(QString("keys %1 and %2").arg(i).arg(j)));
                }
            }
        }

        int right = 0, bottom = 0, widest = 0;
        QString widestLabel;
        for (const KEYBOARD_LIST_INFO &key : gNormalKeyboardList) {
            QVERIFY(key.y % 48 == 0 && key.y <= 240);
            QVERIFY(key.type == KeyTypeModifier || key.type == KeyTypeKeyboard);
            QCOMPARE(int(key.hValue), 0);
            right = qMax(right, key.x + key.width);
            bottom = qMax(bottom, key.y + key.height);
            if (key.width > widest) {
                widest = key.width;
                widestLabel = key.label;
            }
        }
        QCOMPARE(right, 1100);
        QCOMPARE(bottom, 284);
        QCOMPARE(widestLabel, QString("SPACE"));
        QCOMPARE(widest, 278);

        // Media, macro and lighting pickers ten to a row, the extra functions seven.
        QCOMPARE(gSystemKeyboardList.last().y, 54);
        QCOMPARE(gSystemKeyboardList.at(10).x, 0);
        QCOMPARE(gExtendKeyboardList.at(6).x, 324);
        QCOMPARE(gExtendKeyboardList.at(7).x, 0);
        QCOMPARE(gExtendKeyboardList.at(7).y, 54);
        QCOMPARE(gExtendKeyboardList.at(7).lValue, uchar(0xDE));
        QCOMPARE(gExtendKeyboardList.last().x, 270);
    }

    // Every key a picker offers has a display entry; every full-keyboard key is found again by
    // its own key function.
    void everyPickerKeyResolves()
    {
        for (const PickerList *picker : kPickers) {
            for (const KEYBOARD_LIST_INFO &key : *picker) {
                const KEY_CODE_INFO *entry = global_getKeyLabel(key.type, key.hValue, key.lValue);
                QVERIFY2(entry, qPrintable(QString("(%1, %2, %3)").arg(key.type).arg(key.hValue).arg(key.lValue)));
            }
        }
        for (const KEYBOARD_LIST_INFO &key : gNormalKeyboardList)
            QCOMPARE(global_getNormalKeyboard(key.type, key.hValue, key.lValue), &key);
    }

    // Every key function of the code lists can be picked, except those known to have no key.
    void everyCodeCanBePicked()
    {
        for (int type = 0; type <= 5; ++type) {
            for (const KEY_CODE_INFO &entry : codeListOfType(type)) {
                uchar hValue, lValue;
                functionOf(type, entry, hValue, lValue);
                const bool withoutKey = type == KeyTypeHighKey
                    || (type == KeyTypeKeyboard && (entry.code == 0x32 || entry.code >= 0x68))
                    || (type == KeyTypeMedia && entry.code == 0x022A)
                    || (type == KeyTypeInternal && (entry.code == 0xFD || entry.code == 0xFC));
                QVERIFY2(inAnyPicker(type, hValue, lValue) != withoutKey,
                         qPrintable(QString("type %1 code 0x%2").arg(type).arg(entry.code, 0, 16)));
                // And the lookup finds the entry itself.
                QCOMPARE(global_getKeyLabel(uchar(type), hValue, lValue), &entry);
            }
        }
    }

    void keypadFullStopHasItsOwnKey()
    {
        const KEYBOARD_LIST_INFO *stop = global_getNormalKeyboard(1, 0, 0x63);
        QVERIFY(stop);
        QCOMPARE(int(stop->index), 103);
        QCOMPARE(stop->label, QString("."));
        QCOMPARE(QRect(stop->x, stop->y, stop->width, stop->height), QRect(1008, 240, 44, 44));

        const KEYBOARD_LIST_INFO *minus = global_getNormalKeyboard(1, 0, 0x56);
        QVERIFY(minus);
        QCOMPARE(int(minus->index), 36);
        QCOMPARE(QPoint(minus->x, minus->y), QPoint(1056, 48));
    }

    void keyLabelLookup()
    {
        QVERIFY(!global_getKeyLabel(0xFF, 0xFF, 0xFF));
        QVERIFY(!global_getKeyLabel(6, 0, 0));
        QVERIFY(!global_getKeyLabel(4, 0, 255));
        QVERIFY(!global_getKeyLabel(1, 0, 0x64));
        QVERIFY(!global_getKeyLabel(5, 0, 0xF0));
        QVERIFY(!global_getKeyLabel(3, 0, 10));

        const KEY_CODE_INFO *dks = global_getKeyLabel(4, 0, 2);
        QVERIFY(dks);
        QCOMPARE(dks->iconFile, QString("key_dks.png"));

        // Media keys match on both bytes; other types ignore hValue.
        const KEY_CODE_INFO *home = global_getKeyLabel(2, 0x02, 0x23);
        QVERIFY(home);
        QCOMPARE(home->tipKey, QString("keyboard/media/home"));
        QVERIFY(!global_getKeyLabel(2, 0x00, 0x23));
        QVERIFY(!global_getKeyLabel(2, 0x00, 0x83));
        QCOMPARE(global_getKeyLabel(2, 0x01, 0x83)->iconFile, QString("system_key_player.png"));
        QCOMPARE(global_getKeyLabel(1, 0x02, 0x23)->label, QString("^6"));

        // Two entries are labelled "Enter": the code tells them apart.
        QCOMPARE(global_getKeyLabel(1, 0, 0x58)->tipKey, QString("keyboard/key/numEnter"));
        QCOMPARE(global_getKeyLabel(1, 0x05, 0x28)->tipKey, QString("keyboard/key/enter"));

        const KEY_CODE_INFO *calibration = global_getKeyLabel(5, 0, 0xF7);
        QVERIFY(calibration);
        QCOMPARE(int(calibration->isImage), 1);
        QCOMPARE(calibration->label, QString("校准"));
        QCOMPARE(calibration->iconFile, QString("extend_key_calibration.png"));

        QCOMPARE(global_getKeyLabel(3, 0, 9)->label, QString("M10"));
        QCOMPARE(global_getKeyLabel(1, 0, 0x34)->label, QString("\"'"));
    }

    void normalKeyboardLookup()
    {
        const KEYBOARD_LIST_INFO *shift = global_getNormalKeyboard(0, 0, 0x20);
        QVERIFY(shift);
        QCOMPARE(shift->label, QString("Shirt"));
        QVERIFY(!global_getNormalKeyboard(1, 0, 0x68));
        QVERIFY(!global_getNormalKeyboard(2, 0, 0xE9));
        QVERIFY(!global_getNormalKeyboard(3, 0, 0));
        // hValue is compared here.
        QVERIFY(!global_getNormalKeyboard(1, 1, 0x04));
    }

    void keyEventTranslation_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("lValue");

        QTest::newRow("minus") << int(Qt::Key_Minus) << false << 0 << 1 << 0x2D;
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << true << 0 << 1 << 0x56;
        QTest::newRow("slash") << int(Qt::Key_Slash) << false << 0 << 1 << 0x38;
        QTest::newRow("keypad slash") << int(Qt::Key_Slash) << true << 0 << 1 << 0x54;
        QTest::newRow("0") << int(Qt::Key_0) << false << 0 << 1 << 0x27;
        QTest::newRow("keypad 0") << int(Qt::Key_0) << true << 0 << 1 << 0x62;
        QTest::newRow("1") << int(Qt::Key_1) << false << 0 << 1 << 0x1E;
        QTest::newRow("keypad 1") << int(Qt::Key_1) << true << 0 << 1 << 0x59;
        QTest::newRow("9") << int(Qt::Key_9) << false << 0 << 1 << 0x26;
        QTest::newRow("keypad 9") << int(Qt::Key_9) << true << 0 << 1 << 0x61;
        QTest::newRow("keypad full stop") << int(Qt::Key_Period) << true << 0 << 1 << 0x37;
        QTest::newRow("main asterisk") << int(Qt::Key_Asterisk) << false << 0 << 1 << 0x55;
        QTest::newRow("main plus") << int(Qt::Key_Plus) << false << 0 << 1 << 0x57;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true << 0 << 1 << 0x58;
        QTest::newRow("return") << int(Qt::Key_Return) << false << 0 << 1 << 0x28;
        QTest::newRow("A") << int(Qt::Key_A) << false << 0 << 1 << 0x04;
        QTest::newRow("Z on keypad") << int(Qt::Key_Z) << true << 0 << 1 << 0x1D;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 0 << 1 << 0x3A;
        QTest::newRow("F12") << int(Qt::Key_F12) << false << 0 << 1 << 0x45;
        QTest::newRow("scroll lock") << int(Qt::Key_ScrollLock) << false << 0 << 1 << 0x47;
        QTest::newRow("menu") << int(Qt::Key_Menu) << false << 0 << 1 << 0x65;

        QTest::newRow("left shift") << int(Qt::Key_Shift) << false << 0 << 0 << 0x02;
        QTest::newRow("right shift") << int(Qt::Key_Shift) << false << 54 << 0 << 0x20;
        QTest::newRow("right shift, keypad set") << int(Qt::Key_Shift) << true << 54 << 0 << 0x20;
        QTest::newRow("left shift, X11") << int(Qt::Key_Shift) << false << 50 << 0 << 0x02;
        QTest::newRow("right shift, X11") << int(Qt::Key_Shift) << false << 62 << 0 << 0x20;
        QTest::newRow("left ctrl") << int(Qt::Key_Control) << false << 29 << 0 << 0x01;
        QTest::newRow("right ctrl") << int(Qt::Key_Control) << false << 57373 << 0 << 0x10;
        QTest::newRow("right ctrl, X11") << int(Qt::Key_Control) << false << 105 << 0 << 0x10;
        QTest::newRow("left meta") << int(Qt::Key_Meta) << false << 57435 << 0 << 0x08;
        QTest::newRow("right meta") << int(Qt::Key_Meta) << false << 57436 << 0 << 0x80;
        QTest::newRow("right meta, X11") << int(Qt::Key_Meta) << false << 134 << 0 << 0x80;
        QTest::newRow("left alt") << int(Qt::Key_Alt) << false << 56 << 0 << 0x04;
        QTest::newRow("right alt") << int(Qt::Key_Alt) << false << 57400 << 0 << 0x40;
        QTest::newRow("right alt, X11") << int(Qt::Key_Alt) << false << 108 << 0 << 0x40;

        QTest::newRow("exclamation mark") << int(Qt::Key_Exclam) << false << 0 << 0xFF << 0;
        QTest::newRow("lower-case code") << 0x61 << false << 0 << 0xFF << 0;
        QTest::newRow("colon") << int(Qt::Key_Colon) << false << 0 << 0xFF << 0;
        QTest::newRow("back-tab") << int(Qt::Key_Backtab) << false << 0 << 0xFF << 0;
        QTest::newRow("F13") << int(Qt::Key_F13) << false << 0 << 0xFF << 0;
        QTest::newRow("volume up") << int(Qt::Key_VolumeUp) << false << 0 << 0xFF << 0;
        QTest::newRow("AltGr") << int(Qt::Key_AltGr) << false << 108 << 0xFF << 0;
        QTest::newRow("unknown") << int(Qt::Key_unknown) << false << 0 << 0xFF << 0;
        QTest::newRow("negative") << -1 << true << -1 << 0xFF << 0;
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
        QCOMPARE(int(info.state), 0);
        QCOMPARE(int(info.hValue), 0);
        QCOMPARE(int(info.time), 0);
    }

    // Whatever a key event becomes can be shown and named: a display entry and a picker key.
    void translatedKeysCanBeNamed()
    {
        QList<int> keys;
        for (int key = 0x20; key <= 0x7E; ++key)
            keys.append(key);
        for (int key = 0x01000000; key <= 0x01000060; ++key)
            keys.append(key);
        int translated = 0;
        for (int key : keys) {
            for (bool keypad : {false, true}) {
                for (int scan : {0, 54, 57373, 57436, 57400}) {
                    const KEYBOARD_MACRO_INFO info = global_qtKeyboardConvert(key, keypad, scan);
                    if (info.type == 0xFF)
                        continue;
                    ++translated;
                    const QString where = QString("key 0x%1").arg(key, 0, 16);
                    QVERIFY2(global_getKeyLabel(info.type, info.hValue, info.lValue), qPrintable(where));
                    QVERIFY2(global_getNormalKeyboard(info.type, info.hValue, info.lValue), qPrintable(where));
                }
            }
        }
        QVERIFY(translated > 0);
    }
};

QTEST_GUILESS_MAIN(TestKeyTables)
#include "tst_keytables.moc"
