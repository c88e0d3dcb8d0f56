// The update helpers: the numeric version comparison, and downloads from a local HTTP server.

#include "storage/DownloadManager.h"
#include "app/FileDownloadUtil.h"
#include "storage/UpdateChecker.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kWaitMs = 5000;

QByteArray body(int size)
{
    return QByteArray("0123456789abcdef").repeated(size / 16 + 1).left(size);
}

// Serves one body in pieces, each sent a while after the client has reported all it got: the
// network layer reports progress at most every 100 ms, counted from its last report (or from the
// request), so every piece is reported on its own however loaded the machine is.
struct PacedServer : QObject
{
    QTcpServer server;
    QTcpSocket *socket = nullptr;
    QByteArray body;
    int piece;
    int sent = 0;
    bool scheduled = false;

    PacedServer(const QByteArray &data, int pieces) : body(data), piece(int(data.size()) / pieces + 1)
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this] {
                if (socket->readAll().contains("\r\n\r\n")) {
                    socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n");
                    reported(0);
                }
            });
        });
    }

    void reported(qlonglong received)
    {
        if (scheduled || received != sent || sent == body.size())
            return;
        scheduled = true;
        QTimer::singleShot(150, this, [this] {
            scheduled = false;
            socket->write(body.mid(sent, piece));
            if ((sent = qMin(sent + piece, int(body.size()))) == body.size())
                socket->disconnectFromHost();
        });
    }
};
} // namespace

class TestDownloads : public QObject
{
    Q_OBJECT

    TestHttpServer mServer;
    QTemporaryDir mDir;

    QString target(const QString &name) const { return mDir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(mServer.listen()); }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        mServer.clearCounts();
    }

    void versionsCompareNumerically_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("10 above 2") << "1.1.10.0" << "1.1.2.2" << 1;
        QTest::newRow("equal") << "1.1.2.2" << "1.1.2.2" << 0;
        QTest::newRow("missing parts are 0") << "1.1" << "1.1.0.0" << 0;
        QTest::newRow("suffix above none") << "1.1.2.2a" << "1.1.2.2" << 1;
        QTest::newRow("leading zeros") << "1.01.2.2" << "1.1.2.2" << 0;
        QTest::newRow("below") << "1.0.99" << "1.1" << -1;
        QTest::newRow("huge part") << "1.99999999999999999999999" << "1.5" << 1;
    }

    void versionsCompareNumerically()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(UpdateChecker::compareVersions(a, b), expected);
        QCOMPARE(UpdateChecker::compareVersions(b, a), -expected);
    }

    // A download ends with the whole body in its file (folders made), or with an error and no file.
    void download_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("done");
        QTest::newRow("whole") << "/whole.db3" << "sub/dir/quillbase.db3" << true;
        QTest::newRow("404") << "/none.zip" << "failed.bin" << false;
        QTest::newRow("cut off") << "/cut.zip" << "failed.bin" << false;
        QTest::newRow("folder in the way") << "/whole.db3" << "occupied" << false;
    }

    void download()
    {
        QFETCH(QString, route);
        QFETCH(QString, file);
        QFETCH(bool, done);
        const QByteArray data = body(70000);
        mServer.serve(QStringLiteral("/whole.db3"), data);
        mServer.serveCutOff(QStringLiteral("/cut.zip"), data, 20000);
        QVERIFY(QDir(mDir.path()).mkpath(QStringLiteral("occupied")));
        FileDownloadUtil downloader;
        QSignalSpy failed(&downloader, &FileDownloadUtil::download_error);
        QSignalSpy finished(&downloader, &FileDownloadUtil::download_finished);
        downloader.download(1, mServer.url(route), target(file));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count() + failed.count(), 1, kWaitMs);
        QCOMPARE((done ? finished : failed).at(0).at(0).toInt(), 1);
        QCOMPARE(TestFiles::read(target(file)), done ? data : QByteArray());
        QVERIFY(!QFileInfo(target(file)).isFile() || done);
        QVERIFY(!downloader.isRunning());
    }

    // Every piece of a slow body (small enough to arrive whole) is reported against the total.
    void slowBodyReportsProgress()
    {
        const QByteArray data = body(3000);
        PacedServer server(data, 3);
        DownloadManager manager;
        QList<qlonglong> received;
        connect(&manager, &DownloadManager::progress, this, [&](qlonglong bytes, qlonglong total) {
            QCOMPARE(total, qlonglong(data.size()));
            if (received.value(received.size() - 1, -1) != bytes)
                received.append(bytes);
            server.reported(bytes);
        });
        QSignalSpy finished(&manager, &DownloadManager::finished);
        manager.download(QUrl(QStringLiteral("http://127.0.0.1:%1/paced.zip").arg(server.server.serverPort())), target(QStringLiteral("slow.zip")));
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(received, (QList<qlonglong>{1001, 2002, 3000}));
        QCOMPARE(TestFiles::read(target(QStringLiteral("slow.zip"))), data);
    }

};

QTEST_GUILESS_MAIN(TestDownloads)
#include "tst_downloads.moc"
