#pragma once
// The keyboard command protocol: every request to the keyboard and every reply from it goes
// through the one UsbCommunicateUtil (gUsbCommunicateUtil).
//
// A request entry (usb_...) records the request, splits its payload into frames and writes the
// first one through the active link (USB HID or Bluetooth). Each reply frame comes back through
// usb_receive_data, is matched against the reply that is awaited, parsed into a holding member
// and announced by the command's reply signal (usb_receive_...), which carries the requester's
// source byte first. Confirmed data reach the keyboard model only through the sync... copies.

#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QObject>
#include <QSharedPointer>
#include <QTimer>

#include <array>

struct hid_device_;
typedef struct hid_device_ hid_device;
class UsbReceiveThread;

class UsbCommunicateUtil : public QObject
{
    Q_OBJECT
public:
    // Source bytes of the requesters; every reply and error signal carries the source back.
    enum Source : uchar {
        SourceLink = 0,
        SourceSyncConfig = 1,
        SourceMainWindow = 2,
        SourceImport = 3,
        SourceKeyPage = 4,
        SourceLightPage = 5,
        SourceHighKeyPage = 6,
        SourceMacroPage = 7,
        SourcePerformancePage = 8,
        SourceAlignPage = 9,
        SourceMaintenancePage = 10,
    };

    // Error codes of usb_communicate_error.
    enum Error {
        ErrorWrite = -1,
        ErrorNoReply = -2,
        ErrorLayer = -3,
        ErrorMacroIndex = -4,
        ErrorNoDevice = -200,
    };

    static constexpr int DefaultReplyInterval = 1000; // ms
    static constexpr int MaxSends = 3;
    static constexpr int BufferSize = 129;     // report id + the largest frame
    static constexpr int WorkBufferSize = 160; // reply payload as handed to the handlers

    explicit UsbCommunicateUtil(QObject *parent = nullptr);
    ~UsbCommunicateUtil() override;

    // Link control.
    void openCommunicate(int type);
    void communicateDevice();
    void closeCommunicate();
    bool checkBleCommunicateState() const;
    bool checkCommunicateState() const;

    // Interval of the reply timer (1000 ms unless a test shortens it).
    void setReplyInterval(int ms);
    int replyInterval() const;

    // Product identity and board parameters.
    void usb_get_product_info(uchar const &source, bool const &wait);
    void usb_get_whole_param(uchar const &source, bool const &wait);
    void usb_set_whole_param(uchar const &source, bool const &wait, QSharedPointer<KEYBOARD_PARAMS> params);

    // Firmware download and factory reset.
    void usb_download_fireware_keyboard(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data);
    void usb_download_fireware_keyboard_end(uchar const &source, bool const &wait, uint const &first, uint const &second);
    void usb_download_fireware_data(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data);
    void usb_download_fireware_data_end(uchar const &source, bool const &wait, uint const &first, uint const &second);
    void usb_reset_keyboard(uchar const &source, bool const &wait);

    // Copies of confirmed data into the keyboard model.
    void syncProductInfo();
    void syncWholeParam();

    // Text of a negative result code of the protocol or the workers ("其他错误" when it has none).
    static QString getErrorMessage(int code);

    // A fixed-width UTF-8 field as text: the bytes up to the first zero, at most width of them.
    static QString ucharConvertString(const char *data, int width);

    // Holding members, readable by tests and by the copies.
    QSharedPointer<KEYBOARD_PRODUCT_INFO> productInfo() const { return mProductInfo; }
    QSharedPointer<KEYBOARD_PARAMS> wholeParam() const { return mWholeParam; }

Q_SIGNALS:
    void protocol_device_connected();
    void protocol_device_disconnected();
    void usb_communicate_error(uchar source, uchar order, int error);

    void usb_receive_product_info(uchar source, int current, int total);
    void usb_receive_whole_param(uchar source, int current, int total);
    void usb_receive_set_whole_param(uchar source, int current, int total);

    void usb_receive_download_fireware_keyboard(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard_end(uchar source, int current, int total);
    void usb_receive_download_fireware_data(uchar source, int current, int total);
    void usb_receive_download_fireware_data_end(uchar source, int current, int total);
    void usb_receive_reset_keyboard(uchar source, int current, int total);

private Q_SLOTS:
    void usb_receive_data(uchar const &order, uchar const &frame, uchar const &total, uchar const &length, QByteArray data);
    void onCommunicateTimeout();
    void ble_error_callback(int const &error);

private:
    struct Command;

    // One received frame as the handlers see it.
    struct Reply {
        uchar order;
        uchar frame;
        uchar total;
        uchar length;
        const uchar *data; // the work buffer: payload first, zero behind it
    };

    // --- engine ---
    static const Command *commandForOrder(uchar order);
    static const Command *commandForReply(uchar reply);
    // Starts a request: stops a running timer, resets the retry count, and records source,
    // wait flag and the reply expected. Returns the command for chaining.
    const Command &beginRequest(uchar order, uchar source, bool wait);
    // Splits count entries into frames of the command's size; false when there is nothing to send.
    bool beginFrames(const Command &command, int count);
    int entriesPerFrame(const Command &command) const;
    // Zeroes the send buffer and returns where the payload of the frame begins.
    uchar *beginFrame();
    // Writes the frame under construction through the active link.
    void writeFrame(const Command &command, int payloadLength, uchar headByte2, uchar headByte3);
    void writeFrame(const Command &command, int payloadLength);
    void sendCurrentFrame(const Command &command);
    bool isLinkUp() const;
    void retryCommunicate();
    // After a reply was handled: sends the next frame when the chain is still the same request.
    void continueFrames(const Command &command, quint64 request, const Reply &reply, bool totalFromReply);
    void logMismatch(const Command &command, const Reply &reply) const;

    // --- send members ---
    void sendGetProductInfo();
    void sendGetWholeParam();
    void sendSetWholeParam();
    void sendDownloadFirewareKeyboard();
    void sendDownloadFirewareKeyboardEnd();
    void sendDownloadFirewareData();
    void sendDownloadFirewareDataEnd();
    void sendResetKeyboard();
    void sendFirmwareChunk(uchar order);
    void sendFirmwareEnd(uchar order);

    // --- reply handlers ---
    void receiveProductInfo(const Reply &reply);
    void receiveWholeParam(const Reply &reply);
    void receiveSetWholeParam(const Reply &reply);
    void receiveDownloadFirewareKeyboard(const Reply &reply);
    void receiveDownloadFirewareKeyboardEnd(const Reply &reply);
    void receiveDownloadFirewareData(const Reply &reply);
    void receiveDownloadFirewareDataEnd(const Reply &reply);
    void receiveResetKeyboard(const Reply &reply);

    bool requestFirmwareChunk(uchar order, uchar source, bool wait, ushort frameNo, int len, const uchar *data);

    static const Command kCommands[];

    // Request state.
    int mCommunicateType = 0; // 0 USB, 1 Bluetooth
    QSharedPointer<UsbReceiveThread> mUsbReceiveThread;
    hid_device *mHidDevice = nullptr;
    uchar mSource = 0;
    uchar mLastSendOrder = 0;
    QSharedPointer<QTimer> mCommunicateTimer;
    int mRetryCount = 0;
    std::array<uchar, BufferSize> mSendBuffer{};
    bool mWaitReply = false;
    int mFrameTotal = 0;
    int mFrameCurrent = 0;
    int mFrameEntries = 0;
    int mEntryCount = 0;
    // A reply is accepted only while a written frame awaits it; mRequestSerial tells one request
    // from the next, so that a chain is continued only by the request that started it.
    bool mAwaitingReply = false;
    quint64 mRequestSerial = 0;
    int mReplyInterval = DefaultReplyInterval;
    std::array<uchar, WorkBufferSize> mWorkBuffer{};

    // Firmware chunk and end values of the request in flight.
    std::array<uchar, BufferSize> mFirmwareBuffer{};
    int mFirmwareLength = 0;
    ushort mFirmwareFrameNo = 0;
    quint32 mFirmwareEndFirst = 0;
    quint32 mFirmwareEndSecond = 0;

    // Holding members.
    QSharedPointer<KEYBOARD_PRODUCT_INFO> mProductInfo;
    QSharedPointer<KEYBOARD_PARAMS> mWholeParam;
};

extern QSharedPointer<UsbCommunicateUtil> gUsbCommunicateUtil;
