#include "app/FirewareManageForm.h"
#include "app/QFirewareItemWidget.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "model/SystemConfigUtil.h"
#include "storage/ProductDataUtil.h"
#include "tests/firmware/FirmwareTestKit.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>

#include <memory>

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
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 5000);
        QCOMPARE(keyboard->state().firmware.keyboard.assembled(), mHe68Image.mid(40));
        QVERIFY(keyboard->state().firmware.keyboard.ended && toasts().isEmpty() && !mPage->isFlashing());
    }

    // Failures are told, a keyboard this user may not open by its node; a new press starts afresh.
    void failuresAreTold()
    {
        QTest::mouseClick(tiles().at(0), Qt::LeftButton);
        QTRY_COMPARE(toasts(), QStringList{QStringLiteral("下载固件失败")});
        QVERIFY(!mPage->progressDialog() && !mPage->isFlashing());

        const QList<QByteArray> ports = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        EmulatedHidFaults faults;
        faults.openFails = true;
        for (const QByteArray &port : ports)
            bus.setFaults(port, faults);
        QTest::mouseClick(tiles().at(0), Qt::LeftButton);
        QTRY_COMPARE(toasts().size(), 2);
        QVERIFY(toasts().last().contains(QString::fromLatin1(ports.first())));
    }

    // Leaving the page or closing the program stops a flashing at once and closes the keyboard;
    // once nothing runs the device page may open the link again.
    void stopsWhenLeftOrClosed_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("left") << false;
        QTest::newRow("closed") << true;
    }

    void stopsWhenLeftOrClosed()
    {
        QFETCH(bool, close);
        mPage->exitInterface();
        QVERIFY(!gEntryBootFirewareFlag);
        mPage->repaintInterface();
        QVERIFY(gEntryBootFirewareFlag);

        const QByteArray port = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128}).first();
        EmulatedHidFaults faults;
        faults.silent = true;
        bus.setFaults(port, faults);
        mPage->setReplyTimeout(10000);
        QTest::mouseClick(tiles().at(0), Qt::LeftButton);
        QTRY_COMPARE(bus.writeCount(port), 1);
        QElapsedTimer clock;
        clock.start();
        if (close) {
            mPage.reset();
            QVERIFY(clock.elapsed() < 1000);
        } else {
            mPage->exitInterface();
            QVERIFY(!mPage->progressDialog());
            QCOMPARE(toasts(), QStringList{QStringLiteral("固件下载未完成")});
            QTRY_VERIFY_WITH_TIMEOUT(!gEntryBootFirewareFlag, 1000);
            QCOMPARE(toasts().size(), 1);
        }
        QCOMPARE(bus.openHandleCount(), 0);
        QCOMPARE(bus.writeCount(port), 1);
    }
};

QTEST_MAIN(TestFirewareManageForm)
#include "tst_firewaremanageform.moc"
