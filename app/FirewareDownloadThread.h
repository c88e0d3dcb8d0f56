#pragma once
#include <QByteArray>
#include <QString>
#include <QThread>

#include <hidapi/hidapi.h>

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
//                    requestInterruption), ErrorReceive.
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
    };
    static constexpr int DefaultReplyTimeoutMs = 3000;
    static constexpr int Attempts = 3;

    // The image at fileName for the product with serialNumber. The interface to open comes from
    // the HID interface table; vendor id, product id and interface number are kept for the log.
    FirewareDownloadThread(const QString &fileName, ushort vendorId, ushort productId, int interface,
                           ushort serialNumber, QObject *parent = nullptr);
    ~FirewareDownloadThread() override;

    // How long one reply is waited for (before start).
    void setReplyTimeout(int ms);
    // After a run that ended with ErrorOpenDevice: the node of a keyboard interface that is
    // attached but that this user may not open; otherwise empty.
    QString deniedDevicePath() const;

Q_SIGNALS:
    void fireware_download_result(bool status, int value);

protected:
    void run() override;

private:
    enum Reply { Accepted, NotAccepted, Stopped };

    bool openUsbDevice();
    // Sends every data frame, each until it is accepted, then the end frame; FirewareImage::Ok or
    // the failure code of the run.
    int flash(FirewareImage &image);
    // Writes one output report after dropping the replies that arrived before it; false when the
    // write failed.
    bool sendReport(const QByteArray &report);
    void drainStaleReplies();
    // Reads one reply within the reply time-out; Accepted when it is a frame with replyCode and
    // status 0. Anything else, a time-out or a read error is NotAccepted.
    Reply readReply(uchar replyCode);
    void closeDevice();

    hid_device *mDevice = nullptr;
    ushort mSerialNumber = 0;
    ushort mVendorId = 0;
    ushort mProductId = 0;
    int mInterface = 0;
    QString mFileName;
    int mFrameSize = 0;
    int mReplyTimeoutMs = DefaultReplyTimeoutMs;
    QString mDeniedPath;
};
