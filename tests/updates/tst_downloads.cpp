// The update server helpers against a local HTTP server: version descriptions, the two
// downloaders (whole bodies, 404, bodies cut off mid-stream, slow bodies with progress, refusals
// while busy) and the numeric version comparison.

#include "app/DownloadManager.h"
#include "app/FileDownloadUtil.h"
#include "app/UpdateChecker.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kWaitMs = 5000;

QByteArray versionXml(const QByteArray &version, const QByteArray &url, const QByteArray &md5 = "abc123")
{
    return "<?xml version=\"1.0\"?><update><version>" + version + "</version><description>Fixes</description><md5>" +
           md5 + "</md5><url>" + url + "</url></update>";
}

QByteArray body(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + 3) & 0xFF);
    return data;
}
} // namespace

class TestDownloads : public QObject
{
    Q_OBJECT

    TestHttpServer *mServer = nullptr;
    QTemporaryDir mDir;

    QString target(const QString &name) const { return mDir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<VersionInfo>("VersionInfo");
        mServer = new TestHttpServer(this);
        QVERIFY(mServer->listen());
        QVERIFY(mDir.isValid());
    }

    void init() { mServer->clearCounts(); }

    // --- version descriptions ---

    void parseTakesElementsAtAnyDepth()
    {
        const VersionInfo info = UpdateChecker::parseVersionInfo(
            "<root><a><version>1.0</version></a><b><c><md5>deadbeef</md5></c></b>"
            "<other>x</other><url>https://h.example/u.zip</url><version>2.0</version></root>");
        QCOMPARE(info.version, QStringLiteral("2.0")); // a later element replaces an earlier one
        QCOMPARE(info.md5, QStringLiteral("DEADBEEF"));
        QCOMPARE(info.url, QUrl(QStringLiteral("https://h.example/u.zip")));
        QVERIFY(info.description.isEmpty());
    }

    void parseStopsAtFirstXmlError()
    {
        // The description has a child element: reading stops there, keeping the version.
        const VersionInfo info = UpdateChecker::parseVersionInfo(
            "<r><version>3.1</version><description>a<b>x</b></description><url>https://h.example/x</url></r>");
        QCOMPARE(info.version, QStringLiteral("3.1"));
        QVERIFY(info.url.isEmpty());
        QVERIFY(UpdateChecker::parseVersionInfo("not xml at all").version.isEmpty());
    }

    void checkOffersParsedVersion()
    {
        mServer->serve(QStringLiteral("/normal/ver_mac.xml"), versionXml("1.2.0.0", "http://127.0.0.1/u.zip"));
        UpdateChecker checker;
        QSignalSpy offered(&checker, &UpdateChecker::updateAvailable);
        QSignalSpy failed(&checker, &UpdateChecker::checkError);
        checker.checkForUpdate(mServer->url(QStringLiteral("/normal/ver_mac.xml")));
        QVERIFY(offered.wait(kWaitMs));
        QCOMPARE(failed.count(), 0);
        const auto info = offered.at(0).at(0).value<VersionInfo>();
        QCOMPARE(info.version, QStringLiteral("1.2.0.0"));
        QCOMPARE(info.md5, QStringLiteral("ABC123"));
        QCOMPARE(checker.versionInfo().version, QStringLiteral("1.2.0.0"));
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/ver_mac.xml")), 1);
    }

    void checkRejectsIncompleteDescriptions_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("empty version") << versionXml("", "http://127.0.0.1/u.zip");
        QTest::newRow("invalid url") << versionXml("2.0", "http://[::1");
        QTest::newRow("no url") << QByteArray("<r><version>2.0</version></r>");
    }

    void checkRejectsIncompleteDescriptions()
    {
        QFETCH(QByteArray, xml);
        mServer->serve(QStringLiteral("/bad.xml"), xml);
        UpdateChecker checker;
        QSignalSpy failed(&checker, &UpdateChecker::checkError);
        QSignalSpy offered(&checker, &UpdateChecker::updateAvailable);
        checker.checkForUpdate(mServer->url(QStringLiteral("/bad.xml")));
        QVERIFY(failed.wait(kWaitMs));
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("Invalid version info format"));
        QCOMPARE(offered.count(), 0);
    }

    void checkReportsNetworkErrors()
    {
        UpdateChecker checker;
        QSignalSpy failed(&checker, &UpdateChecker::checkError);
        checker.checkForUpdate(mServer->url(QStringLiteral("/missing.xml")));
        QVERIFY(failed.wait(kWaitMs));
        QVERIFY(!failed.at(0).at(0).toString().isEmpty());
        QVERIFY(failed.at(0).at(0).toString() != QStringLiteral("Invalid version info format"));
    }

    void versionsCompareNumerically_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("10 above 2") << "1.1.10.0" << "1.1.2.2" << 1;
        QTest::newRow("equal") << "1.1.2.2" << "1.1.2.2" << 0;
        QTest::newRow("last part") << "1.1.2.3" << "1.1.2.2" << 1;
        QTest::newRow("major only") << "2" << "1.1.2.2" << 1;
        QTest::newRow("missing parts are 0") << "1.1" << "1.1.0.0" << 0;
        QTest::newRow("suffix above none") << "1.1.2.2a" << "1.1.2.2" << 1;
        QTest::newRow("leading zeros") << "1.01.2.2" << "1.1.2.2" << 0;
        QTest::newRow("below") << "1.0.99" << "1.1" << -1;
        QTest::newRow("huge part") << "1.99999999999999999999999" << "1.5" << 1;
    }

    void versionsCompareNumerically()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(UpdateChecker::compareVersions(a, b), expected);
        QCOMPARE(UpdateChecker::compareVersions(b, a), -expected);
    }

    // --- downloads ---

    void downloadWritesWholeBody()
    {
        const QByteArray data = body(70000);
        mServer->serve(QStringLiteral("/normal/quillbase.db3"), data);
        FileDownloadUtil downloader;
        QSignalSpy finished(&downloader, &FileDownloadUtil::download_finished);
        const QString path = target(QStringLiteral("sub/dir/quillbase.db3")); // folders are created
        downloader.download(0, mServer->url(QStringLiteral("/normal/quillbase.db3")), path);
        QVERIFY(downloader.isRunning());
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        QCOMPARE(finished.at(0).at(1).toString(), path);
        QCOMPARE(TestFiles::read(path), data);
        QVERIFY(!downloader.isRunning());
    }

    void failedDownloadsLeaveNoFile_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("404") << "/none.zip";
        QTest::newRow("cut off") << "/cut.zip";
        QTest::newRow("server error") << "/error.zip";
    }

    void failedDownloadsLeaveNoFile()
    {
        QFETCH(QString, route);
        mServer->serveCutOff(QStringLiteral("/cut.zip"), body(50000), 20000);
        mServer->serveStatus(QStringLiteral("/error.zip"), 500);
        const QString path = target(QStringLiteral("failed.bin"));
        QFile::remove(path);

        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        QSignalSpy finished(&downloader, &FileDownloadUtil::download_finished);
        downloader.download(1, mServer->url(route), path);
        QVERIFY(failed.wait(kWaitMs));
        QCOMPARE(finished.count(), 0);
        QCOMPARE(failed.at(0).at(0).toInt(), 1);
        QVERIFY(!failed.at(0).at(1).toString().isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(!downloader.isRunning());

        DownloadManager manager;
        QSignalSpy managerFailed(&manager, &DownloadManager::error);
        manager.download(mServer->url(route), path);
        QVERIFY(managerFailed.wait(kWaitMs));
        QVERIFY(!QFile::exists(path));
    }

    void slowBodyReportsProgress()
    {
        const QByteArray data = body(40000);
        // The network layer reports progress at most every 100 ms.
        mServer->serveSlow(QStringLiteral("/slow.zip"), data, 3, 110);
        DownloadManager manager;
        QSignalSpy progress(&manager, &DownloadManager::progress);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.download(mServer->url(QStringLiteral("/slow.zip")), target(QStringLiteral("slow.zip")));
        QVERIFY(finished.wait(kWaitMs));
        QVERIFY2(progress.count() >= 3, qPrintable(QString::number(progress.count())));
        qlonglong last = -1;
        for (const auto &report : progress) {
            QVERIFY(report.at(0).toLongLong() >= last);
            last = report.at(0).toLongLong();
            QCOMPARE(report.at(1).toLongLong(), qlonglong(data.size()));
        }
        QCOMPARE(last, qlonglong(data.size()));
        QCOMPARE(TestFiles::read(target(QStringLiteral("slow.zip"))), data);
    }

    void secondDownloadIsRefusedWhileBusy()
    {
        const QByteArray data = body(30000);
        mServer->serveSlow(QStringLiteral("/busy.zip"), data, 3, 30);
        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        QSignalSpy finished(&downloader, &FileDownloadUtil::download_finished);
        downloader.download(1, mServer->url(QStringLiteral("/busy.zip")), target(QStringLiteral("busy.zip")));
        downloader.download(0, mServer->url(QStringLiteral("/busy.zip")), target(QStringLiteral("other.zip")));
        // Refused at once, with the refused call's type.
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toInt(), 0);
        QCOMPARE(failed.at(0).at(1).toString(), QStringLiteral("Another download in progress"));
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.at(0).at(0).toInt(), 1); // the running transfer keeps its type
        QCOMPARE(TestFiles::read(target(QStringLiteral("busy.zip"))), data);
        QVERIFY(!QFile::exists(target(QStringLiteral("other.zip"))));
        QCOMPARE(mServer->requestCount(QStringLiteral("/busy.zip")), 1);
    }

    void fileDownloadUtilMayChainFromItsReport()
    {
        mServer->serve(QStringLiteral("/a.bin"), body(100));
        mServer->serve(QStringLiteral("/b.bin"), body(200));
        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        QSignalSpy finished(&downloader, &FileDownloadUtil::download_finished);
        connect(&downloader, &FileDownloadUtil::download_finished, this, [&](int type, const QString &) {
            if (type == 0)
                downloader.download(1, mServer->url(QStringLiteral("/b.bin")), target(QStringLiteral("b.bin")));
        });
        downloader.download(0, mServer->url(QStringLiteral("/a.bin")), target(QStringLiteral("a.bin")));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kWaitMs);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(finished.at(1).at(0).toInt(), 1);
        QCOMPARE(TestFiles::read(target(QStringLiteral("b.bin"))).size(), 200);
    }

    void downloadManagerRefusesChainFromItsReport()
    {
        mServer->serve(QStringLiteral("/a.bin"), body(100));
        DownloadManager manager;
        QSignalSpy failed(&manager, &DownloadManager::error);
        QSignalSpy finished(&manager, &DownloadManager::finished);
        bool chained = false;
        connect(&manager, &DownloadManager::finished, this, [&] {
            if (!chained) {
                chained = true;
                manager.download(mServer->url(QStringLiteral("/a.bin")), target(QStringLiteral("c.bin")));
            }
        });
        manager.download(mServer->url(QStringLiteral("/a.bin")), target(QStringLiteral("a2.bin")));
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("Another download in progress"));
        QVERIFY(!manager.isRunning());
        QCOMPARE(mServer->requestCount(QStringLiteral("/a.bin")), 1);
    }

    void unwritableTargetIsRefused()
    {
        // A folder stands where the file should go.
        QVERIFY(QDir(mDir.path()).mkpath(QStringLiteral("occupied")));
        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        downloader.download(1, mServer->url(QStringLiteral("/a.bin")), target(QStringLiteral("occupied")));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(1).toString(), QStringLiteral("Cannot open file for writing"));
        QVERIFY(!downloader.isRunning());
        QCOMPARE(mServer->totalRequests(), 0);
    }

    void cancelEndsWithError()
    {
        mServer->serveSlow(QStringLiteral("/long.zip"), body(30000), 10, 50);
        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        QSignalSpy progress(&downloader, &FileDownloadUtil::download_progress);
        downloader.download(1, mServer->url(QStringLiteral("/long.zip")), target(QStringLiteral("long.zip")));
        QVERIFY(progress.wait(kWaitMs));
        downloader.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWaitMs);
        QVERIFY(!QFile::exists(target(QStringLiteral("long.zip"))));
        QVERIFY(!downloader.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestDownloads)
#include "tst_downloads.moc"
