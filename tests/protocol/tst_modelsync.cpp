#include "model/KeyboardConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"

#include <QRegularExpression>
#include <QtTest>

namespace {
constexpr uchar KeyPage = UsbCommunicateUtil::SourceKeyPage;

template<typename Record>
QSharedPointer<Record> record(uchar key)
{
    auto r = QSharedPointer<Record>::create();
    r->keyItem = key;
    return r;
}

QSharedPointer<KEYBOARD_TRIGGER_INFO> travel(uchar key, quint16 trigger, quint16 press)
{
    auto info = record<KEYBOARD_TRIGGER_INFO>(key);
    info->trigger = trigger;
    info->model = true;
    info->quickTrigger = press;
    info->resetTrigger = press;
    return info;
}
} // namespace

// The copies of the protocol's holding members into the keyboard model. The link stays closed:
// the requests only fill their holding members.
class TestModelSync : public QObject
{
    Q_OBJECT
private:
    QSharedPointer<UsbCommunicateUtil> protocol;

private Q_SLOTS:
    void init()
    {
        gKeyboardConfig = QSharedPointer<KeyboardConfigUtil>::create();
        protocol = QSharedPointer<UsbCommunicateUtil>::create();
        for (uchar key : {1, 2, 3}) {
            gKeyboardConfig->keyboardKeyMap.insert(key, record<KEYBOARD_KEY_INFO>(key));
            gKeyboardConfig->keyboardCustomLightMap.insert(key, record<KEYBOARD_CUSTOM_LIGHT>(key));
            gKeyboardConfig->keyboardTriggerMap.insert(key, travel(key, 120, 30));
        }
    }

    void cleanup()
    {
        protocol.reset();
        gKeyboardConfig.reset();
    }

    void recordUpdatesSkipKeysTheModelLacks()
    {
        KEYBOARD_EFFECT_LIGHT colour;
        colour.light = 4;
        colour.colorG = 0x99;
        protocol->usb_set_custom_light(KeyPage, false, colour, {2, 200});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncModifyCustomLight.*\\{200\\}"));
        protocol->syncModifyCustomLight();
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.value(2)->colorG, uchar(0x99));
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.size(), 3); // nothing was added
        protocol->syncModifyCustomLight(); // the key list was used up: nothing happens, nothing is logged

        KEYBOARD_TRIGGER_INFO actuation;
        actuation.trigger = 250;
        protocol->usb_set_trigger_config(KeyPage, false, actuation, {9, 3});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncModifyTriggerConfig.*\\{9\\}"));
        protocol->syncModifyTriggerConfig();
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(3)->trigger, quint16(250));
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(3)->quickTrigger, quint16(30));

        protocol->usb_set_quick_trigger_config(KeyPage, false, {travel(1, 999, 77), travel(50, 1, 1), {}});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncModifyQuickTriggerConfig.*\\{50\\}"));
        protocol->syncModifyQuickTriggerConfig();
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(1)->quickTrigger, quint16(77));
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(1)->trigger, quint16(120));

        KeyInfoMap keys{{3, record<KEYBOARD_KEY_INFO>(3)}, {77, record<KEYBOARD_KEY_INFO>(77)}};
        keys[3]->type = 2;
        protocol->usb_set_keyboard_config(KeyPage, false, 0, keys);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncSetKeyboardConfig.*\\{77\\}"));
        protocol->syncSetKeyboardConfig(0);
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(3)->type, uchar(2));
        QVERIFY(!gKeyboardConfig->keyboardKeyMap.contains(77));

        KEYBOARD_EFFECT_LIGHT missing;
        missing.item = 6;
        protocol->usb_set_effect_light(KeyPage, false, missing);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("syncModifyEffectLight.*\\{6\\}"));
        protocol->syncModifyEffectLight();
        QVERIFY(gKeyboardConfig->keyboardEffectLightMap.isEmpty());
    }

    void otherLayersChangeNothing()
    {
        KeyInfoMap keys{{1, record<KEYBOARD_KEY_INFO>(1)}};
        keys[1]->lValue = 0x2C;
        protocol->usb_set_keyboard_config(KeyPage, false, 0, keys);
        const KeyInfoMap before = gKeyboardConfig->keyboardKeyMap;
        protocol->syncKeyboardConfig(2);
        protocol->syncSetKeyboardConfig(2);
        QCOMPARE(gKeyboardConfig->keyboardKeyMap, before);
        QVERIFY(gKeyboardConfig->keyboardFn1KeyMap.isEmpty());
        // The holding map is still there for layer 0.
        protocol->syncKeyboardConfig(0);
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.keys(), QList<uchar>{1});
        QCOMPARE(gKeyboardConfig->keyboardKeyMap.value(1)->lValue, uchar(0x2C));
    }

    void blockCopiesMoveTheirContainers()
    {
        TriggerMap map{{7, travel(7, 1, 1)}, {8, travel(8, 2, 2)}};
        protocol->usb_set_trigger_config_all(KeyPage, false, map);
        protocol->syncTriggerConfig();
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.keys(), (QList<uchar>{7, 8}));
        QCOMPARE(gKeyboardConfig->keyboardTriggerMap.value(7), map.value(7)); // the same record
        // Nothing new came: a second copy empties the model's map.
        protocol->syncTriggerConfig();
        QVERIFY(gKeyboardConfig->keyboardTriggerMap.isEmpty());

        protocol->syncCustomLight();
        QVERIFY(gKeyboardConfig->keyboardCustomLightMap.isEmpty());
        gKeyboardConfig->keyboardConfigList.append(QSharedPointer<KEYBOARD_CONFIG_INFO>::create());
        gKeyboardConfig->currentConfigIndex = 5;
        protocol->usb_switch_config_table(KeyPage, false, 2);
        protocol->syncConfigInfo();
        QVERIFY(gKeyboardConfig->keyboardConfigList.isEmpty());
        QCOMPARE(gKeyboardConfig->currentConfigIndex, uchar(2));
    }

    void advancedKeysAndMacros()
    {
        gKeyboardConfig->keyboardHighKeyList.append(QSharedPointer<HIGH_KEY_INFO>::create());
        protocol->syncHighKey();
        QVERIFY(gKeyboardConfig->keyboardHighKeyList.isEmpty());

        for (MacroList &macro : gKeyboardConfig->keyboardMacroList)
            macro.append(QSharedPointer<KEYBOARD_MACRO_INFO>::create());
        protocol->syncMacroConfig(10);
        for (const MacroList &macro : std::as_const(gKeyboardConfig->keyboardMacroList))
            QCOMPARE(macro.size(), 1);
        protocol->syncMacroConfig(9);
        QVERIFY(gKeyboardConfig->keyboardMacroList[9].isEmpty());
        QCOMPARE(gKeyboardConfig->keyboardMacroList[8].size(), 1);
    }

    void noModelNoCopy()
    {
        gKeyboardConfig.reset();
        protocol->usb_set_custom_light(KeyPage, false, KEYBOARD_EFFECT_LIGHT(), {1});
        protocol->syncModifyCustomLight();
        protocol->syncCustomLight();
        protocol->syncKeyboardConfig(0);
        protocol->syncHighKey();
        protocol->syncMacroConfig(0);
    }

    void wholeCharacters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("length");
        QTest::newRow("ASCII") << QByteArray("abcdef") << 4 << 4;
        QTest::newRow("two-byte cut") << QString("aé").toUtf8() << 2 << 1;
        QTest::newRow("two-byte whole") << QString("aé").toUtf8() << 3 << 3;
        QTest::newRow("three-byte cut after one") << QString("中中").toUtf8() << 4 << 3;
        QTest::newRow("three-byte cut after two") << QString("中中").toUtf8() << 5 << 3;
        QTest::newRow("four-byte cut") << QString("a😀").toUtf8() << 4 << 1;
        QTest::newRow("four-byte whole") << QString("a😀").toUtf8() << 5 << 5;
        QTest::newRow("stray continuation bytes stay") << QByteArray("a\x80\x80", 3) << 3 << 3;
        QTest::newRow("nothing") << QByteArray("abc") << 0 << 0;
    }

    void wholeCharacters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxBytes);
        QFETCH(int, length);
        QCOMPARE(UsbCommunicateUtil::utf8WholeCharacters(bytes.constData(), int(bytes.size()), maxBytes), length);
    }

    void languageByteWithoutSettings()
    {
        QCOMPARE(UsbCommunicateUtil::effectLanguageByte(), uchar(1));
    }
};

QTEST_GUILESS_MAIN(TestModelSync)
#include "tst_modelsync.moc"
