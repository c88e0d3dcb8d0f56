#include "link/UsbReceiveThread.h"

#include "link/DeviceFrame.h"
#include "link/UsbHidUtil.h"

#include <QDebug>
#include <QString>

#include <algorithm>
#include <chrono>

UsbReceiveThread::UsbReceiveThread(QObject *parent) : QThread(parent)
{
    qDebug() << "=== UsbReceiveThread 接收线程创建 ===";
}

UsbReceiveThread::~UsbReceiveThread()
{
    qDebug() << "=== UsbReceiveThread 接收线程销毁 ===";
}

void UsbReceiveThread::openThread(hid_device *device)
{
    if (!device) {
        qDebug() << "=== UsbReceiveThread 没有打开的设备 ===";
        return;
    }
    if (isRunning())
        closeThread();
    mDevice = device;
    // Marked before the thread runs, so that a close that follows at once still stops it.
    mStarted = true;
    start(QThread::InheritPriority);
}

void UsbReceiveThread::closeThread()
{
    if (!mStarted)
        return;
    requestInterruption();
    {
        std::lock_guard<std::mutex> lock(mWakeMutex);
        mWake.notify_all();
    }
    wait();
}

void UsbReceiveThread::run()
{
    qDebug() << "=== UsbReceiveThread 接收线程启动 ===";
    mStarted = true;
    uchar buffer[kUsbFrameSizeLimit + 1];
    while (!isInterruptionRequested()) {
        // Read afresh for every read (an atomic, written by the link opening on the main
        // thread); the buffer holds the largest frame plus one byte.
        const int frameSize = std::clamp(gUsbFrameMaxsize.load(), 1, kUsbFrameSizeLimit);
        const int result = hid_read_timeout(mDevice, buffer, size_t(frameSize) + 1, ReadTimeoutMs);
        if (result > 0)
            handleReport(buffer, result);
        else if (result < 0)
            backOff();
    }
    qDebug() << "=== UsbReceiveThread 接收线程关闭 ===";
}

void UsbReceiveThread::handleReport(const uchar *report, int size)
{
    DeviceFrame frame;
    switch (DeviceFrame::read(report, size, &frame)) {
    case DeviceFrame::Read:
        break;
    case DeviceFrame::NotTagged:
        qDebug().noquote() << QStringLiteral("=== UsbReceiveThread 接收到无效TAG数据 tag={%1}===")
                                  .arg(QStringLiteral("0x%1").arg(report[0], 2, 16, QLatin1Char('0')).toUpper());
        return;
    case DeviceFrame::NoHead:
        qDebug() << "=== UsbReceiveThread 数据帧不完整 size=" << size << "===";
        return;
    case DeviceFrame::PayloadCut:
        // A length byte that claims more payload than arrived marks a damaged frame: it is
        // dropped (the command protocol then asks again) rather than handed on with padding
        // taken for data.
        qDebug() << "=== UsbReceiveThread 数据长度超出接收字节 length=" << report[5] << "received="
                 << size - DeviceFrame::HEAD_SIZE << "===";
        return;
    }
    mEmittedFrames.fetch_add(1);
    emit usb_receive_data(frame.order, frame.frame, frame.total, frame.length, frame.data);
}

void UsbReceiveThread::backOff()
{
    std::unique_lock<std::mutex> lock(mWakeMutex);
    mWake.wait_for(lock, std::chrono::milliseconds(ErrorBackoffMs),
                   [this] { return isInterruptionRequested(); });
}
