#pragma once
#include <QByteArray>
#include <QString>
#include <QThread>

#include <hidapi/hidapi.h>

#include <atomic>

class FirewareImage;

// Writes a keyboard firmware image (see FirewareImage) into the attached keyboard over USB HID, on
// a thread of its own. It opens the keyboard's interface by itself (the command protocol's link is
// closed while the firmware page is in use), sends the payload frame by frame, each after the
// keyboard accepted the one before, then the end frame, and reports through
// fireware_download_result:
//   (true, 0 to 99)  progress after an accepted data frame, never falling;
//   (true, 100)      the end frame was accepted; the last report;
//   (false, code)    the flashing failed or was stopped; the last report. Codes: ErrorOpenDevice,
//                    FirewareImage::ErrorFile (also for a file that changed under way),
//                    FirewareImage::ErrorProductMismatch, ErrorSend (also after
//                    requestInterruption), ErrorReceive, ErrorDeviceGone, ErrorBusy.
// A keyboard that answers "busy" (status 11) gets the same frame again after a short pause; that
// is no failed attempt, but a keyboard busy for longer than the busy limit ends the flashing.
// Every run ends with exactly one final report and leaves no device and no file open. The frames
// have the report size of the interface opened; the link's frame size is not touched, and the
// HID library is left initialised (other threads use it too).
class FirewareDownloadThread : public QThread
{
    Q_OBJECT
public:
    enum Error {
        ErrorOpenDevice = -54, // no interface of the HID interface table opens in blocking mode
        ErrorSend = -56,       // writing a frame failed, or the flashing was stopped
        ErrorReceive = -57,    // no accepting reply after three attempts
        ErrorDeviceGone = -58, // the interface written to went away: the keyboard is half-written
        ErrorBusy = -59,       // the keyboard stayed busy for longer than the busy limit
    };
    static constexpr int DefaultReplyTimeoutMs = 3000;
    static constexpr int DefaultBusyLimitMs = 10000;
    static constexpr int Attempts = 3;

    // The image at fileName for the product with serialNumber. The interface to open comes from
    // the HID interface table; vendor id, product id and interface number are kept for the log.
    FirewareDownloadThread(const QString &fileName, ushort vendorId, ushort productId, int interface,
                           ushort serialNumber, QObject *parent = nullptr);
    ~FirewareDownloadThread() override;

    // How long one reply is waited for, and for how long a keyboard may stay busy with one frame
    // (before start).
    void setReplyTimeout(int ms);
    void setBusyLimit(int ms);
    // A keyboard interface went away somewhere (a hot-plug notice); from any thread. The worker
    // goes on unless it is the interface it writes to.
    void checkDeviceRemoved();
    // After a run that ended with ErrorOpenDevice: the node of a keyboard interface that is
    // attached but that this user may not open; otherwise empty.
    QString deniedDevicePath() const;

Q_SIGNALS:
    void fireware_download_result(bool status, int value);

protected:
    void run() override;

private:
    enum Reply { Accepted, NotAccepted, Busy, Stopped, Gone };

    bool openUsbDevice();
    // Sends every data frame, each until it is accepted, then the end frame; FirewareImage::Ok or
    // the failure code of the run.
    int flash(FirewareImage &image);
    // Sends one frame until the keyboard accepts it. A failed attempt sends the frame again
    // (resend) or only reads once more; the third ends with ErrorReceive. Busy answers send it
    // again after a pause, within the busy limit.
    int deliver(const QByteArray &report, uchar replyCode, bool resend);
    // Whether the interface opened is still attached.
    bool deviceAttached();
    // Writes one output report after dropping the replies that arrived before it; false when the
    // write failed.
    bool sendReport(const QByteArray &report);
    void drainStaleReplies();
    // Reads one reply within the reply time-out; Accepted when it is a frame with replyCode and
    // status 0, Busy with status 11. Anything else, a time-out or a read error is NotAccepted,
    // unless the interface has gone.
    Reply readReply(uchar replyCode);
    // Waits ms unless stopped meanwhile; false when stopped.
    bool pause(int ms);
    void closeDevice();

    hid_device *mDevice = nullptr;
    ushort mSerialNumber = 0;
    ushort mVendorId = 0;
    ushort mProductId = 0;
    int mInterface = 0;
    QString mFileName;
    int mFrameSize = 0;
    int mReplyTimeoutMs = DefaultReplyTimeoutMs;
    int mBusyLimitMs = DefaultBusyLimitMs;
    QString mDeniedPath;
    // The interface opened (vendor id, product id, path), for the check that it is still there.
    ushort mOpenVendorId = 0;
    ushort mOpenProductId = 0;
    QByteArray mOpenPath;
    std::atomic<bool> mRemovalNoticed{false};
};
