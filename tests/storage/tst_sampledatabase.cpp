// The sample product database is test data the other tests and the keyboard emulator rely on:
// check that it has the program's schema and describes two complete, drawable keyboards whose
// factory functions are all known key functions.

#include "storage/ProductDataUtil.h"
#include "emulator/SampleProductDatabase.h"
#include "tests/support/SqlFile.h"
#include "tests/support/TestDataDir.h"

#include <QRect>
#include <QSet>
#include <QtTest>

namespace {

const QString kSchemaQuery = QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY name");

// Whether the triple is a key function the key tables can name.
bool isKnownKeyFunction(uchar type, uchar hValue, uchar lValue)
{
    static const QSet<int> media{0x0183, 0x00E9, 0x00EA, 0x00E2, 0x00CD, 0x00B7, 0x00B6, 0x00B5, 0x006F, 0x0070, 0x0223,
                                 0x0227, 0x0226, 0x00B4, 0x00B3, 0x0222, 0x0221, 0x0194, 0x0192, 0x018A, 0x022A};
    static const QSet<int> internal{0xEF, 0xEE, 0xED, 0xEC, 0xEB, 0xEA, 0xE9, 0xE8, 0xE7, 0xE6, 0xF2, 0xF3, 0xF4,
                                    0xF5, 0xF6, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xDF, 0xDE, 0xF9, 0xF8, 0xF7};
    switch (type) {
    case 0:
        return hValue == 0 && lValue != 0 && (lValue & (lValue - 1)) == 0;
    case 1:
        return hValue == 0 && lValue >= 0x04 && lValue <= 0x73 && lValue != 0x64 && lValue != 0x66 && lValue != 0x67;
    case 2:
        return media.contains(hValue * 256 + lValue);
    case 5:
        return hValue == 0 && internal.contains(lValue);
    default:
        return false;
    }
}

} // namespace

class TestSampleDatabase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(SampleProductDatabase::path()), qPrintable(SampleProductDatabase::path()));
        {
            // The tables as the program creates them in a new file.
            TestDataDir fresh;
            { ProductDataUtil created; }
            mCreatedSchema = SqlFile::rows(fresh.path() + "/quillbase.db3", kSchemaQuery);
        }
        mDir.reset(new TestDataDir);
        QVERIFY(SampleProductDatabase::installInto(mDir->path()));
        mProducts.reset(new ProductDataUtil);
    }

    void cleanupTestCase()
    {
        mProducts.reset();
        mDir.reset();
    }

    void schemaIsTheProgramsOwn()
    {
        auto sample = SqlFile::rows(SampleProductDatabase::path(), kSchemaQuery);
        QCOMPARE(mCreatedSchema.size(), 4);
        QCOMPARE(sample.size(), 5);
        QCOMPARE(sample.at(2).at(0), QString("keyboard_default_fn1_table"));
        sample.removeAt(2);
        QCOMPARE(sample, mCreatedSchema);

        // The Fn1 table is laid out exactly like the normal layer's.
        const auto columns = [](const QString &table) {
            auto rows = SqlFile::rows(SampleProductDatabase::path(), "PRAGMA table_info(" + table + ")");
            for (auto &row : rows)
                row.removeFirst(); // position
            return rows;
        };
        QCOMPARE(columns("keyboard_default_fn1_table"), columns("keyboard_default_table"));
    }

    void highSerialIsStoredNegative()
    {
        const auto rows = SqlFile::rows(SampleProductDatabase::path(), "SELECT serialNumber FROM product_table ORDER BY serialNumber");
        QCOMPARE(rows, QList<QStringList>({{"-30207"}, {"12289"}}));
        // The full-size board is the first model in the list.
        QList<QSharedPointer<PRODUCT_INFO>> list;
        mProducts->getProductList(list);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0)->serialNumber, SampleProductDatabase::He104Serial);
        QCOMPARE(list.at(1)->serialNumber, SampleProductDatabase::He68Serial);
    }

    void products_data()
    {
        QTest::addColumn<int>("serial");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("drawn");
        QTest::newRow("HE104") << int(SampleProductDatabase::He104Serial) << "Quill HE104" << "QuillHE104"
                               << SampleProductDatabase::He104Keys << 104;
        QTest::newRow("HE68") << int(SampleProductDatabase::He68Serial) << "Quill HE68" << "QuillHE68"
                              << SampleProductDatabase::He68Keys << 68;
    }

    void products()
    {
        QFETCH(int, serial);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(int, keys);
        QFETCH(int, drawn);

        const auto info = mProducts->getProductInfoById(ushort(serial));
        QVERIFY(info);
        QCOMPARE(info->serialNumber, quint16(serial));
        QCOMPARE(info->vendorId, quint16(0x5E2D));
        QCOMPARE(info->productId, quint16(0x4E93));
        QCOMPARE(info->productName, name);
        QCOMPARE(info->productData, folder);
        QVERIFY(info->triggerMin > 0 && info->triggerMin < info->triggerMax && info->triggerMax <= 400);
        QVERIFY(info->qttMin > 0 && info->qttMin < info->qttMax);
        QVERIFY(info->qrtMin > 0 && info->qrtMin < info->qrtMax);

        // Key numbers 0..keys-1, each with a position and a function on both layers.
        KeyPositionMap positions;
        mProducts->getKeyPosition(ushort(serial), positions);
        QCOMPARE(positions.size(), keys);
        QCOMPARE(int(positions.lastKey()), keys - 1);
        DefaultKeyList normal, fn1;
        mProducts->getDefaultProductKey(ushort(serial), normal);
        mProducts->getDefaultFn1ProductKey(ushort(serial), fn1);
        for (const DefaultKeyList *layer : {&normal, &fn1}) {
            QCOMPARE(layer->size(), keys);
            QSet<int> seen;
            for (const auto &key : *layer) {
                QVERIFY(positions.contains(key->keyItem));
                seen.insert(key->keyItem);
                QVERIFY2(isKnownKeyFunction(key->type, key->hValue, key->lValue),
                         qPrintable(QString("key %1: %2 %3 %4").arg(key->keyItem).arg(key->type).arg(key->hValue).arg(key->lValue)));
                QVERIFY(!key->label.isEmpty());
            }
            QCOMPARE(seen.size(), keys);
        }
        // The Fn key is on the normal layer and the Fn1 layer differs from it.
        int fnKeys = 0, differing = 0;
        for (int i = 0; i < keys; ++i) {
            const auto &n = normal.at(i), &f = fn1.at(i);
            fnKeys += n->type == 5 && n->lValue == 0xFE;
            differing += n->type != f->type || n->hValue != f->hValue || n->lValue != f->lValue;
        }
        QCOMPARE(fnKeys, 1);
        QVERIFY(differing >= 10);

        // Drawn keys lie on the picture without overlapping; every position has one drawn key.
        const QRect picture(0, 0, info->width, info->height);
        QList<QRect> tiles;
        QMap<int, int> drawnPerPosition;
        for (const auto &position : positions) {
            const QRect tile(position->left, position->top, position->width, position->height);
            QVERIFY(picture.contains(tile));
            QVERIFY(tile.width() >= 40 && tile.height() >= 40);
            if (!position->flag)
                continue;
            for (const QRect &other : tiles)
                QVERIFY2(!other.intersects(tile), qPrintable(QString("key %1 overlaps").arg(position->keyItem)));
            tiles << tile;
            drawnPerPosition[position->posItem]++;
        }
        QCOMPARE(tiles.size(), drawn);
        for (const auto &position : positions)
            QCOMPARE(drawnPerPosition.value(position->posItem), 1);
    }

    void spaceBarHasTwoSensors()
    {
        KeyPositionMap positions;
        mProducts->getKeyPosition(SampleProductDatabase::He104Serial, positions);
        const auto space = positions.value(SampleProductDatabase::He104Space);
        const auto second = positions.value(SampleProductDatabase::He104SpaceSecond);
        QVERIFY(space && second);
        QCOMPARE(second->posItem, space->posItem);
        QVERIFY(space->flag);
        QVERIFY(!second->flag);
        QCOMPARE(QRect(second->left, second->top, second->width, second->height),
                 QRect(space->left, space->top, space->width, space->height));
        int sharing = 0;
        for (const auto &position : positions)
            sharing += position->posItem == space->posItem;
        QCOMPARE(sharing, 2);

        DefaultKeyList normal;
        mProducts->getDefaultProductKey(SampleProductDatabase::He104Serial, normal);
        QCOMPARE(normal.at(SampleProductDatabase::He104Space)->lValue, uchar(0x2C));
        QCOMPARE(normal.at(SampleProductDatabase::He104SpaceSecond)->lValue, uchar(0x2C));
    }

private:
    QList<QStringList> mCreatedSchema;
    QScopedPointer<TestDataDir> mDir;
    QScopedPointer<ProductDataUtil> mProducts;
};

QTEST_GUILESS_MAIN(TestSampleDatabase)
#include "tst_sampledatabase.moc"
