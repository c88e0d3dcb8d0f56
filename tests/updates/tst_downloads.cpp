// The update helpers: the numeric version comparison, and checks and downloads from a local HTTP
// server, a hostile one among them.

#include "storage/DownloadManager.h"
#include "app/FileDownloadUtil.h"
#include "storage/DownloadLimits.h"
#include "storage/FileTransfer.h"
#include "storage/TransferWatch.h"
#include "storage/UpdateChecker.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {
constexpr int kWaitMs = 5000;
// The window within which a transfer must bring its minimum, shortened; and a wait long enough
// for a few windows on a loaded machine.
constexpr int kWindowMs = 2000;
constexpr int kHostileWaitMs = 20000;
// The bound of the downloads from the hostile server, and what it sends past it.
constexpr qint64 kBound = 256 * 1024;
constexpr qint64 kEndless = 256 * 1024 * 1024;

QByteArray body(int size)
{
    return QByteArray("0123456789abcdef").repeated(size / 16 + 1).left(size);
}

// A version description file that offers a version, of about size bytes.
QByteArray versionFile(int size = 0)
{
    return "<v><version>9</version><url>http://x/</url><description>" + body(size) + "</description></v>";
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

// What the network layer says of a request cut short, as a stalled transfer is.
QString cutShortText(const QUrl &url)
{
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    reply->abort();
    return reply->errorString();
}

// An update check or a download started at once, and the ways it ends.
struct Fetch
{
    DownloadManager manager;
    UpdateChecker checker;
    QSignalSpy failed{&manager, &DownloadManager::error};
    QSignalSpy finished{&manager, &DownloadManager::finished};
    QSignalSpy checkFailed{&checker, &UpdateChecker::checkError};
    QSignalSpy offered{&checker, &UpdateChecker::updateAvailable};
    const bool check;

    Fetch(bool check, const QUrl &url, const QString &file, qint64 bound) : check(check)
    {
        if (check)
            checker.checkForUpdate(url);
        else
            manager.download(url, file, bound);
    }
    int ended() const { return failed.count() + finished.count() + checkFailed.count() + offered.count(); }
    // The spy of its failure, and of its success.
    QSignalSpy &failure() { return check ? checkFailed : failed; }
    QSignalSpy &success() { return check ? offered : finished; }
};

// Answers every request from a thread of its own, so that it goes on sending while the test's
// thread is busy: the head, then a body of total bytes (the prefix, then the filler) in pieces
// written as the connection takes them, from a small send buffer, so that what the connection
// holds is mostly on the client's side. whenAsked runs on the test's thread before any of the
// answer reaches the client.
class SendingServer : public QObject
{
public:
    std::function<void()> whenAsked;

    SendingServer(const QByteArray &head, const QByteArray &prefix, char filler, qint64 total)
    {
        static constexpr qint64 kPiece = 64 * 1024;
        auto *server = new QTcpServer;
        server->moveToThread(&mThread);
        connect(&mThread, &QThread::finished, server, &QObject::deleteLater);
        mThread.start();
        QMetaObject::invokeMethod(server, [=] {
            server->listen(QHostAddress::LocalHost);
            mPort = server->serverPort();
            connect(server, &QTcpServer::newConnection, server, [=] {
                QTcpSocket *socket = server->nextPendingConnection();
                socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(kPiece));
                auto offset = std::make_shared<qint64>(-1); // not asked yet
                const auto send = [=] {
                    if (*offset < 0 || socket->bytesToWrite() > 0)
                        return;
                    if (*offset == total) {
                        socket->disconnectFromHost();
                        return;
                    }
                    QByteArray piece(qMin(kPiece, total - *offset), filler);
                    if (*offset == 0)
                        piece.replace(0, prefix.size(), prefix);
                    socket->write(piece);
                    *offset += piece.size();
                    mSent += piece.size();
                };
                connect(socket, &QTcpSocket::readyRead, socket, [=] {
                    if (!socket->readAll().contains("\r\n\r\n") || *offset >= 0)
                        return;
                    *offset = 0;
                    QMetaObject::invokeMethod(this, [this] { if (whenAsked) whenAsked(); }, Qt::QueuedConnection);
                    socket->write(head);
                });
                connect(socket, &QTcpSocket::bytesWritten, socket, send);
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            });
        }, Qt::BlockingQueuedConnection);
    }

    ~SendingServer() override
    {
        mThread.quit();
        mThread.wait();
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/file").arg(mPort)); }
    // Body bytes handed to the connection so far.
    qint64 sent() const { return mSent; }

private:
    QThread mThread;
    quint16 mPort = 0;
    std::atomic<qint64> mSent{0};
};
} // namespace

class TestDownloads : public QObject
{
    Q_OBJECT

    TestHttpServer mServer;
    QTcpServer mSilent; // accepts connections and never answers
    QTemporaryDir mDir;

    QString target(const QString &name) const { return mDir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(mServer.listen() && mSilent.listen(QHostAddress::LocalHost));
        const QUrl silent(QStringLiteral("http://127.0.0.1:%1/silent").arg(mSilent.serverPort()));
        mServer.serveRedirect(QStringLiteral("/redirect-silent"), silent);
        mServer.serveSlow(QStringLiteral("/trickle"), versionFile(2000), 200, 50);
        mServer.serveStream(QStringLiteral("/endless"), kEndless);
        mServer.serveStream(QStringLiteral("/announced-large"), kEndless, kBound + 1);
        mServer.serveStream(QStringLiteral("/longer-than-announced"), kEndless, 1000);
        QVERIFY(TestFiles::write(target(QStringLiteral("local.xml")), versionFile()));
        mServer.serveRedirect(QStringLiteral("/redirect-file"), QUrl::fromLocalFile(target(QStringLiteral("local.xml"))));
        mServer.serveRedirect(QStringLiteral("/redirect-data"), QUrl(QStringLiteral("data:,") + QString::fromLatin1(versionFile())));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        mServer.clearCounts();
    }

    void cleanup() { TransferWatch::setWindow(TransferWatch::DefaultWindowMs); }

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
        EVENTWAIT_COMPARE(finished.count() + failed.count(), 1, kWaitMs);
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
        manager.download(QUrl(QStringLiteral("http://127.0.0.1:%1/paced.zip").arg(server.server.serverPort())),
                         target(QStringLiteral("slow.zip")), DownloadLimits::ApplicationPackage);
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(received, (QList<qlonglong>{1001, 2002, 3000}));
        QCOMPARE(TestFiles::read(target(QStringLiteral("slow.zip"))), data);
        QCOMPARE(manager.digest(), QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper()));
    }

    // A server that keeps a check or a download open, or sends without end, past the bound or
    // past what it announced, or redirects off the web: the transfer fails (no file left) having
    // taken in little of what the server had.
    void hostileServerEndsTransfer_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("error"); // empty: any
        // A stall is the network's failure, whatever part of a body it brought.
        const QString stalled = cutShortText(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(mSilent.serverPort())));
        QTest::newRow("download redirected to a silent server") << false << "/redirect-silent" << stalled;
        QTest::newRow("download trickles") << false << "/trickle" << stalled;
        QTest::newRow("download past its bound") << false << "/endless" << QString();
        QTest::newRow("download announced past its bound") << false << "/announced-large" << QString();
        QTest::newRow("download past its announced length") << false << "/longer-than-announced" << QString();
        QTest::newRow("download redirected to a file") << false << "/redirect-file" << QString();
        QTest::newRow("download redirected to data") << false << "/redirect-data" << QString();
        QTest::newRow("check redirected to a silent server") << true << "/redirect-silent" << stalled;
        QTest::newRow("check trickles") << true << "/trickle" << stalled;
        QTest::newRow("check past its cap") << true << "/endless" << "Invalid version info format";
        QTest::newRow("check redirected to a file") << true << "/redirect-file" << QString();
        QTest::newRow("check redirected to data") << true << "/redirect-data" << QString();
    }

    void hostileServerEndsTransfer()
    {
        QFETCH(bool, check);
        QFETCH(QString, route);
        QFETCH(QString, error);
        TransferWatch::setWindow(kWindowMs);
        const QString file = target(QStringLiteral("hostile.bin"));
        Fetch fetch(check, mServer.url(route), file, kBound);
        EVENTWAIT_COMPARE(fetch.ended(), 1, kHostileWaitMs);
        QCOMPARE(fetch.failure().count(), 1);
        if (!error.isEmpty())
            QCOMPARE(fetch.failure().at(0).at(0).toString(), error);
        QVERIFY(!QFile::exists(file) && !fetch.manager.isRunning());
        // What the connections hold at most, far below what the server had to send.
        QVERIFY(mServer.streamedBytes(route) < kEndless / 8);
    }

    // A download destroyed while its body comes in, through its manager or on its own: nothing is
    // reported after it, no warning is printed, and nothing is left in its folder.
    void destroyedDownloadLeavesNothing_data()
    {
        QTest::addColumn<bool>("manager");
        QTest::newRow("the manager") << true;
        QTest::newRow("the transfer") << false;
    }

    void destroyedDownloadLeavesNothing()
    {
        QFETCH(bool, manager);
        const QString folder = target(QStringLiteral("destroyed"));
        const QString file = folder + QStringLiteral("/partial.bin");
        const QUrl url = mServer.url(QStringLiteral("/trickle"));
        std::unique_ptr<QObject> owner;
        if (manager) {
            auto *downloads = new DownloadManager;
            owner.reset(downloads);
            downloads->download(url, file, kBound);
        } else {
            auto *transfer = new FileTransfer(FileTransfer::IdleWhen::BeforeReport);
            owner.reset(transfer);
            QVERIFY(transfer->start(url, file, kBound).isEmpty());
        }
        // The two have the same reports.
        QSignalSpy progressed(owner.get(), SIGNAL(progress(qlonglong,qlonglong)));
        QSignalSpy failed(owner.get(), SIGNAL(error(QString)));
        QSignalSpy finished(owner.get(), SIGNAL(finished(QString)));
        QVERIFY(progressed.wait(kWaitMs) && QFile::exists(file));
        const int reports = progressed.count();
        owner.reset();
        QCOMPARE(progressed.count() + failed.count() + finished.count(), reports);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList());
    }

    // A download past its bound whose owner is busy for a while (a slow repaint, say) is held back:
    // the server gets out little past the bound.
    void busyOwnerHoldsBackServer()
    {
        // What may leave the server past the bound: the read that crosses it and what the network
        // layer reads ahead meanwhile (a quarter MiB each), and what the connection holds in the
        // kernel: the server's small send buffer, and the client's receive buffer, which the kernel
        // grows while the client reads fast (under 3 MiB past the bound in all, in trials). Without
        // the read-ahead limit the network layer reads on while the owner is busy: the whole stream.
        constexpr qint64 kMostPastBound = 6 * 1024 * 1024;
        constexpr qint64 kStream = 64 * 1024 * 1024;
        SendingServer server("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", QByteArray(), 'x', kStream);
        server.whenAsked = [] { QThread::msleep(300); };
        DownloadManager manager;
        QSignalSpy failed(&manager, &DownloadManager::error);
        manager.download(server.url(), target(QStringLiteral("busy.bin")), kBound);
        EVENTWAIT_COMPARE(failed.count(), 1, kWaitMs);
        QCOMPARE(failed.at(0).at(0).toString(), QString::fromLatin1(FileTransfer::TooLargeError));
        QVERIFY2(server.sent() - kBound <= kMostPastBound, QByteArray::number(server.sent()).constData());
    }

    // A gzip-encoded body that does not decompress, longer than the network layer reads ahead:
    // the check or the download fails at once, not when its window runs out.
    void undecodableBodyEndsAtOnce_data()
    {
        QTest::addColumn<bool>("check");
        QTest::newRow("check") << true;
        QTest::newRow("download") << false;
    }

    void undecodableBodyEndsAtOnce()
    {
        QFETCH(bool, check);
        // A gzip header, then bytes no deflate block begins with.
        const qint64 size = 4 * TransferWatch::ReadBufferBytes;
        SendingServer server("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Encoding: gzip\r\nContent-Length: "
                                 + QByteArray::number(size) + "\r\n\r\n",
                             QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\xff", 10), '\xff', size);
        const QString file = target(QStringLiteral("undecodable.zip"));
        Fetch fetch(check, server.url(), file, DownloadLimits::ApplicationPackage);
        EVENTWAIT_COMPARE(fetch.ended(), 1, kWaitMs);
        QCOMPARE(fetch.failure().count(), 1);
        QVERIFY(!QFile::exists(file) && !fetch.manager.isRunning());
    }

    // A transfer of exactly its bound is taken, one a byte longer refused, whether its length was
    // announced or not.
    void transferAtItsBound_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<bool>("announced");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("taken");
        const qint64 check = DownloadLimits::VersionDescription;
        const qint64 image = DownloadLimits::FirewareImage;
        QTest::newRow("check at its bound") << true << true << check << true;
        QTest::newRow("check a byte past its bound") << true << true << check + 1 << false;
        QTest::newRow("firmware at its bound") << false << true << image << true;
        QTest::newRow("firmware a byte past its bound") << false << true << image + 1 << false;
        QTest::newRow("unannounced firmware at its bound") << false << false << image << true;
        QTest::newRow("unannounced firmware a byte past its bound") << false << false << image + 1 << false;
    }

    void transferAtItsBound()
    {
        QFETCH(bool, check);
        QFETCH(bool, announced);
        QFETCH(qint64, size);
        QFETCH(bool, taken);
        const QString route = QStringLiteral("/bound");
        if (check)
            mServer.serve(route, versionFile(int(size - versionFile().size())));
        else if (announced)
            mServer.serve(route, QByteArray(size, 'x'));
        else
            mServer.serveStream(route, size);
        const QString file = target(QStringLiteral("bound.bin"));
        Fetch fetch(check, mServer.url(route), file, DownloadLimits::FirewareImage);
        EVENTWAIT_COMPARE(fetch.ended(), 1, kWaitMs);
        QCOMPARE(fetch.success().count(), int(taken));
        if (!taken)
            QCOMPARE(fetch.failure().at(0).at(0).toString(),
                     check ? QStringLiteral("Invalid version info format") : QLatin1String(FileTransfer::TooLargeError));
        QVERIFY(check || QFileInfo(file).size() == (taken ? size : 0));
    }

    // A server that is slow to answer, then brings its body in pieces, is waited for: the first
    // window waits for the answer, each later one for the minimum or what is left of the body.
    void lateButSteadyAnswerIsTaken_data()
    {
        QTest::addColumn<bool>("check");
        QTest::newRow("check") << true;
        QTest::newRow("download") << false;
    }

    void lateButSteadyAnswerIsTaken()
    {
        QFETCH(bool, check);
        TransferWatch::setWindow(kWindowMs);
        const QByteArray version = "<v><version>2</version><url>http://x/</url></v>";
        mServer.serveSlow(QStringLiteral("/late.xml"), version, 2, kWindowMs / 4, kWindowMs * 9 / 10);
        Fetch fetch(check, mServer.url(QStringLiteral("/late.xml")), target(QStringLiteral("late.xml")), kBound);
        QVERIFY(fetch.success().wait(kHostileWaitMs));
        QVERIFY(check || TestFiles::read(target(QStringLiteral("late.xml"))) == version);
    }

    // A long description is cut at its last line within the bound, or, with no line, at the bound
    // but not inside a character.
    void longDescriptionIsCut_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("shown");
        const QString lines = QStringLiteral("a short line\n").repeated(5000);
        QTest::newRow("at a line") << lines + QString(10000, QLatin1Char('b')) << lines.chopped(1);
        const QString plain(65535, QLatin1Char('a'));
        QTest::newRow("before a character outside the basic plane") << plain + QString::fromUcs4(U"\U0001F600") << plain;
    }

    void longDescriptionIsCut()
    {
        QFETCH(QString, description);
        QFETCH(QString, shown);
        mServer.serve(QStringLiteral("/long.xml"), "<v><version>2</version><description>" + description.toUtf8()
                                                       + "</description><url>http://x/</url></v>");
        UpdateChecker checker;
        QSignalSpy offered(&checker, &UpdateChecker::updateAvailable);
        checker.checkForUpdate(mServer.url(QStringLiteral("/long.xml")));
        QVERIFY(offered.wait(kWaitMs));
        QCOMPARE(offered.at(0).at(0).value<VersionInfo>().description, shown);
    }

};

QTEST_GUILESS_MAIN(TestDownloads)
#include "tst_downloads.moc"
