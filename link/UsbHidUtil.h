#pragma once
// HID access: the table of HID interfaces the program talks to, the legal test against it,
// enumeration of the attached legal interfaces, and the frame size of the USB link.

#include "link/DeviceFrame.h"
#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSharedPointer>

#include <hidapi/hidapi.h>

#include <atomic>

// One row of the HID interface table.
struct HID_DEVICE_FILTER {
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint32 interface = 0; // not read
    quint16 usage = 0;
    quint16 usagePage = 0;
    qint32 reportSize = 0; // frame size on this interface
    QByteArray name;
};

// The supported keyboard's vendor interfaces, in order of preference (128-byte reports first).
extern const QList<HID_DEVICE_FILTER> gHidDeviceList;

// Frame size of the link in bytes (128 at start) and payload bytes per frame (frame size - 6).
// They are written on the main thread when a link opens and read there by the command protocol
// and the firmware worker, and by the HID reader thread before every read; atomics keep those
// reads well defined. Write them only through global_setUsbFrameSize so that the pair agrees.
extern std::atomic<int> gUsbFrameMaxsize;
extern std::atomic<int> gUsbFrameEffectSize;

// Largest frame size any link may use: the send and receive buffers are sized for it.
constexpr int kUsbFrameSizeLimit = 128;
// Bytes of the frame head (tag, order, frame, count, 0, length) ahead of the payload.
constexpr int kUsbFrameHeadSize = DeviceFrame::HEAD_SIZE;

// Sets gUsbFrameMaxsize to frameSize and gUsbFrameEffectSize to frameSize - 6. A size that
// cannot hold a head and one payload byte, or exceeds kUsbFrameSizeLimit, is refused (false)
// and leaves both unchanged.
bool global_setUsbFrameSize(int frameSize);

class UsbHidUtil : public QObject
{
    Q_OBJECT
public:
    explicit UsbHidUtil(QObject *parent = nullptr);
    ~UsbHidUtil() override;

    // True when one row of gHidDeviceList has all four values. Usage comes before usage page.
    static bool checkLegalUsbDevice(ushort vendorId, ushort productId, ushort usage, ushort usagePage);

    // Number of legal interfaces attached now (0 when nothing is enumerated).
    int getEffectUsbDeviceTotal() const;

    // Opens the interface the USB link uses: the rows of gHidDeviceList are tried in order and
    // the first attached interface of a row that opens and accepts blocking mode wins. On success
    // the frame sizes are set from that row and the open handle is returned (the caller closes it
    // with hid_close). A row whose interface opens but refuses blocking mode is logged, closed and
    // left. Null when nothing could be opened; the frame sizes then stay as they were.
    static hid_device *openPreferredUsbDevice();

private:
    static int countLegal(const hid_device_info *devices);
};

extern QSharedPointer<UsbHidUtil> gUsbHidUtil;
