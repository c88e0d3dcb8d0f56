// Installing what the update server delivers: the application update (Linux, and macOS with the
// disk image played by a folder) and the product resource packages; and the autostart entry.

#include "app/AppInstaller.h"
#include "app/AutoStart.h"
#include "app/ProcessRunner.h"
#include "app/ResourcePackage.h"
#include "emulator/SampleResourcePackage.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A new program of the system the installation is for.
QByteArray newProgram(bool mac)
{
    return mac ? QByteArray("\xcf\xfa\xed\xfe") + "new program" : TestFiles::linuxProgram();
}

// Runs the installation's programs for real but hdiutil, which "mounts" the image's bundle by
// writing it and "unmounts" it by removing it. The failingAt-th call of failing fails.
class ShellRunner : public ProcessRunner
{
public:
    QString failing;
    int failingAt = 1;
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
        return TestFiles::write(file, newProgram(true)) && QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner) ? 0 : 1;
    }
    bool startDetached(const QString &, const QStringList &) override { return false; }
};

using ZipEntry = TestFiles::ZipEntry;
} // namespace
Q_DECLARE_METATYPE(ZipEntry)

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString path(const QString &name) const { return mDir.filePath(name); }
    static void expectWarning(const char *text) { QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString::fromUtf8(text))); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(TestFiles::redirectTempFolder(path(QStringLiteral("tmp")))); }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // The new program replaces the installed one only when complete: whichever step fails, the old
    // one stays and nothing staged is left. The package is unpacked in a private folder that goes
    // afterwards (unless the image may still be mounted in it), and only within the bounds of a
    // resource package; a program that is no regular file, or no program of the system, is refused.
    void applicationUpdate_data()
    {
        QTest::addColumn<bool>("mac");
        QTest::addColumn<QString>("packaged"); // the package's one entry; empty: no package
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("failingAt");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("content"); // of the packaged program; empty: a program of the system
        QTest::newRow("linux") << false << "Quillomatrix" << QString() << 0 << true << QString();
        QTest::newRow("linux, program is junk") << false << "Quillomatrix" << QString() << 0 << false << "junk";
        QTest::newRow("linux, program is a link") << false << "Quillomatrix" << QString() << 0 << false << "link";
        QTest::newRow("linux, program oversized") << false << "Quillomatrix" << QString() << 0 << false << "oversized";
        QTest::newRow("linux, no package") << false << QString() << QString() << 0 << false << QString();
        QTest::newRow("linux, no program in package") << false << "readme.txt" << QString() << 0 << false << QString();
        QTest::newRow("linux, copy fails") << false << "Quillomatrix" << "cp" << 1 << false << QString();
        QTest::newRow("linux, swap fails") << false << "Quillomatrix" << "mv" << 1 << false << QString();
        QTest::newRow("mac") << true << "Quillomatrix.dmg" << QString() << 0 << true << QString();
        QTest::newRow("mac, image stays mounted") << true << "Quillomatrix.dmg" << "hdiutil" << 2 << true << QString();
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
        TestFiles::ZipEntry entry{packaged, newProgram(mac)};
        if (content == QLatin1String("junk"))
            entry.data = QByteArray("\x01\x02junk").repeated(100);
        else if (content == QLatin1String("link"))
            entry = {packaged, QCoreApplication::applicationFilePath().toUtf8(), true};
        else if (content == QLatin1String("oversized"))
            entry.data.append(QByteArray(ResourcePackage::MaxUnpackedBytes, '\0'));
        QVERIFY(packaged.isEmpty() || TestFiles::writeZip(root + QStringLiteral("/update.zip"), {entry}));
        const bool stillMounted = failing == QLatin1String("hdiutil") && failingAt == 2;
        if (!installed)
            expectWarning("安装更新失败");
        if (stillMounted)
            expectWarning("无法卸载");

        ShellRunner runner;
        runner.failing = failing;
        runner.failingAt = failingAt;
        AppInstaller installer(runner, mac ? HostPlatform::MacOS : HostPlatform::Linux);
        installer.setProgramPath(program);
        QCOMPARE(installer.install(root + QStringLiteral("/update.zip")), installed);
        QCOMPARE(TestFiles::read(program), installed ? newProgram(mac) : QByteArray("old"));
        QCOMPARE(installer.installedProgram(), installed ? program : QString());
        QCOMPARE(installer.errorString().isEmpty(), installed);
        QVERIFY(QFileInfo(program).isExecutable() || !installed);
        QVERIFY(!QFileInfo::exists(replaced + QStringLiteral(".new")) && !QFileInfo::exists(replaced + QStringLiteral(".old")));
        const bool unpacked = !packaged.isEmpty() && content != QLatin1String("link") && content != QLatin1String("oversized");
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

    // A resource package replaces a half-filled folder from before whole; an unsafe or unusable one
    // is refused, writing nothing anywhere.
    void resourcePackage_data()
    {
        QTest::addColumn<QList<ZipEntry>>("entries"); // none: the sample package
        QTest::addColumn<QString>("folder");
        const QString name = QStringLiteral("QuillHE104");
        QTest::newRow("sample") << QList<ZipEntry>() << name;
        QTest::newRow("parent folder") << QList<ZipEntry>{{"light/a.png", "a"}, {"../outside.txt", "evil"}} << name;
        QTest::newRow("deep parent") << QList<ZipEntry>{{"light/../../../outside.txt", "evil"}} << name;
        QTest::newRow("absolute") << QList<ZipEntry>{{path(QStringLiteral("pkg/outside.txt")), "evil"}} << name;
        QTest::newRow("drive letter") << QList<ZipEntry>{{"C:/outside.txt", "evil"}} << name;
        QTest::newRow("backslash") << QList<ZipEntry>{{"..\\outside.txt", "evil"}} << name;
        QTest::newRow("symbolic link") << QList<ZipEntry>{{"link", "/etc", true}, {"light/a.png", "a"}} << name;
        QTest::newRow("empty") << QList<ZipEntry>{{}} << name;
        for (const QString &folder : {QString(), QStringLiteral(".."), QStringLiteral("../outside"), QStringLiteral("a/b")})
            QTest::addRow("folder \"%s\"", qPrintable(folder)) << QList<ZipEntry>{{"light/a.png", "a"}} << folder;
    }

    void resourcePackage()
    {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(QString, folder);
        const QString archive = path(QStringLiteral("pkg/package.zip"));
        const QString data = path(QStringLiteral("pkg/data"));
        QVERIFY(QDir(data).removeRecursively() && TestFiles::write(data + QStringLiteral("/QuillHE104/stale.txt"), "stale"));
        const bool sample = entries.isEmpty();
        QVERIFY(sample ? SampleResourcePackage::writeArchive(archive)
                       : TestFiles::writeZip(archive, entries.first().name.isEmpty() ? QList<ZipEntry>() : entries));
        if (!sample)
            expectWarning("资源包安装失败");
        QString error;
        QCOMPARE(ResourcePackage::install(archive, data, folder, &error), sample);
        QCOMPARE(error.isEmpty(), sample);
        for (const QString &entry : SampleResourcePackage::entryNames())
            QCOMPARE(QImage(data + QStringLiteral("/QuillHE104/") + entry).isNull(), !sample);
        QCOMPARE(QFile::exists(data + QStringLiteral("/QuillHE104/stale.txt")), !sample);
        QCOMPARE(QDir(path(QStringLiteral("pkg"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"data", "package.zip"}));
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"QuillHE104"});
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
