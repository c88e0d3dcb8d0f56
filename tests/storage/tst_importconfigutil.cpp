// The configuration import: a file exported from one emulated keyboard is imported through the
// real worker and protocol into another that holds something else; every block must arrive, and
// a file that is not fit, or a keyboard that stops answering, must end with its code.

#include "model/KeyboardConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigFileDatabase.h"
#include "storage/QAESEncryption.h"
#include "tests/storage/ConfigFileRig.h"

#include <QFile>
#include <QtTest>

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
    void compareWithSource(const QMap<QString, QStringList> &tables)
    {
        QCOMPARE(tables.keys(), sourceTables.keys());
        for (auto it = sourceTables.cbegin(); it != sourceTables.cend(); ++it) {
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
        compareWithSource(exportModel(QStringLiteral("model.aaa")));
        if (QTest::currentTestFailed())
            return;
        // ... and so does the keyboard, read back block by block.
        QVERIFY(rig->connectAndRead(keyboard));
        compareWithSource(exportModel(QStringLiteral("keyboard.aaa")));
        if (QTest::currentTestFailed())
            return;
        // The name went to the active profile only.
        QCOMPARE(keyboard->state().profiles[1].name, QStringLiteral("MOBA"));
        QCOMPARE(keyboard->state().profiles[0].name, QStringLiteral("Profile 1"));
        QCOMPARE(keyboard->state().currentProfile, 1);
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
        QTest::newRow("no macro table") << "sql" << QStringList{"DROP TABLE key_macro_table"} << -31;
        QTest::newRow("no travel table") << "sql" << QStringList{"DROP TABLE key_trigger_table"} << -32;
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
        const Results results = rig->runImport(bad, &written);
        QCOMPARE(results.last(), qMakePair(false, code));
        QCOMPARE(results.count(results.last()), 1);
        QVERIFY(!written);
        QCOMPARE(keyboard->requests().size(), requests);
        QVERIFY(ModelBlocks() == before);
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
};

QTEST_MAIN(TestImportConfigUtil)
#include "tst_importconfigutil.moc"
