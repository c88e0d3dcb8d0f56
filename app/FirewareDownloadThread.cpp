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
// Byte of a reply that carries the keyboard's verdict (0 = accepted, 11 = busy, not ready yet).
constexpr int kStatusByte = DeviceFrame::HEAD_SIZE;
constexpr uchar kStatusBusy = 11;
// A busy keyboard gets the frame again after this pause.
constexpr int kBusyPauseMs = 100;

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

void FirewareDownloadThread::setBusyLimit(int ms)
{
    mBusyLimitMs = ms;
}

void FirewareDownloadThread::checkDeviceRemoved()
{
    mRemovalNoticed = true;
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
        const QByteArray report = image.dataReport(n);
        if (report.isEmpty())
            return FirewareImage::ErrorFile; // the file changed since it was opened
        const int result = deliver(report, FirewareImage::DataOrder | kReplyFlag, true);
        if (result != FirewareImage::Ok)
            return result;
        const int percent = qMin(99, image.percentBefore(n));
        if (percent != reported) {
            reported = percent;
            Q_EMIT fireware_download_result(true, percent);
        }
    }
    // The end frame is sent once; its reply is read up to three times.
    return deliver(image.endReport(), FirewareImage::EndOrder | kReplyFlag, false);
}

int FirewareDownloadThread::deliver(const QByteArray &report, uchar replyCode, bool resend)
{
    QDeadlineTimer busyUntil(QDeadlineTimer::Forever);
    bool send = true;
    for (int failures = 0;;) {
        if (isInterruptionRequested())
            return ErrorSend;
        if (send && !sendReport(report))
            return deviceAttached() ? ErrorSend : ErrorDeviceGone;
        send = resend;
        switch (readReply(replyCode)) {
        case Accepted:
            return FirewareImage::Ok;
        case Stopped:
            return ErrorSend;
        case Gone:
            return ErrorDeviceGone;
        case Busy:
            // Not ready yet, which is no refusal: the same frame again after a pause, as long as
            // the keyboard does not stay busy beyond the limit.
            if (busyUntil.isForever())
                busyUntil.setRemainingTime(mBusyLimitMs);
            if (busyUntil.hasExpired())
                return ErrorBusy;
            if (!pause(kBusyPauseMs))
                return ErrorSend;
            send = true;
            break;
        case NotAccepted:
            // A time-out, another reply or a refusal: three attempts in all.
            if (++failures == Attempts)
                return ErrorReceive;
            break;
        }
    }
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
            if (mDevice) {
                mFrameSize = row.reportSize;
                mOpenVendorId = row.vendorId;
                mOpenProductId = row.productId;
                mOpenPath = QByteArray(entry->path);
            } else if (mDeniedPath.isEmpty() && HidAccessCheck::openDenied(entry->path, errno))
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

bool FirewareDownloadThread::deviceAttached()
{
    mRemovalNoticed = false;
    bool attached = false;
    hid_device_info *devices = hid_enumerate(mOpenVendorId, mOpenProductId);
    for (const hid_device_info *entry = devices; entry && !attached; entry = entry->next)
        attached = entry->path && mOpenPath == entry->path;
    if (devices)
        hid_free_enumeration(devices);
    if (!attached)
        qInfo().noquote() << QStringLiteral("=== FirewareDownloadThread 设备已拔出 path={%1} ===").arg(QString::fromUtf8(mOpenPath));
    return attached;
}

bool FirewareDownloadThread::pause(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (isInterruptionRequested())
            return false;
        msleep(ulong(qMin<qint64>(kReadSliceMs, qMax<qint64>(1, deadline.remainingTime()))));
    }
    return !isInterruptionRequested();
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
        if (mRemovalNoticed && !deviceAttached())
            return Gone;
        buffer.fill('\0');
        const int slice = int(qMin<qint64>(kReadSliceMs, deadline.remainingTime()));
        const int read = hid_read_timeout(mDevice, bytes, size_t(buffer.size()), slice);
        if (read > 0) {
            qDebug().noquote() << QStringLiteral("=== FirewareDownloadThread 接收 ") + headText(bytes, read)
                                      + QStringLiteral(";status={%1} ===").arg(bytes[kStatusByte]);
            if (read <= kStatusByte || bytes[0] != DeviceFrame::FRAME_TAG || bytes[1] != replyCode)
                return NotAccepted;
            if (bytes[kStatusByte] == kStatusBusy)
                return Busy;
            return bytes[kStatusByte] == 0 ? Accepted : NotAccepted;
        }
        if (read < 0) {
            qInfo().noquote() << QStringLiteral("=== FirewareDownloadThread 接收失败:{ %1 } ===")
                                        .arg(QString::fromWCharArray(hid_error(mDevice)));
            return deviceAttached() ? NotAccepted : Gone;
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
