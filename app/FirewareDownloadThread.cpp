#include "app/FirewareDownloadThread.h"

#include "app/FirewareImage.h"
#include "app/HidAccessCheck.h"
#include "link/DeviceFrame.h"
#include "link/UsbHidUtil.h"

#include <QDeadlineTimer>
#include <QDebug>

#include <cerrno>

namespace {
// Replies are waited for in slices of this length, so that a stop request is seen at once.
constexpr int kReadSliceMs = 50;
// Replies left over from before a frame are dropped, at most this many at a time.
constexpr int kMaxStaleReplies = 64;
constexpr uchar kReplyFlag = 0x80;
// Byte of a reply that carries the keyboard's verdict (0 = accepted).
constexpr int kStatusByte = DeviceFrame::HEAD_SIZE;

QString headText(const uchar *frame, int length)
{
    return QStringLiteral("length={%1};order={%2};frame={%3};total={%4};dataLength={%5}")
        .arg(length)
        .arg(frame[1], 2, 16, QLatin1Char('0'))
        .arg(frame[2])
        .arg(frame[3])
        .arg(frame[5]);
}
} // namespace

FirewareDownloadThread::FirewareDownloadThread(const QString &fileName, ushort vendorId, ushort productId,
                                               int interface, ushort serialNumber, QObject *parent)
    : QThread(parent), mSerialNumber(serialNumber), mVendorId(vendorId), mProductId(productId),
      mInterface(interface), mFileName(fileName)
{
    qDebug() << "=== FirewareDownloadThread 固件下载初始化 ===";
}

FirewareDownloadThread::~FirewareDownloadThread()
{
    qDebug() << "=== FirewareDownloadThread 固件下载销毁 ===";
}

void FirewareDownloadThread::setReplyTimeout(int ms)
{
    mReplyTimeoutMs = ms;
}

QString FirewareDownloadThread::deniedDevicePath() const
{
    return mDeniedPath;
}

void FirewareDownloadThread::run()
{
    qDebug().noquote() << QStringLiteral("=== FirewareDownloadThread 下载线程启动 vid=%1 pid=%2 interface=%3 ===")
                              .arg(mVendorId, 4, 16, QLatin1Char('0'))
                              .arg(mProductId, 4, 16, QLatin1Char('0'))
                              .arg(mInterface);
    if (!openUsbDevice()) {
        Q_EMIT fireware_download_result(false, ErrorOpenDevice);
        return;
    }
    FirewareImage image;
    int result = image.open(mFileName, mSerialNumber, mFrameSize);
    if (result == FirewareImage::Ok)
        result = flash(image);
    image.close();
    closeDevice();
    if (result != FirewareImage::Ok) {
        qInfo() << "=== FirewareDownloadThread 固件下载失败 error=" << result << "===";
        Q_EMIT fireware_download_result(false, result);
        return;
    }
    Q_EMIT fireware_download_result(true, 100);
    qDebug() << "=== FirewareDownloadThread 接收线程关闭 ===";
}

int FirewareDownloadThread::flash(FirewareImage &image)
{
    int reported = -1;
    for (int n = 1; n <= image.frameCount(); ++n) {
        for (int failures = 0;;) {
            if (isInterruptionRequested())
                return ErrorSend;
            const QByteArray report = image.dataReport(n);
            if (report.isEmpty())
                return FirewareImage::ErrorFile; // the file changed since it was opened
            if (!sendReport(report))
                return ErrorSend;
            const Reply reply = readReply(FirewareImage::DataOrder | kReplyFlag);
            if (reply == Accepted)
                break;
            if (reply == Stopped)
                return ErrorSend;
            // A time-out, another reply or a refusal: the same frame once more, three times in all.
            if (++failures == Attempts)
                return ErrorReceive;
        }
        const int percent = qMin(99, image.percentBefore(n));
        if (percent != reported) {
            reported = percent;
            Q_EMIT fireware_download_result(true, percent);
        }
    }
    if (isInterruptionRequested())
        return ErrorSend;
    if (!sendReport(image.endReport()))
        return ErrorSend;
    // The end frame is sent once; its reply is read up to three times.
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const Reply reply = readReply(FirewareImage::EndOrder | kReplyFlag);
        if (reply == Accepted)
            return FirewareImage::Ok;
        if (reply == Stopped)
            return ErrorSend;
    }
    return ErrorReceive;
}

bool FirewareDownloadThread::openUsbDevice()
{
    mDeniedPath.clear();
    for (const HID_DEVICE_FILTER &row : gHidDeviceList) {
        hid_device_info *devices = hid_enumerate(row.vendorId, row.productId);
        for (const hid_device_info *entry = devices; entry && !mDevice; entry = entry->next) {
            if (entry->usage != row.usage || entry->usage_page != row.usagePage || !entry->path)
                continue;
            errno = 0;
            mDevice = hid_open_path(entry->path);
            if (mDevice)
                mFrameSize = row.reportSize;
            else if (mDeniedPath.isEmpty() && HidAccessCheck::openDenied(entry->path, errno))
                mDeniedPath = QString::fromUtf8(entry->path);
        }
        if (devices)
            hid_free_enumeration(devices);
        if (mDevice)
            break;
    }
    if (!mDevice) {
        qInfo() << "=== FirewareDownloadThread openUsbDevice 无法打开USB设备 ===" << mDeniedPath;
        return false;
    }
    mDeniedPath.clear();
    if (hid_set_nonblocking(mDevice, 0) != 0) {
        qInfo().noquote() << QStringLiteral("=== FirewareDownloadThread 设置阻塞失败,错误原因:{ %1 } ===")
                                    .arg(QString::fromWCharArray(hid_error(mDevice)));
        closeDevice();
        return false;
    }
    return true;
}

bool FirewareDownloadThread::sendReport(const QByteArray &report)
{
    drainStaleReplies();
    const auto *bytes = reinterpret_cast<const uchar *>(report.constData());
    const int written = hid_write(mDevice, bytes, size_t(report.size()));
    qDebug().noquote() << QStringLiteral("=== FirewareDownloadThread 发送 result={%1};").arg(written)
                              + headText(bytes + 1, report.size() - 1) + QStringLiteral(" ===");
    return written >= 0;
}

void FirewareDownloadThread::drainStaleReplies()
{
    QByteArray buffer(mFrameSize + 1, '\0');
    auto *bytes = reinterpret_cast<uchar *>(buffer.data());
    for (int i = 0; i < kMaxStaleReplies; ++i) {
        const int read = hid_read_timeout(mDevice, bytes, size_t(buffer.size()), 0);
        if (read <= 0)
            return;
        qDebug().noquote() << QStringLiteral("=== FirewareDownloadThread 丢弃旧回复 ") + headText(bytes, read)
                                  + QStringLiteral(" ===");
    }
}

FirewareDownloadThread::Reply FirewareDownloadThread::readReply(uchar replyCode)
{
    QByteArray buffer(mFrameSize + 1, '\0');
    auto *bytes = reinterpret_cast<uchar *>(buffer.data());
    const QDeadlineTimer deadline(mReplyTimeoutMs);
    for (;;) {
        if (isInterruptionRequested())
            return Stopped;
        buffer.fill('\0');
        const int slice = int(qMin<qint64>(kReadSliceMs, deadline.remainingTime()));
        const int read = hid_read_timeout(mDevice, bytes, size_t(buffer.size()), slice);
        if (read > 0) {
            qDebug().noquote() << QStringLiteral("=== FirewareDownloadThread 接收 ") + headText(bytes, read)
                                      + QStringLiteral(";status={%1} ===").arg(bytes[kStatusByte]);
            const bool accepted = read > kStatusByte && bytes[0] == DeviceFrame::FRAME_TAG && bytes[1] == replyCode
                                  && bytes[kStatusByte] == 0;
            return accepted ? Accepted : NotAccepted;
        }
        if (read < 0) {
            qInfo().noquote() << QStringLiteral("=== FirewareDownloadThread 接收失败:{ %1 } ===")
                                        .arg(QString::fromWCharArray(hid_error(mDevice)));
            return NotAccepted;
        }
        if (deadline.hasExpired())
            return NotAccepted;
    }
}

void FirewareDownloadThread::closeDevice()
{
    if (!mDevice)
        return;
    hid_close(mDevice);
    mDevice = nullptr;
}
