// The maintenance page against the emulated keyboard and a local update server: the firmware
// version check (hexadecimal nibbles), download, digest check and flashing, the firmware data
// file, refusals before anything is sent, a silent keyboard, leaving mid-way, and the reset.

#include "emulator/EmulatedFirmwareCommands.h"
#include "pages/tuning/FirewareTransfer.h"
#include "pages/tuning/OtherSetForm.h"
#include "storage/UpdateServer.h"
#include "tests/firmware/FirmwareTestKit.h"
#include "tests/pages/PageRig.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString Description = QStringLiteral("/normal/quillhe104/firmversion.xml");
const QString ImagePath = QStringLiteral("/normal/quillhe104/firmware_0106.bin");
constexpr uchar ImageChunk = EmulatedFirmwareCommands::KeyboardChunk;
constexpr uchar DataChunk = EmulatedFirmwareCommands::DataChunk;

// An image: header bytes 4 to 11 are 11 to 18 (hexadecimal), then the payload.
QByteArray image(int payload)
{
    QByteArray bytes(40 + payload, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i >= 40 ? i * 3 : i >= 4 && i < 12 ? 0x11 + i - 4 : 0);
    return bytes;
}

QList<int> sizes(const QList<QByteArray> &payloads)
{
    QList<int> out;
    for (const QByteArray &payload : payloads)
        out.append(int(payload.size()));
    return out;
}
} // namespace

class TestOtherSetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    OtherSetForm *page = nullptr;
    TestHttpServer server;
    QTemporaryDir files;
    int written = 0;

    void open(int frameSize = 128)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(SampleProductDatabase::He104Serial, {}, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        UpdateServer::setBaseAddress(server.baseAddress());
        page = rig->showPage<OtherSetForm>(8);
    }
    void offer(const QString &version, const QByteArray &md5)
    {
        server.serve(Description, "<firmware><version>" + version.toUtf8() + "</version><description>fixes</description><md5>"
                                      + md5 + "</md5><url>" + server.url(ImagePath).toEncoded() + "</url></firmware>");
    }
    // The bytes, then zeros up to size (a sparse file: nothing is written for them).
    QString write(const QByteArray &bytes, qint64 size = 0)
    {
        const QString path = files.filePath(QStringLiteral("file%1.bin").arg(++written));
        TestFiles::write(path, bytes);
        if (size > bytes.size())
            QFile::resize(path, size);
        return path;
    }
    EmulatedFirmware &keyboard() { return rig->keyboard().state().firmware; }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server.listen()); }
    void init() { PageRig::failOnWarnings(); }
    void cleanup()
    {
        page = nullptr;
        rig.reset();
    }

    void firmwareOnServer_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("toast");
        QTest::newRow("a nibble above 9") << "0.1.0.A" << QString();
        QTest::newRow("lower case") << "0.1.0.b" << QString();
        QTest::newRow("a higher first nibble") << "1.0.0.0" << QString();
        QTest::newRow("equal") << "0.1.0.5" << "没有新版本";
        QTest::newRow("older") << "0.1.0.4" << "没有新版本";
        QTest::newRow("older with high nibbles") << "0.0.F.F" << "没有新版本";
        QTest::newRow("not hexadecimal") << "0.1.0.G" << "更新错误: Invalid version info format";
    }
    void firmwareOnServer()
    {
        QFETCH(QString, version);
        QFETCH(QString, toast);
        open();
        QCOMPARE(page->findChild<QLabel *>(QStringLiteral("versionFireLabel"))->text(), QStringLiteral("键盘固件版本：V0.1.0.5"));
        offer(version, "00");
        rig->answerMessages({QMessageBox::No});
        QVERIFY(PageRig::clickButton(page, QStringLiteral("syncFireBtn")));
        if (toast.isEmpty()) {
            QTRY_COMPARE(rig->shownDialogs(), QStringList{"发现新版本"});
        } else {
            QTRY_COMPARE(PageRig::toasts(page), QStringList{toast});
            QVERIFY(rig->shownDialogs().isEmpty());
        }
        QTest::qWait(50);
        QCOMPARE(server.requestCount(ImagePath), 0);
    }

    void flashImage_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("chunks");
        QTest::addColumn<QList<int>>("progress");
        QTest::newRow("122-byte chunks") << 128 << QList<int>{122, 122, 56} << QList<int>{0, 40, 81, 99, 100};
        QTest::newRow("58-byte chunks") << 64 << QList<int>{58, 58, 58, 58, 58, 10}
                                        << QList<int>{0, 19, 38, 58, 77, 96, 99, 100};
    }
    void flashImage()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, chunks);
        QFETCH(QList<int>, progress);
        open(frameSize);
        const QByteArray file = image(300);
        server.serve(ImagePath, file);
        // The description's digest in lower case.
        offer(QStringLiteral("0.1.0.6"), QCryptographicHash::hash(file, QCryptographicHash::Md5).toHex());
        rig->answerMessages({QMessageBox::Yes, QMessageBox::Yes});
        QSignalSpy steps(page->transfer(), &FirewareTransfer::progress);
        const int mark = rig->mark();
        QVERIFY(PageRig::clickButton(page, QStringLiteral("syncFireBtn")));
        QTRY_COMPARE(PageRig::toasts(page), QStringList{"固件升级成功，如果没连上设备，请重新拔插USB线！"});
        QCOMPARE(rig->shownDialogs(), (QStringList{"发现新版本", "同步"}));
        QCOMPARE(sizes(rig->payloads(ImageChunk, mark)), chunks);
        QCOMPARE(keyboard().keyboard.chunks.keys().size(), chunks.size()); // numbered 1 to n, none twice
        QCOMPARE(keyboard().keyboard.chunks.lastKey(), chunks.size());
        QCOMPARE(keyboard().keyboard.assembled(), file.mid(40));
        QCOMPARE(rig->payloads(EmulatedFirmwareCommands::KeyboardEnd, mark), QList<QByteArray>{QByteArray::fromHex("1112131415161718")});
        QVERIFY(keyboard().keyboard.ended);
        QList<int> seen;
        for (const QList<QVariant> &step : std::as_const(steps))
            seen.append(step.value(0).toInt());
        QCOMPARE(seen, progress);
        QVERIFY(!page->progressDialog());
    }

    void sendDataFile_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("frames");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QList<int>>("progress");
        QTest::newRow("122-byte chunks") << 128 << QList<int>{40, 122, 122, 56}
                                         << QByteArray::fromHex("510000000000000000000000000000002c010000000000005a94000004000000"
                                                                "0000000000000000")
                                         << QList<int>{0, 11, 47, 83, 99, 100};
        QTest::newRow("58-byte chunks") << 64 << QList<int>{40, 58, 58, 58, 58, 58, 10}
                                        << QByteArray::fromHex("510000000000000000000000000000002c010000000000005a94000007000000"
                                                               "0000000000000000")
                                        << QList<int>{0, 11, 28, 45, 62, 80, 97, 99, 100};
    }
    void sendDataFile()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, frames);
        QFETCH(QByteArray, header);
        QFETCH(QList<int>, progress);
        open(frameSize);
        const QByteArray file = FirmwareTestKit::dataFile(300);
        const QString path = write(file);
        rig->answerFiles({path});
        QSignalSpy steps(page->transfer(), &FirewareTransfer::progress);
        const int mark = rig->mark();
        QVERIFY(PageRig::clickButton(page, QStringLiteral("fireDataBtn")));
        QTRY_COMPARE(PageRig::toasts(page), QStringList{"固件数据下载成功！"});
        const QList<QByteArray> sent = rig->payloads(DataChunk, mark);
        QCOMPARE(sizes(sent), frames);
        QCOMPARE(sent.first(), header);
        QVERIFY(keyboard().data.ended); // the keyboard found length and sum as the header says
        QCOMPARE(TestFiles::read(path), file);
        QCOMPARE(steps.size(), progress.size());
        for (int i = 0; i < progress.size(); ++i)
            QCOMPARE(steps.at(i).value(0).toInt(), progress.at(i));
        QVERIFY(!page->progressDialog());
    }

    void digestFails_data()
    {
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("digest differs") << false;
        QTest::newRow("file unreadable") << true;
    }
    void digestFails()
    {
        QFETCH(bool, unreadable);
        open();
        server.serve(ImagePath, image(300));
        offer(QStringLiteral("0.1.0.6"), QCryptographicHash::hash("other", QCryptographicHash::Md5).toHex());
        rig->answerMessages({QMessageBox::Yes, QMessageBox::Yes});
        if (unreadable)
            page->onDownloadFinished(files.filePath(QStringLiteral("missing.bin")));
        else
            QVERIFY(PageRig::clickButton(page, QStringLiteral("syncFireBtn")));
        QTRY_COMPARE(PageRig::toasts(page), QStringList{"下载文件校验失败"});
        QVERIFY(!rig->shownDialogs().contains("同步"));
        QVERIFY(rig->payloads(ImageChunk, 0).isEmpty());
        QVERIFY(!page->progressDialog());
    }

    void refusals_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<qint64>("size");      // the file's size when above the bytes' (zeros behind them)
        QTest::addColumn<QString>("message"); // shown for a data file
        const int image_ = FirewareTransfer::KeyboardImage;
        const int data = FirewareTransfer::FirewareData;
        const QString mismatch = QStringLiteral("固件数据不匹配！");
        const qint64 asWritten = 0;
        QTest::newRow("image of its header only")
            << image_ << image(0) << 128 << int(FirewareTransfer::NoPayload) << asWritten << QString();
        QTest::newRow("image of 65536 frames")
            << image_ << image(65535 * 58 + 1) << 64 << int(FirewareTransfer::TooManyFrames) << asWritten << QString();
        QTest::newRow("image of 65535 frames")
            << image_ << image(0) << 64 << int(FirewareTransfer::Accepted) << qint64(40 + 65535 * 58) << QString();
        QTest::newRow("data shorter than its header")
            << data << QByteArray(20, '\0') << 128 << int(FirewareTransfer::Mismatch) << asWritten << mismatch;
        QTest::newRow("data longer than it says")
            << data << FirmwareTestKit::dataFile(300, -1) << 128 << int(FirewareTransfer::Mismatch) << asWritten << mismatch;
        QTest::newRow("data of another sum")
            << data << FirmwareTestKit::dataFile(300, 0, 1) << 128 << int(FirewareTransfer::Mismatch) << asWritten << mismatch;
        // Its header gives its length and the sum of its zeros: only its size rules it out.
        const qint64 huge = 2LL << 30;
        QTest::newRow("data of 2 GiB") << data << FirmwareTestKit::dataFile(0, int(huge - 40)) << 128 << int(FirewareTransfer::TooManyFrames)
                                       << huge << QStringLiteral("下载固件数据失败！");
    }
    void refusals()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(int, frameSize);
        QFETCH(int, refusal);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        open(frameSize);
        const QString path = write(bytes, size);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(page->transfer()->start(FirewareTransfer::Kind(kind), path)), refusal);
        if (kind == FirewareTransfer::FirewareData) {
            rig->answerFiles({path});
            QVERIFY(PageRig::clickButton(page, QStringLiteral("fireDataBtn")));
            QCOMPARE(rig->shownMessages(), QStringList{message});
        }
        // Refused at once: the file is not read through.
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        if (refusal == FirewareTransfer::Accepted) { // taken whole; its frames are not waited for
            QCOMPARE(page->transfer()->frameCount(), FirewareTransfer::MaxFrames);
            page->transfer()->abandon();
            return;
        }
        QVERIFY(!page->transfer()->isRunning());
        QVERIFY(rig->payloads(ImageChunk, 0).isEmpty() && rig->payloads(DataChunk, 0).isEmpty());
        QVERIFY(!page->progressDialog());
    }

    // A transfer whose answers are lost fails, an image also when only its end command goes
    // unanswered: the failure notice shows and the progress box closes. One whose page is left goes
    // on to its end. Either way the window hears when it starts and when it ends, and so holds the
    // keyboard no longer.
    void failedOrLeft_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("unanswered"); // the order whose answers are lost; 0: none
        QTest::addColumn<int>("sends");      // frames of that order (of data chunks when none)
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("toasts"); // over the window
        const int data = FirewareTransfer::FirewareData;
        QTest::newRow("answers lost") << data << int(DataChunk) << UsbCommunicateUtil::MaxSends
                                      << QStringList{"下载固件数据失败！"} << QStringList{};
        QTest::newRow("image end unanswered") << int(FirewareTransfer::KeyboardImage) << int(EmulatedFirmwareCommands::KeyboardEnd)
                                              << UsbCommunicateUtil::MaxSends << QStringList{"下载固件失败！"} << QStringList{};
        QTest::newRow("page left") << data << 0 << 4 << QStringList{} << QStringList{"固件数据下载成功！"};
    }
    void failedOrLeft()
    {
        QFETCH(int, kind);
        QFETCH(int, unanswered);
        QFETCH(int, sends);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, toasts);
        open();
        PageRig::expectTimeouts();
        if (unanswered)
            rig->keyboard().addReplyFault({ReplyFault::Drop, 0, unanswered | 0x80, UsbCommunicateUtil::MaxSends});
        QSignalSpy running(page, &OtherSetForm::keyboardTransferRunning);
        const int mark = rig->mark();
        if (kind == FirewareTransfer::FirewareData) {
            rig->answerFiles({write(FirmwareTestKit::dataFile(300))});
            QVERIFY(PageRig::clickButton(page, QStringLiteral("fireDataBtn")));
        } else {
            const QByteArray file = image(300);
            server.serve(ImagePath, file);
            offer(QStringLiteral("0.1.0.6"), QCryptographicHash::hash(file, QCryptographicHash::Md5).toHex());
            rig->answerMessages({QMessageBox::Yes, QMessageBox::Yes});
            QVERIFY(PageRig::clickButton(page, QStringLiteral("syncFireBtn")));
            QTRY_VERIFY(!running.isEmpty());
        }
        const int asked = int(rig->shownMessages().size()); // the questions before the transfer
        QVERIFY(page->progressDialog());
        if (!unanswered)
            page->exitInterface();
        QTRY_COMPARE(running.size(), 2);
        QTest::qWait(4 * 100);
        QVERIFY(!page->transfer()->isRunning());
        QCOMPARE(rig->payloads(unanswered ? uchar(unanswered) : DataChunk, mark).size(), sends);
        // Data whose chunks go unanswered is not complete; an end command whose answer is lost has
        // reached the keyboard.
        QCOMPARE(kind == FirewareTransfer::FirewareData ? keyboard().data.ended : keyboard().keyboard.ended,
                 unanswered != DataChunk);
        QCOMPARE(rig->shownMessages().mid(asked), messages);
        QCOMPARE(PageRig::toasts(page->window()), toasts);
        QVERIFY(!page->progressDialog());
        QVERIFY(running.first().first().toBool() && !running.last().first().toBool());
    }

    void factoryReset_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("lost");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("page");
        const QString question = QStringLiteral("你确定要恢复出厂设置吗？");
        QTest::newRow("confirmed") << true << 0 << QStringList{question, "恢复出厂设置成功！"} << 0;
        QTest::newRow("declined") << false << 0 << QStringList{question} << 8;
        QTest::newRow("answers lost") << true << 3 << QStringList{question, "恢复出厂设置失败！"} << 8;
    }
    void factoryReset()
    {
        QFETCH(bool, confirm);
        QFETCH(int, lost);
        QFETCH(QStringList, messages);
        QFETCH(int, page);
        open();
        PageRig::expectTimeouts();
        if (lost)
            rig->keyboard().addReplyFault({ReplyFault::Drop, 0, EmulatedFirmwareCommands::Reset | 0x80, lost});
        rig->answerMessages({confirm ? QMessageBox::Yes : QMessageBox::No, QMessageBox::Ok});
        QVERIFY(PageRig::clickButton(this->page, QStringLiteral("resetBtn")));
        QTRY_COMPARE(rig->shownMessages(), messages);
        QCOMPARE(rig->stack().currentIndex(), page);
        const int sends = confirm ? qMax(1, lost) : 0;
        QCOMPARE(rig->payloads(EmulatedFirmwareCommands::Reset, 0), QList<QByteArray>(sends, QByteArray::fromHex("5aa5")));
        QCOMPARE(keyboard().resets, sends);
        QVERIFY(!this->page->progressDialog());
    }
};

QTEST_MAIN(TestOtherSetForm)
#include "tst_othersetform.moc"
