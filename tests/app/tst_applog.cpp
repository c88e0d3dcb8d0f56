#include "app/AppLog.h"

#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
const QByteArray kStamp = "2025-03-01 09:15:02.007 ";

} // namespace

class TestAppLog : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString mPath = mDir.filePath(QStringLiteral("app.log"));

private Q_SLOTS:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QFile::remove(mPath);
        AppLog::setClock([] { return QDateTime(QDate(2025, 3, 1), QTime(9, 15, 2, 7)); });
    }

    void cleanup() { AppLog::close(); }

    // Every message type with its number, as UTF-8, appended to what the file held, and on disk
    // before the log closes; closed, the log takes nothing more.
    void linesAreAppendedAtOnce()
    {
        QVERIFY(TestFiles::write(mPath, "earlier line\n"));
        QVERIFY(AppLog::open(mPath));
        const QMessageLogContext context;
        AppLog::appMessageHandler(QtDebugMsg, context, QStringLiteral("d"));
        qWarning("w %d", 42);
        qCritical("c");
        AppLog::appMessageHandler(QtFatalMsg, context, QStringLiteral("f"));
        AppLog::appMessageHandler(QtInfoMsg, context, QStringLiteral("=== ToolTipUtil 初始化 ==="));
        const QByteArray written = "earlier line\n" + kStamp + "[0] d\n" + kStamp + "[1] w 42\n" + kStamp + "[2] c\n" +
                                   kStamp + "[3] f\n" + kStamp + "[4] === ToolTipUtil \xe5\x88\x9d\xe5\xa7\x8b\xe5\x8c\x96 ===\n";
        QCOMPARE(TestFiles::read(mPath), written);
        AppLog::close();
        AppLog::appMessageHandler(QtWarningMsg, context, QStringLiteral("late"));
        QCOMPARE(TestFiles::read(mPath), written);
    }

    // A log of exactly 10 MiB is appended to; a larger one is started anew.
    void rotationBoundary()
    {
        for (const qint64 size : {qint64(10485760), qint64(10485761)}) {
            QFile file(mPath);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
            file.close();
            QVERIFY(AppLog::open(mPath));
            qWarning("after");
            AppLog::close();
            const QByteArray line = kStamp + "[1] after\n";
            QVERIFY(file.open(QIODevice::ReadOnly) && file.seek(file.size() - line.size()));
            QCOMPARE(file.size(), (size <= 10485760 ? size : 0) + line.size());
            QCOMPARE(file.readAll(), line);
        }
    }

    // Lines logged by several threads at once arrive whole, each thread's in its own order.
    void concurrentLinesStayWhole()
    {
        QVERIFY(AppLog::open(mPath));
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back(QThread::create([t] {
                for (int n = 0; n < 400; ++n)
                    qWarning("%d %d %s", t, n, QByteArray(300, 'x').constData());
            }));
            threads.back()->start();
        }
        for (const auto &thread : threads)
            QVERIFY(thread->wait(60000));
        AppLog::close();
        const QList<QByteArray> lines = TestFiles::read(mPath).split('\n');
        QCOMPARE(lines.size(), 8 * 400 + 1);
        int next[8] = {};
        for (const QByteArray &line : lines.mid(0, 8 * 400)) {
            const QList<QByteArray> parts = line.split(' ');
            QVERIFY2(parts.size() == 6 && parts.at(2) == "[1]" && parts.at(5) == QByteArray(300, 'x'), line.constData());
            QCOMPARE(parts.at(4).toInt(), next[parts.at(3).toInt()]++);
        }
    }
};

QTEST_GUILESS_MAIN(TestAppLog)
#include "tst_applog.moc"
