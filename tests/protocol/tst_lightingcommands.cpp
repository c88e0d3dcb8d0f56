#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "tests/protocol/LinkedKeyboard.h"
#include "emulator/EmulatedLightingCommands.h"
#include "tests/support/TestDataDir.h"

#include <QRegularExpression>
#include <QtTest>

namespace {
constexpr uchar LightPage = UsbCommunicateUtil::SourceLightPage;
constexpr uchar SyncConfig = UsbCommunicateUtil::SourceSyncConfig;
constexpr uchar Import = UsbCommunicateUtil::SourceImport;
using Lighting = EmulatedLightingCommands;

CustomLightMap coloursFor(const QList<uchar> &keys)
{
    CustomLightMap map;
    for (uchar key : keys) {
        auto light = QSharedPointer<KEYBOARD_CUSTOM_LIGHT>::create();
        light->keyItem = key;
        light->light = uchar(key % 5);
        light->colorR = key;
        light->colorG = uchar(255 - key);
        light->colorB = uchar(key * 3);
        map.insert(key, light);
    }
    return map;
}

KEYBOARD_EFFECT_LIGHT effect(uchar item, uchar flags, uchar light, uchar speed, uchar full, uchar r, uchar g, uchar b)
{
    KEYBOARD_EFFECT_LIGHT e;
    e.item = item;
    e.functionFlag = flags;
    e.light = light;
    e.speed = speed;
    e.fullColor = full;
    e.colorR = r;
    e.colorG = g;
    e.colorB = b;
    return e;
}

bool readCustomLight(LinkedKeyboard &link)
{
    const bool done = runToLastFrame(link, &UsbCommunicateUtil::usb_receive_custom_light,
                                     [&link] { link.protocol().usb_get_custom_light(SyncConfig, true); });
    link.protocol().syncCustomLight();
    return done;
}

bool readEffects(LinkedKeyboard &link)
{
    const bool done = runToLastFrame(link, &UsbCommunicateUtil::usb_receive_effect_light,
                                     [&link] { link.protocol().usb_get_effect_light(SyncConfig, true, 0xFF); });
    link.protocol().syncEffectLight();
    return done;
}

QMap<uchar, QString> namesOf(const EffectLightNameMap &map)
{
    QMap<uchar, QString> names;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value()->index != it.key())
            names.insert(0xFF, QStringLiteral("record index differs from its key"));
        names.insert(it.key(), it.value()->name);
    }
    return names;
}
} // namespace

// Per-key colours and lighting effects through the protocol against the emulated keyboard.
class TestLightingCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void customLightRead_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("frames");
        QTest::newRow("128: 30 keys a frame") << 128 << 4;
        QTest::newRow("64: 14 keys a frame") << 64 << 8;
    }

    void customLightRead()
    {
        QFETCH(int, frameSize);
        QFETCH(int, frames);
        LinkedKeyboard link(frameSize);
        for (auto it = link.profile().customLight.begin(); it != link.profile().customLight.end(); ++it)
            it.value() = *coloursFor({it.key()}).value(it.key());
        QVERIFY(readCustomLight(link));
        QCOMPARE(link.requests(Lighting::GetCustomLight).size(), frames);
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
        // A second read starts from nothing.
        link.profile().customLight.remove(103);
        QVERIFY(readCustomLight(link));
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.size(), 103);
    }

    void customLightKeysWrapAt255()
    {
        EmulatedKeyboardState state = EmulatedKeyboardState::builtIn();
        state.keyNumbers = keyRange(0, 48) + keyRange(200, 56);
        state.resetProfiles();
        LinkedKeyboard link(128, state);
        for (auto it = link.profile().customLight.begin(); it != link.profile().customLight.end(); ++it)
            it.value() = *coloursFor({it.key()}).value(it.key());
        QVERIFY(readCustomLight(link));
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
    }

    void customLightWrittenWhole_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{121, 121, 121, 57};
        QTest::newRow("64") << 64 << QList<int>{57, 57, 57, 57, 57, 57, 57, 25};
    }

    void customLightWrittenWhole()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        const CustomLightMap colours = coloursFor(keyRange(0, 104));
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_custom_light_all,
                               [&] { link.protocol().usb_set_custom_light_all(Import, true, colours); }));
        const QList<KeyboardFrame> frames = link.requests(Lighting::SetCustomLightAll);
        QCOMPARE(lengthsOf(frames), lengths);
        const int perFrame = (lengths[0] - 1) / 4;
        for (int k = 0; k < frames.size(); ++k)
            QCOMPARE(int(uchar(frames[k].payload[0])), k * perFrame);
        QCOMPARE(frames[0].payload.mid(1 + 4 * 2, 4), QByteArray::fromHex("0202fd06"));
        QCOMPARE(differences(colours, link.profile().customLight), QString());
        link.protocol().syncCustomLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
    }

    void customLightWriteSplitsAtGaps()
    {
        LinkedKeyboard link(128);
        const auto before = link.profile().customLight;
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_custom_light_all, [&] {
            link.protocol().usb_set_custom_light_all(Import, false, coloursFor(keyRange(0, 3) + keyRange(5, 2)));
        }));
        QCOMPARE(lengthsOf(link.requests(Lighting::SetCustomLightAll)), (QList<int>{13, 9}));
        QCOMPARE(link.profile().customLight[3].colorR, before[3].colorR);
        QCOMPARE(link.profile().customLight[4].colorR, before[4].colorR);
        QCOMPARE(link.profile().customLight[6].colorR, uchar(6));
    }

    void oneColourForChosenKeys_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{108};
        QTest::newRow("64") << 64 << QList<int>{58, 54};
    }

    void oneColourForChosenKeys()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        QVERIFY(readCustomLight(link));
        const KEYBOARD_EFFECT_LIGHT colour = effect(7, 1, 3, 2, 1, 0x10, 0x20, 0x30);
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_custom_light,
                               [&] { link.protocol().usb_set_custom_light(LightPage, false, colour, keyRange(0, 104)); }));
        const QList<KeyboardFrame> frames = link.requests(Lighting::SetCustomLight);
        QCOMPARE(lengthsOf(frames), lengths);
        for (const KeyboardFrame &frame : frames)
            QCOMPARE(frame.payload.left(4), QByteArray::fromHex("03102030"));
        link.protocol().syncModifyCustomLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.value(77)->colorB, uchar(0x30));
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.value(77)->keyItem, uchar(77));
    }

    void twoHundredFiftySixKeysAreSent()
    {
        LinkedKeyboard link(128);
        QVERIFY(readCustomLight(link));
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_custom_light);
        link.protocol().usb_set_custom_light(LightPage, false, effect(0, 0, 1, 0, 0, 9, 9, 9), keyRange(0, 256));
        QCOMPARE(spy.size(), 0);
        QTRY_VERIFY(lastFrameArrived(spy));
        QCOMPARE(lengthsOf(link.requests(Lighting::SetCustomLight)), (QList<int>{122, 122, 24}));
        QCOMPARE(uchar(link.requests(Lighting::SetCustomLight)[2].payload.back()), uchar(255));
        // The model has no record for keys 104 to 255: they are passed over, one warning each.
        for (int key = 104; key < 256; ++key)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("syncModifyCustomLight .*\\{%1\\}").arg(key)));
        link.protocol().syncModifyCustomLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
    }

    void effectNamesInTheUserLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("languageByte");
        QTest::newRow("English") << "en_US" << 0;
        QTest::newRow("Vietnamese") << "vi_VN" << 7;
        QTest::newRow("Chinese") << "zh_CN" << 1;
        QTest::newRow("any other") << "de_DE" << 1;
    }

    void effectNamesInTheUserLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(int, languageByte);
        TestDataDir data;
        gSystemConfig = QSharedPointer<SystemConfigUtil>::create();
        gSystemConfig->setSystemLocale(QLocale(locale));
        LinkedKeyboard link(64);
        const QMap<uchar, QString> english{{0, "Static"}, {1, "Breath"}, {2, "Wave"}, {3, "Ripple"}, {4, "Rainbow"}};
        link.state().effectNames = english;
        link.state().effectNamesByLanguage[1] = {{0, "常亮"}, {1, "呼吸"}, {2, "波浪"}, {3, "涟漪"}, {4, "彩虹"}};
        link.state().effectNamesByLanguage[7] = {{0, "Tĩnh"}, {1, "Thở"}, {2, "Sóng"}, {3, "Gợn"}, {4, "Cầu vồng"}};
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light_language,
                               [&] { link.protocol().usb_get_effect_light_name(LightPage, false); }));
        // Two 20-byte names a frame at a 58-byte payload; each frame asks in the same language.
        const QList<KeyboardFrame> frames = link.requests(Lighting::GetEffectLightName);
        QCOMPARE(frames.size(), 3);
        for (const KeyboardFrame &frame : frames)
            QCOMPARE(frame.payload, QByteArray(1, char(languageByte)));
        link.protocol().syncEffectLightName();
        QCOMPARE(namesOf(gKeyboardConfig->keyboardEffectLightNameMap),
                 Lighting::effectNames(link.state(), uchar(languageByte)));
        gSystemConfig.reset();
    }

    void emptyNameSlotsTakeNoIndex_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::newRow("128") << 128;
        QTest::newRow("64") << 64;
    }

    void emptyNameSlotsTakeNoIndex()
    {
        QFETCH(int, frameSize);
        LinkedKeyboard link(frameSize);
        link.state().effectNames = {{0, "Wave"}, {1, ""}, {2, "Breath"}, {3, ""}, {4, ""}, {5, "Ripple"}};
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light_language,
                               [&] { link.protocol().usb_get_effect_light_name(SyncConfig, true); }));
        link.protocol().syncEffectLightName();
        QCOMPARE(namesOf(gKeyboardConfig->keyboardEffectLightNameMap),
                 (QMap<uchar, QString>{{0, "Wave"}, {1, "Breath"}, {2, "Ripple"}}));
    }

    void namesAreCutAfterTheirLastWholeCharacter()
    {
        LinkedKeyboard link(128);
        // 30 bytes of three-byte characters in 20-byte fields: the keyboard cuts the seventh
        // character in two; the name keeps the six whole ones.
        link.state().effectNames = {{0, QStringLiteral("霓虹灯光效果彩虹波浪")}, {1, QStringLiteral("ab€")}};
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light_language,
                               [&] { link.protocol().usb_get_effect_light_name(SyncConfig, true); }));
        link.protocol().syncEffectLightName();
        QCOMPARE(namesOf(gKeyboardConfig->keyboardEffectLightNameMap),
                 (QMap<uchar, QString>{{0, QStringLiteral("霓虹灯光效果")}, {1, QStringLiteral("ab€")}}));
    }

    void nameWidthZeroOrTooWideEndsTheFrame()
    {
        LinkedKeyboard link(128);
        link.keyboard().setHandler(Lighting::GetEffectLightName, [](EmulatedKeyboardState &,
                                                                    const KeyboardRequest &request,
                                                                    KeyboardReplies &replies) {
            const int k = request.frame.frame;
            if (k == 1)
                replies.send(QByteArray("\x03\x00Static\0\0\0", 11), 1, 3);
            else if (k == 2)
                replies.send(QByteArray("\x05\xC8Long name", 11), 2, 3);
            else
                replies.send(QByteArray("\x06\x06" "Beam\0\0" "Glow\0\0", 14), 3, 3);
        });
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_effect_light_language);
        link.protocol().usb_get_effect_light_name(SyncConfig, true);
        QTRY_VERIFY(lastFrameArrived(spy));
        QCOMPARE(spy.size(), 3);
        link.protocol().syncEffectLightName();
        QCOMPARE(namesOf(gKeyboardConfig->keyboardEffectLightNameMap),
                 (QMap<uchar, QString>{{5, "Long name"}, {6, "Beam"}, {7, "Glow"}}));
    }

    void effectsReadWholeAndOne()
    {
        LinkedKeyboard link(64);
        link.profile().effects[4] = effect(4, 0x0B, 1, 2, 1, 0xAA, 0xBB, 0xCC);
        QVERIFY(readEffects(link));
        QCOMPARE(link.requests(Lighting::GetEffectLight).size(), 2); // 10 effects, 7 a frame
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());
        QCOMPARE(gKeyboardConfig->keyboardEffectLightMap.value(4)->functionFlag, uchar(0x0B));

        // One effect read goes into the model's record of that effect; the others stay.
        const auto heldFive = gKeyboardConfig->keyboardEffectLightMap.value(5);
        link.profile().effects[5] = effect(5, 0x01, 4, 4, 0, 1, 2, 3);
        link.profile().effects[6].speed = 9;
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_effect_light,
                               [&] { link.protocol().usb_get_effect_light(SyncConfig, true, 5); }));
        QCOMPARE(link.requests(Lighting::GetEffectLight).last().payload, QByteArray("\x05", 1));
        QCOMPARE(link.protocol().effectLightIndex(), uchar(5));
        link.protocol().syncEffectLight();
        QCOMPARE(gKeyboardConfig->keyboardEffectLightMap.value(5), heldFive);
        QCOMPARE(heldFive->colorB, uchar(3));
        QCOMPARE(gKeyboardConfig->keyboardEffectLightMap.value(6)->speed, uchar(2));
    }

    void effectsWrittenWhole_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("128") << 128 << QList<int>{120, 40};
        QTest::newRow("64") << 64 << QList<int>{56, 56, 48};
    }

    void effectsWrittenWhole()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, lengths);
        LinkedKeyboard link(frameSize);
        EffectLightMap effects;
        for (uchar item = 0; item < 20; ++item)
            effects.insert(item, QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create(
                                     effect(item, uchar(item % 16), 3, 1, item % 2, item, 0x80, 0xFF)));
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light_all,
                               [&] { link.protocol().usb_set_effect_light_all(Import, true, effects); }));
        const QList<KeyboardFrame> frames = link.requests(Lighting::SetEffectLightAll);
        QCOMPARE(lengthsOf(frames), lengths);
        // Effect 3: item, light, speed, fullColor, functionFlag, R, G, B.
        QCOMPARE(frames[0].payload.mid(24, 8), QByteArray::fromHex("03030101030380ff"));
        QCOMPARE(differences(effects, link.profile().effects), QString());
        // The write leaves the read's index alone.
        QCOMPARE(link.protocol().effectLightIndex(), uchar(0xFF));
        link.protocol().syncEffectLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());
    }

    void oneEffectWrittenAndSelected()
    {
        LinkedKeyboard link(128);
        QVERIFY(readEffects(link));
        const KEYBOARD_EFFECT_LIGHT changed = effect(3, 0x07, 2, 4, 1, 0x11, 0x22, 0x33);
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light,
                               [&] { link.protocol().usb_set_effect_light(LightPage, false, changed); }));
        QCOMPARE(link.requests(Lighting::SetEffectLight).value(0).payload, QByteArray::fromHex("0302040107112233"));
        link.protocol().syncModifyEffectLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());

        // Item 255 is the per-key lighting, not an effect: answered at once, nothing sent.
        QSignalSpy spy(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_effect_light);
        link.protocol().usb_set_effect_light(LightPage, false, effect(0xFF, 0, 0, 0, 0, 0, 0, 0));
        QCOMPARE(framesOf(spy), (QList<QPair<int, int>>{{1, 1}}));
        QCOMPARE(link.requests(Lighting::SetEffectLight).size(), 1);

        QSignalSpy selected(&link.protocol(), &UsbCommunicateUtil::usb_receive_select_effect_light);
        link.protocol().usb_select_effect_light(LightPage, false, 4);
        QTRY_COMPARE(selected.size(), 1);
        QCOMPARE(selected[0][3].toInt(), 4);
        QCOMPARE(link.profile().selectedEffect, uchar(4));
    }

    void colourAndEffectWritesKeepTheirOwnRecords()
    {
        LinkedKeyboard link(128);
        QVERIFY(readCustomLight(link));
        QVERIFY(readEffects(link));
        // The page writes an effect and a key colour, and copies both after their replies.
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_effect_light, [&] {
            link.protocol().usb_set_effect_light(LightPage, false, effect(2, 0x0F, 4, 3, 0, 0, 0xFF, 0));
        }));
        QVERIFY(runToLastFrame(link, &UsbCommunicateUtil::usb_receive_set_custom_light, [&] {
            link.protocol().usb_set_custom_light(LightPage, false, effect(9, 9, 1, 9, 9, 0xFF, 0, 0), {4, 8});
        }));
        link.protocol().syncModifyEffectLight();
        link.protocol().syncModifyCustomLight();
        QCOMPARE(differences(gKeyboardConfig->keyboardEffectLightMap, link.profile().effects), QString());
        QCOMPARE(differences(gKeyboardConfig->keyboardCustomLightMap, link.profile().customLight), QString());
        QCOMPARE(gKeyboardConfig->keyboardEffectLightMap.value(2)->colorG, uchar(0xFF));
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.value(8)->colorR, uchar(0xFF));
        QVERIFY(!gKeyboardConfig->keyboardEffectLightMap.contains(0xFF));
    }

    void failedWriteLeavesTheModelAlone()
    {
        LinkedKeyboard link(64);
        QVERIFY(readCustomLight(link));
        const CustomLightMap held = gKeyboardConfig->keyboardCustomLightMap;
        const KEYBOARD_CUSTOM_LIGHT before = *held.value(10);
        EmulatedHidFaults faults;
        faults.writeFails = true;
        link.setFaults(faults);
        QSignalSpy errors(&link.protocol(), &UsbCommunicateUtil::usb_communicate_error);
        QSignalSpy replies(&link.protocol(), &UsbCommunicateUtil::usb_receive_set_custom_light);
        link.protocol().usb_set_custom_light(LightPage, false, effect(0, 0, 1, 0, 0, 1, 2, 3), {10, 11});
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0], (QList<QVariant>{QVariant::fromValue(LightPage), QVariant::fromValue(uchar(0x90)),
                                             int(UsbCommunicateUtil::ErrorWrite)}));
        QCOMPARE(replies.size(), 0);
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap, held);
        QCOMPARE(gKeyboardConfig->keyboardCustomLightMap.value(10)->colorR, before.colorR);
        QCOMPARE(link.profile().customLight[10].colorR, before.colorR);
    }
};

QTEST_GUILESS_MAIN(TestLightingCommands)
#include "tst_lightingcommands.moc"
