// The settings page: controls loaded from the settings, back and F12 navigation, start with the
// system through a temporary XDG_CONFIG_HOME, close to tray, language, and the application update
// against a local update server: the numeric version check, the download with its progress dialog,
// the MD5 check and the install question.

#include "app/AutoStart.h"
#include "app/MainWindow.h"
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
#include <QStackedWidget>
#include <QTemporaryDir>
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

protected:
    bool askQuestion(const QString &title, const QString &) override
    {
        questions.append(title);
        dialogOpenAtQuestion = downloadDialog() && downloadDialog()->isVisible();
        return answer;
    }
    void showInformation(const QString &, const QString &text) override { notices.append(text); }
    bool installUpdate(const QString &filePath) override
    {
        installed.append(filePath);
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
        serveVersion("1.2.0.0", packageMd5().toLower());
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 1, kWaitMs);
        QVERIFY(mPage->downloadDialog());
        QVERIFY(mPage->downloadDialog()->isModal() || mPage->downloadDialog()->windowModality() == Qt::ApplicationModal);
        QTRY_COMPARE_WITH_TIMEOUT(mPage->questions.size(), 2, kWaitMs);
        QCOMPARE(mPage->questions.last(), QStringLiteral("安装"));
        QVERIFY(!mPage->dialogOpenAtQuestion);
        QVERIFY(!mPage->downloadDialog());
        const QString file = mTemp.filePath(QStringLiteral("update.zip"));
        QCOMPARE(mPage->installed, QStringList{file});
        QFile downloaded(file);
        QVERIFY(downloaded.open(QIODevice::ReadOnly));
        QCOMPARE(downloaded.readAll(), mPackage);
    }

    void digestMismatchNeverOffersInstall()
    {
        serveVersion("1.2.0.0", "0123456789ABCDEF0123456789ABCDEF");
        checkVersion();
        QTRY_VERIFY_WITH_TIMEOUT(toasts(mPage.get()).contains(QStringLiteral("下载文件校验失败")), kWaitMs);
        QCOMPARE(mPage->questions, QStringList{QStringLiteral("发现新版本")});
        QVERIFY(mPage->installed.isEmpty());
        QVERIFY(!mPage->downloadDialog());
        QVERIFY(!QFile::exists(mTemp.filePath(QStringLiteral("update.zip"))));
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
    }

    void checkErrorIsShown()
    {
        mServer->remove(QStringLiteral("/normal/ver_mac.xml"));
        checkVersion();
        QTRY_COMPARE_WITH_TIMEOUT(toasts(mPage.get()).size(), 1, kWaitMs);
        QVERIFY(toasts(mPage.get()).first().startsWith(QStringLiteral("更新错误: ")));
        QVERIFY(mPage->questions.isEmpty());
        QCOMPARE(mServer->requestCount(QStringLiteral("/normal/ver_mac.xml")), 1);
    }
};

QTEST_MAIN(TestSystemSetForm)
#include "tst_systemsetform.moc"
