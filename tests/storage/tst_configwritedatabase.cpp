// The configuration export: the real worker writes a model that a real configuration read filled
// from an emulated keyboard; the file is checked layer by layer against literal values, and every
// failure leaves the old target file as it was.

#include "model/KeyboardConfigUtil.h"
#include "storage/ConfigFileDatabase.h"
#include "tests/storage/ConfigFileRig.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestConfigWriteDatabase : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ConfigFileRig> rig;
    QString file;
    Results exportResults;
    QMap<QString, QStringList> tables;

private Q_SLOTS:
    void initTestCase()
    {
        rig = std::make_unique<ConfigFileRig>();
        QVERIFY(rig->connectAndRead(ConfigFileRig::distinctiveKeyboard()));
        file = rig->path(QStringLiteral("keyboard.aaa"));
        QVERIFY(TestFiles::write(file, "an older file"));
        exportResults = rig->runExport(file);
        tables = ConfigFileRig::dump(file);
    }

    void cleanupTestCase() { rig.reset(); }

    void progressRisesToHundredOnce()
    {
        QList<int> values;
        for (const auto &result : exportResults) {
            QVERIFY(result.first);
            values << result.second;
        }
        QCOMPARE(values, (QList<int>{5, 10, 15, 25, 35, 45, 55, 65, 75, 85, 95, 100}));
    }

    void outerLayerIsTheWholeDatabaseEncrypted()
    {
        const QByteArray bytes = TestFiles::read(file);
        const QByteArray plain = ConfigFileDatabase::decrypt(bytes);
        QVERIFY(plain.startsWith(QByteArray("SQLite format 3\0", 16)));
        QVERIFY(!bytes.startsWith("SQLite"));
        // Pages are whole blocks: nothing is padded, and the file has the database's length.
        QCOMPARE(bytes.size() % 4096, 0);
        QCOMPARE(plain.size(), bytes.size());
    }

    void cipherMatchesAnIndependentImplementation_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        // AES-256-CBC, zero vector, key SHA-256("OrchidLanterns582#"), computed with OpenSSL.
        QTest::newRow("aligned") << QByteArray("SQLite format 3\0configuration!!!", 32)
                                 << QByteArray::fromHex("7dcbdc5d14e5b25e0c60c12aa8b017811b237a49595442a8e26ecca1373c41cd");
        QTest::newRow("ISO padded") << QByteArray("SQLite format 3\0config", 22)
                                    << QByteArray::fromHex("7dcbdc5d14e5b25e0c60c12aa8b0178134c59f8d2acd81ae970f0c3584720e90");
    }

    void cipherMatchesAnIndependentImplementation()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        QCOMPARE(ConfigFileDatabase::cipherKey().toHex(), "98af991a9a61458c61a429b3847066263610a2c87d360bd61456aa2c0db15c8c");
        QCOMPARE(ConfigFileDatabase::encrypt(plain).toHex(), cipher.toHex());
        QVERIFY(ConfigFileDatabase::decrypt(cipher).startsWith(plain));
    }

    void tablesHoldTheModel_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("row"); // one row that must be there
        const QString zeros30 = QString(60, QLatin1Char('0'));
        // Numbers of the identity and the board parameters are stored signed.
        QTest::newRow("product") << "product_table" << "serialNumber|version|customerName|productName|logoName" << 1
                                 << "-26111|-32507|Quill|Quill HE104|QUILL";
        QTest::newRow("profile") << "config_table" << "id|configName" << 1 << "1|MOBA";
        QTest::newRow("params") << "params_table"
                                << "id|reserve|touchOptimize|deadDown|deadUp|pollingRate|shakeLevel|calibration|sportsMode|currentLayer"
                                << 1 << "1|-1|1|95|34|3|2|0|1|1";
        QTest::newRow("per-key lighting") << "custom_light_table" << "keyItem|light|colorR|colorG|colorB" << 104
                                          << "10|4|200|16|255";
        QTest::newRow("effects") << "effect_light_table" << "item|functionFlag|light|speed|fullColor|colorR|colorG|colorB"
                                 << 10 << "3|11|1|3|1|32|64|96";
        QTest::newRow("normal layer") << "keyboard_fn_table" << "keyItem|type|hValue|lValue" << 104 << "10|3|0|2";
        QTest::newRow("Fn layer") << "keyboard_fn1_table" << "keyItem|type|hValue|lValue" << 104 << "6|255|255|255";
        // MT: hold time high byte first (01 02), tap key as type, lValue, hValue (01 05 07).
        QTest::newRow("MT key") << "high_key_table" << "id|item|attribute|data" << 32
                                << "2|1|1|1fff0102010507000200" + zeros30;
        QTest::newRow("free slot") << "high_key_table" << "id|item|attribute|data" << 32
                                   << "5|255|255|" + QString(80, QLatin1Char('0'));
        QTest::newRow("macro M1") << "key_macro_table" << "id|macroIndex|item|type|state|lValue|hValue|time" << 23
                                  << "2|0|1|1|0|4|0|300";
        QTest::newRow("macro M3 after an empty M2") << "key_macro_table" << "id|macroIndex|item|type|state|lValue|hValue|time"
                                                    << 23 << "3|2|0|2|1|233|0|5";
        QTest::newRow("triggers") << "key_trigger_table" << "keyItem|trigger|model|quick|quickTrigger|resetTrigger" << 104
                                  << "10|291|1|0|69|65535";
    }

    void tablesHoldTheModel()
    {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        QFETCH(int, rows);
        QFETCH(QString, row);
        // The ten tables and SQLite's own sequence table.
        QCOMPARE(tables.size(), 11);
        const QStringList lines = tables.value(table);
        QCOMPARE(lines.value(0), columns);
        QCOMPARE(lines.size() - 1, rows);
        QVERIFY2(lines.contains(row), qPrintable(lines.mid(1, 6).join(QLatin1String(" / "))));
    }

    void exportWritesTheModelAsConstructed()
    {
        const QString target = rig->path(QStringLiteral("snapshot.aaa"));
        KEYBOARD_CONFIG_INFO &profile = *gKeyboardConfig->keyboardConfigList[gKeyboardConfig->currentConfigIndex];
        const TriggerMap triggers = gKeyboardConfig->keyboardTriggerMap;
        const Results results = rig->runExport(target, [&] {
            profile.configName = QStringLiteral("changed");
            gKeyboardConfig->keyboardTriggerMap.clear();
        });
        profile.configName = QStringLiteral("MOBA");
        gKeyboardConfig->keyboardTriggerMap = triggers;
        QCOMPARE(results.last(), qMakePair(true, 100));
        const auto written = ConfigFileRig::dump(target);
        QCOMPARE(written.value(QStringLiteral("config_table")).value(1), QStringLiteral("1|MOBA"));
        QCOMPARE(written.value(QStringLiteral("key_trigger_table")).size(), 105);
    }

    void emptyTextsAreStored()
    {
        const QString target = rig->path(QStringLiteral("empty-texts.aaa"));
        KEYBOARD_PRODUCT_INFO &product = *gKeyboardConfig->keyboardProductInfo;
        const KEYBOARD_PRODUCT_INFO kept = product;
        product.customerName = product.logoName = QString();
        const Results results = rig->runExport(target);
        product = kept;
        QCOMPARE(results.last(), qMakePair(true, 100));
        QCOMPARE(ConfigFileRig::dump(target).value(QStringLiteral("product_table")).value(1),
                 QStringLiteral("-26111|-32507||Quill HE104|"));
    }

    void failedExportKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code");
        QTest::newRow("no product identity") << "product" << -34;
        QTest::newRow("current profile not in the list") << "profile" << -36;
        QTest::newRow("a lighting row the table refuses") << "row" << -40;
        QTest::newRow("temporary folder unusable") << "temp" << -21;
        QTest::newRow("target is a folder") << "folder" << -55;
    }

    void failedExportKeepsTheOldFile()
    {
        QFETCH(QString, fault);
        QFETCH(int, code);
        const QString folder = rig->path(QStringLiteral("failed-") + fault);
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + QStringLiteral("/keep.aaa");
        QVERIFY(TestFiles::write(target, "keep me"));
        auto product = gKeyboardConfig->keyboardProductInfo;
        const uchar profile = gKeyboardConfig->currentConfigIndex;
        const QByteArray tmpdir = qgetenv("TMPDIR");
        if (fault == QLatin1String("product"))
            gKeyboardConfig->keyboardProductInfo.reset();
        if (fault == QLatin1String("profile"))
            gKeyboardConfig->currentConfigIndex = 9;
        // Two records of one key: the second breaks the table's key.
        KEYBOARD_CUSTOM_LIGHT &light = *gKeyboardConfig->keyboardCustomLightMap.value(11);
        if (fault == QLatin1String("row"))
            light.keyItem = 10;
        if (fault == QLatin1String("temp"))
            qputenv("TMPDIR", QFile::encodeName(target)); // a file, not a folder
        if (fault == QLatin1String("folder"))
            target = folder;

        const Results results = rig->runExport(target);
        gKeyboardConfig->keyboardProductInfo = product;
        gKeyboardConfig->currentConfigIndex = profile;
        light.keyItem = 11;
        qputenv("TMPDIR", tmpdir);

        QVERIFY(!results.isEmpty());
        QCOMPARE(results.last(), qMakePair(false, code));
        QCOMPARE(results.count(results.last()), 1);
        QCOMPARE(TestFiles::read(folder + QStringLiteral("/keep.aaa")), QByteArray("keep me"));
        // Nothing is left behind beside the target.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("keep.aaa")});
    }
};

QTEST_MAIN(TestConfigWriteDatabase)
#include "tst_configwritedatabase.moc"
