#include "app/AppLog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <vector>

class TestAppLog : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString mPath;

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeFileOfSize(const QString &path, qint64 size)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write("first bytes\n") == 12);
        QVERIFY(file.resize(size));
    }

    static QDateTime fixedTime()
    {
        return QDateTime(QDate(2025, 3, 1), QTime(9, 15, 2, 7));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(mDir.isValid());
        mPath = mDir.filePath(QStringLiteral("app.log"));
        QFile::remove(mPath);
        AppLog::setClock([] { return fixedTime(); });
    }

    void cleanup()
    {
        AppLog::close();
        AppLog::setClock({});
    }

    void lineFormat()
    {
        QCOMPARE(AppLog::formatLine(fixedTime(), QtWarningMsg, QStringLiteral("disk full")),
                 QStringLiteral("2025-03-01 09:15:02.007 [1] disk full\n"));
        // Midnight and a single-digit millisecond keep their leading zeros.
        QCOMPARE(AppLog::formatLine(QDateTime(QDate(2024, 12, 31), QTime(0, 0, 0, 0)), QtInfoMsg,
                                    QString()),
                 QStringLiteral("2024-12-31 00:00:00.000 [4] \n"));
    }

    void everyMessageTypeIsWrittenWithItsNumber()
    {
        QVERIFY(AppLog::open(mPath));
        const QMessageLogContext context;
        AppLog::appMessageHandler(QtDebugMsg, context, QStringLiteral("d"));
        qWarning("w %d", 42);
        qCritical("c");
        AppLog::appMessageHandler(QtFatalMsg, context, QStringLiteral("f"));
        qInfo("i");
        AppLog::close();
        QCOMPARE(readAll(mPath), QByteArray("2025-03-01 09:15:02.007 [0] d\n"
                                            "2025-03-01 09:15:02.007 [1] w 42\n"
                                            "2025-03-01 09:15:02.007 [2] c\n"
                                            "2025-03-01 09:15:02.007 [3] f\n"
                                            "2025-03-01 09:15:02.007 [4] i\n"));
    }

    void textIsWrittenAsUtf8()
    {
        QVERIFY(AppLog::open(mPath));
        qWarning("%s", "=== ToolTipUtil 初始化 ===");
        AppLog::close();
        QCOMPARE(readAll(mPath),
                 QByteArray("2025-03-01 09:15:02.007 [1] === ToolTipUtil \xe5\x88\x9d\xe5\xa7\x8b"
                            "\xe5\x8c\x96 ===\n"));
    }

    void linesAreOnDiskBeforeTheLogCloses()
    {
        QVERIFY(AppLog::open(mPath));
        qWarning("now");
        QCOMPARE(readAll(mPath), QByteArray("2025-03-01 09:15:02.007 [1] now\n"));
    }

    void existingLogIsAppendedTo()
    {
        {
            QFile file(mPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("earlier line\n");
        }
        QVERIFY(AppLog::open(mPath));
        qWarning("later");
        AppLog::close();
        QCOMPARE(readAll(mPath), QByteArray("earlier line\n2025-03-01 09:15:02.007 [1] later\n"));
    }

    void rotationBoundary_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("kept");
        QTest::newRow("one below") << qint64(10485759) << true;
        QTest::newRow("exactly 10 MiB") << qint64(10485760) << true;
        QTest::newRow("one byte more") << qint64(10485761) << false;
    }

    void rotationBoundary()
    {
        QFETCH(qint64, size);
        QFETCH(bool, kept);
        writeFileOfSize(mPath, size);
        QVERIFY(AppLog::open(mPath));
        qWarning("after");
        AppLog::close();

        const QByteArray line("2025-03-01 09:15:02.007 [1] after\n");
        QFile file(mPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (kept) {
            QCOMPARE(file.size(), size + line.size());
            QCOMPARE(file.read(12), QByteArray("first bytes\n"));
            QVERIFY(file.seek(size));
            QCOMPARE(file.readAll(), line);
        } else {
            QCOMPARE(file.readAll(), line);
        }
    }

    void removeIfTooLargeLeavesSmallAndMissingFiles()
    {
        QVERIFY(!AppLog::removeIfTooLarge(mPath));
        writeFileOfSize(mPath, AppLog::MaxFileSize);
        QVERIFY(!AppLog::removeIfTooLarge(mPath));
        QVERIFY(QFile::exists(mPath));
        writeFileOfSize(mPath, AppLog::MaxFileSize + 1);
        QVERIFY(AppLog::removeIfTooLarge(mPath));
        QVERIFY(!QFile::exists(mPath));
    }

    void unopenableFileInstallsNoHandler()
    {
        const QtMessageHandler before = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(before);

        const QString badPath = mDir.filePath(QStringLiteral("missing-folder/app.log"));
        QVERIFY(!AppLog::open(badPath));
        QVERIFY(!AppLog::isOpen());
        QVERIFY(qInstallMessageHandler(before) == before);
        QVERIFY(!QFile::exists(badPath));
    }

    void closeStopsWritingAndRestoresTheHandler()
    {
        const QtMessageHandler before = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(before);

        QVERIFY(AppLog::open(mPath));
        QVERIFY(AppLog::isOpen());
        QVERIFY(qInstallMessageHandler(AppLog::appMessageHandler) == &AppLog::appMessageHandler);
        AppLog::close();
        QVERIFY(!AppLog::isOpen());
        QVERIFY(qInstallMessageHandler(before) == before);

        // Called directly after closing, the handler drops the message.
        AppLog::appMessageHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("late"));
        QCOMPARE(readAll(mPath), QByteArray());
    }

    void concurrentLinesStayWhole()
    {
        AppLog::setClock({});
        QVERIFY(AppLog::open(mPath));
        constexpr int threadCount = 8;
        constexpr int linesPerThread = 400;
        const QString filler(300, QLatin1Char('x'));
        std::vector<QThread *> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.push_back(QThread::create([t, filler] {
                for (int n = 0; n < linesPerThread; ++n)
                    qWarning("thread %d line %d %s", t, n, qPrintable(filler));
            }));
        }
        for (QThread *thread : threads)
            thread->start();
        for (QThread *thread : threads) {
            QVERIFY(thread->wait(60000));
            delete thread;
        }
        AppLog::close();

        const QList<QByteArray> lines = readAll(mPath).split('\n');
        QCOMPARE(lines.size(), threadCount * linesPerThread + 1);
        QVERIFY(lines.last().isEmpty());
        const QRegularExpression pattern(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[1\\] "
                           "thread (\\d+) line (\\d+) x{300}$"));
        std::vector<int> nextLine(threadCount, 0);
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(lines.at(i)));
            QVERIFY2(match.hasMatch(), lines.at(i).left(120).constData());
            const int t = match.captured(1).toInt();
            // Each thread's lines arrive whole and in its own order.
            QCOMPARE(match.captured(2).toInt(), nextLine[t]++);
        }
        for (int t = 0; t < threadCount; ++t)
            QCOMPARE(nextLine[t], linesPerThread);
    }
};

QTEST_GUILESS_MAIN(TestAppLog)
#include "tst_applog.moc"
