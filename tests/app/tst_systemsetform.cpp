// The settings page: back, start with the system, and the application update against a local
// update server.

#include "tests/app/AppFixture.h"

#include "app/AutoStart.h"
#include "app/MainWindow.h"
#include "app/ProcessRunner.h"
#include "app/SystemSetForm.h"
#include "storage/TransferWatch.h"
#include "storage/UpdateServer.h"
#include "model/SystemConfigUtil.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QStackedWidget>
#include <QTcpServer>
#include <QThread>
#include <QToolButton>
#include <QtTest>

namespace {
constexpr int kWaitMs = 5000;
const QString kPackagePath = QStringLiteral("/normal/update.zip");

// The page with its questions answered yes and recorded.
class ProbeSettings : public SystemSetForm
{
public:
    QStringList questions;
    QStringList notices;
    bool dialogOpenAtQuestion = false;

protected:
    bool askQuestion(const QString &title, const QString &) override
    {
        questions.append(title);
        dialogOpenAtQuestion = downloadDialog() && downloadDialog()->isVisible();
        return true;
    }
    void showInformation(const QString &, const QString &text) override { notices.append(text); }
};

// The installation's programs, run on the installation's thread: "unzip" waits until the test
// lets it go, notes the package and its folder, and delivers the new program; "cp" copies, and
// "mv" only drops what it would move (the test program stays).
class StepRunner : public ProcessRunner
{
public:
    QSemaphore go;
    bool ranOnUiThread = false;
    bool keptWaiting = false; // the UI thread did not let the first step go in time
    QByteArray package;
    QFileInfo packageFolder;
    QStringList started;

    int run(const QString &program, const QStringList &arguments) override
    {
        if (program == QLatin1String("unzip")) {
            keptWaiting = !go.tryAcquire(1, kWaitMs);
            package = TestFiles::read(arguments.at(1));
            packageFolder = QFileInfo(QFileInfo(arguments.at(1)).absolutePath());
            TestFiles::write(arguments.last() + QStringLiteral("/Quillomatrix"), TestFiles::linuxProgram());
        }
        if (program == QLatin1String("cp"))
            QFile::copy(arguments.at(0), arguments.at(1));
        if (program == QLatin1String("mv"))
            QFile::remove(arguments.at(arguments.size() - 2));
        ranOnUiThread = ranOnUiThread || QThread::currentThread() == qApp->thread();
        return 0;
    }
    bool startDetached(const QString &program, const QStringList &) override
    {
        started.append(program);
        return true;
    }
};
} // namespace

class TestSystemSetForm : public QObject
{
    Q_OBJECT

    AppFixture mApp;
    std::unique_ptr<ProbeSettings> mPage;
    TestHttpServer mServer;
    QTcpServer mSilent; // accepts connections and never answers
    QByteArray mPackage;

    template <typename T>
    T *child(const char *name) const { return AppFixture::child<T>(mPage.get(), name); }
    void checkVersion() { QTest::mouseClick(child<QPushButton>("appCheckBtn"), Qt::LeftButton); }

    void serveVersion(const QByteArray &version, QByteArray md5 = QByteArray(), const QString &path = kPackagePath)
    {
        if (md5.isEmpty())
            md5 = QCryptographicHash::hash(mPackage, QCryptographicHash::Md5).toHex();
        mServer.serve(QStringLiteral("/normal/ver_mac.xml"), "<update><version>" + version + "</version><md5>" + md5 +
                                                                "</md5><url>" + mServer.url(path).toEncoded() + "</url></update>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", (mApp.tempDir() + QStringLiteral("/xdg")).toLocal8Bit());
        const QString package = mApp.tempDir() + QStringLiteral("/package.zip");
        // Large enough to be cut off: what does not compress.
        QByteArray program = TestFiles::linuxProgram();
        QRandomGenerator random(7);
        for (int i = 0; i < 16000; ++i)
            program.append(char(random.generate()));
        QVERIFY(TestFiles::writeZip(package, {{QStringLiteral("Quillomatrix"), program}}));
        mPackage = TestFiles::read(package);
        QVERIFY(QFile::remove(package));
        QVERIFY(mServer.listen());
        UpdateServer::setBaseAddress(mServer.baseAddress());
        mServer.serveSlow(kPackagePath, mPackage, 2, 110);
        QVERIFY(mSilent.listen(QHostAddress::LocalHost));
        mServer.serveRedirect(QStringLiteral("/normal/silent.zip"), QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(mSilent.serverPort())));
    }

    void init()
    {
        cleanup(); // what a failed init() left goes before anything new is built
        AppFixture::failOnWarnings();
        mServer.clearCounts();
        mApp.pageStack().setCurrentIndex(MainWindow::SettingsPage);
        mPage = std::make_unique<ProbeSettings>();
    }

    void cleanup()
    {
        mPage.reset();
        TransferWatch::setWindow(TransferWatch::DefaultWindowMs);
    }

    void backReturnsToTheKeyboardPageOnly_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("expected");
        // By the stack index the settings were opened from: device, settings, the seven keyboard pages
        // from keys to maintenance, firmware.
        const QList<int> back = {0, 0, 2, 3, 4, 5, 6, 7, 8, 0};
        for (int from = 0; from < back.size(); ++from)
            QTest::addRow("from %d", from) << from << back[from];
        QTest::newRow("never shown") << -1 << int(MainWindow::DevicePage);
        QTest::newRow("no page yet") << int(MainWindow::NoPage) << int(MainWindow::DevicePage);
    }

    void backReturnsToTheKeyboardPageOnly()
    {
        QFETCH(int, from);
        QFETCH(int, expected);
        if (from != -1)
            mPage->repaintInterface(from);
        QTest::mouseClick(child<QToolButton>("backButton"), Qt::LeftButton);
        QCOMPARE(mApp.pageStack().currentIndex(), expected);
    }

    void startWithTheSystem()
    {
        const QString entry = mApp.tempDir() + QStringLiteral("/xdg/autostart/%1.desktop").arg(QCoreApplication::applicationName());
        for (int round = 0; round < 2; ++round) {
            child<QCheckBox>("autoCheckBox")->setChecked(true);
            QVERIFY(gSystemConfig->getPowerAuto());
            QVERIFY(TestFiles::read(entry).contains(
                "Exec=" + AutoStart::desktopExecArgument(QCoreApplication::applicationFilePath()).toUtf8()));
            child<QCheckBox>("autoCheckBox")->setChecked(false);
            QVERIFY(!gSystemConfig->getPowerAuto() && !QFile::exists(entry));
        }
    }

    // The version in use is not offered again.
    void sameVersionIsNotOffered()
    {
        serveVersion(SystemSetForm::AppVersion);
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->notices.size(), 1, kWaitMs);
        QVERIFY(mPage->questions.isEmpty() && !mPage->downloadDialog());
    }

    // Checked, downloaded into a private folder (a file planted under the old fixed name stays),
    // verified and installed off the UI thread behind a busy dialog; clicks meanwhile do nothing.
    void update()
    {
        const QString planted = mApp.tempDir() + QStringLiteral("/update.zip");
        QVERIFY(TestFiles::write(planted, "planted"));
        auto runner = std::make_shared<StepRunner>();
        mPage->setProcessRunner(runner);
        serveVersion("1.2.0.0");
        checkVersion();
        checkVersion();
        QTRY_VERIFY_WITH_TIMEOUT(mPage->downloadDialog(), kWaitMs);
        checkVersion();
        QTRY_VERIFY_WITH_TIMEOUT(mPage->installDialog() && mPage->installDialog()->isVisible(), kWaitMs);
        QVERIFY(!mPage->dialogOpenAtQuestion && !child<QPushButton>("appCheckBtn")->isEnabled());
        runner->go.release(); // the first step waited while the UI thread went on
        QTRY_VERIFY_WITH_TIMEOUT(!mPage->installDialog(), kWaitMs);
        QVERIFY(!runner->ranOnUiThread && !runner->keptWaiting);
        QCOMPARE(mPage->questions.size(), 2);
        QCOMPARE(mServer.requests(), (QStringList{QStringLiteral("/normal/ver_mac.xml"), kPackagePath}));
        QCOMPARE(runner->package, mPackage);
        QCOMPARE(runner->packageFolder.absolutePath(), mApp.tempDir());
        QCOMPARE(int(runner->packageFolder.permissions() & 0x77), 0); // nothing for the group and others
        QCOMPARE(runner->started, QStringList{QCoreApplication::applicationFilePath()});
        QCOMPARE(TestFiles::read(planted), QByteArray("planted"));
        mPage.reset();
        QVERIFY(mApp.downloadFolders().isEmpty());
    }

    void updateErrors_data()
    {
        QTest::addColumn<QString>("packagePath"); // empty: no version description
        QTest::addColumn<QByteArray>("md5");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<bool>("shortWindow"); // a transfer must bring its minimum within a second
        const QString error = QStringLiteral("更新错误: ");
        QTest::newRow("no version") << QString() << QByteArray() << error << false;
        QTest::newRow("package 404") << QStringLiteral("/normal/missing.zip") << QByteArray() << error << false;
        QTest::newRow("package cut off") << QStringLiteral("/normal/cut.zip") << QByteArray() << error << false;
        QTest::newRow("package never comes") << QStringLiteral("/normal/silent.zip") << QByteArray() << error << true;
        QTest::newRow("digest mismatch") << kPackagePath << QByteArray(32, 'A') << QStringLiteral("下载文件校验失败") << false;
    }

    void updateErrors()
    {
        QFETCH(QString, packagePath);
        QFETCH(QByteArray, md5);
        QFETCH(QString, toast);
        QFETCH(bool, shortWindow);
        if (shortWindow)
            TransferWatch::setWindow(1000);
        mPage->setProcessRunner(std::make_shared<StepRunner>()); // nothing is installed for real
        mServer.serveCutOff(QStringLiteral("/normal/cut.zip"), mPackage, 1000);
        serveVersion("1.2.0.0", md5, packagePath);
        if (packagePath.isEmpty())
            mServer.remove(QStringLiteral("/normal/ver_mac.xml"));
        AppFixture::expectWarning(md5.isEmpty() ? QStringLiteral("=== 更新错误: ") : QStringLiteral("=== 更新包校验失败 "));
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(TestFiles::toastTexts(mPage.get()).size(), 1, 4 * kWaitMs);
        QVERIFY(TestFiles::toastTexts(mPage.get()).first().startsWith(toast));
        QCOMPARE(mPage->questions.size(), int(!packagePath.isEmpty()));
        QVERIFY(!mPage->downloadDialog());
        QVERIFY(mApp.downloadFolders().isEmpty());
        QVERIFY(child<QPushButton>("appCheckBtn")->isEnabled());
    }

};

QTEST_MAIN(TestSystemSetForm)
#include "tst_systemsetform.moc"
