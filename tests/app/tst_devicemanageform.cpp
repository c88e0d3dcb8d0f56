// The device page connecting the emulated keyboard: the link, the configuration read, the product's
// resource package and the product database fetched from a local update server, and the failures.

#include "tests/app/AppFixture.h"

#include "app/DeviceManageForm.h"
#include "app/HidAccessCheck.h"
#include "app/ResourcePackage.h"
#include "app/MainWindow.h"
#include "emulator/EmulatedProfileCommands.h"
#include "emulator/SampleProductDatabase.h"
#include "emulator/SampleResourcePackage.h"
#include "link/BluetoothManager.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ProductDataUtil.h"
#include "storage/SyncConfigUtil.h"
#include "storage/UpdateServer.h"
#include "tests/support/SqlFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"
#include "widgets/QCustomProgressDialog.h"

#include <QStackedWidget>
#include <QtTest>

namespace {
constexpr int kWaitMs = 8000;
const QString kDatabasePath = QStringLiteral("/normal/quillbase.db3");
const QString kPackagePath = QString::fromLatin1(SampleResourcePackage::ServerPath);
enum Case { Known, PackageMissing, PackageMostEntries, PackageReadOnlyFolder, Package404, PackageCutOff, PackageNoArchive,
            PackageTooLarge, PackageTooManyEntries, PackageAbsurdRatio, ReadFails, Unknown, UnknownNotDue, UnknownEverywhere,
            DownloadNoDatabase, DownloadCorrupt, DownloadRecursiveView, DownloadTooManyProducts, DownloadSlowCheck };
} // namespace

class TestDeviceManageForm : public QObject
{
    Q_OBJECT

    AppFixture mApp;
    std::unique_ptr<DeviceManageForm> mPage;
    TestHttpServer mServer;
    QByteArray mDatabase = TestFiles::read(SampleProductDatabase::path());
    QByteArray mDatabaseWithoutKeyboard;
    QByteArray mPackage;
    QDate mToday;

    QString productFolder() const { return mApp.dataDir() + QStringLiteral("/QuillHE104"); }
    QStringList toasts() const { return TestFiles::toastTexts(mPage.get()); }
    int page() { return mApp.pageStack().currentIndex(); }

    // Connects as the main window does when the device page is entered, until the key page or a toast.
    void connectAndWait()
    {
        mPage->repaintInterface(true);
        QTRY_VERIFY_WITH_TIMEOUT(page() == MainWindow::KeyPage || !toasts().isEmpty(), kWaitMs);
    }

    // A package at or past one of the installation's bounds, small on disk: its entries compress
    // well; or one whose folder entry is read-only.
    static QByteArray boundBreakingPackage(int which)
    {
        QList<TestFiles::ZipEntry> entries;
        if (which == PackageReadOnlyFolder) {
            entries = {{QStringLiteral("light/"), {}, false, 0500}, {QStringLiteral("light/a.png"), "a", false, 0400}};
        } else if (which == PackageTooLarge) {
            // Entries each too small for their ratio to count, together just over the bound.
            const QByteArray part(ResourcePackage::RatioCheckedFrom - 1, '\0');
            for (qint64 i = 0; i <= ResourcePackage::MaxUnpackedBytes / part.size(); ++i)
                entries.append({QStringLiteral("light/part%1.bin").arg(i), part});
        } else if (which == PackageTooManyEntries || which == PackageMostEntries) {
            for (int i = 0; i < ResourcePackage::MaxEntries + (which == PackageTooManyEntries ? 1 : 0); ++i)
                entries.append({QString::number(i), QByteArray()});
        } else {
            entries.append({QStringLiteral("firmware.bin"), QByteArray(ResourcePackage::RatioCheckedFrom, '\0')});
        }
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("package.zip"));
        return TestFiles::writeZip(file, entries) ? TestFiles::read(file) : QByteArray();
    }

    QStringList dataFolderEntries() const
    {
        QStringList entries = QDir(mApp.dataDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        entries.removeAll(QString::fromLatin1(SampleResourcePackage::FolderName));
        return entries;
    }

    // A database the program must not take in place of its own, made from a good one: corrupt past
    // its first pages (whose product_table still reads), a key table that is an endless view, more
    // products than the program reads, or a check that takes all the time it is given.
    QByteArray badDatabase(int which) const
    {
        const QString file = mApp.tempDir() + QStringLiteral("/bad.db3");
        QFile::remove(file);
        if (!TestFiles::write(file, mDatabase))
            return {};
        if (which == DownloadCorrupt) {
            QByteArray bytes = mDatabase;
            const int pageSize = (uchar(bytes.at(16)) << 8) | uchar(bytes.at(17));
            bytes.replace(2 * pageSize, bytes.size() - 2 * pageSize, QByteArray(bytes.size() - 2 * pageSize, 'Z'));
            const bool firstPagesRead = TestFiles::write(file, bytes)
                                        && !SqlFile::run(file, {QStringLiteral("SELECT productName FROM product_table LIMIT 1")}).isEmpty();
            return firstPagesRead ? bytes : QByteArray();
        }
        const int serial = ProductDataUtil::serialNumberValue(SampleProductDatabase::He104Serial).toInt();
        QStringList statements;
        if (which == DownloadRecursiveView)
            statements = {QStringLiteral("DROP TABLE key_position_table"),
                          QStringLiteral("CREATE VIEW key_position_table AS WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL "
                                         "SELECT n + 1 FROM r) SELECT n, %1, n % 256, n % 256, 1, 0, 0, 0, 0, 10, 10 FROM r")
                              .arg(serial)};
        else if (which == DownloadTooManyProducts)
            statements = {QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < %1) "
                                         "INSERT INTO product_table SELECT 20000 + n, 1, 2, 3, 'p' || n, 'p' || n, "
                                         "1, 2, 3, 4, 5, 6, 7, 8, '' FROM r").arg(ProductDataUtil::MaxProducts)};
        else // the integrity check computes a costly column of every row until its time is up (the last row's is NULL)
            statements = {QStringLiteral("CREATE TABLE filler (n INTEGER PRIMARY KEY, v INT NOT NULL, "
                                         "x INT NOT NULL GENERATED ALWAYS AS (0) VIRTUAL)"),
                          QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 100000) "
                                         "INSERT INTO filler (n, v) SELECT n, n = 100000 FROM r"),
                          QStringLiteral("PRAGMA writable_schema = ON"),
                          QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE TABLE filler (n INTEGER PRIMARY KEY, "
                                         "v INT NOT NULL, x INT NOT NULL GENERATED ALWAYS AS "
                                         "(nullif(length(replace(hex(zeroblob(10000 + v)), ''0'', ''00'')), 40004)) VIRTUAL)' "
                                         "WHERE name = 'filler'")};
        return SqlFile::exec(file, statements) ? TestFiles::read(file) : QByteArray();
    }

    // Puts a product database in place, as a download would.
    bool installDatabase(const QByteArray &content)
    {
        const QString file = mApp.tempDir() + QStringLiteral("/install.db3");
        return TestFiles::write(file, content) && gProductDataUtil->refreshDatabaseFile(file);
    }

private Q_SLOTS:
    void initTestCase()
    {
        gUsbCommunicateUtil->setReplyInterval(40);
        gSystemConfig->setDateSource([this] { return mToday; });
        const QString file = mApp.tempDir() + QStringLiteral("/file");
        QVERIFY(TestFiles::write(file, mDatabase));
        QVERIFY(SqlFile::exec(file, {QStringLiteral("DELETE FROM product_table WHERE serialNumber = %1")
                                         .arg(ProductDataUtil::serialNumberValue(SampleProductDatabase::He104Serial).toInt())}));
        mDatabaseWithoutKeyboard = TestFiles::read(file);
        QVERIFY(SampleResourcePackage::writeArchive(file));
        mPackage = TestFiles::read(file);
        QVERIFY(mServer.listen());
        UpdateServer::setBaseAddress(mServer.baseAddress());
    }

    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        AppFixture::failOnWarnings();
        mServer.clearCounts();
        mServer.serve(kPackagePath, mPackage);
        mServer.serve(kDatabasePath, mDatabase);
        mApp.pageStack().setCurrentIndex(MainWindow::DevicePage);
        gSystemConfig->setCommType(0);
        mToday = QDate(2025, 6, 10);
        gSystemConfig->refreshCheckAppData();
        QVERIFY(installDatabase(mDatabase));
        QVERIFY(SampleResourcePackage::writeFolder(productFolder()));
        mPage = std::make_unique<DeviceManageForm>();
    }

    void cleanup()
    {
        mPage.reset();
        mApp.reset();
        QDir(productFolder()).removeRecursively();
    }

    // Connecting ends on the key page or with a toast. A missing resource package is downloaded (in
    // a private folder; a file planted under its name in the shared one stays) and unpacked first,
    // its files and folders open to their owner whatever modes it carries; an unknown keyboard has
    // the database downloaded again when due. A package that would unpack to too much, of too many
    // entries or an absurd compression ratio is refused before anything is written. A downloaded
    // database that fails its checks is a failed download. A failure closes the link (not a failed
    // download) and leaves no box, no product folder, nothing else in the data folder, the old database.
    void connecting_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("toast"); // none: the key page opens
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QStringList>("warnings");
        const QString notFound = QStringLiteral("找不到产品型号，请确认软件是否正确");
        const QString noMatch = QStringLiteral("没有匹配的产品，请联系厂家同步更新");
        const QStringList package = {kPackagePath}, database = {kDatabasePath}, none;
        QTest::newRow("known") << int(Known) << QString() << none << none;
        QTest::newRow("package missing") << int(PackageMissing) << QString() << package << none;
        QTest::newRow("package of the most entries") << int(PackageMostEntries) << QString() << package << none;
        QTest::newRow("package of a read-only folder") << int(PackageReadOnlyFolder) << QString() << package << none;
        QTest::newRow("package 404") << int(Package404) << notFound << package << QStringList{"onUpdateError"};
        QTest::newRow("package cut off") << int(PackageCutOff) << notFound << package << QStringList{"onUpdateError"};
        const QString refused = QStringLiteral("资源包解压失败");
        const QStringList refusedWarnings = {"资源包解压失败", "资源包安装失败"};
        QTest::newRow("package no archive") << int(PackageNoArchive) << refused << package << refusedWarnings;
        QTest::newRow("package too large") << int(PackageTooLarge) << refused << package << refusedWarnings;
        QTest::newRow("package of too many entries") << int(PackageTooManyEntries) << refused << package << refusedWarnings;
        QTest::newRow("package of an absurd ratio") << int(PackageAbsurdRatio) << refused << package << refusedWarnings;
        QTest::newRow("read fails") << int(ReadFails) << QStringLiteral("读取配置失败") << none << QStringList{"读取配置失败"};
        QTest::newRow("unknown") << int(Unknown) << QString() << database << none;
        QTest::newRow("unknown, not due") << int(UnknownNotDue) << noMatch << none << none;
        QTest::newRow("unknown everywhere") << int(UnknownEverywhere) << noMatch << database << none;
        const QStringList badDatabase = {"数据库文件无效", "产品数据库替换失败"};
        QTest::newRow("download no database") << int(DownloadNoDatabase) << notFound << database << badDatabase;
        QTest::newRow("download corrupt past its first pages") << int(DownloadCorrupt) << notFound << database << badDatabase;
        QTest::newRow("download with an endless view") << int(DownloadRecursiveView) << notFound << database << badDatabase;
        QTest::newRow("download of too many products") << int(DownloadTooManyProducts) << notFound << database << badDatabase;
    }

    void connecting()
    {
        QFETCH(int, which);
        QFETCH(QString, toast);
        QFETCH(QStringList, requests);
        QFETCH(QStringList, warnings);
        if (which >= PackageMissing && which <= PackageAbsurdRatio)
            QDir(productFolder()).removeRecursively();
        if (which == Package404)
            mServer.remove(kPackagePath);
        if (which == PackageCutOff)
            mServer.serveCutOff(kPackagePath, mPackage, 100);
        if (which == PackageNoArchive)
            mServer.serve(kPackagePath, "no archive");
        if ((which >= PackageTooLarge && which <= PackageAbsurdRatio) || which == PackageMostEntries
            || which == PackageReadOnlyFolder) {
            const QByteArray package = boundBreakingPackage(which);
            QVERIFY(!package.isEmpty());
            mServer.serve(kPackagePath, package);
        }
        if (which >= Unknown)
            QVERIFY(installDatabase(mDatabaseWithoutKeyboard));
        if (which == Unknown || which >= UnknownEverywhere)
            mToday = mToday.addDays(30);
        if (which >= DownloadCorrupt) {
            const QByteArray bad = badDatabase(which);
            QVERIFY(!bad.isEmpty());
            mServer.serve(kDatabasePath, bad);
        } else if (which >= UnknownEverywhere) {
            mServer.serve(kDatabasePath, which == UnknownEverywhere ? mDatabaseWithoutKeyboard : "no database");
        }
        for (const QString &warning : std::as_const(warnings))
            AppFixture::expectWarning(warning);
        QVERIFY(TestFiles::write(mApp.tempDir() + QStringLiteral("/quillhe104.zip"), "planted"));
        EmulatedHidFaults faults;
        faults.silent = which == ReadFails;
        mApp.plugIn(faults);
        const QStringList dataEntries = dataFolderEntries();

        connectAndWait();
        QCOMPARE(toasts(), toast.isEmpty() ? QStringList() : QStringList{toast});
        QCOMPARE(page(), toast.isEmpty() ? int(MainWindow::KeyPage) : int(MainWindow::DevicePage));
        QCOMPARE(mServer.requests(), requests);
        if (which != Package404 && which != PackageCutOff)
            QCOMPARE(gUsbCommunicateUtil->checkCommunicateState(), toast.isEmpty() || which >= DownloadNoDatabase);
        QCOMPARE(bool(gKeyboardConfig->productInfo), which < PackageNoArchive || which == Unknown);
        QVERIFY(!mPage->promptBox() && !mPage->syncWorker() && !mPage->downloadWorkRunning());
        QCOMPARE(QFileInfo(productFolder()).isDir(), which < Package404 || which > PackageAbsurdRatio);
        QCOMPARE(dataFolderEntries(), dataEntries);
        if (which >= DownloadNoDatabase)
            QCOMPARE(TestFiles::read(mApp.dataDir() + QStringLiteral("/quillbase.db3")), mDatabaseWithoutKeyboard);
        // (Checked by mode: this test may run as root, whom no mode stops.)
        QStringList installed{productFolder()};
        for (QDirIterator it(productFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();)
            installed.append(it.next());
        for (const QString &entry : std::as_const(installed))
            QVERIFY2(!QFileInfo::exists(entry) || QFileInfo(entry).permissions() & QFile::WriteOwner, qPrintable(entry));
        QVERIFY(gProductDataUtil->getProductInfoById(SampleProductDatabase::He68Serial));
        QCOMPARE(TestFiles::read(mApp.tempDir() + QStringLiteral("/quillhe104.zip")), QByteArray("planted"));
        QVERIFY(mApp.downloadFolders().isEmpty());
    }

    // The link does not open, or a Bluetooth link has no keyboard: the user is told, the device
    // page shows and USB is chosen again. A keyboard this user may not open is named, with the cure.
    void openFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("toast"); // empty: the permission notice for the keyboard's interface
        const QString failed = QStringLiteral("打开设备失败");
        QTest::newRow("USB interface busy") << "busy" << failed;
        QTest::newRow("USB permission refused") << "denied" << QString();
        QTest::newRow("Bluetooth keyboard gone") << "gone" << failed;
        QTest::newRow("Bluetooth write without link") << "write" << failed;
    }

    void openFailures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, toast);
        AppFixture::expectWarning(QStringLiteral("=== DeviceManageForm usb错误"));
        // The error may come while another page shows: USB on a hot-plug notice, Bluetooth from a page's request.
        mApp.pageStack().setCurrentIndex(MainWindow::SettingsPage);
        if (failure == "busy" || failure == "denied") {
            EmulatedHidFaults faults;
            faults.openBusy = failure == "busy";
            faults.openFails = failure == "denied";
            mApp.plugIn(faults);
            mPage->repaintInterface(true);
        } else {
            gSystemConfig->setCommType(1);
            if (failure == "gone") { // found by the search (this computer has none), gone when the link opens
                mPage->repaintInterface(true);
                Q_EMIT gBluetoothManager->ble_discovery_finished(true);
            } else {
                gBluetoothManager->sendData(QByteArray(64, '\0'));
            }
        }
        QTRY_COMPARE(toasts(), QStringList{toast.isEmpty() ? HidAccessCheck::deniedMessage(QString::fromLatin1(mApp.path())) : toast});
        QCOMPARE(page(), int(MainWindow::DevicePage));
        QCOMPARE(gSystemConfig->getCommType(), 0);
        QVERIFY(!gUsbCommunicateUtil->checkCommunicateState() && !mPage->promptBox());
    }

    // A read replaced by a new one (the keyboard announces its wireless device again) hears no
    // more replies, not even one already on its way: only the new read goes on.
    void replacedReadHearsNoMoreReplies()
    {
        mApp.plugIn();
        mPage->repaintInterface(true);
        QVERIFY(mPage->syncWorker());
        QMetaObject::invokeMethod(mPage.get(), "usb_receive_connect_wireless_device", Q_ARG(uchar, 1));
        const int listReads = mApp.keyboard().requestCount(EmulatedProfileCommands::GetProfiles);
        emit gUsbCommunicateUtil->usb_receive_product_info(SyncConfigUtil::Source, 1, 1); // awaited by both reads
        QCOMPARE(mApp.keyboard().requestCount(EmulatedProfileCommands::GetProfiles), listReads + 1);
    }

    // Closing the link ends the read under way without a word, its box with it.
    void closingTheLinkEndsTheRead()
    {
        EmulatedHidFaults silent;
        silent.silent = true;
        mApp.plugIn(silent);
        mPage->repaintInterface(true);
        QVERIFY(mPage->syncWorker());
        QMetaObject::invokeMethod(mPage.get(), "sync_config_result", Q_ARG(bool, true), Q_ARG(int, 50));
        QVERIFY(mPage->promptBox());
        mPage->closeLink();
        QVERIFY(!mPage->promptBox() && !mPage->syncWorker() && !gUsbCommunicateUtil->checkCommunicateState());
        QTest::qWait(100); // the request given up with the link is told from the event loop
        QVERIFY(toasts().isEmpty());
    }

    // A wireless keyboard that connects while other work holds the keyboard is read once the work
    // has ended, unless it has gone again meanwhile.
    void keptReadFollowsItsKeyboard_data()
    {
        QTest::addColumn<bool>("gone");
        QTest::newRow("keyboard stays") << false;
        QTest::newRow("keyboard gone") << true;
    }

    void keptReadFollowsItsKeyboard()
    {
        QFETCH(bool, gone);
        mApp.plugIn();
        connectAndWait();
        bool busy = true;
        mPage->setOtherWorkCheck([&busy] { return busy; });
        QMetaObject::invokeMethod(mPage.get(), "usb_receive_connect_wireless_device", Q_ARG(uchar, 1));
        if (gone)
            QMetaObject::invokeMethod(mPage.get(), "usb_receive_connect_wireless_device", Q_ARG(uchar, 0));
        QVERIFY(!mPage->syncWorker());
        busy = false;
        mPage->takeKeptRead();
        QCOMPARE(mPage->syncWorker() != nullptr, !gone);
    }

    // The package is unpacked for the product that asked for it, even when another product's
    // keyboard has taken the model meanwhile; the key page is then not opened for the newcomer.
    void packageGoesToTheProductThatAskedForIt()
    {
        mServer.serveSlow(kPackagePath, mPackage, 10, 100);
        QDir(productFolder()).removeRecursively();
        mApp.plugIn();
        mPage->repaintInterface(true);
        QTRY_COMPARE_WITH_TIMEOUT(mServer.requestCount(kPackagePath), 1, kWaitMs);
        QVERIFY(gKeyboardConfig->initializeKeyboardConfig(SampleProductDatabase::He68Serial));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(productFolder()).isDir() && !mPage->downloadWorkRunning(), kWaitMs);
        QVERIFY(!QFileInfo::exists(mApp.dataDir() + QStringLiteral("/QuillHE68")));
        QCOMPARE(page(), int(MainWindow::DevicePage));
        QVERIFY(toasts().isEmpty());
    }

    // A downloaded database is checked while the window goes on (its timer keeps firing) and the
    // box stays. When the keyboard goes, the page is left or closed meanwhile, the check's result
    // is dropped: nothing is said and the old database stays. A keyboard read anew meanwhile drops
    // it too and fetches the database once more: one check ends, one failure is told.
    void checkBesideTheWindow_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("check to its end") << QString();
        QTest::newRow("keyboard unplugged") << "unplug";
        QTest::newRow("Bluetooth link lost") << "link lost";
        QTest::newRow("page left") << "leave";
        QTest::newRow("page closed") << "close";
        QTest::newRow("keyboard read anew") << "read";
    }

    void checkBesideTheWindow()
    {
        QFETCH(QString, meanwhile);
        QVERIFY(installDatabase(mDatabaseWithoutKeyboard));
        mToday = mToday.addDays(30);
        const QByteArray slow = badDatabase(DownloadSlowCheck);
        QVERIFY(!slow.isEmpty());
        mServer.serve(kDatabasePath, slow);
        const bool told = meanwhile.isEmpty() || meanwhile == "read";
        if (told) {
            AppFixture::expectWarning(QStringLiteral("SqliteReadGuard"));
            AppFixture::expectWarning(QStringLiteral("数据库文件无效"));
            AppFixture::expectWarning(QStringLiteral("产品数据库替换失败"));
        }
        mApp.plugIn();
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ticks += mPage && mPage->downloadWorkRunning(); });
        timer.start(50);
        mPage->repaintInterface(true);
        QTRY_VERIFY_WITH_TIMEOUT(mPage->downloadWorkRunning(), kWaitMs);
        QVERIFY(mPage->promptBox() && mPage->promptBox()->isVisible());
        if (meanwhile == "unplug") { // and the main window is told
            mApp.unplug();
            mPage->repaintInterface(false);
        }
        else if (meanwhile == "link lost")
            Q_EMIT gUsbCommunicateUtil->protocol_device_disconnected();
        else if (meanwhile == "leave")
            mPage->exitInterface();
        else if (meanwhile == "close")
            mPage.reset();
        else if (meanwhile == "read") {
            QMetaObject::invokeMethod(mPage.get(), "usb_receive_connect_wireless_device", Q_ARG(uchar, 1));
            QVERIFY(!mPage->downloadWorkRunning());
            QTRY_COMPARE_WITH_TIMEOUT(mServer.requestCount(kDatabasePath), 2, kWaitMs);
        }
        // A check told ends with its notice; a second one has not begun yet when the count is reached.
        QTRY_VERIFY_WITH_TIMEOUT((!mPage || !mPage->downloadWorkRunning()) && (!told || !toasts().isEmpty()), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(mApp.downloadFolders().isEmpty(), kWaitMs); // the worker is through
        QCOMPARE(mPage ? toasts() : QStringList(), told ? QStringList{QStringLiteral("找不到产品型号，请确认软件是否正确")} : QStringList());
        QCOMPARE(mServer.requestCount(kDatabasePath), 1 + int(meanwhile == "read"));
        if (meanwhile.isEmpty())
            QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        QVERIFY(!mPage || !mPage->promptBox());
        QCOMPARE(TestFiles::read(mApp.dataDir() + QStringLiteral("/quillbase.db3")), mDatabaseWithoutKeyboard);
        QCOMPARE(page(), int(MainWindow::DevicePage));
    }
};

QTEST_MAIN(TestDeviceManageForm)
#include "tst_devicemanageform.moc"
