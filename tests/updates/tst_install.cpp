// Installing what the update server delivers: the application update (Linux, and macOS with the
// disk image played by a folder) and the product resource packages; and the autostart entry.

#include "app/AppInstaller.h"
#include "app/AutoStart.h"
#include "app/ProcessRunner.h"
#include "app/ResourcePackage.h"
#include "emulator/SampleResourcePackage.h"
#include "tests/support/EventWait.h"
#include "tests/support/PermissionsAsOwner.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>

#include <unistd.h>

namespace {
// A new program of the system the installation is for.
QByteArray newProgram(bool mac)
{
    return mac ? QByteArray("\xcf\xfa\xed\xfe") + "new program" : TestFiles::linuxProgram();
}

// The running program's ELF header with one field changed: its class, its byte order (the type
// keeping its value) or its machine.
QByteArray foreignElf(const QString &change)
{
    QByteArray program = TestFiles::linuxProgram();
    if (change == QLatin1String("class")) {
        program[4] = char(3 - program.at(4));
    } else if (change == QLatin1String("byte order")) {
        program[5] = char(3 - program.at(5));
        std::swap(program[16], program[17]);
    } else {
        program[18] = char(program.at(18) ^ 0x40);
    }
    return program;
}

// The archive of one entry with the entry's unpacked size stated as size, in its local header and
// in the central directory. (unzip writes what the entry holds all the same.)
QByteArray understated(QByteArray zip, quint32 size)
{
    qToLittleEndian<quint32>(size, zip.data() + 22);
    qToLittleEndian<quint32>(size, zip.data() + zip.lastIndexOf("PK\x01\x02") + 24);
    return zip;
}

// Runs the installation's programs for real but hdiutil, which "mounts" the image's bundle by
// writing it and "unmounts" it by removing it. The failingAt-th call of failing fails.
class ShellRunner : public ProcessRunner
{
public:
    QString failing;
    int failingAt = 1;
    qint64 programSize = 0; // the image's program grows to it (a hole) when given
    QStringList programs;
    QString unpackFolder;
    QFileDevice::Permissions unpackPermissions;

    int run(const QString &program, const QStringList &arguments) override
    {
        programs.append(program);
        if (program == QLatin1String("unzip"))
            unpackPermissions = QFile::permissions(unpackFolder = arguments.last());
        if (program == failing && programs.count(program) == failingAt)
            return 1;
        if (program != QLatin1String("hdiutil"))
            return ProcessRunner::run(program, arguments);
        const QString bundle = arguments.at(arguments.first() == QLatin1String("attach") ? 3 : 1) + QStringLiteral("/Quillomatrix.app");
        if (arguments.first() != QLatin1String("attach"))
            return QDir(bundle).removeRecursively() ? 0 : 1;
        const QString file = bundle + QStringLiteral("/Contents/MacOS/Quillomatrix");
        return TestFiles::write(file, newProgram(true)) && (!programSize || QFile::resize(file, programSize))
                       && QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner)
                   ? 0
                   : 1;
    }
    bool startDetached(const QString &, const QStringList &) override { return false; }
};

using ZipEntry = TestFiles::ZipEntry;

// How this test program, started again, tells that it crashed as told.
constexpr int kCrashed = 3;
// How long a test waits for another instance, or for an install, to get to its end.
constexpr int kWaitMs = 30000;

// Starts this test program again as another instance of the program on the data folder (see
// TestInstall::initMain): "start" clears the staging folders there as the program does at start;
// "crash" installs the archive as the product folder QuillHE104 and ends at once as the package
// would be moved in; "hold" installs it too, but stops as the product folder would be moved aside,
// says "held" on its output and holds the data folder's lock until its input closes, then fails.
void startOtherInstance(QProcess &process, const QString &role, const QString &data, const QString &archive)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILL_TEST_INSTANCE"), role);
    environment.insert(QStringLiteral("QUILL_TEST_DATA"), data);
    environment.insert(QStringLiteral("QUILL_TEST_ARCHIVE"), archive);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {});
}

// The other instance's exit code once it has ended; -1 when it did not end normally in time.
int exitCodeAtEnd(QProcess &process)
{
    return process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Runs another instance to its end (see startOtherInstance). Its exit code.
int otherInstance(const QString &role, const QString &data, const QString &archive = QString())
{
    QProcess process;
    startOtherInstance(process, role, data, archive);
    return exitCodeAtEnd(process);
}

// Every file and folder under folder, hidden ones included.
QStringList everythingIn(const QString &folder)
{
    QStringList paths;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();)
        paths.append(it.next());
    paths.sort();
    return paths;
}
} // namespace
Q_DECLARE_METATYPE(ZipEntry)

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString path(const QString &name) const { return mDir.filePath(name); }
    static void expectWarning(const char *text) { QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString::fromUtf8(text))); }

    // Runs install on a thread of its own while another instance holds the data folder's lock in
    // its install of archive: the install waits, touching nothing there, until the other lets go
    // (or, with stop, until it is asked to stop, and then fails changing nothing).
    static void installWhileHeld(const std::function<void()> &install, const QString &data, const QString &archive, bool stop)
    {
        QProcess holder;
        startOtherInstance(holder, QStringLiteral("hold"), data, archive);
        EVENTWAIT_VERIFY(holder.canReadLine(), kWaitMs);
        QCOMPARE(holder.readLine(), QByteArray("held\n"));
        const QStringList held = everythingIn(data); // the other's staging folder among them
        const std::unique_ptr<QThread> installing(QThread::create(install));
        const auto ended = qScopeGuard([&] {
            holder.kill();
            holder.waitForFinished();
            installing->wait();
        });
        installing->start();
        QTest::qWait(300); // long enough for the install to get on, were it not waiting
        QVERIFY(!installing->isFinished());
        QCOMPARE(everythingIn(data), held);
        if (stop) {
            installing->requestInterruption();
            EVENTWAIT_VERIFY(installing->isFinished(), kWaitMs);
            QCOMPARE(everythingIn(data), held);
        }
        holder.closeWriteChannel();
        QCOMPARE(exitCodeAtEnd(holder), 0);
        EVENTWAIT_VERIFY(installing->isFinished(), kWaitMs);
    }

public:
    // Started again as another instance (see otherInstance), the program plays it and ends.
    static void initMain()
    {
        const QString role = qEnvironmentVariable("QUILL_TEST_INSTANCE");
        const QString data = qEnvironmentVariable("QUILL_TEST_DATA");
        if (role == QLatin1String("start")) {
            ResourcePackage::clearStaging(data);
            std::exit(0);
        } else if (role == QLatin1String("crash")) {
            int renames = 0; // aside, in
            ResourcePackage::setRenamer([&renames](const QString &from, const QString &to) {
                if (++renames == 2)
                    _exit(kCrashed);
                return QDir().rename(from, to);
            });
            ResourcePackage::install(qEnvironmentVariable("QUILL_TEST_ARCHIVE"), data, QStringLiteral("QuillHE104"));
            std::exit(1);
        } else if (role == QLatin1String("hold")) {
            ResourcePackage::setRenamer([](const QString &, const QString &) {
                std::puts("held");
                std::fflush(stdout);
                while (std::getchar() != EOF) {
                }
                return false;
            });
            // Its install fails as meant: no warning of it.
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
            std::exit(ResourcePackage::install(qEnvironmentVariable("QUILL_TEST_ARCHIVE"), data, QStringLiteral("QuillHE104")) ? 1 : 0);
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(TestFiles::redirectTempFolder(path(QStringLiteral("tmp")))); }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void cleanup() { ResourcePackage::setRenamer({}); }

    // The new program replaces the installed one only when complete: whichever step fails, the old
    // one stays and nothing staged is left. The package is unpacked in a private folder that goes
    // afterwards (unless the image may still be mounted in it), and only within the bounds of a
    // resource package; a program that is no regular file, over the size bound, or no program of the
    // system (on Linux of another class, byte order or machine than the running one) is refused.
    void applicationUpdate_data()
    {
        QTest::addColumn<bool>("mac");
        QTest::addColumn<QString>("packaged"); // the package's one entry; empty: no package
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("failingAt");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("content"); // of the packaged program (macOS: the image's); empty: a program of the system
        QTest::newRow("linux") << false << "Quillomatrix" << QString() << 0 << true << QString();
        QTest::newRow("linux, program is junk") << false << "Quillomatrix" << QString() << 0 << false << "junk";
        QTest::newRow("linux, program is a link") << false << "Quillomatrix" << QString() << 0 << false << "link";
        // (Refused with the package, which may unpack to no more.)
        QTest::newRow("linux, program oversized") << false << "Quillomatrix" << QString() << 0 << false << "oversized";
        QTest::newRow("linux, program oversized, stated small") << false << "Quillomatrix" << QString() << 0 << false << "understated";
        for (const char *change : {"class", "byte order", "machine"})
            QTest::addRow("linux, program of another %s", change) << false << "Quillomatrix" << QString() << 0 << false << change;
        QTest::newRow("linux, no package") << false << QString() << QString() << 0 << false << QString();
        QTest::newRow("linux, no program in package") << false << "readme.txt" << QString() << 0 << false << QString();
        QTest::newRow("linux, copy fails") << false << "Quillomatrix" << "cp" << 1 << false << QString();
        QTest::newRow("linux, swap fails") << false << "Quillomatrix" << "mv" << 1 << false << QString();
        QTest::newRow("mac") << true << "Quillomatrix.dmg" << QString() << 0 << true << QString();
        QTest::newRow("mac, image stays mounted") << true << "Quillomatrix.dmg" << "hdiutil" << 2 << true << QString();
        // The image's content is not held to the package's bounds.
        QTest::newRow("mac, program oversized") << true << "Quillomatrix.dmg" << QString() << 0 << false << "oversized";
        QTest::newRow("mac, no image in package") << true << "readme.txt" << QString() << 0 << false << QString();
        QTest::newRow("mac, attach fails") << true << "Quillomatrix.dmg" << "hdiutil" << 1 << false << QString();
        QTest::newRow("mac, copy fails") << true << "Quillomatrix.dmg" << "cp" << 1 << false << QString();
        QTest::newRow("mac, moving aside fails") << true << "Quillomatrix.dmg" << "mv" << 1 << false << QString();
        QTest::newRow("mac, swap fails") << true << "Quillomatrix.dmg" << "mv" << 2 << false << QString();
    }

    void applicationUpdate()
    {
        QFETCH(bool, mac);
        QFETCH(QString, packaged);
        QFETCH(QString, failing);
        QFETCH(int, failingAt);
        QFETCH(bool, installed);
        QFETCH(QString, content);
        const QString root = path(QString::fromLatin1(QTest::currentDataTag()));
        const QString replaced = root + (mac ? QStringLiteral("/Applications/Quillomatrix.app") : QStringLiteral("/bin/Quillomatrix"));
        const QString program = mac ? replaced + QStringLiteral("/Contents/MacOS/Quillomatrix") : replaced;
        QVERIFY(TestFiles::write(program, "old"));
        ShellRunner runner;
        TestFiles::ZipEntry entry{packaged, newProgram(mac)};
        if (content == QLatin1String("junk"))
            entry.data = QByteArray("\x01\x02junk").repeated(100);
        else if (content == QLatin1String("link"))
            entry = {packaged, QCoreApplication::applicationFilePath().toUtf8(), true};
        else if (content == QLatin1String("oversized") && !mac)
            entry.data.append(QByteArray(ResourcePackage::MaxUnpackedBytes, '\0'));
        else if (content == QLatin1String("oversized")) // the image's program (see ShellRunner)
            runner.programSize = AppInstaller::MaxProgramBytes + 1;
        else if (content == QLatin1String("understated"))
            entry.data.append(QByteArray(AppInstaller::MaxProgramBytes, '\0'));
        else if (!content.isEmpty())
            entry.data = foreignElf(content);
        const QString package = root + QStringLiteral("/update.zip");
        QVERIFY(packaged.isEmpty() || TestFiles::writeZip(package, {entry}));
        if (content == QLatin1String("understated"))
            QVERIFY(TestFiles::write(package, understated(TestFiles::read(package), 1024)));
        const bool stillMounted = failing == QLatin1String("hdiutil") && failingAt == 2;
        if (!installed)
            expectWarning("安装更新失败");
        if (stillMounted)
            expectWarning("无法卸载");

        runner.failing = failing;
        runner.failingAt = failingAt;
        AppInstaller installer(runner, mac ? HostPlatform::MacOS : HostPlatform::Linux);
        installer.setProgramPath(program);
        QCOMPARE(installer.install(package), installed);
        QCOMPARE(TestFiles::read(program), installed ? newProgram(mac) : QByteArray("old"));
        QCOMPARE(installer.installedProgram(), installed ? program : QString());
        QCOMPARE(installer.errorString().isEmpty(), installed);
        QVERIFY(QFileInfo(program).isExecutable() || !installed);
        QVERIFY(!QFileInfo::exists(replaced + QStringLiteral(".new")) && !QFileInfo::exists(replaced + QStringLiteral(".old")));
        const bool unpacked = !packaged.isEmpty() && content != QLatin1String("link") && (content != QLatin1String("oversized") || mac);
        QCOMPARE(runner.unpackFolder.isEmpty(), !unpacked);
        if (unpacked) {
            QCOMPARE(QFileInfo(runner.unpackFolder).absolutePath(), path(QStringLiteral("tmp")));
            QCOMPARE(int(runner.unpackPermissions & 0x77), 0); // nothing for the group and others
            QCOMPARE(QFileInfo::exists(runner.unpackFolder), stillMounted);
        }
    }

    // What an earlier update unpacked in the same folder does not pass for the program the next lacks.
    void secondUpdateIntoTheSameFolder()
    {
        const QString program = path(QStringLiteral("again/bin/Quillomatrix"));
        QVERIFY(TestFiles::write(program, "old"));
        ShellRunner runner;
        AppInstaller installer(runner, HostPlatform::Linux);
        installer.setUpdateFolder(path(QStringLiteral("again/update")));
        installer.setProgramPath(program);
        const QString package = path(QStringLiteral("again/update.zip"));
        QVERIFY(TestFiles::writeZip(package, {{QStringLiteral("Quillomatrix"), newProgram(false)}}) && installer.install(package));
        QVERIFY(TestFiles::writeZip(package, {{QStringLiteral("readme.txt"), "second"}}));
        expectWarning("安装更新失败");
        QVERIFY(!installer.install(package));
        QVERIFY(installer.installedProgram().isEmpty() && !installer.errorString().isEmpty());
        QCOMPARE(TestFiles::read(program), newProgram(false));
        QVERIFY(!QFileInfo::exists(program + QStringLiteral(".new")));
    }

    // A resource package replaces a half-filled folder from before whole, also one holding a folder
    // its owner may not write (as an older install left it; root is held to its permissions too),
    // and a clean-up called meanwhile, in this process or by another instance starting on the same
    // data folder, takes nothing of it. An install while another instance installs into the data
    // folder waits for it, touching nothing there; asked to stop meanwhile, it fails. An unsafe or
    // unusable package is refused, writing nothing anywhere; one that cannot be moved in puts the
    // folder from before back whole, or leaves it for the next clean-up.
    void resourcePackage_data()
    {
        QTest::addColumn<QList<ZipEntry>>("entries"); // none: the sample package
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("trouble");
        const QString name = QStringLiteral("QuillHE104");
        QTest::newRow("sample") << QList<ZipEntry>() << name << QString();
        QTest::newRow("over a read-only folder") << QList<ZipEntry>() << name << "read-only";
        QTest::newRow("cleared meanwhile") << QList<ZipEntry>() << name << "cleared";
        QTest::newRow("cleared by another instance meanwhile") << QList<ZipEntry>() << name << "cleared elsewhere";
        QTest::newRow("locked by another instance, released later") << QList<ZipEntry>() << name << "held elsewhere";
        QTest::newRow("locked by another instance, stopped while waiting") << QList<ZipEntry>() << name << "held elsewhere, stopped";
        QTest::newRow("moving in fails") << QList<ZipEntry>() << name << "moving in fails";
        QTest::newRow("moving in and back fails") << QList<ZipEntry>() << name << "moving in and back fails";
        QTest::newRow("parent folder") << QList<ZipEntry>{{"light/a.png", "a"}, {"../outside.txt", "evil"}} << name << QString();
        QTest::newRow("deep parent") << QList<ZipEntry>{{"light/../../../outside.txt", "evil"}} << name << QString();
        QTest::newRow("absolute") << QList<ZipEntry>{{path(QStringLiteral("pkg/outside.txt")), "evil"}} << name << QString();
        QTest::newRow("drive letter") << QList<ZipEntry>{{"C:/outside.txt", "evil"}} << name << QString();
        QTest::newRow("backslash") << QList<ZipEntry>{{"..\\outside.txt", "evil"}} << name << QString();
        QTest::newRow("symbolic link") << QList<ZipEntry>{{"link", "/etc", true}, {"light/a.png", "a"}} << name << QString();
        QTest::newRow("empty") << QList<ZipEntry>{{}} << name << QString();
        // (A hidden name could be taken for the installs' own entries.)
        for (const QString &folder : {QString(), QStringLiteral(".."), QStringLiteral("../outside"), QStringLiteral("a/b"),
                                      QStringLiteral(".QuillHE104")})
            QTest::addRow("folder \"%s\"", qPrintable(folder)) << QList<ZipEntry>{{"light/a.png", "a"}} << folder << QString();
    }

    void resourcePackage()
    {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(QString, folder);
        QFETCH(QString, trouble);
        const QString archive = path(QStringLiteral("pkg/package.zip"));
        const QString data = path(QStringLiteral("pkg/data"));
        QVERIFY(QDir(data).removeRecursively() && TestFiles::write(data + QStringLiteral("/QuillHE104/stale.txt"), "stale"));
        const QString readOnly = data + QStringLiteral("/QuillHE104/light");
        if (trouble == QLatin1String("read-only"))
            QVERIFY(TestFiles::write(readOnly + QStringLiteral("/old.png"), "old")
                    && QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
        const bool backFails = trouble == QLatin1String("moving in and back fails");
        int renames = 0; // aside, in, back
        int otherStart = -1; // the other instance's exit code
        ResourcePackage::setRenamer([&](const QString &from, const QString &to) {
            ++renames;
            if (trouble == QLatin1String("cleared"))
                ResourcePackage::clearStaging(data);
            else if (trouble == QLatin1String("cleared elsewhere"))
                otherStart = otherInstance(QStringLiteral("start"), data);
            const bool fails = trouble.startsWith(QLatin1String("moving in")) && (renames == 2 || (backFails && renames == 3));
            return !fails && QDir().rename(from, to);
        });
        const bool sample = entries.isEmpty();
        const bool stopped = trouble == QLatin1String("held elsewhere, stopped");
        const bool installed = sample && !trouble.startsWith(QLatin1String("moving in")) && !stopped;
        QVERIFY(sample ? SampleResourcePackage::writeArchive(archive)
                       : TestFiles::writeZip(archive, entries.first().name.isEmpty() ? QList<ZipEntry>() : entries));
        if (!installed)
            expectWarning("资源包安装失败");
        QString error;
        const PermissionsAsOwner asOwner;
        QVERIFY(asOwner.held());
        bool done = false;
        const auto install = [&] { done = ResourcePackage::install(archive, data, folder, &error); };
        if (trouble.startsWith(QLatin1String("held elsewhere")))
            installWhileHeld(install, data, archive, stopped);
        else
            install();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(done, installed);
        QCOMPARE(error.isEmpty(), installed);
        QVERIFY(!stopped || error == QStringLiteral("Cannot lock %1").arg(data));
        QVERIFY(otherStart == 0 || trouble != QLatin1String("cleared elsewhere"));
        if (backFails) { // the folder stays aside, for the next clean-up
            QVERIFY(!QFileInfo::exists(data + QStringLiteral("/QuillHE104")));
            ResourcePackage::clearStaging(data);
        }
        for (const QString &entry : SampleResourcePackage::entryNames())
            QCOMPARE(QImage(data + QStringLiteral("/QuillHE104/") + entry).isNull(), !installed);
        QCOMPARE(TestFiles::read(data + QStringLiteral("/QuillHE104/stale.txt")), installed ? QByteArray() : QByteArray("stale"));
        QCOMPARE(QDir(path(QStringLiteral("pkg"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"data", "package.zip"}));
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"QuillHE104"});
    }

    // What an install cut short left (its staging folder holding the unpacked package and the
    // product folder moved aside) goes at the next install into the data folder or at start, also
    // when the install was another instance's that crashed holding the data folder's lock; the
    // folder moved aside goes back whole when no product folder has taken its place.
    void leftStaging_data()
    {
        QTest::addColumn<bool>("productFolder"); // one is in place
        QTest::addColumn<bool>("byInstall");     // of another product; otherwise at start
        QTest::addColumn<bool>("crashedFirst");  // another instance crashed reinstalling the product first
        QTest::newRow("product folder missing") << false << false << false;
        QTest::newRow("product folder in place") << true << false << false;
        QTest::newRow("product folder missing, at the next install") << false << true << false;
        QTest::newRow("product folder missing, another instance crashed") << false << false << true;
    }

    void leftStaging()
    {
        QFETCH(bool, productFolder);
        QFETCH(bool, byInstall);
        QFETCH(bool, crashedFirst);
        const QString data = path(QStringLiteral("left/") + QString::fromLatin1(QTest::currentDataTag()));
        const QString staging = data + QStringLiteral("/.unpack-Ab12Cd");
        const QString aside = staging + QStringLiteral("/replaced/QuillHE104");
        QVERIFY(TestFiles::write(staging + QStringLiteral("/package/light/new.png"), "new")
                && TestFiles::write(aside + QStringLiteral("/stale.txt"), "stale")
                && TestFiles::write(aside + QStringLiteral("/light/old.png"), "old")
                && QFile::setPermissions(aside + QStringLiteral("/light"), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!productFolder || TestFiles::write(data + QStringLiteral("/QuillHE104/current.txt"), "current"));
        const QString archive = path(QStringLiteral("left/package.zip"));
        QVERIFY(SampleResourcePackage::writeArchive(archive));
        if (crashedFirst)
            QCOMPARE(otherInstance(QStringLiteral("crash"), data, archive), kCrashed);
        const PermissionsAsOwner asOwner;
        QVERIFY(asOwner.held());
        if (byInstall) {
            QVERIFY(ResourcePackage::install(archive, data, QStringLiteral("QuillHE68")));
        } else {
            ResourcePackage::clearStaging(data);
        }
        QStringList expected{"QuillHE104"};
        if (byInstall)
            expected.append(QStringLiteral("QuillHE68"));
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), expected);
        QStringList files;
        for (QDirIterator it(data + QStringLiteral("/QuillHE104"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            files.append(QString::fromUtf8(TestFiles::read(it.next())));
        files.sort();
        QCOMPARE(files, productFolder ? QStringList{"current"} : (QStringList{"old", "stale"}));
    }

    void desktopExecQuoting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("argument");
        QTest::newRow("space") << "/opt/Quill Matrix/run" << "\"/opt/Quill Matrix/run\"";
        // In quotes a backslash is escaped, and the key file format escapes it once more.
        QTest::newRow("backslash") << "/a\\b" << "\"/a\\\\\\\\b\"";
        QTest::newRow("percent") << "/100%/run" << "\"/100%%/run\"";
    }

    void desktopExecQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QString, argument);
        QCOMPARE(AutoStart::desktopExecArgument(program), argument);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
