// The key assignment page against the emulated keyboard: each user action sends exactly the
// expected frames, and once the keyboard confirms, the model equals the keyboard and the picture
// shows the new binding. Replies of other requesters, failures and unplugging change nothing.

#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/keys/KeySetForm.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QKeyKeyboardWidget.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "tests/pages/PageRig.h"

#include <QtTest>

namespace {
constexpr quint16 He68 = SampleProductDatabase::He68Serial;
constexpr quint16 He104 = SampleProductDatabase::He104Serial;
constexpr uchar SetKeys = 0x20;
constexpr uchar RestoreKeys = 0x24;

constexpr auto hex = &PageRig::hex;

// Keys 30 to 33 bound to a TGL, MT, DKS and RS key in table 0 to 3; key 18 holds macro M3.
void prepareBindings(EmulatedKeyboardState &state)
{
    EmulatedProfile &profile = state.profile();
    QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(profile);
    for (uchar slot = 0; slot < 4; ++slot) {
        const uchar key = uchar(30 + slot);
        profile.normalLayer[key] = KEYBOARD_KEY_INFO{key, KeyTypeHighKey, 0, slot};
        HIGH_KEY_INFO &info = table[slot];
        info.item = slot;
        info.attribute = slot;
        info.keyItem = key;
        info.data[0] = slot == 3 ? 40 : 0x04;
    }
    profile.normalLayer[18] = KEYBOARD_KEY_INFO{18, KeyTypeMacro, 0, 2};
    if (profile.normalLayer.contains(SampleProductDatabase::He104SpaceSecond)) {
        for (uchar key : {SampleProductDatabase::He104Space, SampleProductDatabase::He104SpaceSecond})
            profile.normalLayer[key] = KEYBOARD_KEY_INFO{key, KeyTypeMacro, 0, 2};
    }
}
} // namespace

class TestKeySetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    KeySetForm *page = nullptr;

    void open(quint16 serial, const std::function<void(EmulatedKeyboardState &)> &prepare = prepareBindings)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(serial, prepare));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<KeySetForm>(2);
    }

    // Runs an action whose request the keyboard answers, until the page has the answer.
    template<typename Signal>
    void confirmed(Signal signal, const std::function<void()> &action)
    {
        QVERIFY(rig->awaitReply(signal, action));
    }

    void pickOn(int category, int entry)
    {
        QVERIFY(PageRig::clickButton(page, QString::fromLatin1(
                                              (const char *[]){"keyboardBtn", "systemBtn", "macroBtn", "lightBtn", "extendBtn"}[category])));
        QVERIFY(PageRig::clickTile(page->picker(category), uchar(entry)));
    }

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
    }

    void cleanup()
    {
        page = nullptr;
        rig.reset();
    }

    void pickAFunction_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<QString>("shown");
        const int letterA = global_getNormalKeyboard(1, 0, 0x04)->index;
        // The Space bar has a second sensor (key 104) in the same place: both take the function.
        QTest::newRow("keyboard key on the shared Space")
            << He104 << 0 << 94 << 0 << letterA << hex({"005e010400", "0068010400"}) << "A";
        QTest::newRow("media key, Fn layer") << He68 << 1 << 17 << 1 << 3 << hex({"011102e200"}) << "system_key_mute.png";
        QTest::newRow("macro") << He68 << 0 << 19 << 2 << 2 << hex({"0013030200"}) << "M3";
        QTest::newRow("lighting function, Fn layer")
            << He104 << 1 << 31 << 3 << 0 << hex({"011f05ef00"}) << "lamp_key_rgb_next.png";
        QTest::newRow("further function") << He68 << 0 << 20 << 4 << 3 << hex({"001405f900"}) << "extend_key_win_lock.png";
    }

    void pickAFunction()
    {
        QFETCH(quint16, serial);
        QFETCH(int, layer);
        QFETCH(int, key);
        QFETCH(int, category);
        QFETCH(int, entry);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(QString, shown);
        open(serial);
        if (layer == 1)
            QVERIFY(PageRig::clickButton(page, QStringLiteral("fn1LayerButton")));
        const int mark = rig->mark();
        QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, [&] { pickOn(category, entry); });
        QCOMPARE(rig->payloads(SetKeys, mark), frames);
        QCOMPARE(rig->layerDifferences(uchar(layer)), QString());
        QCOMPARE(PageRig::shown(page->keyboard(), uchar(key)), shown);
        QVERIFY(!page->keyboard()->isKeySelected());
    }

    void disableAndRestore_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::addColumn<uchar>("order");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<QString>("shown");
        QTest::newRow("disable") << He68 << 19 << "mNullButton" << SetKeys << hex({"0013ffffff"}) << "";
        QTest::newRow("restore one key") << He68 << 18 << "mResetButton" << RestoreKeys << hex({"0012ff"}) << "E";
        QTest::newRow("restore the shared Space")
            << He104 << 94 << "mResetButton" << RestoreKeys << hex({"005e68ff"}) << "Space";
    }

    void disableAndRestore()
    {
        QFETCH(quint16, serial);
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(uchar, order);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(QString, shown);
        open(serial);
        const int mark = rig->mark();
        QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
        const auto click = [&] { QVERIFY(PageRig::clickButton(page, button)); };
        if (order == SetKeys)
            confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, click);
        else
            confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_default, click);
        QCOMPARE(rig->payloads(order, mark), frames);
        QCOMPARE(rig->layerDifferences(0), QString());
        QCOMPARE(PageRig::shown(page->keyboard(), uchar(key)), shown);
    }

    void restoreTheLayer()
    {
        open(He68);
        const int mark = rig->mark();
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_default,
                  [&] { QVERIFY(PageRig::clickButton(page, QStringLiteral("mResetLayerButton"))); });
        QCOMPARE(rig->payloads(RestoreKeys, mark), hex({"00ffff"}));
        QCOMPARE(PageRig::toasts(page), QStringList{QStringLiteral("重置键盘数据成功！")});
        QCOMPARE(rig->stack().currentIndex(), 0);
    }

    void switchLayerAndPlacePicture_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("fnShown");
        QTest::newRow("68 keys") << He68 << QRect(30, 27, 865, 290) << 17 << "BT2";
        QTest::newRow("104 keys") << He104 << QRect(0, 0, 932, 344) << 1 << "system_key_player.png";
    }

    void switchLayerAndPlacePicture()
    {
        QFETCH(quint16, serial);
        QFETCH(QRect, geometry);
        QFETCH(int, key);
        QFETCH(QString, fnShown);
        open(serial);
        const int mark = rig->mark();
        QCOMPARE(page->keyboard()->geometry(), geometry);
        QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
        QVERIFY(PageRig::clickButton(page, QStringLiteral("macroBtn")));
        QVERIFY(page->keyboard()->isKeySelected()); // a category change keeps the selection
        QVERIFY(PageRig::clickButton(page, QStringLiteral("fn1LayerButton")));
        QCOMPARE(page->layer(), uchar(1));
        QCOMPARE(page->keyType(), 0);
        QVERIFY(!page->keyboard()->isKeySelected());
        QCOMPARE(PageRig::shown(page->keyboard(), uchar(key)), fnShown);
        QCOMPARE(rig->mark(), mark);
    }

    void replacingAnAdvancedKeyFreesItsSlot_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button"); // empty: pick a function
        QTest::newRow("TGL replaced") << 30 << "";
        QTest::newRow("MT disabled") << 31 << "mNullButton";
        QTest::newRow("DKS restored") << 32 << "mResetButton";
    }

    void replacingAnAdvancedKeyFreesItsSlot()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        open(He68);
        QCOMPARE(PageRig::shown(page->keyboard(), uchar(key)),
                 QStringList({"key_tgl.png", "key_mt.png", "key_dks.png"}).at(key - 30));
        // An RS key is changed on the advanced-key page only.
        QVERIFY(!PageRig::clickTile(page->keyboard(), 33));
        const int mark = rig->mark();
        QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
        const auto act = [&] {
            if (button.isEmpty())
                pickOn(0, 0);
            else
                QVERIFY(PageRig::clickButton(page, button));
        };
        if (button == QLatin1String("mResetButton"))
            confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_default, act);
        else
            confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, act);
        const HighKeyList &table = gKeyboardConfig->keyboardHighKeyList;
        for (int slot = 0; slot < 4; ++slot)
            QCOMPARE(table[slot]->item, uchar(slot == key - 30 ? 255 : slot));
        QCOMPARE(rig->payloads(0x25, mark), QList<QByteArray>());
        QCOMPARE(rig->layerDifferences(0), QString());
    }

    // The Space's second sensor is one key of an RS, OKS or SOCD pair; the Space takes a new
    // function on both sensors, and the pair keeps its slot.
    void replacingAPairKeyKeepsItsSlot_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("RS") << 3;
        QTest::newRow("OKS") << 4;
        QTest::newRow("SOCD") << 5;
    }

    void replacingAPairKeyKeepsItsSlot()
    {
        QFETCH(int, kind);
        const uchar slot = 4;
        const uchar first = 50;
        const uchar second = SampleProductDatabase::He104SpaceSecond;
        open(He104, [&](EmulatedKeyboardState &state) {
            prepareBindings(state);
            EmulatedHighKeyCommands::bind(state, EmulatedHighKeyCommands::record(slot, uchar(kind), first, {second, 1}));
        });
        QCOMPARE(gKeyboardConfig->getKeyboardKeyInfo(0, second)->lValue, slot);
        const int mark = rig->mark();
        QVERIFY(PageRig::clickTile(page->keyboard(), SampleProductDatabase::He104Space));
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, [&] { pickOn(0, 0); });
        QCOMPARE(rig->payloads(SetKeys, mark).size(), 2); // both sensors
        QCOMPARE(rig->layerDifferences(0), QString());
        const auto &record = gKeyboardConfig->keyboardHighKeyList[slot];
        QCOMPARE(record->item, slot);
        QCOMPARE(int(record->attribute), kind);
        QCOMPARE(record->keyItem, first);
        QCOMPARE(rig->payloads(0x25, mark), QList<QByteArray>());
    }

    void answerActsOnTheRequestsLayerAndLastFrame()
    {
        open(He68);
        ReplyFault late;
        late.kind = ReplyFault::Delay;
        late.value = 300;
        late.onlyCode = 0xA0;
        rig->keyboard().addReplyFault(late);
        // The TGL key of the normal layer is replaced; the answer comes while the Fn layer is shown.
        QVERIFY(PageRig::clickTile(page->keyboard(), 30));
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, [&] {
            pickOn(0, 0);
            QVERIFY(PageRig::clickButton(page, QStringLiteral("fn1LayerButton")));
        });
        QCOMPARE(gKeyboardConfig->keyboardHighKeyList[0]->item, uchar(255));
        QCOMPARE(rig->layerDifferences(0), QString());

        // A whole-layer answer counts only with its last frame.
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_keyboard_default(UsbCommunicateUtil::SourceKeyPage, 1, 2, 0, true);
        QCOMPARE(rig->stack().currentIndex(), 2);
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_keyboard_default(UsbCommunicateUtil::SourceKeyPage, 2, 2, 0, true);
        QCOMPARE(rig->stack().currentIndex(), 0);
    }

    void nothingSelectedSendsNothing()
    {
        open(He68);
        const int mark = rig->mark();
        pickOn(0, 0);
        QVERIFY(PageRig::clickButton(page, QStringLiteral("mNullButton")));
        QVERIFY(PageRig::clickButton(page, QStringLiteral("mResetButton")));
        QTest::qWait(200);
        QCOMPARE(rig->mark(), mark);
    }

    void anotherSourcesReplyChangesNothing()
    {
        open(He68);
        QVERIFY(PageRig::clickTile(page->keyboard(), 19));
        QKeyKeyboardWidget *picture = page->keyboard();
        KeyInfoMap keys{{17, QSharedPointer<KEYBOARD_KEY_INFO>(new KEYBOARD_KEY_INFO{17, 3, 0, 0})}};
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_keyboard_config, [&] {
            gUsbCommunicateUtil->usb_set_keyboard_config(UsbCommunicateUtil::SourceMainWindow, false, 0, keys);
        }));
        QCOMPARE(page->keyboard(), picture);
        QVERIFY(picture->isKeySelected());
        QCOMPARE(gKeyboardConfig->getKeyboardKeyInfo(0, 17)->type, uchar(KeyTypeKeyboard));
    }

    void failedRequestLeavesThePageAsTheModelHolds()
    {
        open(He68);
        EmulatedHidFaults faults;
        faults.writeFails = true;
        rig->setFaults(faults);
        QVERIFY(PageRig::clickTile(page->keyboard(), 19));
        pickOn(2, 0);
        QTRY_COMPARE(PageRig::toasts(page), QStringList{QStringLiteral("按键设置失败")});
        QVERIFY(!page->keyboard()->isKeySelected());
        QCOMPARE(PageRig::shown(page->keyboard(), 19), QStringLiteral("R"));
        QCOMPARE(rig->layerDifferences(0), QString());

        // The page goes on working once the link does.
        rig->setFaults(EmulatedHidFaults());
        QVERIFY(PageRig::clickTile(page->keyboard(), 19));
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_config, [&] { pickOn(2, 0); });
        QCOMPARE(PageRig::shown(page->keyboard(), 19), QStringLiteral("M1"));
    }

    void unplugMidRequestChangesNothing()
    {
        open(He68);
        EmulatedHidFaults faults;
        faults.unplugAfterWrites = 1;
        rig->setFaults(faults);
        QVERIFY(PageRig::clickTile(page->keyboard(), 19));
        pickOn(2, 0);
        QTest::qWait(1500);
        QCOMPARE(gKeyboardConfig->getKeyboardKeyInfo(0, 19)->type, uchar(KeyTypeKeyboard));
        // Whatever the link reported, the key can be let go or chosen again.
        QKeyKeyboardWidget *picture = page->keyboard();
        QVERIFY(PageRig::clickTile(picture, 19));
        QCOMPARE(PageRig::shown(picture, 19), picture->isKeySelected() ? QString() : QStringLiteral("R"));
    }
};

QTEST_MAIN(TestKeySetForm)
#include "tst_keysetform.moc"
