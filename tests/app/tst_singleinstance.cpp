// One running instance: the segment that marks it, the server a second start hands over to.

#include "app/InstanceServer.h"
#include "app/SingleInstance.h"
#include "tests/support/TestFiles.h"

#include <QLocalSocket>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <cstring>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The running instance's side: a window brought back by a server.
struct Running
{
    QWidget window;
    InstanceServer server;
    QSignalSpy activated{&server, &InstanceServer::activateRequested};
    Running() { server.setWindow(&window); }
};

// Holds a segment of the key with the given text, as another running process would.
QSharedMemory *holdSegment(const QString &key, const QByteArray &text, QObject *parent)
{
    auto *segment = new QSharedMemory(key, parent);
    if (!segment->create(SingleInstance::SegmentSize))
        return nullptr;
    std::memcpy(segment->data(), text.constData(), size_t(text.size()));
    return segment;
}

// What an instance killed while running leaves: its segment, attached by nobody, and the socket
// file of its server.
bool leaveCrashedInstance(const QString &key, const QString &serverPath)
{
    const QByteArray keyFile = QFile::encodeName(QSharedMemory(key).nativeKey());
    const int id = TestFiles::write(QString::fromLocal8Bit(keyFile), QByteArray())
                       ? shmget(ftok(keyFile.constData(), 'Q'), SingleInstance::SegmentSize, IPC_CREAT | IPC_EXCL | 0600)
                       : -1;
    void *memory = id == -1 ? nullptr : shmat(id, nullptr, 0);
    if (!memory || memory == reinterpret_cast<void *>(-1))
        return false;
    std::memcpy(memory, key.toUtf8().constData(), size_t(key.toUtf8().size()) + 1);
    shmdt(memory);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(serverPath).constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    int mCounter = 0;
    QString mKey;
    QString mServer;

private Q_SLOTS:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        ++mCounter;
        mKey = QStringLiteral("磁性Test%1-%2").arg(QCoreApplication::applicationPid()).arg(mCounter);
        mServer = mDir.filePath(QStringLiteral("server%1").arg(mCounter));
    }

    void cleanup() { SingleInstance::releaseSegments(); }

    // The first start holds a segment with its key (zero-terminated UTF-8); released, the key is free.
    void firstStartHoldsTheSegment()
    {
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
        QSharedMemory reader(mKey);
        QVERIFY(reader.attach(QSharedMemory::ReadOnly));
        QCOMPARE(QByteArray(static_cast<const char *>(reader.constData()), reader.size()),
                 mKey.toUtf8().leftJustified(SingleInstance::SegmentSize, '\0'));
        reader.detach();
        QVERIFY(SingleInstance::CheckAppRun(mKey));
        SingleInstance::releaseSegments();
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
    }

    void segmentWithAnotherTextDoesNotBlock_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("key prefix") << mKey.left(5).toUtf8();
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

    // A segment held by a live process that does not answer on the server name: the second start
    // ends all the same, saying nothing.
    void unansweredInstanceEndsTheSecondStart()
    {
        QObject owner;
        QVERIFY(holdSegment(mKey, mKey.toUtf8(), &owner));
        QVERIFY(SingleInstance::handOverToRunningInstance(mKey, mServer, 300));
    }

    // What a crashed instance left is cleared away; a second start then hands over to this one.
    void crashedInstanceDoesNotBlockTheStart()
    {
        QVERIFY(leaveCrashedInstance(mKey, mServer));
        QVERIFY(!SingleInstance::CheckAppRun(mKey));
        Running running;
        QVERIFY(running.server.listen(mServer));
        QVERIFY(SingleInstance::handOverToRunningInstance(mKey, mServer, 5000));
        QTRY_COMPARE(running.activated.count(), 1);
        QVERIFY(running.window.isVisible() && running.window.isMaximized());
    }

    // Only "activate" brings the window back; the server drops a connection after its first message.
    void onlyTheActivateMessageCounts()
    {
        Running running;
        QVERIFY(running.server.listen(mServer));
        for (const char *message : {"hello", "activate\n", "activat"}) {
            QLocalSocket socket;
            socket.connectToServer(mServer);
            QVERIFY(socket.waitForConnected(5000) && socket.write(message) > 0 && socket.waitForBytesWritten(5000));
            QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        }
        QVERIFY(running.activated.isEmpty() && !running.window.isVisible());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
