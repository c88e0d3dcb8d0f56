// The device page connecting the emulated keyboard end to end: the link, the configuration read
// with its progress box, the product's resource package (present, downloaded and unpacked, or
// refused), the product database downloaded again when the keyboard is missing (at most once in
// three days, counted at a local update server), downloads kept in private folders, and the
// failures on the way.

#include "app/AppServices.h"
#include "app/DeviceManageForm.h"
#include "app/FirewareManageForm.h"
#include "app/MainWindow.h"
#include "app/QCustomProgressDialog.h"
#include "app/UpdateServer.h"
#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ProductDataUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int kWaitMs = 8000;
const QString kDatabasePath = QStringLiteral("/normal/quillbase.db3");
const QString kPackagePath = QString::fromLatin1(SampleResourcePackage::ServerPath);
} // namespace

class TestDeviceManageForm : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;
    std::unique_ptr<TestDataDir> mDataDir;
    QStackedWidget *mStack = nullptr;
    std::unique_ptr<DeviceManageForm> mPage;
    TestHttpServer *mServer = nullptr;
    QByteArray mSampleDatabase;
    QByteArray mDatabaseWithoutKeyboard;
    QDate mToday = QDate(2025, 6, 10);
    QList<QByteArray> mPaths;

    QString productFolder() const { return mDataDir->path() + QStringLiteral("/QuillHE104"); }
    QString tempFolder() const { return mTemp.filePath(QStringLiteral("tmp")); }

    QStringList toasts() const { return TestFiles::toastTexts(mPage.get()); }

    void plugIn(const EmulatedHidFaults &faults = {})
    {
        mPaths = EmulatedHidBus::instance().attachKeyboard(EmulatedKeyboard::createSample());
        for (const QByteArray &path : std::as_const(mPaths))
            EmulatedHidBus::instance().setFaults(path, faults);
    }

    // Connects as the main window does when the device page is entered, and waits for the key page
    // or a toast.
    void connectAndWait()
    {
        mPage->repaintInterface(true);
        QTRY_VERIFY_WITH_TIMEOUT(mStack->currentIndex() == MainWindow::KeyPage || !toasts().isEmpty(), kWaitMs);
    }

    // The product database without the sample keyboard.
    static QByteArray databaseWithout(ushort serialNumber, const QString &folder)
    {
        const QString file = folder + QStringLiteral("/without.db3");
        QFile::remove(file);
        QFile::copy(SampleProductDatabase::path(), file);
        QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
            db.setDatabaseName(file);
            if (db.open()) {
                QSqlQuery query(db);
                query.prepare(QStringLiteral("DELETE FROM product_table WHERE serialNumber = :s"));
                query.bindValue(QStringLiteral(":s"), ProductDataUtil::serialNumberValue(serialNumber));
                query.exec();
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        return TestFiles::read(file);
    }

    // Puts a product database in place, as a download would.
    bool installDatabase(const QByteArray &content)
    {
        const QString file = mTemp.filePath(QStringLiteral("install.db3"));
        return TestFiles::write(file, content) && gProductDataUtil->refreshDatabaseFile(file);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mTemp.isValid());
        QVERIFY(TestFiles::redirectTempFolder(mTemp.filePath(QStringLiteral("tmp"))));
        mDataDir = std::make_unique<TestDataDir>();
        QVERIFY(SampleProductDatabase::installInto(mDataDir->path()));
        AppServices::create();
        gUsbCommunicateUtil->setReplyInterval(40);
        gSystemConfig->setDateSource([this] { return mToday; });

        mSampleDatabase = TestFiles::read(SampleProductDatabase::path());
        mDatabaseWithoutKeyboard = databaseWithout(SampleProductDatabase::He104Serial, mTemp.path());
        QVERIFY(!mDatabaseWithoutKeyboard.isEmpty());

        mServer = new TestHttpServer(this);
        QVERIFY(mServer->listen());
        UpdateServer::setBaseAddress(mServer->baseAddress());
        const QString archive = mTemp.filePath(QStringLiteral("quillhe104.zip"));
        QVERIFY(SampleResourcePackage::writeArchive(archive));
        QVERIFY(mServer->serveFile(kPackagePath, archive));
        mServer->serve(kDatabasePath, mSampleDatabase);

        mStack = new QStackedWidget;
        for (int i = 0; i < MainWindow::PageCount; ++i)
            mStack->addWidget(new QWidget);
        gStackedWidget = mStack;
    }

    void cleanupTestCase()
    {
        gStackedWidget = nullptr;
        delete mStack;
        AppServices::release();
        mDataDir.reset();
    }

    void init()
    {
        mServer->clearCounts();
        mStack->setCurrentIndex(MainWindow::DevicePage);
        gSystemConfig->setCommType(0);
        gEntryBootFirewareFlag = false;
        mToday = QDate(2025, 6, 10);
        gSystemConfig->refreshCheckAppData();
        QVERIFY(installDatabase(mSampleDatabase));
        QVERIFY(SampleResourcePackage::writeFolder(productFolder()));
        mPage = std::make_unique<DeviceManageForm>();
    }

    void cleanup()
    {
        mPage.reset();
        gUsbCommunicateUtil->closeCommunicate();
        EmulatedHidBus::instance().reset();
        gKeyboardConfig->resetKeyboardConfig();
        QDir(productFolder()).removeRecursively();
        mServer->serveFile(kPackagePath, mTemp.filePath(QStringLiteral("quillhe104.zip")));
        mServer->serve(kDatabasePath, mSampleDatabase);
    }

    void noInterfaceOpensNothing()
    {
        mPage->repaintInterface(true);
        QTest::qWait(50);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(!mPage->promptBox());
        QVERIFY(toasts().isEmpty());
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
    }

    void gridHoldsTheOpenDeviceCard()
    {
        mPage->repaintInterface(false);
        mPage->refreshLanguageUi();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *grid = mPage->findChild<QGridLayout *>(QStringLiteral("gridLayout"));
        QVERIFY(grid);
        QCOMPARE(grid->count(), 3);
        QCOMPARE(mPage->findChildren<QWidget *>(QStringLiteral("QDeviceAddWidget")).size(), 1);
        QCOMPARE(mPage->findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"))->minimumHeight(), 356);

        // A press on the card opens the link.
        plugIn();
        auto *card = mPage->findChild<QWidget *>(QStringLiteral("QDeviceAddWidget"));
        QTest::mouseClick(card, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(mStack->currentIndex(), int(MainWindow::KeyPage), kWaitMs);
    }

    void knownKeyboardWithResourcesOpensKeyPage()
    {
        plugIn();
        connectAndWait();
        QCOMPARE(mStack->currentIndex(), int(MainWindow::KeyPage));
        QVERIFY(toasts().isEmpty());
        QCOMPARE(mServer->totalRequests(), 0);
        QVERIFY(gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(gKeyboardConfig->productInfo);
        QCOMPARE(gKeyboardConfig->productInfo->productData, QStringLiteral("QuillHE104"));
        QVERIFY(!mPage->promptBox());
        QVERIFY(!mPage->syncWorker());
    }

    void missingResourcesAreDownloadedOnce()
    {
        QDir(productFolder()).removeRecursively();
        plugIn();
        connectAndWait();
        QCOMPARE(mStack->currentIndex(), int(MainWindow::KeyPage));
        QCOMPARE(mServer->requests(), QStringList{kPackagePath});
        for (const QString &entry : SampleResourcePackage::entryNames())
            QVERIFY2(!QImage(productFolder() + QLatin1Char('/') + entry).isNull(), qPrintable(entry));

        // The folder tested is the folder unpacked into: the next connection fetches nothing.
        gUsbCommunicateUtil->closeCommunicate();
        mStack->setCurrentIndex(MainWindow::DevicePage);
        connectAndWait();
        QCOMPARE(mStack->currentIndex(), int(MainWindow::KeyPage));
        QCOMPARE(mServer->totalRequests(), 1);
    }

    // Downloads go to a private folder that goes with the job: a file planted under the name
    // the download would have in the shared temporary folder is neither written nor unpacked.
    void downloadsStayPrivate()
    {
        const QString planted = tempFolder() + QStringLiteral("/quillhe104.zip");
        QVERIFY(TestFiles::write(planted, "planted"));
        QDir(productFolder()).removeRecursively();
        plugIn();
        connectAndWait();
        QCOMPARE(mStack->currentIndex(), int(MainWindow::KeyPage));
        QVERIFY(QFileInfo(productFolder()).isDir());
        QCOMPARE(TestFiles::read(planted), QByteArray("planted"));
        QVERIFY(QDir(tempFolder()).entryList({QStringLiteral("Quillomatrix-*")}, QDir::AllEntries | QDir::Hidden).isEmpty());
        QFile::remove(planted);
    }

    // The package is unpacked for the product that asked for it, even when another product's
    // keyboard has taken the model meanwhile; the key page is then not opened for the newcomer.
    void packageGoesToTheProductThatAskedForIt()
    {
        mServer->serveSlow(kPackagePath, TestFiles::read(mTemp.filePath(QStringLiteral("quillhe104.zip"))), 3, 100);
        QDir(productFolder()).removeRecursively();
        plugIn();
        mPage->repaintInterface(true);
        QTRY_COMPARE_WITH_TIMEOUT(mServer->requestCount(kPackagePath), 1, kWaitMs);
        QVERIFY(gKeyboardConfig->initializeKeyboardConfig(SampleProductDatabase::He68Serial));

        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(productFolder()).isDir(), kWaitMs);
        QVERIFY(!QFileInfo::exists(mDataDir->path() + QStringLiteral("/QuillHE68")));
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
        QVERIFY(toasts().isEmpty());
    }

    void packageDownloadErrors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("404") << 0;
        QTest::newRow("cut off") << 1;
    }

    void packageDownloadErrors()
    {
        QFETCH(int, kind);
        if (kind == 0)
            mServer->remove(kPackagePath);
        else
            mServer->serveCutOff(kPackagePath, QByteArray(5000, 'z'), 100);
        QDir(productFolder()).removeRecursively();
        plugIn();
        connectAndWait();
        QCOMPARE(toasts(), QStringList{QStringLiteral("找不到产品型号，请确认软件是否正确")});
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
        QVERIFY(!mPage->promptBox());
        QVERIFY(!QFileInfo::exists(productFolder()));
    }

    void maliciousPackageIsRefused()
    {
        const QString archive = mTemp.filePath(QStringLiteral("evil.zip"));
        {
            QuaZip zip(archive);
            QVERIFY(zip.open(QuaZip::mdCreate));
            for (const char *name : {"light/fireware_bg.png", "../escaped.txt"}) {
                QuaZipFile file(&zip);
                QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(name))));
                file.write("payload");
                file.close();
            }
            zip.close();
        }
        QVERIFY(mServer->serveFile(kPackagePath, archive));
        QDir(productFolder()).removeRecursively();
        plugIn();
        connectAndWait();
        QCOMPARE(toasts(), QStringList{QStringLiteral("资源包解压失败")});
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
        QVERIFY(!QFileInfo::exists(productFolder()));
        QVERIFY(!QFileInfo::exists(mDataDir->path() + QStringLiteral("/../escaped.txt")));
        QVERIFY(!QFileInfo::exists(mDataDir->path() + QStringLiteral("/escaped.txt")));
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
    }

    void missingKeyboardFetchesDatabase()
    {
        QVERIFY(installDatabase(mDatabaseWithoutKeyboard));
        mToday = mToday.addDays(3);
        QDir(productFolder()).removeRecursively();
        plugIn();
        connectAndWait();
        QCOMPARE(mStack->currentIndex(), int(MainWindow::KeyPage));
        // The database first, then the package of the keyboard it now knows.
        QCOMPARE(mServer->requests(), (QStringList{kDatabasePath, kPackagePath}));
        QVERIFY(gProductDataUtil->getProductInfoById(SampleProductDatabase::He104Serial));
        QVERIFY(!gSystemConfig->isCheckAppData()); // the check date is today
        QVERIFY(QFileInfo(productFolder()).isDir());
    }

    void threeDayRule()
    {
        // The server's database does not know the keyboard either.
        mServer->serve(kDatabasePath, mDatabaseWithoutKeyboard);
        QVERIFY(installDatabase(mDatabaseWithoutKeyboard));
        mToday = mToday.addDays(2);
        plugIn();

        // Checked two days ago: no request, the link is closed and the model reset.
        connectAndWait();
        QCOMPARE(toasts(), QStringList{QStringLiteral("没有匹配的产品，请联系厂家同步更新")});
        QCOMPARE(mServer->totalRequests(), 0);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(!gKeyboardConfig->productInfo);

        // Three days: one download, still no match, the same toast.
        mToday = mToday.addDays(1);
        mPage = std::make_unique<DeviceManageForm>();
        connectAndWait();
        QCOMPARE(toasts(), QStringList{QStringLiteral("没有匹配的产品，请联系厂家同步更新")});
        QCOMPARE(mServer->requestCount(kDatabasePath), 1);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());

        // Reconnecting within the next three days asks the server nothing.
        mToday = mToday.addDays(2);
        mPage = std::make_unique<DeviceManageForm>();
        connectAndWait();
        QCOMPARE(mServer->requestCount(kDatabasePath), 1);
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
    }

    void unusableDatabaseDownload()
    {
        mServer->serve(kDatabasePath, QByteArray("this is not a database"));
        QVERIFY(installDatabase(mDatabaseWithoutKeyboard));
        mToday = mToday.addDays(5);
        plugIn();
        connectAndWait();
        QCOMPARE(mServer->requestCount(kDatabasePath), 1);
        QCOMPARE(toasts(), QStringList{QStringLiteral("没有匹配的产品，请联系厂家同步更新")});
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        // The local database is still the one from before.
        QVERIFY(gProductDataUtil->getProductInfoById(SampleProductDatabase::He68Serial));
    }

    void failedReadClosesTheLink()
    {
        EmulatedHidFaults faults;
        faults.silent = true;
        plugIn(faults);
        connectAndWait();
        QCOMPARE(toasts(), QStringList{QStringLiteral("读取配置失败")});
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QVERIFY(!mPage->syncWorker());
        QVERIFY(!mPage->promptBox());
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
    }

    void progressBoxOpensFromTenPercent()
    {
        mPage->sync_config_result(true, 5);
        QVERIFY(!mPage->promptBox());
        mPage->sync_config_result(true, 40);
        QCustomProgressDialog *box = mPage->promptBox();
        QVERIFY(box);
        QCOMPARE(box->value(), 40);
        QCOMPARE(box->maximum(), 100);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        mPage->sync_config_result(true, 60);
        QCOMPARE(mPage->promptBox(), box);
        QCOMPARE(box->value(), 60);

        // Its cancel button only closes it; the next report opens a new one.
        box->findChild<QPushButton *>()->click();
        QVERIFY(!mPage->promptBox());
        mPage->sync_config_result(true, 80);
        QVERIFY(mPage->promptBox());
        QCOMPARE(mPage->promptBox()->value(), 80);
        mPage->exitInterface();
        QVERIFY(!mPage->promptBox());
    }

    void linkErrors()
    {
        gSystemConfig->setCommType(1);
        mStack->setCurrentIndex(MainWindow::KeyPage);
        // Another source's error leaves the page alone.
        QMetaObject::invokeMethod(gUsbCommunicateUtil.data(), "usb_communicate_error", Q_ARG(uchar, 4), Q_ARG(uchar, 0),
                                  Q_ARG(int, -200));
        QVERIFY(toasts().isEmpty());
        QCOMPARE(gSystemConfig->getCommType(), 1);
        QMetaObject::invokeMethod(gUsbCommunicateUtil.data(), "usb_communicate_error", Q_ARG(uchar, 0), Q_ARG(uchar, 0),
                                  Q_ARG(int, -200));
        QCOMPARE(toasts(), QStringList{QStringLiteral("打开设备失败")});
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
    }

    void bluetoothWithoutAdapter()
    {
        gSystemConfig->setCommType(1);
        mPage->repaintInterface(true);
        QCustomProgressDialog *box = mPage->promptBox();
        QVERIFY(box);
        QCOMPARE(box->maximum(), 0); // busy
        QVERIFY(box->isVisible());
        // The manager reports the end of the search from the event loop: the box closes.
        QTRY_COMPARE_WITH_TIMEOUT(toasts(), QStringList{QStringLiteral("未搜索到蓝牙")}, kWaitMs);
        QVERIFY(!mPage->promptBox());
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
    }

    void bluetoothSearchCancelled()
    {
        gSystemConfig->setCommType(1);
        mPage->repaintInterface(true);
        QPointer<QCustomProgressDialog> box = mPage->promptBox();
        QVERIFY(box);
        box->findChild<QPushButton *>()->click();
        QVERIFY(!mPage->promptBox());
        // The search is over: its late end shows nothing and opens nothing.
        QTest::qWait(50);
        QVERIFY(toasts().isEmpty());
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QTRY_VERIFY(!box);
    }

    void firmwarePageVisitedOpensNothing()
    {
        gEntryBootFirewareFlag = true;
        plugIn();
        mPage->repaintInterface(true);
        QTest::qWait(50);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState());
        QCOMPARE(mStack->currentIndex(), int(MainWindow::DevicePage));
    }
};

QTEST_MAIN(TestDeviceManageForm)
#include "tst_devicemanageform.moc"
