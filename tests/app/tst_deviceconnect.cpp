// The shipped emulated keyboard program, started offscreen in folders of their own; SIGUSR1 and
// SIGUSR2 unplug its keyboard and plug it in again.

#include "app/SingleInstance.h"
#include "emulator/SampleResourcePackage.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QSettings>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestDeviceConnect : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;

    // The log of the program started in folder work contains text after position from: its position.
    static qsizetype logged(const QString &work, const QString &text, qsizetype from = 0)
    {
        qsizetype at = -1;
        const auto found = [&] { return (at = TestFiles::read(work + QStringLiteral("/app.log")).indexOf(text.toUtf8(), from)) >= 0; };
        return QTest::qWaitFor(found, 20000) ? at : -1;
    }

    // Starts the program with its data folder, working folder and log in work; the temporary
    // folder, where the single-instance segment and server are found, is this test's.
    void start(QProcess &process, const QString &work)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLOMATRIX_DATA_DIR"), work + QStringLiteral("/data"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("QT_LOGGING_RULES")); // the program logs everything
        process.setProcessEnvironment(env);
        QVERIFY(QDir().mkpath(work));
        process.setWorkingDirectory(work);
        process.start(QStringLiteral(QUILL_EMULATED_PROGRAM), QStringList());
        QVERIFY(process.waitForStarted(10000));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(TestFiles::redirectTempFolder(mTemp.filePath(QStringLiteral("tmp")))); }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // It fills its data folder with the sample product database, resource package and tooltip
    // texts, connects its keyboard, and follows unplugging and plugging in; a second start hands
    // over to it. A product folder that an install cut short had moved aside goes back first.
    void emulatedKeyboardProgram()
    {
        const QString work = mTemp.filePath(QStringLiteral("first"));
        const QString aside = work + QStringLiteral("/data/.unpack-Ab12Cd/replaced/QuillHE104");
        QVERIFY(SampleResourcePackage::writeFolder(aside) && TestFiles::write(aside + QStringLiteral("/left.txt"), "left"));
        QProcess program;
        start(program, work);
        const qsizetype keyPage = logged(work, QStringLiteral("打开按键页面"));
        QVERIFY2(keyPage >= 0, TestFiles::read(work + QStringLiteral("/app.log")).constData());
        QVERIFY(QFileInfo(work + QStringLiteral("/data/QuillHE104/light/fireware_bg.png")).isFile());
        QCOMPARE(TestFiles::read(work + QStringLiteral("/data/QuillHE104/left.txt")), QByteArray("left"));
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/data/.unpack-Ab12Cd")));
        // The tooltip texts of every language, the key-selection prompt among them.
        for (const char *language : {"cn", "en", "vn"}) {
            const QSettings tips(QStringLiteral("%1/data/tip_file_%2.ini").arg(work, QLatin1String(language)), QSettings::IniFormat);
            QVERIFY2(!tips.value(QStringLiteral("QRsAddDialog/mPromptLabel")).toString().isEmpty(), language);
        }
        ::kill(pid_t(program.processId()), SIGUSR1);
        const qsizetype unplugged = logged(work, QStringLiteral("USB设备已拔出"), keyPage);
        QVERIFY(unplugged >= 0 && logged(work, QStringLiteral("repaintInterface open= true"), unplugged) >= 0);
        ::kill(pid_t(program.processId()), SIGUSR2);
        QVERIFY(logged(work, QStringLiteral("打开按键页面"), unplugged) >= 0);

        QProcess second;
        start(second, mTemp.filePath(QStringLiteral("second")));
        QVERIFY(second.waitForFinished(20000));
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
        QVERIFY(!QFile::exists(mTemp.filePath(QStringLiteral("second/app.log"))));
        QVERIFY(logged(work, QStringLiteral("Window maximized"), unplugged) >= 0); // brought back
        program.kill();
        QVERIFY(program.waitForFinished(10000));
        // The killed program leaves its single-instance segment behind; nobody is attached, so this removes it.
        QSharedMemory segment(QString::fromLatin1(SingleInstance::InstanceKey));
        if (segment.attach())
            segment.detach();
    }
};

QTEST_GUILESS_MAIN(TestDeviceConnect)
#include "tst_deviceconnect.moc"
