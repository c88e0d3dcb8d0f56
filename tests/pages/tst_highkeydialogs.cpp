// The six advanced-key dialogs and the grid cards on the model of an emulated keyboard: what a
// dialog hands back for what the user did (whole records as bytes), what it refuses to save and
// why, how slot labels take keys, and what the cards show and ask for.

#include "emulator/EmulatedHighKeyCommands.h"
#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/keys/QDKSLabel.h"
#include "pages/keys/QDksAddDialog.h"
#include "pages/keys/QHighKeyAddWidget.h"
#include "pages/keys/QHighKeyItemWidget.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QMtAddDialog.h"
#include "pages/keys/QOksAddDialog.h"
#include "pages/keys/QRsAddDialog.h"
#include "pages/keys/QRsoKeyboardWidget.h"
#include "pages/keys/QSocdAddDialog.h"
#include "pages/keys/QTglAddDialog.h"
#include "tests/pages/PageRig.h"

#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {
HIGH_KEY_INFO record(uchar slot, uchar kind, uchar key, std::initializer_list<uchar> body)
{
    return EmulatedHighKeyCommands::record(slot, kind, key, body);
}

// He68 keys: 20 T, 21 Y, 22 U, 23 I, 24 O, 25 P, 26 [, 31 A, 33 D, 34 F, 45 Z, 47 C.
void bindings(EmulatedKeyboardState &state)
{
    for (const HIGH_KEY_INFO &info : {
             record(1, 2, 20, {0xF5, 1, 4, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF}),
             record(2, 5, 26, {26, 0}), // a pair of one key
             record(3, 1, 21, {0xFF, 5, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
             record(4, 1, 22, {0xFF, 0xDC, 0x05, 1, 0, 4, 1, 5, 0}),
             record(5, 4, 23, {24}),
             record(6, 5, 25, {26, 7}),
             record(7, 3, 31, {33}),
             record(8, 0, 34, {1, 6, 0}),
             record(9, 3, 200, {201}),
         })
        EmulatedHighKeyCommands::bind(state, info);
}

void fullTable(EmulatedKeyboardState &state)
{
    for (uchar slot = 0; slot < 32; ++slot)
        EmulatedHighKeyCommands::bind(state, record(slot, 0, slot, {1, 4, 0}));
}

QByteArray bytes(const HIGH_KEY_INFO &info)
{
    QByteArray out;
    out.append(char(info.item)).append(char(info.attribute)).append(char(info.keyItem));
    for (uchar b : info.data)
        out.append(char(b));
    return out;
}

QHighKeyDialog *makeDialog(int kind, uchar slot, uchar firstKey)
{
    switch (kind) {
    case 0: return new QTglAddDialog(slot);
    case 1: return new QMtAddDialog(slot);
    case 2: return new QDksAddDialog(slot);
    case 3: return new QRsAddDialog(slot, firstKey);
    case 4: return new QOksAddDialog(slot, firstKey);
    default: return new QSocdAddDialog(slot, firstKey);
    }
}

// Runs a script of user steps on a dialog: "press:<name>" a left press on a widget,
// "pick:<type>,<hValue>,<lValue>" a key of the picker, "tile:<key>" a key of the second-key
// picker, "key:Home" or "key:End" on the hold-time slider, and "save", "del", "cancel".
void act(QHighKeyDialog *dialog, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString what = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (what == QLatin1String("press")) {
            auto *widget = dialog->findChild<QWidget *>(arg);
            QVERIFY2(widget, qPrintable(arg));
            QTest::mouseClick(widget, Qt::LeftButton);
        } else if (what == QLatin1String("pick")) {
            const QStringList v = arg.split(QLatin1Char(','));
            const KEYBOARD_LIST_INFO *entry = global_getNormalKeyboard(uchar(v[0].toInt()), uchar(v[1].toInt()),
                                                                       uchar(v[2].toInt()));
            QVERIFY(entry);
            QVERIFY(PageRig::clickTile(dialog->findChild<QInputKeyboardWidget *>(), entry->index));
        } else if (what == QLatin1String("tile")) {
            QVERIFY(PageRig::clickTile(dialog->findChild<QRsoKeyboardWidget *>(), uchar(arg.toInt())));
        } else if (what == QLatin1String("key")) {
            QTest::keyClick(dialog->findChild<QSlider *>(), arg == QLatin1String("End") ? Qt::Key_End : Qt::Key_Home);
        } else {
            QVERIFY2(PageRig::clickButton(dialog, arg.isEmpty() ? what + QStringLiteral("Btn") : arg), qPrintable(step));
        }
    }
}
} // namespace

class TestHighKeyDialogs : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    std::unique_ptr<QHighKeyDialog> dialog;

    void open(const std::function<void(EmulatedKeyboardState &)> &prepare = bindings)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(SampleProductDatabase::He68Serial, prepare));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
    }

    void show(int kind, uchar slot, uchar firstKey = 255)
    {
        dialog.reset(makeDialog(kind, slot, firstKey));
        dialog->show();
    }

    bool waiting(const char *name) const
    {
        return QHighKeyDialog::isWaiting(dialog->findChild<QLabel *>(QString::fromLatin1(name)));
    }

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
    }

    void cleanup()
    {
        dialog.reset();
        rig.reset();
    }

    void records_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("firstKey");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<int>("status");
        const auto row = [](const char *name, int kind, int slot, int firstKey, const char *script, const char *saved,
                            int status) {
            QTest::newRow(name) << kind << slot << firstKey << QString::fromLatin1(script)
                                << QByteArray::fromHex(saved) << status;
        };
        row("new TGL", 0, 255, 255, "press:triggerLabel pick:1,0,4 save", "0000ff010400" "0000000000000000000000000000", 0);
        row("new TGL without a key", 0, 255, 255, "save", "0000ffffffff" "0000000000000000000000000000", 0);
        row("new MT without a hold key", 1, 255, 255, "press:singleLabel pick:1,0,4 save",
            "0001ffff5000010004ffffff" "0000000000000000", 0);
        row("new MT, tap then hold", 1, 255, 255, "press:singleLabel pick:1,0,4 press:longLabel pick:1,0,5 save",
            "0001ffff5000010004010500" "0000000000000000", 0);
        row("new MT at the slider's start", 1, 255, 255,
            "press:singleLabel pick:1,0,4 press:longLabel pick:1,0,5 key:Home save",
            "0001ffff0a00010004010500" "0000000000000000", 0);
        row("new MT at the slider's end", 1, 255, 255,
            "press:singleLabel pick:1,0,4 press:longLabel pick:1,0,5 key:End save",
            "0001ffffe803010004010500" "0000000000000000", 0);
        row("MT stored below the range", 1, 3, 255, "press:singleLabel pick:1,0,4 press:longLabel pick:1,0,5 save",
            "030115ff0a00010004010500" "0000000000000000", 1);
        row("MT stored above the range", 1, 4, 255, "save", "040116ffe803010004010500" "0000000000000000", 1);
        row("new DKS, a key for action 2", 2, 255, 255, "press:down3Label pick:1,0,4 save",
            "0002ff" "00ffffff00ffffff0101040000ffffff" "00", 0);
        row("new DKS without an action", 2, 255, 255, "save", "0002ff" "00ffffff00ffffff00ffffff00ffffff" "00", 0);
        row("new DKS, a stage without a key", 2, 255, 255, "press:down1Label save",
            "0002ff" "01ffffff00ffffff00ffffff00ffffff" "00", 0);
        row("new DKS, a key without a stage", 2, 255, 255, "press:oneLabel pick:1,0,4 save",
            "0002ff" "0001040000ffffff00ffffff00ffffff" "00", 0);
        row("DKS saved as stored, high mask bits dropped", 2, 1, 255, "save",
            "010214" "0501040000ffffff00ffffff00ffffff" "00", 1);
        row("new RS", 3, 255, 45, "tile:47 save", "00032d2f" "00000000000000000000000000000000", 0);
        row("OKS saved as stored", 4, 5, 255, "save", "05041718" "00000000000000000000000000000000", 1);
        row("SOCD mode it does not know", 5, 6, 255, "save", "0605191a00" "000000000000000000000000000000", 1);
        row("RS pick withdrawn keeps key 2", 3, 7, 255, "tile:47 tile:47 save", "07031f21" "00000000000000000000000000000000", 1);
        row("delete", 0, 8, 255, "del", "080022010600" "0000000000000000000000000000", 2);
    }

    void records()
    {
        QFETCH(int, kind);
        QFETCH(int, slot);
        QFETCH(int, firstKey);
        QFETCH(QString, script);
        QFETCH(QByteArray, saved);
        QFETCH(int, status);
        open();
        show(kind, uchar(slot), uchar(firstKey));
        act(dialog.get(), script);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(bytes(dialog->getHighKeyInfo()).toHex(), saved.toHex());
        QCOMPARE(dialog->getStatusFlag(), status);
        if (kind == 1) // the read-out shows what saving wrote
            QCOMPARE(static_cast<QMtAddDialog *>(dialog.get())->holdTimeLabel()->text(),
                     QStringLiteral("%1ms").arg(dialog->getHighKeyInfo().data[1] | dialog->getHighKeyInfo().data[2] << 8));
    }

    void refusals_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("notice");
        QTest::newRow("SOCD pair of one key") << 5 << 2 << "save" << false << QStringLiteral("按键1和按键2不能是同一个按键");
        const QString full = QStringLiteral("已绑定 32 个高级键，请先删除不用的高级键");
        QTest::newRow("no free slot") << 0 << 255 << "press:triggerLabel pick:1,0,4 save" << true << full;
        QTest::newRow("no free slot for an empty DKS") << 2 << 255 << "save" << true << full;
    }

    void refusals()
    {
        QFETCH(int, kind);
        QFETCH(int, slot);
        QFETCH(QString, script);
        QFETCH(bool, full);
        QFETCH(QString, notice);
        open(full ? fullTable : bindings);
        show(kind, uchar(slot));
        act(dialog.get(), script);
        QCOMPARE(PageRig::toasts(dialog.get()), QStringList{notice});
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(dialog->isVisible());
    }

    void slotLabelsTakeKeys()
    {
        open();
        show(2, 255);
        auto *dks = static_cast<QDksAddDialog *>(dialog.get());
        act(dks, QStringLiteral("press:oneLabel press:down2Label"));
        QVERIFY(!waiting("oneLabel"));
        QVERIFY(waiting("twoLabel"));
        QTest::mouseClick(dks->stageCell(1, 0), Qt::RightButton);
        QVERIFY(dks->stageCell(1, 0)->getSelectStatus());
        act(dks, QStringLiteral("press:down2Label")); // unticking keeps the row waiting
        QVERIFY(waiting("twoLabel"));
        act(dks, QStringLiteral("press:twoLabel pick:1,0,4")); // let go: the key goes nowhere
        QCOMPARE(dks->actionLabel(1)->text(), QString());
        act(dks, QStringLiteral("press:fourLabel pick:1,0,4"));
        QCOMPARE(dks->actionLabel(3)->text(), QStringLiteral("A"));
        QVERIFY(!dks->selectedSlot());

        show(2, 1); // a stored mask ticks its stages
        dks = static_cast<QDksAddDialog *>(dialog.get());
        QList<bool> ticked;
        for (int stage = 0; stage < QDksAddDialog::Stages; ++stage)
            ticked.append(dks->stageCell(0, stage)->getSelectStatus());
        QCOMPARE(ticked, QList<bool>({true, false, true, false}));
        QCOMPARE(dks->actionLabel(0)->text(), QStringLiteral("A"));
    }

    void pairDialogs()
    {
        open();
        show(3, 255, 45);
        auto *rs = static_cast<QPairKeyDialog *>(dialog.get());
        QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("delBtn"))->isVisible());
        QCOMPARE(rs->keyOneLabel()->text(), QStringLiteral("Z"));
        QVERIFY(waiting("keyTwoLabel"));
        QVERIFY(rs->picker()->tile(45)->isSelected());
        QVERIFY(!rs->picker()->tile(45)->isEnabled());
        QVERIFY(!rs->picker()->tile(31)->isEnabled()); // bound to an advanced key
        QVERIFY(!rs->canSave());
        act(rs, QStringLiteral("tile:47"));
        QCOMPARE(rs->keyTwoLabel()->text(), QStringLiteral("C"));
        QVERIFY(rs->canSave());
        act(rs, QStringLiteral("tile:47"));
        QCOMPARE(rs->keyTwoLabel()->text(), QString());
        QVERIFY(!rs->canSave());

        show(3, 7); // a complete binding can be saved at once
        rs = static_cast<QPairKeyDialog *>(dialog.get());
        QCOMPARE(rs->keyTwoLabel()->text(), QStringLiteral("D"));
        QVERIFY(rs->canSave());
        act(rs, QStringLiteral("cancel"));
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    void cards_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("functions"); // the labels shown
        QTest::newRow("DKS") << 1 << "T" << QStringList{"A", "", "", ""};
        QTest::newRow("MT, tap then hold") << 4 << "U" << QStringList{"A", "B"};
        QTest::newRow("TGL") << 8 << "F" << QStringList{"C"};
        QTest::newRow("RS") << 7 << "A" << QStringList{"A", "D"};
        QTest::newRow("a free slot") << 0 << "" << QStringList{"", "", "", ""};
        QTest::newRow("keys off the map") << 9 << "" << QStringList{"", ""};
        QTest::newRow("beyond the table") << 40 << "" << QStringList{"", "", "", ""};
    }

    void cards()
    {
        QFETCH(int, slot);
        QFETCH(QString, title);
        QFETCH(QStringList, functions);
        open();
        QWidget host;
        auto *card = new QHighKeyItemWidget(uchar(slot), &host);
        host.show();
        QCOMPARE(card->titleLabel()->text(), title);
        QStringList shown;
        for (int i = 0; i < 4; ++i) {
            if (card->functionLabel(i)->isVisible())
                shown.append(card->functionLabel(i)->text());
        }
        QCOMPARE(shown, functions);

        auto *add = new QHighKeyAddWidget(255, &host);
        add->move(0, 60);
        add->show();
        QSignalSpy clicks(card, &HighKeyCard::high_key_clicked);
        QSignalSpy addClicks(add, &HighKeyCard::high_key_clicked);
        QTest::mouseClick(card, Qt::RightButton);
        QTest::mouseClick(card, Qt::LeftButton);
        card->findChild<QToolButton *>(QStringLiteral("delBtn"))->click();
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(clicks, (QList<QVariantList>{{0, QVariant::fromValue(uchar(slot))}, {1, QVariant::fromValue(uchar(slot))}}));
        QCOMPARE(addClicks, (QList<QVariantList>{{0, QVariant::fromValue(uchar(255))}}));
    }
};

QTEST_MAIN(TestHighKeyDialogs)
#include "tst_highkeydialogs.moc"
