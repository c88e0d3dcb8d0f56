// The advanced-key page against the emulated keyboard: each kind is bound, edited and deleted
// through its dialog with exactly the expected frames, and afterwards the model, the keyboard and
// the picture agree. Full tables, replies that come while a dialog is open, replies of other
// requesters and failures change nothing they should not.

#include "emulator/EmulatedHighKeyCommands.h"
#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/keys/HighKeyForm.h"
#include "pages/keys/QDKSLabel.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyItemWidget.h"
#include "pages/keys/QHighKeyboardWidget.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QMtAddDialog.h"
#include "pages/keys/QRsoKeyboardWidget.h"
#include "pages/keys/QSocdAddDialog.h"
#include "tests/pages/PageRig.h"

#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {
constexpr quint16 He68 = SampleProductDatabase::He68Serial;
constexpr uchar AddOrder = 0x22;
constexpr uchar DelOrder = 0x25;
constexpr uchar RestoreOrder = 0x24;
constexpr uchar Source = UsbCommunicateUtil::SourceHighKeyPage;
// He68 keys: 0 Esc, 31 A, 33 D, 45 Z, 47 C, 48 V.
constexpr uchar KeyZ = 45;
constexpr uchar KeyC = 47;
constexpr uchar KeyV = 48;

HIGH_KEY_INFO record(uchar slot, uchar kind, uchar key, std::initializer_list<uchar> body)
{
    return EmulatedHighKeyCommands::record(slot, kind, key, body);
}

// Esc holds macro M1, so that a slot's leftover bytes naming key 0 would show if they were used.
void escIsAMacro(EmulatedKeyboardState &state)
{
    state.profile().normalLayer[0] = KEYBOARD_KEY_INFO{0, KeyTypeMacro, 0, 0};
}

void tglOnKeyZero(EmulatedKeyboardState &state)
{
    EmulatedHighKeyCommands::bind(state, record(1, 0, 0, {1, 4, 0}));
}

// TGL keys in slots 1 to 31 on keys 0 to 30; slot 0 free.
void thirtyOneBound(EmulatedKeyboardState &state)
{
    for (uchar slot = 1; slot < 32; ++slot)
        EmulatedHighKeyCommands::bind(state, record(slot, 0, uchar(slot - 1), {1, 4, 0}));
}

// An SOCD pair A and D with a mode the dialog does not know; key 18 holds a macro.
void socdAndMacro(EmulatedKeyboardState &state)
{
    EmulatedHighKeyCommands::bind(state, record(2, 5, 31, {33, 7}));
    state.profile().normalLayer[18] = KEYBOARD_KEY_INFO{18, KeyTypeMacro, 0, 2};
}

// An RS pair of keys the product does not have.
void pairOffTheMap(EmulatedKeyboardState &state)
{
    EmulatedHighKeyCommands::bind(state, record(3, 3, 200, {201}));
}

void pick(QDialog *dialog, uchar type, uchar hValue, uchar lValue)
{
    const KEYBOARD_LIST_INFO *entry = global_getNormalKeyboard(type, hValue, lValue);
    QVERIFY(entry);
    QVERIFY(PageRig::clickTile(dialog->findChild<QInputKeyboardWidget *>(), entry->index));
}

void press(QDialog *dialog, const char *name)
{
    auto *widget = dialog->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(widget, name);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// What the user does in the dialog of each kind, first to create, then to edit.
void fill(QDialog *dialog, int kind, bool edit)
{
    switch (kind) {
    case 0:
        press(dialog, "triggerLabel");
        pick(dialog, 1, 0, edit ? 0x06 : 0x05);
        break;
    case 1:
        if (edit) {
            QTest::keyClick(dialog->findChild<QSlider *>(QStringLiteral("timeProgress")), Qt::Key_End);
        } else {
            press(dialog, "singleLabel");
            pick(dialog, 1, 0, 0x04);
            press(dialog, "longLabel");
            pick(dialog, 1, 0, 0x05);
        }
        break;
    case 2:
        if (edit) {
            press(dialog, "up3Label");
            pick(dialog, 1, 0, 0x06);
        } else {
            press(dialog, "down1Label");
            pick(dialog, 1, 0, 0x04);
            press(dialog, "down6Label");
            pick(dialog, 1, 0, 0x05);
        }
        break;
    default:
        if (kind != 5 || !edit)
            QVERIFY(PageRig::clickTile(dialog->findChild<QRsoKeyboardWidget *>(), edit ? KeyV : KeyC));
        if (kind == 5)
            press(dialog, edit ? "cancelRadio" : "twoRadio");
        break;
    }
}

// Slots where the model and the keyboard differ (free on both sides counts as equal).
QString tableDifferences(EmulatedProfile &profile)
{
    const QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(profile);
    const HighKeyList &model = gKeyboardConfig->keyboardHighKeyList;
    for (int slot = 0; slot < table.size(); ++slot) {
        const HIGH_KEY_INFO &held = *model.value(slot);
        if (held.item == 255 && table[slot].item == 255)
            continue;
        if (EmulatedHighKeyCommands::encode(held) != EmulatedHighKeyCommands::encode(table[slot]))
            return QStringLiteral("slot %1").arg(slot);
    }
    return QString();
}
} // namespace

class TestHighKeyForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    HighKeyForm *page = nullptr;

    void open(const std::function<void(EmulatedKeyboardState &)> &prepare, int frameSize = 128)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(He68, prepare, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<HighKeyForm>(4);
    }

    QList<QHighKeyItemWidget *> cards() const { return page->findChildren<QHighKeyItemWidget *>(); }
    QHighKeyAddWidget *addCard() const { return page->findChild<QHighKeyAddWidget *>(); }
    void clickButton(const char *name) { QVERIFY(PageRig::clickButton(page, QString::fromLatin1(name))); }

    // Runs an action whose request the keyboard answers, until the page has the answer.
    template<typename Signal>
    void confirmed(Signal signal, const std::function<void()> &action)
    {
        QVERIFY(rig->awaitReply(signal, action));
    }

    // Runs one dialog through act, answering it with its result (-1 when act failed).
    void throughDialog(const std::function<void(QDialog *)> &act)
    {
        rig->actOnDialogs([act](QDialog *dialog) {
            act(dialog);
            return QTest::currentTestFailed() ? -1 : dialog->result();
        });
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

    void bindEditAndDelete_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QByteArray>("restored");
        QTest::addColumn<QString>("badge");
        const char *buttons[] = {"tglBtn", "mtBtn", "dksBtn", "rsBtn", "oksBtn", "socdBtn"};
        const struct {
            const char *added, *edited, *restored, *badge;
        } kinds[] = {
            {"00002d010500", "00002d010600", "002dff", "key_tgl.png"},
            {"00012dff5000010400010500", "00012dffe803010400010500", "002dff", "key_mt.png"},
            {"00022d0101040002010500" "00ffffff00ffffff", "00022d0101040002010500" "0401060000ffffff", "002dff",
             "key_dks.png"},
            {"00032d2f", "00032d30", "002d30", "key_rs.png"},
            {"00042d2f", "00042d30", "002d30", "key_oks.png"},
            {"00052d2f02", "00052d2f03", "002d2f", "key_socd.png"},
        };
        for (int kind = 0; kind < 6; ++kind) {
            for (int frameSize : {128, 64}) {
                QTest::addRow("%s, %d-byte frames", buttons[kind], frameSize)
                    << kind << frameSize << QByteArray::fromHex(kinds[kind].added)
                    << QByteArray::fromHex(kinds[kind].edited) << QByteArray::fromHex(kinds[kind].restored)
                    << QString::fromLatin1(kinds[kind].badge);
            }
        }
    }

    void bindEditAndDelete()
    {
        QFETCH(int, kind);
        QFETCH(int, frameSize);
        QFETCH(QByteArray, added);
        QFETCH(QByteArray, edited);
        QFETCH(QByteArray, restored);
        QFETCH(QString, badge);
        open(escIsAMacro, frameSize);
        const char *buttons[] = {"tglBtn", "mtBtn", "dksBtn", "rsBtn", "oksBtn", "socdBtn"};
        clickButton(buttons[kind]);
        const bool pair = kind >= 3;
        const auto agree = [&](uchar key, const QString &shown) {
            QCOMPARE(tableDifferences(rig->profile()), QString());
            QCOMPARE(rig->layerDifferences(0), QString());
            QCOMPARE(PageRig::shown(page->keyboard(), key), shown);
        };

        int mark = rig->mark();
        QVERIFY(PageRig::clickTile(page->keyboard(), KeyZ));
        throughDialog([&](QDialog *dialog) {
            fill(dialog, kind, false);
            QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn")));
        });
        confirmed(&UsbCommunicateUtil::usb_receive_add_high_key, [&] { QTest::mouseClick(addCard(), Qt::LeftButton); });
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{added});
        agree(KeyZ, badge);
        if (QTest::currentTestFailed())
            return;
        if (pair)
            QCOMPARE(PageRig::shown(page->keyboard(), KeyC), badge);
        QCOMPARE(cards().size(), 1);

        mark = rig->mark();
        throughDialog([&](QDialog *dialog) {
            fill(dialog, kind, true);
            QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn")));
        });
        confirmed(&UsbCommunicateUtil::usb_receive_add_high_key, [&] { QTest::mouseClick(cards().value(0), Qt::LeftButton); });
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{edited});
        agree(KeyZ, badge);
        if (QTest::currentTestFailed())
            return;
        if (kind == 3 || kind == 4) // the old second key has its factory key back
            QCOMPARE(PageRig::shown(page->keyboard(), KeyC), QStringLiteral("C"));

        mark = rig->mark();
        auto *remove = cards().value(0)->findChild<QToolButton *>(QStringLiteral("delBtn"));
        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_default, [&] { remove->click(); });
        QCOMPARE(rig->payloads(DelOrder, mark), QList<QByteArray>{QByteArray(1, '\0')});
        QCOMPARE(rig->payloads(RestoreOrder, mark), QList<QByteArray>{restored});
        agree(KeyZ, QStringLiteral("Z"));
        QCOMPARE(gKeyboardConfig->getHighKeyTotal(), 0);
        QVERIFY(cards().isEmpty());
        QCOMPARE(rig->stack().currentIndex(), 4);
    }

    // A binding saved without any key function is sent as it is, and held like any other.
    void emptyBindingsAreSent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QString>("badge");
        QTest::newRow("TGL") << "tglBtn" << QByteArray::fromHex("00002dffffff") << "key_tgl.png";
        QTest::newRow("MT") << "mtBtn" << QByteArray::fromHex("00012dff5000ffffffffffff") << "key_mt.png";
        QTest::newRow("DKS") << "dksBtn" << QByteArray::fromHex("00022d00ffffff00ffffff00ffffff00ffffff")
                             << "key_dks.png";
    }

    void emptyBindingsAreSent()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, added);
        QFETCH(QString, badge);
        open([](EmulatedKeyboardState &) {});
        QVERIFY(PageRig::clickButton(page, kind));
        QVERIFY(PageRig::clickTile(page->keyboard(), KeyZ));
        const int mark = rig->mark();
        throughDialog([](QDialog *dialog) { QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn"))); });
        confirmed(&UsbCommunicateUtil::usb_receive_add_high_key, [&] { QTest::mouseClick(addCard(), Qt::LeftButton); });
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{added});
        QCOMPARE(tableDifferences(rig->profile()), QString());
        QCOMPARE(rig->layerDifferences(0), QString());
        QCOMPARE(PageRig::shown(page->keyboard(), KeyZ), badge);
        QCOMPARE(cards().size(), 1);
    }

    void fullTableAndAReplyDuringTheDialog()
    {
        open(thirtyOneBound);
        QVERIFY(page->findChild<QLabel *>(QStringLiteral("promptLabel"))->text().endsWith(QLatin1String("31/32")));
        clickButton("tglBtn");
        QVERIFY(PageRig::clickTile(page->keyboard(), KeyZ));
        const int mark = rig->mark();
        QStringList notices;
        throughDialog([&](QDialog *dialog) {
            press(dialog, "triggerLabel");
            pick(dialog, 1, 0, 0x05);
            // Another binding takes the last free slot while the dialog is open.
            QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_add_high_key, [] {
                gUsbCommunicateUtil->usb_add_high_key(Source, false, record(0, 0, 50, {1, 6, 0}));
            }));
            QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn")));
            notices = PageRig::toasts(dialog);
        });
        QTest::mouseClick(addCard(), Qt::LeftButton);
        QTRY_COMPARE(rig->shownDialogs().size(), 1);
        QCOMPARE(notices, QStringList{QStringLiteral("已绑定 32 个高级键，请先删除不用的高级键")});
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{QByteArray::fromHex("000032010600")});
        QCOMPARE(tableDifferences(rig->profile()), QString());
        QVERIFY(page->findChild<QLabel *>(QStringLiteral("promptLabel"))->text().endsWith(QLatin1String("32/32")));
        QVERIFY(!addCard());
        QCOMPARE(cards().size(), 32);
        clickButton("dksBtn");
        QVERIFY(cards().isEmpty());
        QCOMPARE(page->findChildren<QWidget *>(QStringLiteral("gridFiller")).size(), 3);
    }

    void aReplyDuringTheDialogKeepsTheChosenKey()
    {
        open(tglOnKeyZero);
        clickButton("tglBtn");
        QVERIFY(PageRig::clickTile(page->keyboard(), KeyZ));
        QHighKeyboardWidget *before = page->keyboard();
        throughDialog([&](QDialog *dialog) {
            // Deleting another binding redraws the picture: its selection is gone.
            QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_keyboard_default, [] {
                gUsbCommunicateUtil->usb_del_high_key(Source, false, *gKeyboardConfig->keyboardHighKeyList[1]);
            }));
            QVERIFY(page->keyboard() != before);
            QCOMPARE(page->keyboard()->getSelectKeyItem(), uchar(255));
            press(dialog, "triggerLabel");
            pick(dialog, 1, 0, 0x05);
            QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn")));
        });
        const int mark = rig->mark();
        confirmed(&UsbCommunicateUtil::usb_receive_add_high_key, [&] { QTest::mouseClick(addCard(), Qt::LeftButton); });
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{QByteArray::fromHex("00002d010500")});
        QCOMPARE(rig->layerDifferences(0), QString());
        QCOMPARE(PageRig::shown(page->keyboard(), 0), QStringLiteral("Esc"));
        QCOMPARE(PageRig::shown(page->keyboard(), KeyZ), QStringLiteral("key_tgl.png"));
    }

    void otherSourcesFailuresAndLastFrames()
    {
        open(tglOnKeyZero);
        QHighKeyboardWidget *picture = page->keyboard();
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_add_high_key, [] {
            gUsbCommunicateUtil->usb_add_high_key(UsbCommunicateUtil::SourceMainWindow, false, record(0, 0, KeyZ, {1, 5, 0}));
        }));
        QCOMPARE(page->keyboard(), picture);
        QCOMPARE(gKeyboardConfig->keyboardHighKeyList[0]->item, uchar(255));

        // A delete that cannot be written leaves the binding as the model holds it, and says so.
        EmulatedHidFaults faults;
        faults.writeFails = true;
        rig->setFaults(faults);
        clickButton("tglBtn");
        cards().value(0)->findChild<QToolButton *>(QStringLiteral("delBtn"))->click();
        QTRY_COMPARE(PageRig::toasts(page), QStringList{QStringLiteral("高级键设置失败")});
        QCOMPARE(gKeyboardConfig->getHighKeyTotal(), 1);
        QCOMPARE(cards().size(), 1);

        // Only the last frame of a restore answer counts.
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_keyboard_default(Source, 1, 2, 0, true);
        QCOMPARE(rig->stack().currentIndex(), 4);
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_keyboard_default(Source, 2, 2, 0, true);
        QCOMPARE(rig->stack().currentIndex(), 0);
    }

    void boundKeysAndPairKinds()
    {
        open(socdAndMacro);
        clickButton("rsBtn");
        QHighKeyboardWidget *picture = page->keyboard();
        QCOMPARE(picture->geometry(), QRect(30, 27, 865, 290));
        QVERIFY(!PageRig::clickTile(picture, 18)); // a macro key cannot be paired
        QVERIFY(PageRig::clickTile(picture, 19));
        QCOMPARE(picture->getSelectKeyItem(), uchar(19));
        clickButton("tglBtn");
        QCOMPARE(picture->getSelectKeyItem(), uchar(255));
        QVERIFY(picture->tile(18)->isEnabled());

        // A press on a key of the SOCD pair opens that binding, complete and ready to save.
        bool ready = false;
        throughDialog([&](QDialog *dialog) {
            auto *socd = qobject_cast<QSocdAddDialog *>(dialog);
            QVERIFY(socd);
            ready = socd->getStatusFlag() == 1 && socd->modeButton(0)->isChecked();
            QVERIFY(PageRig::clickButton(dialog, QStringLiteral("saveBtn")));
        });
        const int mark = rig->mark();
        confirmed(&UsbCommunicateUtil::usb_receive_add_high_key, [&] { QVERIFY(PageRig::clickTile(picture, 31)); });
        QVERIFY(ready);
        QCOMPARE(rig->payloads(AddOrder, mark), QList<QByteArray>{QByteArray::fromHex("02051f2100")});
        QCOMPARE(page->highKeyType(), 5);
        QVERIFY(page->findChild<QToolButton *>(QStringLiteral("socdBtn"))->isChecked());
        QCOMPARE(rig->layerDifferences(0), QString());
    }

    void aBindingOffTheKeyMap()
    {
        open(pairOffTheMap);
        clickButton("rsBtn");
        QCOMPARE(cards().size(), 1);
        QCOMPARE(cards().value(0)->titleLabel()->text(), QString());
        const int mark = rig->mark();
        throughDialog([](QDialog *dialog) { QVERIFY(PageRig::clickButton(dialog, QStringLiteral("cancelBtn"))); });
        QTest::mouseClick(cards().value(0), Qt::LeftButton);
        QTRY_COMPARE(rig->shownDialogs(), QStringList{QStringLiteral("Dialog")});
        QCOMPARE(rig->mark(), mark); // cancelled: nothing sent

        confirmed(&UsbCommunicateUtil::usb_receive_set_keyboard_default,
                  [&] { cards().value(0)->findChild<QToolButton *>(QStringLiteral("delBtn"))->click(); });
        QCOMPARE(rig->payloads(RestoreOrder, mark), QList<QByteArray>{QByteArray::fromHex("00c8c9")});
        QCOMPARE(gKeyboardConfig->getHighKeyTotal(), 0);
        QVERIFY(cards().isEmpty());
        QCOMPARE(rig->stack().currentIndex(), 4);
    }
};

QTEST_MAIN(TestHighKeyForm)
#include "tst_highkeyform.moc"
