#include "storage/ProductDataUtil.h"
#include "storage/SqliteReadGuard.h"
#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "emulator/SampleProductDatabase.h"
#include "tests/support/FolderLock.h"
#include "tests/support/SqlFile.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QRect>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <optional>
#include <tuple>

using Sample = SampleProductDatabase;

namespace {
QString productRow(int storedSerial, const QString &name)
{
    return QString("INSERT INTO product_table VALUES (%1, 24109, 20115, 1, '%2', 'folder_%2', 10, 400, 1, 250, 2, 240, 800, 300, '1,2')")
        .arg(storedSerial).arg(name);
}

QString describe(const QSharedPointer<PRODUCT_INFO> &p)
{
    return QString("%1 %2 %3 %4 %5 %6 %7-%8 %9-%10 %11-%12 %13x%14 [%15]").arg(p->serialNumber, 0, 16).arg(p->vendorId, 0, 16)
        .arg(p->productId, 0, 16).arg(p->interface).arg(p->productName, p->productData).arg(p->triggerMin).arg(p->triggerMax)
        .arg(p->qttMin).arg(p->qttMax).arg(p->qrtMin).arg(p->qrtMax).arg(p->width).arg(p->height).arg(p->strCol.size());
}
QString describe(const QSharedPointer<KEY_POSITION> &k)
{
    return QString("%1>%2 %3 %4,%5 %6,%7 %8x%9").arg(k->keyItem).arg(k->posItem).arg(k->flag).arg(k->row).arg(k->col)
        .arg(k->left).arg(k->top).arg(k->width).arg(k->height);
}
QString describe(const QSharedPointer<PRODUCT_DEFAULT_KEY> &k)
{
    return QString("%1:%2,%3,%4 %5").arg(k->keyItem).arg(k->type).arg(k->hValue).arg(k->lValue, 0, 16).arg(k->label);
}
template<typename List> QStringList describeAll(const List &records)
{
    QStringList out;
    for (const auto &record : records)
        out << describe(record);
    return out;
}
} // namespace

class TestProductDataUtil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    // The sample database, which the keyboard emulator and other tests use, has the program's
    // own tables and two complete, drawable models whose factory functions are all known.
    void sampleModels_data()
    {
        QTest::addColumn<int>("serial");
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("drawn");
        QTest::newRow("HE104") << int(Sample::He104Serial) << Sample::He104Keys << 104;
        QTest::newRow("HE68, stored negative") << int(Sample::He68Serial) << Sample::He68Keys << 68;
    }

    void sampleModels()
    {
        QFETCH(int, serial);
        QFETCH(int, keys);
        QFETCH(int, drawn);
        ProductDataUtil products(Sample::path());
        const auto info = products.getProductInfoById(ushort(serial));
        QVERIFY(info && info->triggerMin > 0 && info->triggerMin < info->triggerMax);
        KeyPositionMap positions;
        DefaultKeyList normal, fn1;
        products.getKeyPosition(ushort(serial), positions);
        products.getDefaultProductKey(ushort(serial), normal);
        products.getDefaultFn1ProductKey(ushort(serial), fn1);
        QCOMPARE(QList<qsizetype>({positions.size(), positions.lastKey() + 1, normal.size(), fn1.size()}), QList<qsizetype>(4, keys));
        int fnKeys = 0;
        for (int i = 0; i < keys; ++i) {
            for (const auto &key : {normal[i], fn1[i]}) {
                QCOMPARE(int(key->keyItem), i);
                QVERIFY2(global_getKeyLabel(key->type, key->hValue, key->lValue) && !key->label.isEmpty(), qPrintable(describe(key)));
            }
            fnKeys += normal[i]->type == KeyTypeInternal && normal[i]->lValue == 0xFE;
        }
        QCOMPARE(fnKeys, 1);
        // Drawn keys lie on the picture without overlapping; every position has one drawn key.
        QList<QRect> tiles;
        QMap<int, int> drawnAt;
        for (const auto &position : positions) {
            const QRect tile(position->left, position->top, position->width, position->height);
            QVERIFY(QRect(0, 0, info->width, info->height).contains(tile));
            if (!position->flag)
                continue;
            for (const QRect &other : tiles)
                QVERIFY2(!other.intersects(tile), qPrintable(describe(position)));
            tiles << tile;
            drawnAt[position->posItem]++;
        }
        QCOMPARE(tiles.size(), drawn);
        for (const auto &position : positions) // (the Space bar's second sensor shares its position)
            QCOMPARE(drawnAt.value(position->posItem), 1);
    }

    // A new file gets the sample's tables (the Fn1 layer aside, which only downloads bring); an
    // existing file is left as it is.
    void tablesAreCreatedOnce()
    {
        TestDataDir dir;
        {
            ProductDataUtil products;
            QVERIFY(!products.getProductInfoById(Sample::He104Serial));
        }
        const QString tables = "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name != 'keyboard_default_fn1_table'";
        QCOMPARE(SqlFile::run(dir.path() + "/quillbase.db3", {tables}), SqlFile::run(Sample::path(), {tables}));

        QVERIFY(Sample::installInto(dir.path()));
        { ProductDataUtil products; }
        QCOMPARE(TestFiles::read(dir.path() + "/quillbase.db3"), TestFiles::read(Sample::path()));
    }

    void rowsAreReadByPosition()
    {
        TestDataDir dir;
        ProductDataUtil products;
        QVERIFY(SqlFile::exec(dir.path() + "/quillbase.db3",
                              {// 0x8000 is stored signed; the same number unsigned is another model
                               productRow(-32768, "texts"), productRow(32768, "unsigned"),
                               // two rows for key 9: the later one wins; key numbers keep their low byte
                               "INSERT INTO key_position_table VALUES (NULL, -32768, 9, 1, 1, 2, 3, 10, 20, 30, 40)",
                               "INSERT INTO key_position_table VALUES (NULL, -32768, 9, 5, 0, 6, 7, 50, 60, 70, 80)",
                               "INSERT INTO key_position_table VALUES (NULL, -32768, 300, 300, 'true', 1, 1, 0, 0, 0, 0)",
                               "INSERT INTO keyboard_default_table VALUES (NULL, -32768, 3, 2, 1, 131, 'Player')",
                               "INSERT INTO keyboard_default_table VALUES (NULL, -32768, 1, 0, 0, 2, 'Shift')"}));
        // A text column never turns into a list.
        QCOMPARE(describe(products.getProductInfoById(0x8000)), QString("8000 5e2d 4e93 1 texts folder_texts 10-400 1-250 2-240 800x300 [0]"));
        KeyPositionMap positions;
        products.getKeyPosition(0x8000, positions);
        QCOMPARE(describeAll(positions), QStringList({"9>5 0 6,7 50,60 70x80", "44>44 1 1,1 0,0 0x0"}));
        DefaultKeyList keys; // added to, in row order
        products.getDefaultProductKey(0x8000, keys);
        products.getDefaultProductKey(0x8000, keys);
        QCOMPARE(describeAll(keys), QStringList({"3:2,1,83 Player", "1:0,0,2 Shift", "3:2,1,83 Player", "1:0,0,2 Shift"}));
    }

    void malformedRowsYieldNoRecord()
    {
        TestDataDir dir;
        ProductDataUtil products;
        QVERIFY(SqlFile::exec(dir.path() + "/quillbase.db3",
                              {// SQLite keeps text that does not look like a number in an INT column
                               "INSERT INTO product_table VALUES (5, 1, 2, 3, 'bad', 'bad', 'ten', 400, 1, 2, 3, 4, 5, 6, '')",
                               "INSERT INTO key_position_table VALUES (NULL, 5, 1, 1, 1, 0, 0, 0, 0, 10, 10)",
                               "INSERT INTO key_position_table VALUES (NULL, 5, 3, 3, 'maybe', 0, 0, 0, 0, 10, 10)",
                               "INSERT INTO keyboard_default_table VALUES (NULL, 5, 1, 1, 0, 'x', 'X')",
                               "INSERT INTO keyboard_default_table VALUES (NULL, 5, 2, 1, 0, 5, 'B')"}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^product_table "));
        QVERIFY(!products.getProductInfoById(5));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^key_position_table "));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^keyboard_default_table"));
        KeyPositionMap positions;
        DefaultKeyList keys;
        products.getKeyPosition(5, positions);
        products.getDefaultProductKey(5, keys);
        QCOMPARE(positions.keys(), QList<uchar>{1});
        QCOMPARE(describeAll(keys), QStringList{"2:1,0,5 B"});

        // A table of another layout: too few columns.
        QVERIFY(SqlFile::exec(dir.root() + "/old.db3", {"CREATE TABLE product_table (serialNumber INT, productName TEXT)",
                                                        "INSERT INTO product_table VALUES (7, 'old')"}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^product_table "));
        QVERIFY(!ProductDataUtil(dir.root() + "/old.db3").getProductInfoById(7));
    }

    // Of a database already in place no more is read than the bounds allow, and no look-up runs
    // for ever, whatever its tables are: here endless views.
    void boundedReads_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns"); // of the view's rows, numbered n
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("warning");
        const QString positions = "n, %1 AS serialNumber, n % 256, n % 256, 1, 0, 0, 0, 0, 10, 10";
        QTest::newRow("positions of another model") << "key_position_table" << positions.arg("n - n + 6") << 0 << "查询已中止";
        QTest::newRow("positions of the model") << "key_position_table" << positions.arg(5) << 256 << "其余已忽略";
        QTest::newRow("default keys") << "keyboard_default_table" << "n, 5 AS serialNumber, n % 256, 1, 0, 4, 'A'"
                                      << ProductDataUtil::MaxRowsPerProduct << "其余已忽略";
        QTest::newRow("products") << "product_table" << "n, 1, 2, 3, 'p', 'p', 1, 2, 3, 4, 5, 6, 7, 8, ''"
                                  << ProductDataUtil::MaxProducts << "其余已忽略";
    }

    void boundedReads()
    {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        QFETCH(int, expected);
        QFETCH(QString, warning);
        TestDataDir dir;
        const QString file = dir.root() + "/endless.db3";
        QVERIFY(SqlFile::exec(file, {QString("CREATE VIEW %1 AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) "
                                             "SELECT %2 FROM r").arg(table, columns)}));
        ProductDataUtil products(file);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        QElapsedTimer clock;
        clock.start();
        KeyPositionMap positions;
        DefaultKeyList keys;
        QList<QSharedPointer<PRODUCT_INFO>> list;
        products.getKeyPosition(5, positions);
        products.getDefaultProductKey(5, keys);
        products.getProductList(list);
        QVERIFY(clock.elapsed() < 30000);
        QCOMPARE(positions.size() + keys.size() + list.size(), expected);
    }

    // A bounded read leaves the connection as it found it: the program's own can be written after.
    void guardLeavesTheConnectionWritable()
    {
        TestDataDir dir;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "guarded");
            db.setDatabaseName(dir.root() + "/guarded.db3");
            QVERIFY(db.open());
            {
                const SqliteReadGuard guard(db, ProductDataUtil::ReadLimits);
                QVERIFY(guard.isActive());
                QVERIFY(!QSqlQuery(db).exec("CREATE TABLE t (v BLOB)")); // read-only while it lives
            }
            QSqlQuery write(db);
            QVERIFY(write.exec("CREATE TABLE t (v BLOB)"));
            QVERIFY(write.prepare("INSERT INTO t VALUES (?)"));
            write.addBindValue(QByteArray(ProductDataUtil::ReadLimits.valueBytes * 2, 'x'));
            QVERIFY(write.exec());
        }
        QSqlDatabase::removeDatabase("guarded");
    }

    void refreshDatabaseFile_data()
    {
        QTest::addColumn<QString>("download"); // what lies at the download path
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("oneStep"); // the check and the swap in one call
        const QList<std::tuple<const char *, QString, bool>> rows = {{"sample", "sample", true},
                                                                     {"the database itself", "itself", true},
                                                                     {"download not removable", "locked download", true},
                                                                     {"missing", "missing", false},
                                                                     {"not a database", "garbage", false},
                                                                     {"no product_table", "other tables", false},
                                                                     {"no room beside the database", "locked data folder", false}};
        for (const bool oneStep : {false, true}) {
            for (const auto &[name, download, replaced] : rows)
                QTest::addRow("%s%s", name, oneStep ? ", in one step" : "") << download << replaced << oneStep;
        }
        QTest::newRow("checked on other threads, side by side") << "checked" << true << false;
    }

    void refreshDatabaseFile()
    {
        QFETCH(QString, download);
        QFETCH(bool, replaced);
        QFETCH(bool, oneStep);
        TestDataDir dir;
        const QString target = dir.path() + "/quillbase.db3";
        QVERIFY(Sample::installInto(dir.path()));
        QVERIFY(SqlFile::exec(target, {"DELETE FROM product_table WHERE serialNumber = -30207"}));
        const QByteArray old = TestFiles::read(target);
        ProductDataUtil products;
        const QString path = download == "itself" ? target : dir.root() + "/downloads/new.db3";
        QVERIFY(QDir().mkpath(dir.root() + "/downloads"));
        if (download == "sample" || download == "checked" || download.startsWith("locked"))
            QVERIFY(QFile::copy(Sample::path(), path));
        else if (download == "garbage")
            QVERIFY(TestFiles::write(path, QByteArray(4096, 'x')));
        else if (download == "other tables")
            QVERIFY(SqlFile::exec(path, {"CREATE TABLE something (a INT)"}));
        std::optional<FolderLock> lock;
        if (download.startsWith("locked") && !lock.emplace(download == "locked download" ? dir.root() + "/downloads" : dir.path()).locked())
            QSKIP("cannot make a folder read-only here");

        if (!replaced)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(download.startsWith("locked") ? "^文件拷贝失败" : "^下载的数据库文件无效"));
        else if (download == "locked download")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^警告: 文件拷贝成功但无法删除原始文件"));
        if (download == "checked") {
            QStringList refusals(4, QStringLiteral("not checked"));
            std::vector<std::unique_ptr<QThread>> checks;
            for (QString &refusal : refusals)
                checks.emplace_back(QThread::create([&refusal, path] { refusal = ProductDataUtil::checkDownloadedFile(path); }));
            for (auto &check : checks)
                check->start();
            for (auto &check : checks)
                QVERIFY(check->wait(30000));
            QCOMPARE(refusals, QStringList(4, QString()));
            QVERIFY(products.refreshDatabaseFile(path, refusals.first()));
        } else {
            QCOMPARE(oneStep ? products.refreshDatabaseFile(path)
                             : products.refreshDatabaseFile(path, ProductDataUtil::checkDownloadedFile(path)),
                     replaced);
        }
        // The connection works on whatever file is in place; nothing is left beside it.
        QCOMPARE(bool(products.getProductInfoById(Sample::He68Serial)), replaced && download != "itself");
        QVERIFY(products.getProductInfoById(Sample::He104Serial));
        QCOMPARE(TestFiles::read(target) == old, !replaced || download == "itself");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"quillbase.db3"}));
        if (download != "itself" && download != "missing")
            QCOMPARE(QFileInfo::exists(path), !replaced || download == "locked download");
    }

    // The keyboard model finds its model description in the program's database while that is
    // open; a database opened from another file is only read.
    void modelDescriptionComesFromTheOpenDatabase()
    {
        TestDataDir dir;
        KeyboardConfigUtil config;
        QVERIFY(!config.initializeKeyboardConfig(Sample::He104Serial));
        const QByteArray sample = TestFiles::read(Sample::path());
        {
            ProductDataUtil other(Sample::path());
            QVERIFY(other.getProductInfoById(Sample::He104Serial));
            QVERIFY(!config.initializeKeyboardConfig(Sample::He104Serial));
        }
        QCOMPARE(TestFiles::read(Sample::path()), sample);
        QVERIFY(!QFileInfo::exists(dir.path()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^无法打开数据库"));
        QVERIFY(!ProductDataUtil(dir.root() + "/missing.db3").isOpen());
        QVERIFY(!QFileInfo::exists(dir.root() + "/missing.db3"));

        QVERIFY(Sample::installInto(dir.path()));
        auto products = QSharedPointer<ProductDataUtil>::create();
        QVERIFY(config.initializeKeyboardConfig(Sample::He104Serial));
        QCOMPARE(config.productInfo->productName, QString("Quill HE104"));
        QCOMPARE(config.defaultFn1KeyList.size(), Sample::He104Keys);
        QVERIFY(!config.initializeKeyboardConfig(0x1234));
        QVERIFY(!config.productInfo && config.keyPositionMap.isEmpty() && config.defaultKeyList.isEmpty());
        // A model without its Fn1 layer is incomplete.
        QVERIFY(SqlFile::exec(dir.path() + "/quillbase.db3", {"DELETE FROM keyboard_default_fn1_table WHERE serialNumber = 12289"}));
        QVERIFY(!config.initializeKeyboardConfig(Sample::He104Serial));
        QVERIFY(config.initializeKeyboardConfig(Sample::He68Serial));
        products.reset();
        QVERIFY(!config.initializeKeyboardConfig(Sample::He68Serial));
        QVERIFY(!QSqlDatabase::contains("connect_product")); // free for the next instance
    }
};

QTEST_GUILESS_MAIN(TestProductDataUtil)
#include "tst_productdatautil.moc"
