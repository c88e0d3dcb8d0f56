// The settings page: controls loaded from the settings, back and F12 navigation, start with the
// system through a temporary XDG_CONFIG_HOME, close to tray, language, and the application update
// against a local update server: the numeric version check (one at a time), the download into a
// private folder with its progress dialog, the MD5 check, the install question and the
// installation on a worker thread.

#include "app/AutoStart.h"
#include "app/MainWindow.h"
#include "app/ProcessRunner.h"
#include "app/SystemSetForm.h"
#include "app/UpdateServer.h"
#include "model/SystemConfigUtil.h"
#include "tests/support/TestDataDir.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {
constexpr int kWaitMs = 5000;

// The page with its questions answered by the test and the installation recorded.
class ProbeSettings : public SystemSetForm
{
public:
    bool answer = true;
    QStringList questions;
    QStringList notices;
    QStringList installed;
    bool dialogOpenAtQuestion = false;
    // Install for real (through the page's process runner) rather than only record.
    bool realInstall = false;

protected:
    bool askQuestion(const QString &title, const QString &) override
    {
        questions.append(title);
        dialogOpenAtQuestion = downloadDialog() && downloadDialog()->isVisible();
        return answer;
    }
    void showInformation(const QString &, const QString &text) override { notices.append(text); }
    void installUpdate(const QString &filePath) override
    {
        installed.append(filePath);
        if (realInstall)
            SystemSetForm::installUpdate(filePath);
    }
};

// Stands in for the programs of the installation: "unzip" delivers the new program, one program
// can be made to fail, and the first step waits until the test lets it go. The steps run on the
// installation's thread; the test reads what they recorded once the installation has ended.
class StepRunner : public ProcessRunner
{
public:
    QSemaphore go;
    QString failing;
    QStringList programs;
    bool ranOnUiThread = false;
    // The UI thread did not let the first step go in time (it was blocked).
    bool keptWaiting = false;
    QStringList started;

    int run(const QString &program, const QStringList &arguments) override
    {
        if (programs.isEmpty())
            keptWaiting = !go.tryAcquire(1, kWaitMs);
        programs.append(program);
        ranOnUiThread = ranOnUiThread || QThread::currentThread() == qApp->thread();
        if (program == QLatin1String("unzip"))
            TestFiles::write(arguments.last() + QStringLiteral("/Quillomatrix"), "new program");
        return program == failing ? 1 : 0;
    }

    bool startDetached(const QString &program, const QStringList &) override
    {
        started.append(program);
        return true;
    }
};

QStringList toasts(const QWidget *page)
{
    return TestFiles::toastTexts(page);
}
} // namespace

class TestSystemSetForm : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;
    std::unique_ptr<TestDataDir> mDataDir;
    QStackedWidget *mStack = nullptr;
    std::unique_ptr<ProbeSettings> mPage;
    TestHttpServer *mServer = nullptr;
    QByteArray mPackage;

    template <typename T>
    T *child(const char *name) const
    {
        T *widget = mPage->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QString autostartFile() const { return mTemp.filePath(QStringLiteral("xdg/autostart/%1.desktop").arg(QCoreApplication::applicationName())); }

    void serveVersion(const QByteArray &version, const QByteArray &md5, const QByteArray &path = "/normal/update.zip")
    {
        mServer->serve(QStringLiteral("/normal/ver_mac.xml"),
                       "<update><version>" + version + "</version><description>Better</description><md5>" + md5 +
                           "</md5><url>" + mServer->baseAddress().toLatin1() + path + "</url></update>");
    }

    QByteArray packageMd5() const { return QCryptographicHash::hash(mPackage, QCryptographicHash::Md5).toHex(); }

    void checkVersion() { QTest::mouseClick(child<QPushButton>("appCheckBtn"), Qt::LeftButton); }

    // The private folders of downloads left in the temporary folder.
    QStringList privateFolders() const
    {
        return QDir(mTemp.path()).entryList({QStringLiteral("Quillomatrix-*")}, QDir::Dirs | QDir::Hidden);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mTemp.isValid());
        QVERIFY(TestFiles::redirectTempFolder(mTemp.path()));
        qputenv("XDG_CONFIG_HOME", mTemp.filePath(QStringLiteral("xdg")).toLocal8Bit());
        mDataDir = std::make_unique<TestDataDir>();
        gSystemConfig.reset(new SystemConfigUtil);
        gSystemConfig->loadLanguage(qApp);

        mServer = new TestHttpServer(this);
        QVERIFY(mServer->listen());
        UpdateServer::setBaseAddress(mServer->baseAddress());
        mPackage = QByteArray("update package ").repeated(4000);
        mServer->serveSlow(QStringLiteral("/normal/update.zip"), mPackage, 2, 110);

        mStack = new QStackedWidget;
        for (int i = 0; i < MainWindow::PageCount; ++i)
            mStack->addWidget(new QWidget);
        gStackedWidget = mStack;
    }

    void cleanupTestCase()
    {
        gStackedWidget = nullptr;
        delete mStack;
        gSystemConfig.reset();
        mDataDir.reset();
    }

    void init()
    {
        mServer->clearCounts();
        gBootFirewareScreenFlag = false;
        mStack->setCurrentIndex(MainWindow::SettingsPage);
        mPage = std::make_unique<ProbeSettings>();
        connect(gSystemConfig.data(), &SystemConfigUtil::languageChanged, mPage.get(), &SystemSetForm::refreshLanguageUi);
    }

    void cleanup() { mPage.reset(); }

    void controlsFollowTheSettings()
    {
        mPage.reset();
        gSystemConfig->setCloseMin(true);
        gSystemConfig->setFirewareFlag(true);
        gSystemConfig->setLanuage(2, qApp);
        mPage = std::make_unique<ProbeSettings>();
        QVERIFY(child<QCheckBox>("closeCheckBox")->isChecked());
        QVERIFY(child<QCheckBox>("firewareCheckBox")->isChecked());
        QVERIFY(!child<QCheckBox>("autoCheckBox")->isChecked());
        QCOMPARE(child<QComboBox>("langComboBox")->currentIndex(), 2);
        QVERIFY(child<QWidget>("systemThemeWidget")->isHidden());
        QVERIFY(child<QWidget>("systemFirewareWidget")->isHidden());
        QCOMPARE(child<QLabel>("appTitleLabel")->text(), QStringLiteral("Magnetic keyboard software version-NOR-V1.1.2.2"));
        // Loading changed nothing.
        QVERIFY(gSystemConfig->getCloseMin());
        gSystemConfig->setCloseMin(false);
        gSystemConfig->setFirewareFlag(false);
        gSystemConfig->setLanuage(1, qApp);
    }

    void languageChoice()
    {
        auto *combo = child<QComboBox>("langComboBox");
        QSignalSpy changed(gSystemConfig.data(), &SystemConfigUtil::languageChanged);
        combo->setCurrentIndex(1); // the stored one
        QCOMPARE(changed.count(), 0);
        QCOMPARE(child<QLabel>("appTitleLabel")->text(), QStringLiteral("磁性键盘软件版本-NOR-V1.1.2.2"));
        combo->setCurrentIndex(2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(gSystemConfig->getLanuage(), 2);
        QCOMPARE(child<QToolButton>("backButton")->text(), QStringLiteral("Back"));
        QCOMPARE(child<QLabel>("appTitleLabel")->text(), QStringLiteral("Magnetic keyboard software version-NOR-V1.1.2.2"));
        combo->setCurrentIndex(1);
        QCOMPARE(child<QLabel>("appTitleLabel")->text(), QStringLiteral("磁性键盘软件版本-NOR-V1.1.2.2"));
    }

    void backReturnsToTheKeyboardPageOnly_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("expected");
        QTest::newRow("calibration") << 7 << 7;
        QTest::newRow("keys") << 2 << 2;
        QTest::newRow("maintenance") << 8 << 8;
        QTest::newRow("device") << 0 << 0;
        QTest::newRow("firmware") << 9 << 0;
        QTest::newRow("never shown") << -1 << 0;
        QTest::newRow("no page yet") << int(MainWindow::NoPage) << 0;
    }

    void backReturnsToTheKeyboardPageOnly()
    {
        QFETCH(int, from);
        QFETCH(int, expected);
        if (from != -1)
            mPage->repaintInterface(from);
        QTest::mouseClick(child<QToolButton>("backButton"), Qt::LeftButton);
        QCOMPARE(mStack->currentIndex(), expected);
    }

    void f12OpensTheFirmwarePage()
    {
        QTest::keyClick(mPage.get(), Qt::Key_F11);
        QVERIFY(!gBootFirewareScreenFlag);
        QTest::keyClick(mPage.get(), Qt::Key_F12);
        QVERIFY(gBootFirewareScreenFlag);
        QCOMPARE(mStack->currentIndex(), int(MainWindow::FirewarePage));
    }

    void startWithTheSystem()
    {
        auto *box = child<QCheckBox>("autoCheckBox");
        for (int round = 0; round < 2; ++round) {
            box->setChecked(true);
            QVERIFY(gSystemConfig->getPowerAuto());
            QFile entry(autostartFile());
            QVERIFY(entry.open(QIODevice::ReadOnly));
            QVERIFY(entry.readAll().contains("Exec=" + AutoStart::desktopExecArgument(QCoreApplication::applicationFilePath()).toUtf8()));
            entry.close();
            box->setChecked(false);
            QVERIFY(!gSystemConfig->getPowerAuto());
            QVERIFY(!QFile::exists(autostartFile()));
        }
        // Already on in the settings: ticking the box leaves the entry alone.
        gSystemConfig->setPowerAuto(true);
        box->setChecked(true);
        QVERIFY(!QFile::exists(autostartFile()));
        box->setChecked(false);
        QVERIFY(!gSystemConfig->getPowerAuto());
    }

    void closeToTray()
    {
        auto *box = child<QCheckBox>("closeCheckBox");
        box->setChecked(true);
        QVERIFY(gSystemConfig->getCloseMin());
        box->setChecked(false);
        QVERIFY(!gSystemConfig->getCloseMin());
    }

    void versionsAreComparedNumerically_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("offered");
        QTest::newRow("1.1.2.3") << QByteArray("1.1.2.3") << true;
        QTest::newRow("1.1.2.2") << QByteArray("1.1.2.2") << false;
        QTest::newRow("1.1.10.0") << QByteArray("1.1.10.0") << true;
        QTest::newRow("2") << QByteArray("2") << true;
        QTest::newRow("1.1.2.2a") << QByteArray("1.1.2.2a") << true;
        QTest::newRow("1.0.9.9") << QByteArray("1.0.9.9") << false;
    }

    void versionsAreComparedNumerically()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, offered);
        serveVersion(version, packageMd5());
        mPage->answer = false;
        checkVersion();
        QTRY_VERIFY_WITH_TIMEOUT(!mPage->questions.isEmpty() || !mPage->notices.isEmpty(), kWaitMs);
        if (offered) {
            QCOMPARE(mPage->questions, QStringList{QStringLiteral("发现新版本")});
            QCOMPARE(mPage->offeredUpdate().version, QString::fromLatin1(version));
        } else {
            QCOMPARE(mPage->notices, QStringList{QStringLiteral("没有新版本")});
        }
        // Declined or not offered: nothing is downloaded.
        QVERIFY(!mPage->downloadDialog());
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/update.zip")), 0);
    }

    void verifiedDownloadOffersInstall()
    {
        // A file planted under the old fixed name is neither written nor installed.
        const QString planted = mTemp.filePath(QStringLiteral("update.zip"));
        QVERIFY(TestFiles::write(planted, "planted"));
        serveVersion("1.2.0.0", packageMd5().toLower());
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 1, kWaitMs);
        QVERIFY(mPage->downloadDialog());
        QVERIFY(mPage->downloadDialog()->isModal() || mPage->downloadDialog()->windowModality() == Qt::ApplicationModal);
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 2, kWaitMs);
        QCOMPARE(mPage->questions.last(), QStringLiteral("安装"));
        QVERIFY(!mPage->dialogOpenAtQuestion);
        QVERIFY(!mPage->downloadDialog());
        QCOMPARE(mPage->installed.size(), 1);
        const QFileInfo file(mPage->installed.first());
        QCOMPARE(file.fileName(), QStringLiteral("update.zip"));
        // Downloaded into a folder of its own, readable by this user only.
        QCOMPARE(privateFolders(), QStringList{file.dir().dirName()});
        QCOMPARE(file.dir().absolutePath(), mTemp.filePath(file.dir().dirName()));
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFile::permissions(file.absolutePath()) & others, QFileDevice::Permissions());
        QCOMPARE(TestFiles::read(file.absoluteFilePath()), mPackage);
        QCOMPARE(TestFiles::read(planted), QByteArray("planted"));
        QFile::remove(planted);
        // The folder goes with the page.
        mPage.reset();
        QVERIFY(privateFolders().isEmpty());
    }

    void digestMismatchNeverOffersInstall()
    {
        serveVersion("1.2.0.0", "0123456789ABCDEF0123456789ABCDEF");
        checkVersion();
        QTRY_VERIFY_WITH_TIMEOUT(toasts(mPage.get()).contains(QStringLiteral("下载文件校验失败")), kWaitMs);
        QCOMPARE(mPage->questions, QStringList{QStringLiteral("发现新版本")});
        QVERIFY(mPage->installed.isEmpty());
        QVERIFY(!mPage->downloadDialog());
        QVERIFY(privateFolders().isEmpty());
        QVERIFY(child<QPushButton>("appCheckBtn")->isEnabled());
    }

    void downloadErrorClosesTheDialog_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("404") << QByteArray("/normal/missing.zip");
        QTest::newRow("cut off") << QByteArray("/normal/cut.zip");
    }

    void downloadErrorClosesTheDialog()
    {
        QFETCH(QByteArray, path);
        mServer->serveCutOff(QStringLiteral("/normal/cut.zip"), mPackage, 1000);
        serveVersion("1.2.0.0", packageMd5(), path);
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 1, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!mPage->downloadDialog(), kWaitMs);
        QVERIFY(mPage->installed.isEmpty());
        QCOMPARE(mPage->questions.size(), 1);
        const QStringList shown = toasts(mPage.get());
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().startsWith(QStringLiteral("更新错误: ")));
        QVERIFY(privateFolders().isEmpty());
        QVERIFY(child<QPushButton>("appCheckBtn")->isEnabled());
    }

    void checkErrorIsShown()
    {
        mServer->remove(QStringLiteral("/normal/ver_mac.xml"));
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(toasts(mPage.get()).size(), 1, kWaitMs);
        QVERIFY(toasts(mPage.get()).first().startsWith(QStringLiteral("更新错误: ")));
        QVERIFY(mPage->questions.isEmpty());
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/ver_mac.xml")), 1);
        QVERIFY(child<QPushButton>("appCheckBtn")->isEnabled());
    }

    // A check, its download and the installation run one at a time: clicks meanwhile do nothing.
    void oneCheckAtATime()
    {
        serveVersion("1.2.0.0", packageMd5());
        checkVersion();
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 1, kWaitMs);
        QVERIFY(mPage->downloadDialog());
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 2, kWaitMs);
        QCOMPARE(mPage->questions.last(), QStringLiteral("安装"));
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/ver_mac.xml")), 1);
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/update.zip")), 1);
        QVERIFY(toasts(mPage.get()).isEmpty());
    }

    // The installation's programs run off the UI thread behind a busy, application-modal dialog
    // without a cancel button; the new program is started when it is in place, and a failure is
    // reported with the installed program kept.
    void installRunsOffTheUiThread_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::newRow("installed") << QString();
        QTest::newRow("copy fails") << QStringLiteral("cp");
    }

    void installRunsOffTheUiThread()
    {
        QFETCH(QString, failing);
        auto runner = std::make_shared<StepRunner>();
        runner->failing = failing;
        mPage->setProcessRunner(runner);
        mPage->realInstall = true;
        serveVersion("1.2.0.0", packageMd5());
        checkVersion();

        // The first step waits while the UI thread goes on.
        QTRY_VERIFY_WITH_TIMEOUT(mPage->installDialog(), kWaitMs);
        QProgressDialog *dialog = mPage->installDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->maximum(), 0);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(!dialog->findChild<QPushButton *>());
        QVERIFY(!child<QPushButton>("appCheckBtn")->isEnabled());
        runner->go.release();

        QTRY_VERIFY_WITH_TIMEOUT(!mPage->installDialog(), kWaitMs);
        QVERIFY(!runner->ranOnUiThread);
        QVERIFY(!runner->keptWaiting);
        if (failing.isEmpty()) {
            QCOMPARE(runner->programs, (QStringList{"unzip", "rm", "cp", "chmod", "mv"}));
            QCOMPARE(runner->started, QStringList{QCoreApplication::applicationFilePath()});
            QVERIFY(toasts(mPage.get()).isEmpty());
        } else {
            QVERIFY(runner->started.isEmpty());
            const QStringList shown = toasts(mPage.get());
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown.first().startsWith(QStringLiteral("更新错误: cp ")));
            QVERIFY(child<QPushButton>("appCheckBtn")->isEnabled());
            QVERIFY(privateFolders().isEmpty());
        }
    }
};

QTEST_MAIN(TestSystemSetForm)
#include "tst_systemsetform.moc"
