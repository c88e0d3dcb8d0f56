// Installing what the update server delivers: the application update (command sequences on macOS
// and Linux, every step checked, the installed program kept on any failure, unpacked and mounted
// in a private folder), the product resource
// packages (unsafe archives refused), the MD5 check of a download, and the start-with-the-system
// entry.

#include "app/AppInstaller.h"
#include "app/AutoStart.h"
#include "app/ProcessRunner.h"
#include "app/ResourcePackage.h"
#include "app/SystemSetForm.h"
#include "emulator/SampleResourcePackage.h"
#include "tests/support/TestFiles.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {
// Records every command; runs them for real only when asked to.
class RecordingRunner : public ProcessRunner
{
public:
    QList<QStringList> calls;
    bool runForReal = false;
    // Exit code per command (program and first argument, or program alone); 0 when not listed.
    std::function<int(const QStringList &)> exitCode;

    int run(const QString &program, const QStringList &arguments) override
    {
        const QStringList call = QStringList{program} + arguments;
        calls.append(call);
        if (exitCode) {
            const int code = exitCode(call);
            if (code != 0)
                return code;
        }
        return runForReal ? ProcessRunner::run(program, arguments) : 0;
    }

    bool startDetached(const QString &, const QStringList &) override
    {
        qFatal("the installer starts nothing");
        return false;
    }

    QStringList programs() const
    {
        QStringList list;
        for (const QStringList &call : calls)
            list.append(call.first());
        return list;
    }
};


struct ZipEntry {
    QString name;
    QByteArray data;
    bool symlink = false;
};

// An archive written entry by entry, whatever the names.
bool writeZip(const QString &path, const QList<ZipEntry> &entries)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const ZipEntry &entry : entries) {
        QuaZipFile file(&zip);
        QuaZipNewInfo info(entry.name);
        if (entry.symlink)
            info.externalAttr = (0120777u << 16);
        if (!file.open(QIODevice::WriteOnly, info))
            return false;
        file.write(entry.data);
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

} // namespace
Q_DECLARE_METATYPE(ZipEntry)
namespace {

QStringList leftovers(const QString &dataDir)
{
    return QDir(dataDir).entryList({QStringLiteral(".unpack-*")}, QDir::AllEntries | QDir::Hidden);
}
} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString path(const QString &name) const { return mDir.filePath(name); }

    // Sets the installer up for the bundle in /Applications, unpacking below folder; the package.
    QString prepareMac(AppInstaller &installer, const QString &folder) const
    {
        installer.setUpdateFolder(path(folder + QStringLiteral("/update")));
        installer.setProgramPath(QStringLiteral("/Applications/Quillomatrix.app/Contents/MacOS/Quillomatrix"));
        QFile::remove(installer.updateFolder() + QStringLiteral("/Quillomatrix.dmg"));
        const QString package = path(folder + QStringLiteral("/update.zip"));
        return TestFiles::write(package, "zip") ? package : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(mDir.isValid()); }

    // --- application update, macOS ---

    void macSequence()
    {
        RecordingRunner runner;
        AppInstaller installer(runner, HostPlatform::MacOS);
        const QString package = prepareMac(installer, QStringLiteral("mac"));
        const QString update = installer.updateFolder();
        QVERIFY(!package.isEmpty());
        // unzip delivers the disk image.
        runner.exitCode = [&](const QStringList &call) {
            if (call.first() == QLatin1String("unzip"))
                TestFiles::write(update + QStringLiteral("/Quillomatrix.dmg"), "dmg");
            return 0;
        };

        QVERIFY2(installer.install(package), qPrintable(installer.errorString()));
        const QString app = QStringLiteral("/Applications/Quillomatrix.app");
        // The image is mounted at a folder of the installation's own, not under /Volumes.
        const QString mount = update + "/mount";
        const QList<QStringList> expected = {
            {"unzip", "-o", package, "-d", update},
            {"hdiutil", "attach", "-nobrowse", "-mountpoint", mount, update + "/Quillomatrix.dmg"},
            {"rm", "-rf", app + ".new"},
            {"cp", "-R", mount + "/Quillomatrix.app", app + ".new"},
            {"hdiutil", "detach", mount},
            {"rm", "-rf", app + ".old"},
            {"mv", app, app + ".old"},
            {"mv", app + ".new", app},
            {"rm", "-rf", app + ".old"},
        };
        QCOMPARE(runner.calls, expected);
        QVERIFY(QFileInfo(mount).isDir());
        QCOMPARE(installer.installedProgram(), app + "/Contents/MacOS/Quillomatrix");
    }

    void macFailureKeepsInstalledBundle_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::newRow("unzip") << "unzip";
        QTest::newRow("attach") << "hdiutil attach";
        QTest::newRow("copy") << "cp";
        QTest::newRow("move aside") << "mv /Applications/Quillomatrix.app";
    }

    void macFailureKeepsInstalledBundle()
    {
        QFETCH(QString, failing);
        RecordingRunner runner;
        AppInstaller installer(runner, HostPlatform::MacOS);
        const QString package = prepareMac(installer, QStringLiteral("macfail"));
        const QString update = installer.updateFolder();
        QVERIFY(!package.isEmpty());
        runner.exitCode = [&](const QStringList &call) {
            if (call.join(QLatin1Char(' ')).startsWith(failing))
                return 1;
            if (call.first() == QLatin1String("unzip"))
                TestFiles::write(update + QStringLiteral("/Quillomatrix.dmg"), "dmg");
            return 0;
        };
        QVERIFY(!installer.install(package));
        QVERIFY(!installer.errorString().isEmpty());
        QVERIFY(installer.installedProgram().isEmpty());
        // The installed bundle is never removed, and never replaced.
        const QString app = QStringLiteral("/Applications/Quillomatrix.app");
        for (const QStringList &call : std::as_const(runner.calls)) {
            QVERIFY2(!(call.first() == QLatin1String("rm") && call.last() == app), qPrintable(call.join(' ')));
            QVERIFY2(!(call.first() == QLatin1String("mv") && call.last() == app && failing != QLatin1String("mv ") + app),
                     qPrintable(call.join(' ')));
        }
        if (failing == QLatin1String("cp"))
            QVERIFY(runner.calls.contains(QStringList{"hdiutil", "detach", update + "/mount"}));
    }

    void macPackageWithoutImageIsRefused()
    {
        RecordingRunner runner;
        AppInstaller installer(runner, HostPlatform::MacOS);
        const QString package = prepareMac(installer, QStringLiteral("macempty"));
        QVERIFY(!installer.install(package));
        QCOMPARE(runner.programs(), QStringList{"unzip"});
    }

    void bundleFolderOfTheRunningProgram()
    {
        QCOMPARE(AppInstaller::bundleFolder(QStringLiteral("/Applications/Quillomatrix.app/Contents/MacOS/Quillomatrix")),
                 QStringLiteral("/Applications"));
        QCOMPARE(AppInstaller::bundleFolder(QStringLiteral("/opt/quill/Quillomatrix")), QStringLiteral("/opt/quill"));
    }

    // --- application update, Linux (the commands run for real) ---

    void linuxInstallReplacesProgram()
    {
        const QString folder = path(QStringLiteral("linux"));
        const QString program = folder + QStringLiteral("/bin/Quillomatrix");
        QVERIFY(TestFiles::write(program, "old program"));
        const QString package = folder + QStringLiteral("/update.zip");
        QVERIFY(writeZip(package, {{QStringLiteral("Quillomatrix"), "#!/bin/sh\necho new\n"}}));

        RecordingRunner runner;
        runner.runForReal = true;
        AppInstaller installer(runner, HostPlatform::Linux);
        installer.setUpdateFolder(folder + QStringLiteral("/update"));
        installer.setProgramPath(program);
        QVERIFY2(installer.install(package), qPrintable(installer.errorString()));

        QCOMPARE(runner.programs(), (QStringList{"unzip", "rm", "cp", "chmod", "mv"}));
        QCOMPARE(runner.calls.last(), (QStringList{"mv", "-f", program + ".new", program}));
        QCOMPARE(TestFiles::read(program), QByteArray("#!/bin/sh\necho new\n"));
        QVERIFY(QFileInfo(program).isExecutable());
        QVERIFY(!QFile::exists(program + QStringLiteral(".new")));
        QCOMPARE(installer.installedProgram(), program);
    }

    void linuxFailureKeepsProgram_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("emptyPackage");
        QTest::newRow("no program in package") << QString() << true;
        QTest::newRow("copy") << "cp" << false;
        QTest::newRow("chmod") << "chmod" << false;
        QTest::newRow("swap") << "mv" << false;
    }

    void linuxFailureKeepsProgram()
    {
        QFETCH(QString, failing);
        QFETCH(bool, emptyPackage);
        const QString folder = path(QStringLiteral("linuxfail"));
        const QString program = folder + QStringLiteral("/bin/Quillomatrix");
        QVERIFY(TestFiles::write(program, "old program"));
        const QString package = folder + QStringLiteral("/update.zip");
        QFile::remove(package);
        QVERIFY(writeZip(package, {{emptyPackage ? QStringLiteral("readme.txt") : QStringLiteral("Quillomatrix"), "new"}}));

        RecordingRunner runner;
        runner.runForReal = true;
        runner.exitCode = [&](const QStringList &call) { return call.first() == failing ? 2 : 0; };
        AppInstaller installer(runner, HostPlatform::Linux);
        installer.setUpdateFolder(folder + QStringLiteral("/update"));
        installer.setProgramPath(program);
        QVERIFY(!installer.install(package));
        QCOMPARE(TestFiles::read(program), QByteArray("old program"));
        QVERIFY(!QFile::exists(program + QStringLiteral(".new")));
        QVERIFY(installer.installedProgram().isEmpty());
    }

    // Without a folder set, each installation unpacks into a fresh folder of its own under the
    // temporary folder, readable by this user only, and removes it afterwards; on macOS it is kept
    // while the image may still be mounted in it.
    void defaultFolderIsPrivate_data()
    {
        QTest::addColumn<bool>("mac");
        QTest::addColumn<bool>("detachFails");
        QTest::newRow("linux") << false << false;
        QTest::newRow("mac") << true << false;
        QTest::newRow("mac, image stays mounted") << true << true;
    }

    void defaultFolderIsPrivate()
    {
        QFETCH(bool, mac);
        QFETCH(bool, detachFails);
        const QString package = path(QStringLiteral("private/update.zip"));
        QVERIFY(TestFiles::write(package, "zip"));
        RecordingRunner runner;
        QString folder;
        QFileDevice::Permissions permissions;
        runner.exitCode = [&](const QStringList &call) {
            if (call.first() == QLatin1String("unzip")) {
                folder = call.last();
                permissions = QFile::permissions(folder);
                TestFiles::write(folder + (mac ? QStringLiteral("/Quillomatrix.dmg") : QStringLiteral("/Quillomatrix")), "new");
            }
            return detachFails && call.value(1) == QLatin1String("detach") ? 1 : 0;
        };
        AppInstaller installer(runner, mac ? HostPlatform::MacOS : HostPlatform::Linux);
        installer.setProgramPath(mac ? QStringLiteral("/Applications/Quillomatrix.app/Contents/MacOS/Quillomatrix")
                                     : path(QStringLiteral("private/bin/Quillomatrix")));
        QVERIFY2(installer.install(package), qPrintable(installer.errorString()));

        QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QVERIFY(QFileInfo(folder).fileName().startsWith(QStringLiteral("Quillomatrix-update-")));
        QCOMPARE(permissions, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                  QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(QFileInfo::exists(folder), detachFails);
        QDir(folder).removeRecursively();
    }

    void missingPackageRunsNothing()
    {
        RecordingRunner runner;
        AppInstaller installer(runner, HostPlatform::Linux);
        installer.setUpdateFolder(path(QStringLiteral("none/update")));
        QVERIFY(!installer.install(path(QStringLiteral("none/update.zip"))));
        QVERIFY(runner.calls.isEmpty());
    }

    // --- MD5 check of a downloaded package ---

    void packageDigest()
    {
        const QByteArray data = QByteArray("Quillomatrix update package ").repeated(1000);
        const QString file = path(QStringLiteral("md5/update.zip"));
        QVERIFY(TestFiles::write(file, data));
        const QString digest = QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
        QVERIFY(SystemSetForm::verifyPackage(file, digest.toUpper()));
        QVERIFY(SystemSetForm::verifyPackage(file, digest.toLower()));
        QString wrong = digest;
        wrong[0] = wrong[0] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QVERIFY(!SystemSetForm::verifyPackage(file, wrong));
        QVERIFY(!SystemSetForm::verifyPackage(file, QString()));
        // An unreadable download counts as a mismatch.
        QVERIFY(!SystemSetForm::verifyPackage(path(QStringLiteral("md5/missing.zip")), digest));
        QVERIFY(!SystemSetForm::verifyPackage(path(QStringLiteral("md5")), digest));
    }

    // --- resource packages ---

    void samplePackageInstalls()
    {
        const QString archive = path(QStringLiteral("pkg/quillhe104.zip"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("pkg"))));
        QVERIFY(SampleResourcePackage::writeArchive(archive));
        const QString data = path(QStringLiteral("pkg/data"));
        // A half-filled folder from before is replaced whole.
        QVERIFY(TestFiles::write(data + QStringLiteral("/QuillHE104/stale.txt"), "stale"));

        QString error;
        QVERIFY2(ResourcePackage::install(archive, data, QStringLiteral("QuillHE104"), &error), qPrintable(error));
        for (const QString &entry : SampleResourcePackage::entryNames()) {
            QImage picture(data + QStringLiteral("/QuillHE104/") + entry);
            QVERIFY2(!picture.isNull(), qPrintable(entry));
        }
        QVERIFY(!QFile::exists(data + QStringLiteral("/QuillHE104/stale.txt")));
        QVERIFY(leftovers(data).isEmpty());
    }

    void unsafePackagesAreRefused_data()
    {
        QTest::addColumn<QList<ZipEntry>>("entries");
        const QString outside = path(QStringLiteral("unsafe/outside.txt"));
        QTest::newRow("parent folder") << QList<ZipEntry>{{"light/a.png", "a"}, {"../outside.txt", "evil"}};
        QTest::newRow("deep parent") << QList<ZipEntry>{{"light/../../../outside.txt", "evil"}};
        QTest::newRow("absolute") << QList<ZipEntry>{{outside, "evil"}};
        QTest::newRow("drive letter") << QList<ZipEntry>{{"C:/outside.txt", "evil"}};
        QTest::newRow("backslash") << QList<ZipEntry>{{"..\\outside.txt", "evil"}};
        QTest::newRow("symbolic link") << QList<ZipEntry>{{"link", "/etc", true}, {"light/a.png", "a"}};
        QTest::newRow("empty") << QList<ZipEntry>{};
    }

    void unsafePackagesAreRefused()
    {
        QFETCH(QList<ZipEntry>, entries);
        const QString folder = path(QStringLiteral("unsafe"));
        QVERIFY(QDir().mkpath(folder));
        const QString archive = folder + QStringLiteral("/evil.zip");
        QFile::remove(archive);
        QVERIFY(writeZip(archive, entries));
        const QString data = folder + QStringLiteral("/data");

        QString error;
        QVERIFY(!ResourcePackage::install(archive, data, QStringLiteral("QuillHE104"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(folder + QStringLiteral("/outside.txt")));
        QVERIFY(!QFile::exists(data + QStringLiteral("/outside.txt")));
        QVERIFY(!QFile::exists(data + QStringLiteral("/QuillHE104")));
        QVERIFY(leftovers(data).isEmpty());
    }

    void brokenArchiveAndFolderNames()
    {
        const QString folder = path(QStringLiteral("broken"));
        QVERIFY(TestFiles::write(folder + QStringLiteral("/not.zip"), "this is no archive"));
        QVERIFY(!ResourcePackage::install(folder + QStringLiteral("/not.zip"), folder + QStringLiteral("/data"),
                                          QStringLiteral("QuillHE104")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/data/QuillHE104")));

        QVERIFY(SampleResourcePackage::writeArchive(folder + QStringLiteral("/good.zip")));
        for (const QString &name : {QString(), QStringLiteral(".."), QStringLiteral("../x"), QStringLiteral("a/b")})
            QVERIFY2(!ResourcePackage::install(folder + QStringLiteral("/good.zip"), folder + QStringLiteral("/data"), name),
                     qPrintable(name));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/x")));
    }

    // --- start with the system ---

    void xdgAutostartEntry()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const QString config = path(QStringLiteral("xdg"));
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());

        AutoStart entry(QStringLiteral("Quillomatrix"), HostPlatform::Linux);
        QCOMPARE(entry.entryPath(), config + QStringLiteral("/autostart/Quillomatrix.desktop"));
        QVERIFY(!entry.isEnabled());
        for (int round = 0; round < 2; ++round) {
            QVERIFY(entry.enable(QStringLiteral("/opt/quill/Quillomatrix")));
            const QString text = QString::fromUtf8(TestFiles::read(entry.entryPath()));
            QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
            QVERIFY(text.contains(QStringLiteral("\nExec=/opt/quill/Quillomatrix\n")));
            QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
            QVERIFY(entry.disable());
            QVERIFY(!QFile::exists(entry.entryPath()));
        }
        QVERIFY(entry.disable()); // nothing to remove is fine

        // A relative XDG_CONFIG_HOME does not count.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(entry.entryPath(), QDir::homePath() + QStringLiteral("/.config/autostart/Quillomatrix.desktop"));
        qputenv("XDG_CONFIG_HOME", saved);
    }

    void desktopExecQuoting()
    {
        QCOMPARE(AutoStart::desktopExecArgument(QStringLiteral("/opt/Quill Matrix/run")),
                 QStringLiteral("\"/opt/Quill Matrix/run\""));
        // In quotes a backslash is escaped, and the key file format escapes it once more.
        QCOMPARE(AutoStart::desktopExecArgument(QStringLiteral("/a\\b")), QStringLiteral("\"/a\\\\\\\\b\""));
        QCOMPARE(AutoStart::desktopExecArgument(QStringLiteral("/a$b\"c")), QStringLiteral("\"/a\\\\$b\\\\\"c\""));
        QCOMPARE(AutoStart::desktopExecArgument(QStringLiteral("/100%/run")), QStringLiteral("\"/100%%/run\""));
    }

    void launchAgentEntry()
    {
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", path(QStringLiteral("home")).toLocal8Bit());
        AutoStart entry(QStringLiteral("Quillomatrix"), HostPlatform::MacOS);
        QCOMPARE(entry.entryPath(),
                 path(QStringLiteral("home")) + QStringLiteral("/Library/LaunchAgents/com.quillomatrix.Quillomatrix.plist"));
        QVERIFY(entry.enable(QStringLiteral("/Applications/Q&M.app/Contents/MacOS/Quillomatrix")));
        const QString text = QString::fromUtf8(TestFiles::read(entry.entryPath()));
        QVERIFY(text.contains(QStringLiteral("<string>/Applications/Q&amp;M.app/Contents/MacOS/Quillomatrix</string>")));
        QVERIFY(text.contains(QStringLiteral("<key>RunAtLoad</key>")));
        QVERIFY(entry.disable());
        QVERIFY(!entry.isEnabled());
        qputenv("HOME", savedHome);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
