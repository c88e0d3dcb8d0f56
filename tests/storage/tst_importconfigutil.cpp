// The configuration import: a file exported from one emulated keyboard is imported through the
// real worker and protocol into another that holds something else; every block must arrive, and
// a file that is not fit, or a keyboard that stops answering, must end with its code.

#include "model/KeyboardConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigFileDatabase.h"
#include "storage/QAESEncryption.h"
#include "storage/SqliteReadGuard.h"
#include "tests/storage/ConfigFileRig.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {
// What the import may change in the model, by identity of the records.
struct ModelBlocks {
    ConfigList profiles = gKeyboardConfig->keyboardConfigList;
    CustomLightMap lights = gKeyboardConfig->keyboardCustomLightMap;
    HighKeyList highKeys = gKeyboardConfig->keyboardHighKeyList;
    MacroList lastMacro = gKeyboardConfig->keyboardMacroList[9];
    TriggerMap triggers = gKeyboardConfig->keyboardTriggerMap;
    bool operator==(const ModelBlocks &o) const
    {
        return profiles == o.profiles && lights == o.lights && highKeys == o.highKeys && lastMacro == o.lastMacro
               && triggers == o.triggers;
    }
};
} // namespace

class TestImportConfigUtil : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir files;
    QString source; // exported from the distinctive keyboard
    QMap<QString, QStringList> sourceTables;
    std::unique_ptr<ConfigFileRig> rig;
    std::shared_ptr<EmulatedKeyboard> keyboard; // the plain keyboard imported into

    QString file(const QString &name) const { return files.filePath(name); }

    // Table by table, so that a difference names its table.
    static void compareTables(const QMap<QString, QStringList> &tables, const QMap<QString, QStringList> &expected)
    {
        QCOMPARE(tables.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QStringList rows = tables.value(it.key());
            for (int i = 0; i < qMax(rows.size(), it->size()); ++i)
                QVERIFY2(rows.value(i) == it->value(i),
                         qPrintable(it.key() + QStringLiteral(": ") + rows.value(i) + QStringLiteral(" instead of ") + it->value(i)));
        }
    }

    QMap<QString, QStringList> exportModel(const QString &name)
    {
        const Results results = rig->runExport(file(name));
        return results.value(results.size() - 1) == qMakePair(true, 100) ? ConfigFileRig::dump(file(name))
                                                                         : QMap<QString, QStringList>();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The import's temporary files go to a folder of this test's own.
        QVERIFY(TestFiles::redirectTempFolder(file(QStringLiteral("tmp"))));
        rig = std::make_unique<ConfigFileRig>();
        QVERIFY(rig->connectAndRead(ConfigFileRig::distinctiveKeyboard()));
        source = file(QStringLiteral("source.aaa"));
        QCOMPARE(rig->runExport(source).last(), qMakePair(true, 100));
        sourceTables = ConfigFileRig::dump(source);
        QVERIFY(!sourceTables.isEmpty());
        rig.reset();
    }

    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        rig = std::make_unique<ConfigFileRig>();
        keyboard = ConfigFileRig::plainKeyboard();
        QVERIFY(rig->connectAndRead(keyboard));
    }

    void cleanup()
    {
        rig.reset();
        keyboard.reset();
    }

    void importWritesEveryBlock()
    {
        QVERIFY(exportModel(QStringLiteral("before.aaa")) != sourceTables);
        bool written = false;
        const Results results = rig->runImport(source, &written);
        QVERIFY(written);

        QList<int> values;
        for (const auto &result : results) {
            QVERIFY(result.first);
            values << result.second;
        }
        QCOMPARE(values.mid(0, 9), (QList<int>{3, 6, 9, 12, 15, 18, 21, 24, 27}));
        QCOMPARE(values.last(), 100);
        QCOMPARE(values.count(100), 1);
        QVERIFY(std::is_sorted(values.begin(), values.end()));

        // The model holds the file as the keyboard confirmed it ...
        compareTables(exportModel(QStringLiteral("model.aaa")), sourceTables);
        if (QTest::currentTestFailed())
            return;
        // ... and so does the keyboard, read back block by block.
        QVERIFY(rig->connectAndRead(keyboard));
        compareTables(exportModel(QStringLiteral("keyboard.aaa")), sourceTables);
        if (QTest::currentTestFailed())
            return;
        // The name went to the active profile only.
        QCOMPARE(keyboard->state().profiles[1].name, QStringLiteral("MOBA"));
        QCOMPARE(keyboard->state().profiles[0].name, QStringLiteral("Profile 1"));
        QCOMPARE(keyboard->state().currentProfile, 1);
    }

    // A file of the factory keyboard, with blocks emptied or cut short, imported into a keyboard
    // that holds macros, colours, advanced keys, key and travel settings: what the keyboard can be
    // told to empty is emptied, and the model shows exactly what the keyboard then holds.
    void modelHoldsWhatTheKeyboardHolds_data()
    {
        QTest::addColumn<QStringList>("statements"); // run on the inner database of the factory file
        QStringList empty;
        for (const char *table : {"custom_light_table", "effect_light_table", "keyboard_fn_table", "keyboard_fn1_table",
                                  "high_key_table", "key_macro_table", "key_trigger_table"})
            empty << QStringLiteral("DELETE FROM ") + QLatin1String(table);
        QTest::newRow("empty blocks") << empty;
        QStringList some;
        for (const char *table : {"custom_light_table", "keyboard_fn_table", "keyboard_fn1_table", "key_trigger_table"})
            some << QStringLiteral("DELETE FROM %1 WHERE keyItem % 2 = 0").arg(QLatin1String(table));
        QTest::newRow("some keys, three slots") << (some << QStringLiteral("DELETE FROM high_key_table WHERE id > 3"));
        QTest::newRow("an effect the model lacks")
            << QStringList{"INSERT INTO effect_light_table VALUES ((SELECT MAX(item) + 3 FROM effect_light_table), 7, 2, 3, 1, 4, 5, 6)"};
    }

    void modelHoldsWhatTheKeyboardHolds()
    {
        QFETCH(QStringList, statements);
        const QString factory = file(QStringLiteral("factory.aaa"));
        const QString cut = file(QStringLiteral("cut.aaa"));
        QVERIFY(!exportModel(QStringLiteral("factory.aaa")).isEmpty());
        QVERIFY(ConfigFileRig::rewrite(factory, cut, statements));
        const auto full = ConfigFileRig::distinctiveKeyboard();
        QVERIFY(rig->connectAndRead(full));

        QCOMPARE(rig->runImport(cut).last(), qMakePair(true, 100));
        const QMap<QString, QStringList> model = exportModel(QStringLiteral("after-model.aaa"));
        QVERIFY(rig->connectAndRead(full));
        compareTables(model, exportModel(QStringLiteral("after-keyboard.aaa")));
        if (QTest::currentTestFailed())
            return;
        // The file holds no macro and no advanced key: neither does the keyboard now.
        for (const auto &macro : full->state().macros)
            QVERIFY(macro.isEmpty());
        for (const HIGH_KEY_INFO &key : full->state().profile().highKeys)
            QCOMPARE(key.item, uchar(0xFF));
    }

    // A keyboard may hold what no editing control sets: its own file gives it all back.
    void ownExportImportsAgain_data()
    {
        QTest::addColumn<int>("holdTime");   // ms, of the MT key in slot 1
        QTest::addColumn<int>("deadZone");   // 0.01 mm, pressing and lifting
        QTest::addColumn<bool>("oddBytes");  // SOCD mode 7, a macro action in state 2, effect flags 0xF0,
                                             // polling rate 5 and debounce 4 (no page button names them)
        QTest::addColumn<int>("slotAction"); // 1: slot 7 holds an advanced key of kind 9; 2: the model
                                             // deleted the RS key of slot 3 (as the advanced-key page does)
        QTest::newRow("MT held 1500 ms") << 1500 << 0 << false << 0;
        QTest::newRow("MT held 5 ms") << 5 << 0 << false << 0;
        QTest::newRow("dead zones of 1.50 mm") << 80 << 150 << false << 0;
        QTest::newRow("bytes beyond their lists") << 80 << 0 << true << 0;
        QTest::newRow("advanced key of kind 9") << 80 << 0 << false << 1;
        QTest::newRow("advanced key deleted") << 80 << 0 << false << 2;
    }

    void ownExportImportsAgain()
    {
        QFETCH(int, holdTime);
        QFETCH(int, deadZone);
        QFETCH(bool, oddBytes);
        QFETCH(int, slotAction);
        const auto held = ConfigFileRig::distinctiveKeyboard();
        EmulatedKeyboardState &state = held->state();
        QList<HIGH_KEY_INFO> &table = EmulatedHighKeyCommands::slotTable(state.profile());
        QCOMPARE(table[1].attribute, uchar(1)); // MT
        table[1].data[1] = uchar(holdTime);
        table[1].data[2] = uchar(holdTime >> 8);
        state.params.deadDown = state.params.deadUp = quint16(deadZone);
        if (oddBytes) {
            QCOMPARE(table[6].attribute, uchar(5)); // SOCD
            table[6].data[1] = 7;
            state.macros[0][0].state = 2;
            state.profile().effects[3].functionFlag = 0xF0;
            state.params.pollingRate = 5;
            state.params.shakeLevel = 4;
        }
        if (slotAction == 1)
            table[7] = EmulatedHighKeyCommands::record(7, 9, 40, {1, 2, 3});
        QVERIFY(rig->connectAndRead(held));
        if (slotAction == 1)
            QCOMPARE(gKeyboardConfig->keyboardHighKeyList.at(7)->attribute, uchar(9));
        if (slotAction == 2)
            gKeyboardConfig->delHighKey(3);
        const QMap<QString, QStringList> exported = exportModel(QStringLiteral("own.aaa"));
        QVERIFY(!exported.isEmpty());

        QVERIFY(rig->connectAndRead(keyboard));
        QCOMPARE(rig->runImport(file(QStringLiteral("own.aaa"))).last(), qMakePair(true, 100));
        const HIGH_KEY_INFO &mt = EmulatedHighKeyCommands::slotTable(keyboard->state().profile())[1];
        QCOMPARE(mt.data[1] | mt.data[2] << 8, holdTime);
        QCOMPARE(int(keyboard->state().params.deadDown), deadZone);
        QCOMPARE(int(keyboard->state().params.deadUp), deadZone);
        // Everything else the file holds, as a fresh read of the keyboard gives it.
        QVERIFY(rig->connectAndRead(keyboard));
        compareTables(exportModel(QStringLiteral("own-imported.aaa")), exported);
    }

    void unfitFileChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("statements"); // run on the inner database of the source
        QTest::addColumn<int>("code");
        const QStringList none;
        QTest::newRow("wrong key") << "key" << none << -22;
        QTest::newRow("length not whole blocks") << "cut" << none << -22;
        QTest::newRow("cut at a page") << "page" << none << -22;
        QTest::newRow("not a database") << "noise" << none << -22;
        QTest::newRow("empty file") << "empty" << none << -22;
        QTest::newRow("a folder") << "folder" << none << -22;
        QTest::newRow("another product model") << "sql" << QStringList{"UPDATE product_table SET serialNumber = 1234"} << -23;
        QTest::newRow("no product record") << "sql" << QStringList{"DELETE FROM product_table"} << -22;
        QTest::newRow("no profile name") << "sql" << QStringList{"DELETE FROM config_table"} << -24;
        QTest::newRow("no parameters") << "sql" << QStringList{"DROP TABLE params_table"} << -25;
        QTest::newRow("256 lighting entries")
            << "sql"
            << QStringList{"WITH RECURSIVE n(k) AS (SELECT 104 UNION ALL SELECT k + 1 FROM n WHERE k < 255) "
                           "INSERT INTO custom_light_table SELECT k, 1, 2, 3, 4 FROM n"}
            << -26;
        QTest::newRow("column missing") << "sql" << QStringList{"ALTER TABLE keyboard_fn_table DROP COLUMN lValue"} << -28;
        QTest::newRow("short advanced-key body") << "sql" << QStringList{"UPDATE high_key_table SET data = x'1fff01' WHERE item = 1"} << -30;
        QTest::newRow("33 advanced keys")
            << "sql" << QStringList{"INSERT INTO high_key_table (item,attribute,data) VALUES (255,255,zeroblob(40))"} << -30;
        QTest::newRow("21 macro actions")
            << "sql"
            << QStringList{"INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) VALUES (9,20,1,0,4,0,0)"}
            << -31;
        QTest::newRow("21 macro actions, one number twice")
            << "sql"
            << QStringList{"INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) VALUES (9,5,1,0,4,0,0)"}
            << -31;
        QTest::newRow("advanced key in slot 32") << "sql" << QStringList{"UPDATE high_key_table SET item = 32 WHERE item = 1"} << -30;
        QTest::newRow("no macro table") << "sql" << QStringList{"DROP TABLE key_macro_table"} << -31;
        QTest::newRow("no travel table") << "sql" << QStringList{"DROP TABLE key_trigger_table"} << -32;
        // Files made to hang or flood the reader, or to put values on the keyboard it cannot hold.
        QTest::newRow("recursive view")
            << "sql"
            << QStringList{"DROP TABLE key_macro_table",
                           "CREATE VIEW key_macro_table AS WITH RECURSIVE r(id,macroIndex,item,type,state,lValue,hValue,time) AS "
                           "(SELECT 1,0,0,1,1,4,0,0 UNION ALL SELECT id + 1,0,0,1,1,4,0,0 FROM r) SELECT * FROM r ORDER BY id DESC"}
            << -31;
        QTest::newRow("trigger")
            << "sql" << QStringList{"CREATE TRIGGER wipe AFTER INSERT ON key_trigger_table BEGIN DELETE FROM key_trigger_table; END"}
            << -32;
        QTest::newRow("generated column")
            << "sql"
            << QStringList{"DROP TABLE keyboard_fn1_table",
                           "CREATE TABLE keyboard_fn1_table (keyItem INT, type INT, hValue INT, lValue INT AS (keyItem + 1))"}
            << -29;
        QTest::newRow("text for a flag") << "sql" << QStringList{"UPDATE params_table SET touchOptimize = 'maybe'"} << -25;
        QTest::newRow("polling rate wider than a byte") << "sql" << QStringList{"UPDATE params_table SET pollingRate = 256"} << -25;
        QTest::newRow("blob for a colour") << "sql" << QStringList{"UPDATE custom_light_table SET colorR = x'0102' WHERE keyItem = 10"} << -26;
        QTest::newRow("negative colour") << "sql" << QStringList{"UPDATE effect_light_table SET colorB = -7"} << -27;
        QTest::newRow("99999999999 for a key type")
            << "sql" << QStringList{"UPDATE keyboard_fn_table SET type = 99999999999 WHERE keyItem = 10"} << -28;
        QTest::newRow("1e300 for a travel") << "sql" << QStringList{"UPDATE key_trigger_table SET quickTrigger = 1e300 WHERE keyItem = 10"} << -32;
        QTest::newRow("long profile name") << "sql" << QStringList{"UPDATE config_table SET configName = printf('%.100c', 'x')"} << -24;
        QTest::newRow("oversized advanced-key body")
            << "sql" << QStringList{"UPDATE high_key_table SET data = zeroblob(4096) WHERE item = 1"} << -30;
        // A body as large as the reader's bound takes the file past it; a reader without the bound
        // would refuse the body (-30) instead of the file.
        QTest::newRow("advanced-key body the size of the file bound: too large a file")
            << "sql"
            << QStringList{QStringLiteral("UPDATE high_key_table SET data = zeroblob(%1) WHERE item = 1")
                               .arg(ConfigFileDatabase::MaxFileSize)}
            << -22;
        for (int index : {10, 50})
            QTest::addRow("macro index %d", index)
                << "sql"
                << QStringList{QStringLiteral("INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) "
                                              "VALUES (%1,0,1,1,4,0,0)").arg(index)}
                << -31;
    }

    void unfitFileChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, statements);
        QFETCH(int, code);
        const QByteArray bytes = TestFiles::read(source);
        const QString bad = file(QStringLiteral("bad-") + QTest::currentDataTag());
        if (kind == QLatin1String("sql"))
            QVERIFY(ConfigFileRig::rewrite(source, bad, statements));
        else if (kind == QLatin1String("key"))
            QVERIFY(TestFiles::write(bad, QAESEncryption::Crypt(QAESEncryption::AES_256, QAESEncryption::CBC,
                                                         ConfigFileDatabase::decrypt(bytes), QByteArray(32, 'k'),
                                                         QByteArray(16, '\0'))));
        else if (kind == QLatin1String("cut"))
            QVERIFY(TestFiles::write(bad, bytes.left(bytes.size() - 5)));
        else if (kind == QLatin1String("page"))
            QVERIFY(TestFiles::write(bad, bytes.left(bytes.size() / 8192 * 4096)));
        else if (kind == QLatin1String("noise"))
            QVERIFY(TestFiles::write(bad, ConfigFileDatabase::encrypt(QByteArray(8192, 'n'))));
        else if (kind == QLatin1String("empty"))
            QVERIFY(TestFiles::write(bad, QByteArray()));
        else
            QVERIFY(QDir().mkpath(bad));

        const ModelBlocks before;
        const int requests = keyboard->requests().size();
        bool written = true;
        qint64 elapsed = -1;
        const Results results = rig->runImport(bad, &written, &elapsed);
        QCOMPARE(results.last(), qMakePair(false, code));
        QVERIFY2(elapsed >= 0 && elapsed < 1000, qPrintable(QString::number(elapsed)));
        QCOMPARE(results.count(results.last()), 1);
        QVERIFY(!written);
        QCOMPARE(keyboard->requests().size(), requests);
        QVERIFY(ModelBlocks() == before);
    }

    // Nothing of an import stays in the temporary folder, whatever its outcome: a file in WAL mode
    // has SQLite make a log and its index beside the copy it reads.
    void importLeavesNoTemporaryFile_data()
    {
        QTest::addColumn<QStringList>("statements"); // run on the inner database of the source
        QTest::addColumn<int>("value");              // of the final result
        const QString wal = QStringLiteral("PRAGMA journal_mode = WAL");
        QTest::newRow("WAL file imported") << QStringList{wal} << 100;
        QTest::newRow("WAL file refused") << QStringList{wal, "UPDATE params_table SET pollingRate = 256"} << -25;
        QTest::newRow("WAL file of another product")
            << QStringList{wal, "UPDATE product_table SET serialNumber = 1234"} << -23;
    }

    void importLeavesNoTemporaryFile()
    {
        QFETCH(QStringList, statements);
        QFETCH(int, value);
        const QString wal = file(QStringLiteral("wal.aaa"));
        QVERIFY(ConfigFileRig::rewrite(source, wal, statements));
        const auto entries = [] {
            return QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        const QStringList before = entries();
        QCOMPARE(rig->runImport(wal).last().second, value);
        QCOMPARE(entries(), before);
    }

    void keyboardFailingMidWayIsReported_data()
    {
        QTest::addColumn<int>("dropped"); // reply code the keyboard stops sending; 0: the link is closed
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("written");
        QTest::newRow("profile name") << 0xD6 << -2 << true;
        QTest::newRow("profile list") << 0xD7 << -2 << true;
        QTest::newRow("travel settings") << 0xA8 << -2 << true;
        QTest::newRow("link closed") << 0 << -200 << false;
    }

    void keyboardFailingMidWayIsReported()
    {
        QFETCH(int, dropped);
        QFETCH(int, code);
        QFETCH(bool, written);
        gUsbCommunicateUtil->setReplyInterval(ConfigFileRig::ShortInterval);
        if (dropped)
            keyboard->addReplyFault(ReplyFault{ReplyFault::Drop, 0, dropped, 99});
        else
            gUsbCommunicateUtil->closeCommunicate();
        const ModelBlocks before;
        bool keyboardWritten = !written;
        const Results results = rig->runImport(source, &keyboardWritten);
        QCOMPARE(results.last(), qMakePair(false, code));
        QCOMPARE(results.count(results.last()), 1);
        QCOMPARE(keyboardWritten, written);
        QVERIFY(ModelBlocks() == before);
    }

    // The reader's limits: a statement that would run for ever is stopped, and stops at once when
    // its thread is asked to.
    void endlessQueryIsStopped_data()
    {
        QTest::addColumn<bool>("askToStop");
        QTest::newRow("left alone") << false;
        QTest::newRow("asked to stop") << true;
    }

    void endlessQueryIsStopped()
    {
        QFETCH(bool, askToStop);
        std::atomic<bool> started{false};
        bool failed = false;
        SqliteReadGuard::Stop reason = SqliteReadGuard::NotStopped;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            const QString name = QStringLiteral("endless");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(QStringLiteral(":memory:"));
                db.open();
                const SqliteReadGuard guard(db, ConfigFileDatabase::ReadLimits);
                QSqlQuery query(db);
                started = true;
                failed = !query.exec(QStringLiteral("WITH RECURSIVE r(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM r) "
                                                    "SELECT x FROM r ORDER BY x DESC LIMIT 1"));
                reason = guard.stopReason();
            }
            QSqlDatabase::removeDatabase(name);
        }));
        thread->start();
        QVERIFY(QTest::qWaitFor([&] { return started.load(); }, 5000));
        if (askToStop)
            thread->requestInterruption();
        QVERIFY(thread->wait(ConfigFileDatabase::ReadLimits.milliseconds * 2));
        QVERIFY(failed);
        QVERIFY(reason != SqliteReadGuard::NotStopped);
        QCOMPARE(reason == SqliteReadGuard::Interrupted, askToStop);
    }
};

QTEST_MAIN(TestImportConfigUtil)
#include "tst_importconfigutil.moc"
