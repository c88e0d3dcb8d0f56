// Starts the program itself (offscreen, with a temporary data folder, working folder and temporary
// folder) and checks its start-up: the services come up in order, the main window is shown, and a
// second start hands over to the running one and ends.

#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.path() + QLatin1Char('/') + name; }

    void start(QProcess &process, const QString &workingDir) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLOMATRIX_DATA_DIR"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The program logs everything, debug lines included.
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingDir);
        process.start(QStringLiteral(QUILL_PROGRAM), QStringList());
        QVERIFY(process.waitForStarted(10000));
    }

    static QString readLog(const QString &file)
    {
        QFile log(file);
        if (!log.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(log.readAll());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mDir.isValid());
        for (const char *folder : {"data", "tmp", "first", "second"})
            QVERIFY(QDir(mDir.path()).mkpath(QString::fromLatin1(folder)));
        // This process's shared memory must name the same segment as the program's.
        qputenv("TMPDIR", path(QStringLiteral("tmp")).toLocal8Bit());
    }

    void startsAndHandsOver()
    {
        QProcess first;
        start(first, path(QStringLiteral("first")));
        const QString logFile = path(QStringLiteral("first/app.log"));
        QElapsedTimer timer;
        timer.start();
        while (!readLog(logFile).contains(QStringLiteral("Window maximized")) && timer.elapsed() < 20000)
            QTest::qWait(50);
        const QString log = readLog(logFile);
        QVERIFY2(log.contains(QStringLiteral("Window maximized")), qPrintable(log));

        // The services in their order of creation.
        const QStringList services = {"SystemConfigUtil", "ToolTipUtil",        "ProductDataUtil",
                                      "BluetoothManager", "UsbHidUtil",         "UsbCommunicateUtil",
                                      "KeyboardConfigUtil", "HidWatcher"};
        int at = -1;
        for (const QString &service : services) {
            const int next = log.indexOf(service);
            QVERIFY2(next > at, qPrintable(service));
            at = next;
        }
        // Every line carries the time stamp and the message type.
        const QRegularExpression line(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[[0-4]\\] "));
        QVERIFY(line.match(log).hasMatch());

        // A second start reaches the first one's server and ends without a log of its own.
        QProcess second;
        start(second, path(QStringLiteral("second")));
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFile::exists(path(QStringLiteral("second/app.log"))));
        QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("写入网络信息")));
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        // The killed program leaves its segment behind; nobody is attached, so this removes it.
        QSharedMemory segment(QString::fromLatin1(SingleInstance::InstanceKey));
        if (segment.attach())
            segment.detach();
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
