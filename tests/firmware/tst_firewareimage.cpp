#include "app/FirewareImage.h"
#include "tests/firmware/FirmwareTestKit.h"

#include <QTemporaryDir>

class TestFirewareImage : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString path() const { return mDir.filePath(QStringLiteral("firmware.bin")); }

private Q_SLOTS:
    void init() { FirmwareTestKit::failOnWarnings(); }

    // Frame count and the whole last frame at both frame sizes.
    void framing_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("payloadSize");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("lastOffset");
        QTest::addColumn<QByteArray>("lastHead");
        QTest::newRow("128, one byte over") << 128 << 123 << 2 << 162 << QByteArray::fromHex("fa6002000001");
        QTest::newRow("128, exact") << 128 << 244 << 2 << 162 << QByteArray::fromHex("fa600200007a");
        QTest::newRow("64, single") << 64 << 58 << 1 << 40 << QByteArray::fromHex("fa600100003a");
        QTest::newRow("64, 300 frames") << 64 << 17399 << 300 << 17382 << QByteArray::fromHex("fa602c010039");
    }

    void framing()
    {
        QFETCH(int, frameSize);
        QFETCH(int, payloadSize);
        QFETCH(int, frames);
        QFETCH(int, lastOffset);
        QFETCH(QByteArray, lastHead);
        const QByteArray file = FirmwareTestKit::writeImage(path(), 7, FirmwareTestKit::payload(payloadSize));
        FirewareImage image;
        QCOMPARE(image.open(path(), 7, frameSize), int(FirewareImage::Ok));
        QCOMPARE(image.frameCount(), frames);
        QByteArray last = QByteArray(1, '\0') + lastHead + file.mid(lastOffset, uchar(lastHead[5]));
        last.resize(frameSize + 1, '\0');
        QCOMPARE(image.dataReport(frames), last);
        QVERIFY(image.dataReport(0).isEmpty() && image.dataReport(frames + 1).isEmpty());
    }

    // The end frame repeats header bytes 4 to 11.
    void endFrame()
    {
        FirmwareTestKit::writeImage(path(), 0x3001, FirmwareTestKit::payload(10));
        FirewareImage image;
        QCOMPARE(image.open(path(), 0x3001, 64), int(FirewareImage::Ok));
        QByteArray end = QByteArray::fromHex("00fa63010100081122334455667788");
        end.resize(65, '\0');
        QCOMPARE(image.endReport(), end);
    }

    void refused_data()
    {
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<int>("serial");
        QTest::addColumn<int>("result");
        QTest::newRow("another product") << qint64(100) << 0x3002 << int(FirewareImage::ErrorProductMismatch);
        QTest::newRow("65536 frames") << qint64(40 + 65535 * 58 + 1) << 0x3001 << int(FirewareImage::ErrorFile);
        QTest::newRow("65535 frames") << qint64(40 + 65535 * 58) << 0x3001 << int(FirewareImage::Ok);
    }

    void refused()
    {
        QFETCH(qint64, fileSize);
        QFETCH(int, serial);
        QFETCH(int, result);
        FirmwareTestKit::writeImage(path(), 0x3001, QByteArray());
        QVERIFY(QFile::resize(path(), fileSize));
        FirewareImage image;
        QCOMPARE(image.open(path(), quint16(serial), 64), result);
    }
};

QTEST_GUILESS_MAIN(TestFirewareImage)
#include "tst_firewareimage.moc"
