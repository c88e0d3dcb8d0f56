#pragma once
// The HID reader: a worker thread that blocks in reads on the open interface of the USB link and
// hands every tagged device frame to the command protocol by a (queued) signal.

#include <QByteArray>
#include <QThread>

#include <hidapi/hidapi.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

class UsbReceiveThread : public QThread
{
    Q_OBJECT
public:
    // One read waits at most this long, which bounds how long closeThread waits.
    static constexpr int ReadTimeoutMs = 500;
    // Pause after a failed read (an unplugged device fails every read at once).
    static constexpr int ErrorBackoffMs = 50;

    explicit UsbReceiveThread(QObject *parent = nullptr);
    // Neither stops the thread nor closes the handle: the owner calls closeThread first.
    ~UsbReceiveThread() override;

    // Starts reading the given open interface. The handle stays the caller's; it must stay open
    // until closeThread has returned. A reader still running is stopped first; a null handle
    // starts nothing.
    void openThread(hid_device *device);
    // Asks the reader to stop and waits until it has (at most one read time-out).
    void closeThread();

    // Frames handed on so far (over the whole life of the object). A receiver that counts the
    // frames it gets can tell whether a frame was read before a given moment.
    quint64 emittedFrames() const { return mEmittedFrames.load(); }

Q_SIGNALS:
    void usb_receive_data(uchar const &order, uchar const &frame, uchar const &total,
                          uchar const &length, QByteArray data);

protected:
    void run() override;

private:
    void handleReport(const uchar *report, int size);
    void backOff();

    hid_device *mDevice = nullptr;
    std::atomic<bool> mStarted{false};
    std::atomic<quint64> mEmittedFrames{0};
    std::mutex mWakeMutex;
    std::condition_variable mWake;
};
