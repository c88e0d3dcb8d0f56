#include "app/InstanceServer.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#endif

namespace {
const char *const RoleVariable = "QUILL_INSTANCE_ROLE";

// Processes attached to the System V segment of the key; -1 when there is no such segment.
int attachedProcesses(const QString &key)
{
#ifdef Q_OS_LINUX
    const QSharedMemory unattached(key);
    const key_t ipcKey = ftok(QFile::encodeName(unattached.nativeKey()).constData(), 'Q');
    if (ipcKey == -1)
        return -1;
    const int id = shmget(ipcKey, 0, 0);
    shmid_ds info;
    if (id == -1 || shmctl(id, IPC_STAT, &info) == -1)
        return -1;
    return static_cast<int>(info.shm_nattch);
#else
    Q_UNUSED(key);
    return -1;
#endif
}

// The parts a child process plays, chosen by the environment.
int runChildRole(int argc, char **argv, const QByteArray &role)
{
    QCoreApplication app(argc, argv);
    const QString key = qEnvironmentVariable("QUILL_INSTANCE_KEY");
    const QString server = qEnvironmentVariable("QUILL_INSTANCE_SERVER");
    if (role == "second")
        return SingleInstance::handOverToRunningInstance(key, server, 5000) ? 0 : 3;

    if (SingleInstance::CheckAppRun(key))
        return 4;
    InstanceServer instanceServer;
    if (!instanceServer.listen(server))
        return 5;
    std::puts("ready");
    std::fflush(stdout);
    if (role == "crash") {
#ifdef Q_OS_UNIX
        ::kill(::getpid(), SIGKILL);
#endif
        return 6;
    }
    // "first": a running instance that ends once it has been activated.
    QObject::connect(&instanceServer, &InstanceServer::activateRequested, &app,
                     &QCoreApplication::quit);
    QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(7); });
    const int result = app.exec();
    SingleInstance::releaseSegments();
    return result;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    int mCounter = 0;
    QString mKey;
    QString mServer;

    void startChild(QProcess &process, const char *role)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(RoleVariable), QString::fromLatin1(role));
        env.insert(QStringLiteral("QUILL_INSTANCE_KEY"), mKey);
        env.insert(QStringLiteral("QUILL_INSTANCE_SERVER"), mServer);
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(process.waitForStarted(10000));
    }

    static void waitForReady(QProcess &process)
    {
        QElapsedTimer timer;
        timer.start();
        while (!process.canReadLine() && timer.elapsed() < 10000)
            process.waitForReadyRead(100);
        QCOMPARE(process.readLine().trimmed(), QByteArray("ready"));
    }

    // The running instance's side: a window brought back by a server.
    struct Running
    {
        QWidget window;
        InstanceServer server;
        QSignalSpy activated{&server, &InstanceServer::activateRequested};
        Running() { server.setWindow(&window); }
    };

    // A second start, in a child process, hands over to this process and ends with status 0.
    void secondStartHandsOver(const Running &running)
    {
        QProcess second;
        startChild(second, "second");
        QTRY_COMPARE_WITH_TIMEOUT(running.activated.count(), 1, 10000);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
    }

    // Holds a segment of the key with the given text, as another process would.
    static QSharedMemory *holdSegment(const QString &key, const QByteArray &text, QObject *parent)
    {
        auto *segment = new QSharedMemory(key, parent);
        if (!segment->create(SingleInstance::SegmentSize))
            return nullptr;
        std::memcpy(segment->data(), text.constData(), static_cast<size_t>(text.size()));
        return segment;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(mDir.isValid());
        ++mCounter;
        mKey = QStringLiteral("QuillTest%1-%2").arg(QCoreApplication::applicationPid()).arg(mCounter);
        mServer = mDir.filePath(QStringLiteral("server%1").arg(mCounter));
    }

    void cleanup()
    {
        SingleInstance::releaseSegments();
    }

    void keyLayoutInTheSegment()
    {
        QByteArray memory(SingleInstance::SegmentSize, char(0xAA));
        SingleInstance::copyKeyToSharedMemory(memory.data(), QStringLiteral("Quillomatrix"));
        QCOMPARE(memory.left(13), QByteArray("Quillomatrix\0", 13));
        QCOMPARE(memory.count('\0'), SingleInstance::SegmentSize - 12);

        // Multi-byte characters are stored as UTF-8.
        SingleInstance::copyKeyToSharedMemory(memory.data(), QStringLiteral("磁性"));
        QCOMPARE(memory.left(7), QByteArray("\xe7\xa3\x81\xe6\x80\xa7\0", 7));
        QCOMPARE(memory.count('\0'), SingleInstance::SegmentSize - 6);
    }

    void longestKeyFitsAndLongerIsRefused()
    {
        QByteArray memory(SingleInstance::SegmentSize, char(0xAA));
        const QString longest(SingleInstance::SegmentSize - 1, QLatin1Char('k'));
        SingleInstance::copyKeyToSharedMemory(memory.data(), longest);
        QCOMPARE(memory.left(SingleInstance::SegmentSize - 1), longest.toLatin1());
        QCOMPARE(memory.at(SingleInstance::SegmentSize - 1), '\0');

        memory.fill(char(0xAA));
        QTest::ignoreMessage(QtWarningMsg, "Key is too long for shared memory buffer!");
        SingleInstance::copyKeyToSharedMemory(memory.data(),
                                              QString(SingleInstance::SegmentSize, QLatin1Char('k')));
        QCOMPARE(memory, QByteArray(SingleInstance::SegmentSize, char(0xAA)));
    }

    void firstStartCreatesTheSegmentSecondSeesIt()
    {
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
        QSharedMemory reader(mKey);
        QVERIFY(reader.attach(QSharedMemory::ReadOnly));
        QCOMPARE(reader.size(), SingleInstance::SegmentSize);
        const QByteArray bytes(static_cast<const char *>(reader.constData()), reader.size());
        QCOMPARE(bytes.left(mKey.size() + 1), mKey.toUtf8() + '\0');
        QCOMPARE(bytes.count('\0'), SingleInstance::SegmentSize - mKey.size());
        reader.detach();

        QVERIFY(SingleInstance::CheckAppRun(mKey));
    }

    void releasedSegmentFreesTheKey()
    {
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
        SingleInstance::releaseSegments();
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
    }

    void segmentWithAnotherTextDoesNotBlock_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("other text") << QByteArray("SomethingElse");
        QTest::newRow("key prefix") << mKey.left(5).toUtf8();
        QTest::newRow("empty") << QByteArray();
        // No terminating zero anywhere: the comparison stays inside the segment.
        QTest::newRow("unterminated") << QByteArray(SingleInstance::SegmentSize, 'Q');
    }

    void segmentWithAnotherTextDoesNotBlock()
    {
        QFETCH(QByteArray, text);
        QObject owner;
        QVERIFY(holdSegment(mKey, text, &owner));
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
    }

    void unansweredInstanceDoesNotBlockTheStart()
    {
        // A segment held by a process that does not answer on the server name.
        QObject owner;
        QVERIFY(holdSegment(mKey, mKey.toUtf8(), &owner));
        QVERIFY(SingleInstance::CheckAppRun(mKey));
        QTest::ignoreMessage(QtWarningMsg, "The running instance does not answer; starting anyway.");
        QVERIFY(!SingleInstance::handOverToRunningInstance(mKey, mServer, 2000));

        InstanceServer server;
        QVERIFY(server.listen(mServer));
    }

    void secondStartActivatesTheRunningInstance()
    {
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
        Running running;
        QVERIFY(running.server.listen(mServer));
        secondStartHandsOver(running);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(running.window.isVisible());
        QVERIFY(running.window.windowState() & Qt::WindowMaximized);
    }

    void thisProcessHandsOverToARunningProcess()
    {
        QProcess first;
        startChild(first, "first");
        waitForReady(first);
        QVERIFY(SingleInstance::handOverToRunningInstance(mKey, mServer, 5000));
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
    }

    void crashedInstanceDoesNotBlockTheStart()
    {
        QProcess crashed;
        startChild(crashed, "crash");
        QVERIFY(crashed.waitForFinished(10000));
        QCOMPARE(crashed.exitStatus(), QProcess::CrashExit);
        // It left its socket file and, on Linux, its segment with nobody attached.
        QVERIFY(QFileInfo::exists(mServer));
#ifdef Q_OS_LINUX
        QCOMPARE(attachedProcesses(mKey), 0);
#endif

        // The abandoned segment is cleared away and this start owns a fresh one.
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
#ifdef Q_OS_LINUX
        QCOMPARE(attachedProcesses(mKey), 1);
#endif
        QVERIFY(SingleInstance::CheckAppRun(mKey));
        // This process is now the running instance.
        Running running;
        QVERIFY(running.server.listen(mServer));
        secondStartHandsOver(running);
    }

    void liveServerNameIsNotTakenOver()
    {
        InstanceServer running;
        QVERIFY(running.listen(mServer));
        QSignalSpy activated(&running, &InstanceServer::activateRequested);

        InstanceServer intruder;
        QVERIFY(!intruder.listen(mServer));
        QVERIFY(!intruder.isListening());

        QVERIFY(SingleInstance::activateExistingInstance(mServer, 5000));
        QTRY_COMPARE(activated.count(), 1);
    }

    void onlyTheActivateMessageCounts_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("other") << QByteArray("hello");
        QTest::newRow("longer") << QByteArray("activate\n");
        QTest::newRow("shorter") << QByteArray("activat");
    }

    void onlyTheActivateMessageCounts()
    {
        QFETCH(QByteArray, message);
        Running running;
        QVERIFY(running.server.listen(mServer));

        QLocalSocket socket;
        socket.connectToServer(mServer);
        QVERIFY(socket.waitForConnected(5000));
        socket.write(message);
        QVERIFY(socket.waitForBytesWritten(5000));
        // The server disposes of the connection after the first message.
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(running.activated.count(), 0);
        QVERIFY(!running.window.isVisible());
    }

    void nobodyListening()
    {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!SingleInstance::activateExistingInstance(mServer, 5000));
        // A missing server is known at once, not after the time-out.
        QVERIFY(timer.elapsed() < 2000);
    }
};

int main(int argc, char **argv)
{
    const QByteArray role = qgetenv(RoleVariable);
    if (!role.isEmpty())
        return runChildRole(argc, argv, role);
    QApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
