#include "storage/ProductDataUtil.h"
#include "tests/support/FolderLock.h"
#include "emulator/SampleProductDatabase.h"
#include "tests/support/SqlFile.h"
#include "tests/support/TestDataDir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QtTest>

namespace {

const QString kDbName = QStringLiteral("/quillbase.db3");

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// name -> CREATE statement of every table in the file.
QMap<QString, QString> schemaOf(const QString &path)
{
    QMap<QString, QString> schema;
    for (const QStringList &row : SqlFile::rows(path, "SELECT name, sql FROM sqlite_master WHERE type = 'table'"))
        schema.insert(row.at(0), row.at(1));
    return schema;
}

QString productRow(int storedSerial, const QString &name, const QString &strCol = QString())
{
    return QStringLiteral("INSERT INTO product_table VALUES (%1, 24109, 20115, 1, '%2', 'folder_%2', 10, 400, "
                          "1, 250, 2, 240, 800, 300, '%3')")
        .arg(storedSerial)
        .arg(name, strCol);
}

} // namespace

class TestProductDataUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstOpenCreatesTablesAndFindsNothing()
    {
        TestDataDir dir;
        QVERIFY(!QFileInfo::exists(dir.path()));
        ProductDataUtil products;
        QVERIFY(QFileInfo(dir.path() + kDbName).isFile());

        const auto schema = schemaOf(dir.path() + kDbName);
        QCOMPARE(schema.keys(), QStringList({"device_table", "key_position_table", "keyboard_default_table",
                                             "product_table"}));

        QVERIFY(!products.getProductInfoById(SampleProductDatabase::He104Serial));
        QList<QSharedPointer<PRODUCT_INFO>> list;
        products.getProductList(list);
        QVERIFY(list.isEmpty());
        KeyPositionMap positions;
        products.getKeyPosition(SampleProductDatabase::He104Serial, positions);
        QVERIFY(positions.isEmpty());
        DefaultKeyList normal, fn1;
        products.getDefaultProductKey(SampleProductDatabase::He104Serial, normal);
        products.getDefaultFn1ProductKey(SampleProductDatabase::He104Serial, fn1); // table absent
        QVERIFY(normal.isEmpty());
        QVERIFY(fn1.isEmpty());
    }

    void existingFileIsKeptAndReopened()
    {
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        const QByteArray before = fileHash(SampleProductDatabase::path());
        {
            ProductDataUtil products;
            QVERIFY(products.getProductInfoById(SampleProductDatabase::He104Serial));
        }
        // Creating the tables again changes nothing in a file that has them.
        QCOMPARE(schemaOf(dir.path() + kDbName), schemaOf(SampleProductDatabase::path()));
        ProductDataUtil again;
        QVERIFY(again.getProductInfoById(SampleProductDatabase::He68Serial));
        QCOMPARE(fileHash(SampleProductDatabase::path()), before);
    }

    void serialNumbersAreStoredSigned_data()
    {
        QTest::addColumn<int>("serial");
        QTest::addColumn<int>("stored");
        QTest::newRow("0x0000") << 0x0000 << 0;
        QTest::newRow("0x7FFF") << 0x7FFF << 32767;
        QTest::newRow("0x8000") << 0x8000 << -32768;
        QTest::newRow("0x8A01") << 0x8A01 << -30207;
        QTest::newRow("0xFFFF") << 0xFFFF << -1;
    }

    void serialNumbersAreStoredSigned()
    {
        QFETCH(int, serial);
        QFETCH(int, stored);
        TestDataDir dir;
        ProductDataUtil products;
        QCOMPARE(ProductDataUtil::serialNumberValue(ushort(serial)).toInt(), stored);
        QStringList rows{productRow(stored, "signed")};
        if (stored < 0) // the same number stored unsigned is another row the look-up must not find
            rows << productRow(serial, "unsigned");
        rows << QStringLiteral("INSERT INTO key_position_table VALUES (NULL, %1, 7, 7, 1, 0, 0, 1, 2, 3, 4)").arg(stored)
             << QStringLiteral("INSERT INTO keyboard_default_table VALUES (NULL, %1, 7, 1, 0, 4, 'A')").arg(stored);
        QVERIFY(SqlFile::exec(dir.path() + kDbName, rows));

        const auto info = products.getProductInfoById(ushort(serial));
        QVERIFY(info);
        QCOMPARE(info->serialNumber, quint16(serial));
        QCOMPARE(info->productName, QString("signed"));
        KeyPositionMap positions;
        products.getKeyPosition(ushort(serial), positions);
        QCOMPARE(positions.size(), 1);
        DefaultKeyList keys;
        products.getDefaultProductKey(ushort(serial), keys);
        QCOMPARE(keys.size(), 1);
    }

    void rowsAreReadByPosition()
    {
        TestDataDir dir;
        ProductDataUtil products;
        QVERIFY(SqlFile::exec(dir.path() + kDbName,
                       {productRow(0x1234, "texts", "1,2,3"),
                        // two rows for key 9: the later one wins
                        "INSERT INTO key_position_table VALUES (NULL, 4660, 9, 1, 1, 2, 3, 10, 20, 30, 40)",
                        "INSERT INTO key_position_table VALUES (NULL, 4660, 9, 5, 0, 6, 7, 50, 60, 70, 80)",
                        // key numbers wider than a byte keep their low bits
                        "INSERT INTO key_position_table VALUES (NULL, 4660, 300, 300, 'true', 1, 1, 0, 0, 0, 0)",
                        "INSERT INTO keyboard_default_table VALUES (NULL, 4660, 3, 2, 1, 131, 'Player')",
                        "INSERT INTO keyboard_default_table VALUES (NULL, 4660, 1, 0, 0, 2, 'Shift')"}));

        const auto info = products.getProductInfoById(0x1234);
        QVERIFY(info);
        QCOMPARE(info->vendorId, quint16(0x5E2D));
        QCOMPARE(info->productId, quint16(0x4E93));
        QCOMPARE(info->interface, 1);
        QCOMPARE(info->productData, QString("folder_texts"));
        QCOMPARE(info->triggerMin, quint16(10));
        QCOMPARE(info->triggerMax, quint16(400));
        QCOMPARE(info->qttMin, quint16(1));
        QCOMPARE(info->qttMax, quint16(250));
        QCOMPARE(info->qrtMin, quint16(2));
        QCOMPARE(info->qrtMax, quint16(240));
        QCOMPARE(info->width, 800);
        QCOMPARE(info->height, 300);
        QVERIFY(info->strCol.isEmpty()); // text never converts to a list

        KeyPositionMap positions;
        products.getKeyPosition(0x1234, positions);
        QCOMPARE(positions.keys(), QList<uchar>({9, 44}));
        const auto nine = positions.value(9);
        QCOMPARE(nine->posItem, uchar(5));
        QCOMPARE(nine->flag, false);
        QCOMPARE(nine->row, uchar(6));
        QCOMPARE(nine->col, uchar(7));
        QCOMPARE(nine->left, 50);
        QCOMPARE(nine->top, 60);
        QCOMPARE(nine->width, 70);
        QCOMPARE(nine->height, 80);
        QCOMPARE(positions.value(44)->posItem, uchar(44));
        QCOMPARE(positions.value(44)->flag, true);

        // The map and lists are added to, not replaced.
        products.getKeyPosition(0x1234, positions);
        QCOMPARE(positions.size(), 2);
        DefaultKeyList keys;
        products.getDefaultProductKey(0x1234, keys);
        products.getDefaultProductKey(0x1234, keys);
        QCOMPARE(keys.size(), 4);
        QCOMPARE(keys.at(0)->keyItem, uchar(3)); // row order, not key order
        QCOMPARE(keys.at(0)->type, uchar(2));
        QCOMPARE(keys.at(0)->hValue, uchar(1));
        QCOMPARE(keys.at(0)->lValue, uchar(0x83));
        QCOMPARE(keys.at(0)->label, QString("Player"));
        QCOMPARE(keys.at(1)->keyItem, uchar(1));

        QList<QSharedPointer<PRODUCT_INFO>> list;
        products.getProductList(list);
        products.getProductList(list);
        QCOMPARE(list.size(), 2);
    }

    void malformedRowsYieldNoRecord()
    {
        TestDataDir dir;
        ProductDataUtil products;
        QVERIFY(SqlFile::exec(dir.path() + kDbName,
                       {// SQLite keeps text that does not look like a number in an INT column
                        "INSERT INTO product_table VALUES (5, 1, 2, 3, 'bad', 'bad', 'ten', 400, 1, 2, 3, 4, 5, 6, '')",
                        "INSERT INTO key_position_table VALUES (NULL, 5, 1, 1, 1, 0, 0, 0, 0, 10, 10)",
                        "INSERT INTO key_position_table VALUES (NULL, 5, 'two', 2, 1, 0, 0, 0, 0, 10, 10)",
                        "INSERT INTO key_position_table VALUES (NULL, 5, 3, 3, 'maybe', 0, 0, 0, 0, 10, 10)",
                        "INSERT INTO keyboard_default_table VALUES (NULL, 5, 1, 1, 0, 'x', 'X')",
                        "INSERT INTO keyboard_default_table VALUES (NULL, 5, 2, 1, 0, 5, 'B')"}));
        QVERIFY(!products.getProductInfoById(5));
        QList<QSharedPointer<PRODUCT_INFO>> list;
        products.getProductList(list);
        QVERIFY(list.isEmpty());
        KeyPositionMap positions;
        products.getKeyPosition(5, positions);
        QCOMPARE(positions.keys(), QList<uchar>({1}));
        DefaultKeyList keys;
        products.getDefaultProductKey(5, keys);
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys.first()->keyItem, uchar(2));
    }

    void rowsWithMissingColumnsYieldNoRecord()
    {
        // A downloaded file of another layout: too few columns in every table.
        TestDataDir dir;
        const QString download = dir.root() + "/old_layout.db3";
        QVERIFY(SqlFile::exec(download, {"CREATE TABLE product_table (serialNumber INT, productName TEXT)",
                                  "INSERT INTO product_table VALUES (7, 'old')",
                                  "CREATE TABLE key_position_table (id INTEGER PRIMARY KEY, serialNumber INT, keyItem INT)",
                                  "INSERT INTO key_position_table VALUES (NULL, 7, 1)",
                                  "CREATE TABLE keyboard_default_fn1_table (id INTEGER PRIMARY KEY, serialNumber INT, keyItem INT)",
                                  "INSERT INTO keyboard_default_fn1_table VALUES (NULL, 7, 1)"}));
        ProductDataUtil products;
        QVERIFY(products.refreshDatabaseFile(download));
        QVERIFY(!products.getProductInfoById(7));
        KeyPositionMap positions;
        products.getKeyPosition(7, positions);
        QVERIFY(positions.isEmpty());
        DefaultKeyList keys;
        products.getDefaultFn1ProductKey(7, keys);
        products.getDefaultProductKey(7, keys); // table absent
        QVERIFY(keys.isEmpty());
    }

    void swapInDownloadedFile()
    {
        TestDataDir dir;
        ProductDataUtil products; // a fresh, empty database
        QVERIFY(!products.getProductInfoById(SampleProductDatabase::He104Serial));
        const QString download = dir.root() + "/download.db3";
        QVERIFY(QFile::copy(SampleProductDatabase::path(), download));

        QVERIFY(products.refreshDatabaseFile(download));
        QVERIFY(!QFileInfo::exists(download));
        QCOMPARE(fileHash(dir.path() + kDbName), fileHash(SampleProductDatabase::path()));
        QVERIFY(products.getProductInfoById(SampleProductDatabase::He104Serial));
        DefaultKeyList fn1;
        products.getDefaultFn1ProductKey(SampleProductDatabase::He104Serial, fn1);
        QCOMPARE(fn1.size(), SampleProductDatabase::He104Keys);
        // No temporary file is left beside the database.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"quillbase.db3"}));
    }

    void badDownloadKeepsOldDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("not a database") << "garbage";
        QTest::newRow("no product_table") << "noProducts";
        QTest::newRow("folder") << "folder";
    }

    void badDownloadKeepsOldDatabase()
    {
        QFETCH(QString, kind);
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        const QString target = dir.path() + kDbName;
        const QByteArray before = fileHash(target);
        ProductDataUtil products;

        const QString download = dir.root() + "/download.db3";
        if (kind == "empty") {
            QFile file(download);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == "garbage") {
            QFile file(download);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
        } else if (kind == "noProducts") {
            QVERIFY(SqlFile::exec(download, {"CREATE TABLE something (a INT)"}));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(download));
        }

        QVERIFY(!products.refreshDatabaseFile(download));
        QCOMPARE(fileHash(target), before);
        if (kind == "missing")
            QVERIFY(!QFileInfo::exists(download)); // checking it did not create it
        // The connection is still usable.
        const auto info = products.getProductInfoById(SampleProductDatabase::He104Serial);
        QVERIFY(info);
        QCOMPARE(info->productName, QString("Quill HE104"));
    }

    void failedCopyKeepsOldDatabase()
    {
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        const QString target = dir.path() + kDbName;
        QVERIFY(SqlFile::exec(target, {"DELETE FROM product_table WHERE serialNumber = -30207"}));
        const QByteArray before = fileHash(target);
        ProductDataUtil products;
        const QString download = dir.root() + "/download.db3";
        QVERIFY(QFile::copy(SampleProductDatabase::path(), download));
        {
            FolderLock lock(dir.path()); // no file can be created beside the database
            if (!lock.locked())
                QSKIP("cannot make a folder read-only here");
            QVERIFY(!products.refreshDatabaseFile(download));
            QVERIFY(products.getProductInfoById(SampleProductDatabase::He104Serial));
            QVERIFY(!products.getProductInfoById(SampleProductDatabase::He68Serial)); // still the old file
        }
        QCOMPARE(fileHash(target), before);
        QVERIFY(QFileInfo::exists(download));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"quillbase.db3"}));
    }

    void undeletableDownloadIsOnlyAWarning()
    {
        TestDataDir dir;
        ProductDataUtil products;
        const QString folder = dir.root() + "/downloads";
        QVERIFY(QDir().mkpath(folder));
        const QString download = folder + "/download.db3";
        QVERIFY(QFile::copy(SampleProductDatabase::path(), download));
        FolderLock lock(folder);
        if (!lock.locked())
            QSKIP("cannot make a folder read-only here");
        QVERIFY(products.refreshDatabaseFile(download));
        QVERIFY(QFileInfo::exists(download));
        QCOMPARE(fileHash(dir.path() + kDbName), fileHash(SampleProductDatabase::path()));
        QVERIFY(products.getProductInfoById(SampleProductDatabase::He68Serial));
    }

    void swapWithTheDatabaseItself()
    {
        TestDataDir dir;
        QVERIFY(SampleProductDatabase::installInto(dir.path()));
        ProductDataUtil products;
        const QString target = dir.path() + kDbName;
        QVERIFY(products.refreshDatabaseFile(target));
        QVERIFY(QFileInfo::exists(target));
        QVERIFY(products.getProductInfoById(SampleProductDatabase::He104Serial));
    }

    void globalInstance()
    {
        TestDataDir dir;
        QVERIFY(!gProductDataUtil);
        gProductDataUtil.reset(new ProductDataUtil);
        QVERIFY(QFileInfo::exists(dir.path() + kDbName));
        gProductDataUtil.reset();
        // The connection name is free again for the next instance.
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("connect_product")));
    }
};

QTEST_GUILESS_MAIN(TestProductDataUtil)
#include "tst_productdatautil.moc"
