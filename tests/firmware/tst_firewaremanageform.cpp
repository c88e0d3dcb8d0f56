#include "app/FirewareManageForm.h"
#include "app/QFirewareItemWidget.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "model/SystemConfigUtil.h"
#include "storage/ProductDataUtil.h"
#include "tests/firmware/FirmwareTestKit.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <memory>

namespace {
constexpr int kWaitMs = 5000;
} // namespace

class TestFirewareManageForm : public QObject
{
    Q_OBJECT

    EmulatedHidBus &bus = EmulatedHidBus::instance();
    std::unique_ptr<TestDataDir> mDataDir;
    std::unique_ptr<FirewareManageForm> mPage;
    QByteArray mHe68Image;

    QList<QFirewareItemWidget *> tiles() const { return mPage->findChildren<QFirewareItemWidget *>(); }
    QStringList toasts() const { return TestFiles::toastTexts(mPage.get()); }

private Q_SLOTS:
    // The sample database's two products, each with its pictures and a firmware image.
    void initTestCase()
    {
        mDataDir = std::make_unique<TestDataDir>();
        const QString data = mDataDir->path();
        QVERIFY(SampleProductDatabase::installInto(data));
        QVERIFY(SampleResourcePackage::writeFolder(data + QStringLiteral("/QuillHE104")));
        QVERIFY(SampleResourcePackage::writeFolder(data + QStringLiteral("/QuillHE68")));
        FirmwareTestKit::writeImage(data + QStringLiteral("/QuillHE104/firmware.bin"),
                                    SampleProductDatabase::He104Serial, FirmwareTestKit::payload(700));
        mHe68Image = FirmwareTestKit::writeImage(data + QStringLiteral("/QuillHE68/firmware.bin"),
                                                 SampleProductDatabase::He68Serial, FirmwareTestKit::payload(500));
        gSystemConfig.reset(new SystemConfigUtil);
        gProductDataUtil.reset(new ProductDataUtil);
    }

    void cleanupTestCase()
    {
        gProductDataUtil.reset();
        gSystemConfig.reset();
    }

    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        FirmwareTestKit::failOnWarnings();
        bus.reset();
        gSystemConfig->setTheme(0);
        mPage = std::make_unique<FirewareManageForm>();
        mPage->setReplyTimeout(300);
        mPage->show();
        mPage->repaintInterface();
    }

    void cleanup()
    {
        mPage.reset();
        gEntryBootFirewareFlag = false;
    }

    // One tile per product with the picture of the theme; showing the page again rebuilds them.
    void tilesInBothThemes_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QColor>("background");
        QTest::newRow("light") << 0 << QColor(242, 243, 245);
        QTest::newRow("dark") << 1 << QColor(35, 35, 36);
    }

    void tilesInBothThemes()
    {
        QFETCH(int, theme);
        QFETCH(QColor, background);
        gSystemConfig->setTheme(theme);
        mPage->repaintInterface();
        QStringList names;
        for (QFirewareItemWidget *tile : tiles()) {
            names.append(tile->findChild<QLabel *>(QStringLiteral("fireware_product_label"))->text());
            const QPixmap picture = tile->findChild<QLabel *>(QStringLiteral("fireware_icon_label"))->pixmap();
            QCOMPARE(picture.toImage().pixelColor(2, 2), background);
        }
        QCOMPARE(names, (QStringList{QStringLiteral("Quill HE104"), QStringLiteral("Quill HE68")}));
    }

    void pressFlashesThatProduct()
    {
        auto keyboard = std::make_shared<EmulatedKeyboard>();
        bus.attachKeyboard(keyboard);
        QTest::mouseClick(tiles().at(1), Qt::RightButton);
        QVERIFY(!mPage->progressDialog());
        QTest::mouseClick(tiles().at(1), Qt::LeftButton);
        QPointer<QProgressDialog> dialog = mPage->progressDialog();
        QVERIFY(dialog && dialog->windowModality() == Qt::ApplicationModal);
        EVENTWAIT_VERIFY(!dialog, kWaitMs);
        QCOMPARE(keyboard->state().firmware.keyboard.assembled(), mHe68Image.mid(40));
        QVERIFY(keyboard->state().firmware.keyboard.ended && toasts().isEmpty() && !mPage->isFlashing());
    }

    // Failures are told, a keyboard this user may not open by its node; a new press starts afresh.
    void failuresAreTold()
    {
        QTest::mouseClick(tiles().at(0), Qt::LeftButton);
        EVENTWAIT_COMPARE(toasts(), QStringList{QStringLiteral("下载固件失败")}, kWaitMs);
        QVERIFY(!mPage->progressDialog() && !mPage->isFlashing());

        const QList<QByteArray> ports = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        EmulatedHidFaults faults;
        faults.openFails = true;
        for (const QByteArray &port : ports)
            bus.setFaults(port, faults);
        QTest::mouseClick(tiles().at(0), Qt::LeftButton);
        // The first notice may have closed itself by then: the second one names the port.
        const QString port = QString::fromLatin1(ports.first());
        EVENTWAIT_VERIFY(!toasts().isEmpty() && toasts().last().contains(port), kWaitMs);
    }

    // Leaving the page closes the dialog, but the flashing goes on to its end; the device page
    // keeps off the keyboard until then. Closing the program stops it at once.
    void leftOrClosed_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("left") << false;
        QTest::newRow("closed") << true;
    }

    void leftOrClosed()
    {
        QFETCH(bool, close);
        auto keyboard = std::make_shared<EmulatedKeyboard>();
        const QByteArray port = bus.attachKeyboard(keyboard, {128}).first();
        // The answer to the first frame is held back until the page has been left.
        keyboard->addReplyFault({ReplyFault::Delay, 600, 0xE0, 1});
        mPage->setReplyTimeout(5000);
        QTest::mouseClick(tiles().at(1), Qt::LeftButton);
        EVENTWAIT_COMPARE(bus.writeCount(port), 1, kWaitMs);
        QElapsedTimer clock;
        clock.start();
        if (close) {
            mPage.reset();
            QVERIFY(clock.elapsed() < 1000);
            QCOMPARE(bus.writeCount(port), 1);
        } else {
            mPage->exitInterface();
            QVERIFY(!mPage->progressDialog() && gEntryBootFirewareFlag);
            EVENTWAIT_VERIFY(!gEntryBootFirewareFlag, kWaitMs);
            QCOMPARE(keyboard->state().firmware.keyboard.assembled(), mHe68Image.mid(40));
            QVERIFY(keyboard->state().firmware.keyboard.ended && toasts().isEmpty());
        }
        QCOMPARE(bus.openHandleCount(), 0);
    }

    // Three tiles a row, the last row filled up with empty cells; no product, no tile.
    void grid_data()
    {
        QTest::addColumn<QString>("change"); // to a copy of the sample database
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("four products")
            << QStringLiteral("INSERT INTO product_table SELECT serialNumber + 1, vendorId, productId, interface, "
                              "productName || ' B', productData, triggerMin, triggerMax, qttMin, qttMax, qrtMin, "
                              "qrtMax, width, height, strCol FROM product_table")
            << QStringList{"0,0 Quill HE104", "0,1 Quill HE68", "0,2 Quill HE104 B", "1,0 Quill HE68 B", "1,1", "1,2"};
        QTest::newRow("none") << QStringLiteral("DELETE FROM product_table") << QStringList{};
    }

    void grid()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, cells);
        const QString file = mDataDir->path() + QStringLiteral("/grid.db3");
        QFile::remove(file);
        QVERIFY(QFile::copy(SampleProductDatabase::path(), file));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("grid"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY2(query.exec(change), qPrintable(query.lastError().text()));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("grid"));
        QSharedPointer<ProductDataUtil> sample = gProductDataUtil;
        gProductDataUtil.reset(new ProductDataUtil(file));
        mPage->repaintInterface();
        gProductDataUtil = sample;

        auto *grid = mPage->findChild<QGridLayout *>(QStringLiteral("gridLayout"));
        QStringList shown;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, col = 0, rows = 0, cols = 0;
            grid->getItemPosition(i, &row, &col, &rows, &cols);
            QString cell = QStringLiteral("%1,%2").arg(row).arg(col);
            if (auto *tile = qobject_cast<QFirewareItemWidget *>(grid->itemAt(i)->widget()))
                cell += QLatin1Char(' ') + tile->findChild<QLabel *>(QStringLiteral("fireware_product_label"))->text();
            shown.append(cell);
        }
        shown.sort();
        QCOMPARE(shown, cells);
    }
};

QTEST_MAIN(TestFirewareManageForm)
#include "tst_firewaremanageform.moc"
