#include "protocol/UsbCommunicateUtil.h"

#include "link/BluetoothManager.h"
#include "link/UsbHidUtil.h"
#include "link/UsbReceiveThread.h"
#include "protocol/ErrorMessageTable.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"

#include <QDateTime>
#include <QDebug>

#include <hidapi/hidapi.h>

#include <cerrno>
#include <cstring>

QSharedPointer<UsbCommunicateUtil> gUsbCommunicateUtil;

namespace {
constexpr uchar FrameTag = 0xFA;
constexpr int HeadSize = kUsbFrameHeadSize;

// "0x" and two upper-case hexadecimal digits, as every log line of the protocol writes a byte.
QString hex2(uint value)
{
    return QLatin1String("0x") + QString::number(value & 0xFF, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

void putU16(uchar *p, quint16 value)
{
    p[0] = uchar(value & 0xFF);
    p[1] = uchar(value >> 8);
}

void putU32(uchar *p, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uchar((value >> (8 * i)) & 0xFF);
}

quint16 getU16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}
} // namespace

// What the engine needs to know of one command: its order code (the reply code is the order
// code with bit 7 set), the names its log lines carry, how its current frame is written, how an
// accepted reply is handled, and how its entries are split into frames.
struct UsbCommunicateUtil::Command {
    uchar order;
    const char *sendName;
    const char *receiveName;
    void (UsbCommunicateUtil::*send)();
    void (UsbCommunicateUtil::*receive)(const Reply &);
    int headBytes;  // payload bytes ahead of the entries in every frame
    int entrySize;  // bytes per entry; 0 when the command is not split into entries
    bool resend;    // written again when the reply timer expires
    bool hasStatus; // payload byte 0 of the reply is a status, 0 accepted
    bool numbered;  // a multi-frame exchange: a reply must carry the awaited frame number

    uchar reply() const { return uchar(order | 0x80); }
};

const UsbCommunicateUtil::Command UsbCommunicateUtil::kCommands[] = {
    // order, send, receive, head, entry, resend, status, numbered
    {0x50, "sendSetWholeParam", "receiveSetWholeParam", &UsbCommunicateUtil::sendSetWholeParam, &UsbCommunicateUtil::receiveSetWholeParam, 0, 0, true, false, false},
    {0x5E, "sendGetWholeParam", "receiveWholeParam", &UsbCommunicateUtil::sendGetWholeParam, &UsbCommunicateUtil::receiveWholeParam, 0, 0, true, false, false},
    {0x60, "sendDownloadFirewareKeyboard", "receiveDownloadFirewareKeyboard", &UsbCommunicateUtil::sendDownloadFirewareKeyboard, &UsbCommunicateUtil::receiveDownloadFirewareKeyboard, 0, 0, true, true, false},
    {0x61, "sendResetKeyboard", "receiveResetKeyboard", &UsbCommunicateUtil::sendResetKeyboard, &UsbCommunicateUtil::receiveResetKeyboard, 0, 0, true, false, false},
    {0x62, "sendGetProductInfo", "receiveProductInfo", &UsbCommunicateUtil::sendGetProductInfo, &UsbCommunicateUtil::receiveProductInfo, 0, 0, true, false, false},
    {0x63, "sendDownloadFirewareKeyboardEnd", "receiveDownloadFirewareKeyboardEnd", &UsbCommunicateUtil::sendDownloadFirewareKeyboardEnd, &UsbCommunicateUtil::receiveDownloadFirewareKeyboardEnd, 0, 0, true, true, false},
    {0x65, "sendDownloadFirewareData", "receiveDownloadFirewareData", &UsbCommunicateUtil::sendDownloadFirewareData, &UsbCommunicateUtil::receiveDownloadFirewareData, 0, 0, true, true, false},
    {0x66, "sendDownloadFirewareDataEnd", "receiveDownloadFirewareDataEnd", &UsbCommunicateUtil::sendDownloadFirewareDataEnd, &UsbCommunicateUtil::receiveDownloadFirewareDataEnd, 0, 0, true, true, false},
    // Advanced keys, macros, calibration
    {0x22, "sendAddHighKey", "receiveAddHighKey", &UsbCommunicateUtil::sendAddHighKey, &UsbCommunicateUtil::receiveAddHighKey, 0, 0, true, false, false},
    {0x23, "sendSetHighKey", "receiveSetHighKey", &UsbCommunicateUtil::sendSetHighKey, &UsbCommunicateUtil::receiveSetHighKey, 0, 19, true, false, true},
    {0x25, "sendDelHighKey", "receiveDelHighKey", &UsbCommunicateUtil::sendDelHighKey, &UsbCommunicateUtil::receiveDelHighKey, 0, 0, true, false, false},
    {0x2B, "sendGetHighKey", "receiveHighKey", &UsbCommunicateUtil::sendGetHighKey, &UsbCommunicateUtil::receiveHighKey, 0, 0, true, false, true},
    {0x40, "sendSetMacroConfig", "receiveSetMacroConfig", &UsbCommunicateUtil::sendSetMacroConfig, &UsbCommunicateUtil::receiveSetMacroConfig, 2, 6, true, false, true},
    {0x41, "sendDelMacroConfig", "receiveDelMacroConfig", &UsbCommunicateUtil::sendDelMacroConfig, &UsbCommunicateUtil::receiveDelMacroConfig, 0, 0, true, false, false},
    {0x42, "sendGetMacroConfig", "receiveMacroConfig", &UsbCommunicateUtil::sendGetMacroConfig, &UsbCommunicateUtil::receiveMacroConfig, 0, 0, true, false, true},
    {0x52, "sendGetCalibrationState", "receiveGetCalibrationState", &UsbCommunicateUtil::sendGetCalibrationState, &UsbCommunicateUtil::receiveGetCalibrationState, 0, 0, true, false, true},
    {0x53, "sendSetReportCalibration", "receiveReportCalibration", &UsbCommunicateUtil::sendSetReportCalibration, &UsbCommunicateUtil::receiveReportCalibration, 0, 0, true, false, false},
    {0x54, "sendSaveCalibration", "receiveSaveCalibration", &UsbCommunicateUtil::sendSaveCalibration, &UsbCommunicateUtil::receiveSaveCalibration, 0, 0, true, false, false},
    // The raw sensor values are read without resend: a time-out only counts towards -2.
    {0x5B, "sendGetCalibrationAdc", "receiveGetCalibrationAdc", &UsbCommunicateUtil::sendGetCalibrationAdc, &UsbCommunicateUtil::receiveGetCalibrationAdc, 0, 0, false, false, true},
    // Profiles, lighting, key layers, travel settings
    {0x10, "sendSetCustomLight", "receiveSetCustomLight", &UsbCommunicateUtil::sendSetCustomLight, &UsbCommunicateUtil::receiveSetCustomLight, 4, 1, true, false, true},
    {0x11, "sendSetCustomLightAll", "receiveSetCustomLightAll", &UsbCommunicateUtil::sendSetCustomLightAll, &UsbCommunicateUtil::receiveSetCustomLightAll, 1, 4, true, false, true},
    {0x13, "sendSetEffectLight", "receiveSetEffectLight", &UsbCommunicateUtil::sendSetEffectLight, &UsbCommunicateUtil::receiveSetEffectLight, 0, 0, true, false, false},
    {0x14, "sendSetEffectLightAll", "receiveSetEffectLightAll", &UsbCommunicateUtil::sendSetEffectLightAll, &UsbCommunicateUtil::receiveSetEffectLightAll, 0, 8, true, false, true},
    {0x16, "sendGetCustomLight", "receiveCustomLight", &UsbCommunicateUtil::sendGetCustomLight, &UsbCommunicateUtil::receiveCustomLight, 0, 0, true, false, true},
    {0x17, "sendGetEffectLight", "receiveEffectLight", &UsbCommunicateUtil::sendGetEffectLight, &UsbCommunicateUtil::receiveEffectLight, 0, 0, true, false, true},
    {0x18, "sendGetEffectLightName", "receiveSetEffectLightName", &UsbCommunicateUtil::sendGetEffectLightName, &UsbCommunicateUtil::receiveSetEffectLightName, 0, 0, true, false, true},
    {0x19, "sendSelectEffectLight", "receiveSelectEffectLight", &UsbCommunicateUtil::sendSelectEffectLight, &UsbCommunicateUtil::receiveSelectEffectLight, 0, 0, true, false, false},
    {0x20, "sendSetKeyboardConfig", "receiveSetKeyboardConfig", &UsbCommunicateUtil::sendSetKeyboardConfig, &UsbCommunicateUtil::receiveSetKeyboardConfig, 2, 3, true, false, true},
    {0x24, "sendSetKeyboardDefault", "receiveSetKeyboardDefault", &UsbCommunicateUtil::sendSetKeyboardDefault, &UsbCommunicateUtil::receiveSetKeyboardDefault, 1, 1, true, false, true},
    {0x26, "sendSetTriggerConfig", "receiveSetTriggerConfig", &UsbCommunicateUtil::sendSetTriggerConfig, &UsbCommunicateUtil::receiveSetTriggerConfig, 2, 1, true, false, true},
    {0x27, "sendSetQuickTriggerConfig", "receiveSetQuickTriggerConfig", &UsbCommunicateUtil::sendSetQuickTriggerConfig, &UsbCommunicateUtil::receiveSetQuickTriggerConfig, 0, 8, true, false, true},
    {0x28, "sendSetTriggerConfigAll", "receiveSetTriggerConfigAll", &UsbCommunicateUtil::sendSetTriggerConfigAll, &UsbCommunicateUtil::receiveSetTriggerConfigAll, 2, 8, true, false, true},
    {0x2A, "sendGetKeyboardConfig", "receiveKeyboardConfig", &UsbCommunicateUtil::sendGetKeyboardConfig, &UsbCommunicateUtil::receiveKeyboardConfig, 0, 0, true, false, true},
    {0x2C, "sendGetTriggerConfig", "receiveTriggerConfig", &UsbCommunicateUtil::sendGetTriggerConfig, &UsbCommunicateUtil::receiveTriggerConfig, 0, 0, true, false, true},
    {0x55, "sendSwitchConfigTable", "receiveSwitchConfigTable", &UsbCommunicateUtil::sendSwitchConfigTable, &UsbCommunicateUtil::receiveSwitchConfigTable, 0, 0, true, false, false},
    {0x56, "sendSetConfigInfo", "receiveSetConfigInfo", &UsbCommunicateUtil::sendSetConfigInfo, &UsbCommunicateUtil::receiveSetConfigInfo, 0, 0, true, false, false},
    {0x57, "sendGetConfigInfo", "receiveConfigInfo", &UsbCommunicateUtil::sendGetConfigInfo, &UsbCommunicateUtil::receiveConfigInfo, 0, 0, true, false, true},
    {0x58, "sendAddConfigTable", "receiveAddConfigTable", &UsbCommunicateUtil::sendAddConfigTable, &UsbCommunicateUtil::receiveAddConfigTable, 0, 0, true, false, false},
    {0x59, "sendDelConfigTable", "receiveDelConfigTable", &UsbCommunicateUtil::sendDelConfigTable, &UsbCommunicateUtil::receiveDelConfigTable, 0, 0, true, false, false},
};

const UsbCommunicateUtil::Command *UsbCommunicateUtil::commandForOrder(uchar order)
{
    for (const Command &command : kCommands) {
        if (command.order == order)
            return &command;
    }
    return nullptr;
}

const UsbCommunicateUtil::Command *UsbCommunicateUtil::commandForReply(uchar reply)
{
    if (!(reply & 0x80))
        return nullptr;
    return commandForOrder(uchar(reply & 0x7F));
}

UsbCommunicateUtil::UsbCommunicateUtil(QObject *parent)
    : QObject(parent)
    , mProductInfo(QSharedPointer<KEYBOARD_PRODUCT_INFO>::create())
    , mWholeParam(QSharedPointer<KEYBOARD_PARAMS>::create())
{
    qDebug() << "=== UsbCommunicateUtil 通讯类创建 ===";
    mUsbReceiveThread = QSharedPointer<UsbReceiveThread>::create(nullptr);
    connect(mUsbReceiveThread.data(), &UsbReceiveThread::usb_receive_data, this, &UsbCommunicateUtil::usb_receive_data);

    mCommunicateTimer = QSharedPointer<QTimer>::create();
    mCommunicateTimer->setSingleShot(false);
    connect(mCommunicateTimer.data(), &QTimer::timeout, this, &UsbCommunicateUtil::onCommunicateTimeout);

    if (gBluetoothManager) {
        connect(gBluetoothManager.data(), &BluetoothManager::ble_connected, this, &UsbCommunicateUtil::protocol_device_connected);
        connect(gBluetoothManager.data(), &BluetoothManager::ble_disconnected, this, &UsbCommunicateUtil::protocol_device_disconnected);
        connect(gBluetoothManager.data(), &BluetoothManager::ble_data_received_callback, this, &UsbCommunicateUtil::usb_receive_data);
        connect(gBluetoothManager.data(), &BluetoothManager::ble_error_callback, this, &UsbCommunicateUtil::ble_error_callback);
    }
}

UsbCommunicateUtil::~UsbCommunicateUtil()
{
    mCommunicateTimer->stop();
    mCommunicateTimer->disconnect(this);
    mUsbReceiveThread->closeThread();
    mUsbReceiveThread->disconnect(this);
    if (gBluetoothManager)
        gBluetoothManager->disconnect(this);
    qDebug() << "=== UsbCommunicateUtil 通讯类销毁 ===";
}

// ---------------------------------------------------------------------------------------------
// Link control

void UsbCommunicateUtil::openCommunicate(int type)
{
    qDebug() << "=== UsbCommunicateUtil openCommunicate 打开设备通讯 ===";
    // Opening an open link would leak its handle and leave its reader running.
    closeCommunicate();
    mCommunicateType = type;

    if (type == 1) {
        global_setUsbFrameSize(64);
        if (gBluetoothManager)
            gBluetoothManager->openDevice();
        else
            Q_EMIT usb_communicate_error(SourceLink, 0, ErrorNoDevice);
        return;
    }

    // The interface table's rows in order of preference: the 128-byte interface when it opens.
    mHidDevice = UsbHidUtil::openPreferredUsbDevice();
    if (!mHidDevice) {
        hid_exit();
        Q_EMIT usb_communicate_error(SourceLink, 0, ErrorNoDevice);
        qDebug() << "=== UsbCommunicateUtil openCommunicate 无法打开USB设备 ===";
        return;
    }
    Q_EMIT protocol_device_connected();
}

void UsbCommunicateUtil::communicateDevice()
{
    qDebug() << "=== communicateDevice 启动设备通讯 ===";
    if (mCommunicateType == 1)
        return;
    if (!mHidDevice) {
        Q_EMIT usb_communicate_error(SourceLink, 0, ErrorNoDevice);
        return;
    }
    mUsbReceiveThread->openThread(mHidDevice);
}

void UsbCommunicateUtil::closeCommunicate()
{
    if (mCommunicateType == 1) {
        if (!gBluetoothManager)
            return;
        // A link still connecting is dropped too, or it would come up later behind the user's back.
        const bool wasConnected = gBluetoothManager->isConnected();
        gBluetoothManager->closeDevice();
        if (!wasConnected)
            return;
    } else {
        if (!mHidDevice)
            return;
        mUsbReceiveThread->closeThread();
        hid_close(mHidDevice);
        mHidDevice = nullptr;
        hid_exit();
    }
    qDebug() << "=== UsbCommunicateUtil closeCommunicate 关闭设备通讯 ===";
}

bool UsbCommunicateUtil::checkBleCommunicateState() const
{
    return mCommunicateType == 1 && gBluetoothManager && gBluetoothManager->isConnected();
}

bool UsbCommunicateUtil::checkCommunicateState() const
{
    return isLinkUp();
}

bool UsbCommunicateUtil::isLinkUp() const
{
    if (mCommunicateType == 1)
        return gBluetoothManager && gBluetoothManager->isConnected();
    return mHidDevice != nullptr;
}

void UsbCommunicateUtil::setReplyInterval(int ms)
{
    mReplyInterval = qMax(1, ms);
}

int UsbCommunicateUtil::replyInterval() const
{
    return mReplyInterval;
}

// ---------------------------------------------------------------------------------------------
// Engine

const UsbCommunicateUtil::Command &UsbCommunicateUtil::beginRequest(uchar order, uchar source, bool wait)
{
    const Command *command = commandForOrder(order);
    Q_ASSERT(command);
    // A request still waiting for its answer is given up when another requester replaces it:
    // its requester hears so (after this call returns), instead of waiting for ever.
    if (mAwaitingReply && mWaitReply && source != mSource) {
        const uchar oldSource = mSource;
        const uchar oldOrder = mLastSendOrder;
        QMetaObject::invokeMethod(
            this, [this, oldSource, oldOrder] { Q_EMIT usb_communicate_error(oldSource, oldOrder, ErrorNoReply); },
            Qt::QueuedConnection);
    }
    // A new request never inherits the timer or the retry count of the one before.
    mCommunicateTimer->stop();
    mRetryCount = 0;
    mSilentSends = 0;
    mWaitReply = wait;
    mSource = source;
    mLastSendOrder = command->reply();
    mAwaitingReply = false;
    ++mRequestSerial;
    mFrameCurrent = 1;
    mFrameTotal = 1;
    mEntryCount = 0;
    mFrameEntries = 0;
    return *command;
}

int UsbCommunicateUtil::entriesPerFrame(const Command &command) const
{
    if (command.entrySize <= 0)
        return 1;
    return qMax(1, (gUsbFrameEffectSize - command.headBytes) / command.entrySize);
}

bool UsbCommunicateUtil::beginFrames(const Command &command, int count)
{
    mEntryCount = count;
    if (count <= 0)
        return false;
    mFrameEntries = entriesPerFrame(command);
    mFrameCurrent = 1;
    mFrameTotal = (count - 1) / mFrameEntries + 1;
    return true;
}

uchar *UsbCommunicateUtil::beginFrame()
{
    mSendBuffer.fill(0);
    const int frameStart = mCommunicateType == 1 ? 0 : 1;
    return mSendBuffer.data() + frameStart + HeadSize;
}

void UsbCommunicateUtil::writeFrame(const Command &command, int payloadLength)
{
    writeFrame(command, payloadLength, uchar(mFrameCurrent), uchar(mFrameTotal));
}

void UsbCommunicateUtil::writeFrame(const Command &command, int payloadLength, uchar headByte2, uchar headByte3)
{
    const int frameSize = gUsbFrameMaxsize;
    const bool bluetooth = mCommunicateType == 1;
    uchar *frame = mSendBuffer.data() + (bluetooth ? 0 : 1);
    frame[0] = FrameTag;
    frame[1] = command.order;
    frame[2] = headByte2;
    frame[3] = headByte3;
    frame[4] = 0;
    frame[5] = uchar(payloadLength);

    if (bluetooth) {
        if (gBluetoothManager)
            gBluetoothManager->sendData(QByteArray(reinterpret_cast<const char *>(frame), frameSize));
    } else {
        if (!mHidDevice) {
            qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 USB已关闭 ===").arg(QLatin1String(command.sendName));
            return;
        }
        mSendBuffer[0] = 0x00;
        // Taken before the write: whatever the reader hands on from here may answer this frame.
        const quint64 framesBeforeWrite = mUsbReceiveThread->emittedFrames();
        errno = 0;
        const int result = hid_write(mHidDevice, mSendBuffer.data(), size_t(frameSize + 1));
        const int writeError = errno;
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 send data result={%2};source={%3};retry={%4};order={%5};frame={%6};total={%7};length={%8}}===")
                                  .arg(QLatin1String(command.sendName))
                                  .arg(result)
                                  .arg(hex2(mSource), hex2(uint(mRetryCount)), hex2(command.order), hex2(headByte2), hex2(headByte3), hex2(uint(payloadLength)));
        if (result < 0) {
            // The system's text of the failed write: hid_error() would read a text that the
            // reader thread's next failed read frees.
            qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 err_string = %2 ===\n")
                                      .arg(QLatin1String(command.sendName), qt_error_string(writeError));
            Q_EMIT usb_communicate_error(mSource, mLastSendOrder, ErrorWrite);
            return;
        }
        mUsbFramesAtWrite = framesBeforeWrite;
    }
    mAwaitingReply = true;
    mRepliesSinceWrite = 0;
    if (mWaitReply)
        mCommunicateTimer->start(mReplyInterval);
}

void UsbCommunicateUtil::sendCurrentFrame(const Command &command)
{
    (this->*command.send)();
}

void UsbCommunicateUtil::usb_receive_data(uchar const &order, uchar const &frame, uchar const &total, uchar const &length, QByteArray data)
{
    qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receive data length={%1};source={%2};expect={%3};order={%4};frame={%5};total={%6}}===")
                              .arg(length)
                              .arg(hex2(mSource), hex2(mLastSendOrder), hex2(order), hex2(frame), hex2(total));
    // Frames of the USB reader are counted as they come, in the order the reader read them.
    const bool fromUsbReader = mUsbReceiveThread && sender() == mUsbReceiveThread.data();
    if (fromUsbReader)
        ++mUsbFramesHandled;
    const bool readBeforeWrite = fromUsbReader && mUsbFramesHandled <= mUsbFramesAtWrite;
    if (!isLinkUp()) {
        qDebug() << "=== UsbCommunicateUtil 设备没有连接 ===";
        return;
    }

    mWorkBuffer.fill(0);
    const int payload = qMin(qMin(int(length), int(data.size())), WorkBufferSize);
    std::memcpy(mWorkBuffer.data(), data.constData(), size_t(payload));
    const Reply reply{order, frame, total, uchar(payload), mWorkBuffer.data()};

    // 0xD3 also comes unasked (live depth reports): its handler sorts the frames out itself.
    if (order == ReportCalibrationReply) {
        receiveReportCalibration(reply);
        return;
    }
    // The keyboard's notice comes unasked, whatever request is in flight, and changes none of its state.
    if (order == NoticeCode) {
        receiveConfigChange(reply);
        return;
    }
    const Command *command = commandForReply(order);
    if (!command)
        return;
    if (order != mLastSendOrder) {
        logMismatch(*command, reply);
        return;
    }
    ++mRepliesSinceWrite;
    if (isStaleReply(*command, reply, readBeforeWrite))
        return;
    if (command->hasStatus && reply.data[0] != 0) {
        // Refused: the timer runs on, so the same frame is written again at its next expiry.
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 发送数据错误 data={ %2 } ===")
                                  .arg(QLatin1String(command->receiveName))
                                  .arg(reply.data[0]);
        return;
    }
    mCommunicateTimer->stop();
    mAwaitingReply = false;
    if (mSilentSends > 0) {
        // The earlier sends of this frame that the timer found unanswered may still be answered.
        mLateReplyCode = order;
        mLateReplyFrame = frame;
        mLateReplies = mSilentSends;
        mLateReplyWindow = qint64(mReplyInterval) * (mSilentSends + 1);
        mLateReplyClock.start();
    }
    (this->*command->receive)(reply);
}

bool UsbCommunicateUtil::isStaleReply(const Command &command, const Reply &reply, bool readBeforeWrite)
{
    const char *why = nullptr;
    if (!mAwaitingReply)
        why = "无应答等待"; // nothing awaited: a duplicate, or the answer to a frame given up
    else if (command.numbered && reply.frame != mFrameCurrent)
        why = "帧号不符"; // another frame of the exchange
    else if (readBeforeWrite)
        why = "早于请求"; // read before the awaited frame was written: it answers an earlier one
    else if (mWaitReply && reply.order == mLateReplyCode && reply.frame == mLateReplyFrame && mLateReplies > 0
             && !mLateReplyClock.hasExpired(mLateReplyWindow)) {
        // The answer to an earlier send of the previous frame; if it was this frame's answer
        // after all, the timer sends the frame again.
        --mLateReplies;
        why = "迟到";
    }
    if (!why)
        return false;
    qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 丢弃重复或过期的应答 frame={%2};awaited={%3};reason={%4} ===")
                              .arg(QLatin1String(command.receiveName))
                              .arg(reply.frame)
                              .arg(mAwaitingReply ? mFrameCurrent : 0)
                              .arg(QString::fromUtf8(why));
    return true;
}


void UsbCommunicateUtil::logMismatch(const Command &command, const Reply &reply) const
{
    qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 命令不匹配 order={%2};mLastSendOrder={%3};frame={%4};total={%5};length={%6}===")
                              .arg(QLatin1String(command.receiveName), hex2(reply.order), hex2(mLastSendOrder))
                              .arg(reply.frame)
                              .arg(reply.total)
                              .arg(reply.length);
}

void UsbCommunicateUtil::continueFrames(const Command &command, quint64 request, const Reply &reply, bool totalFromReply)
{
    // A receiver may have started another request from the reply signal: that one owns the
    // state now, and this chain ends here.
    if (request != mRequestSerial)
        return;
    const int total = totalFromReply ? int(reply.total) : mFrameTotal;
    if (int(reply.frame) >= total)
        return;
    mFrameCurrent = reply.frame + 1;
    mFrameTotal = total;
    mRetryCount = 0;
    mSilentSends = 0;
    sendCurrentFrame(command);
}

void UsbCommunicateUtil::onCommunicateTimeout()
{
    qDebug() << "=== UsbCommunicateUtil onCommunicateTimeout ===";
    // A send that got no answer at all before the timer expired (an answer that was refused or
    // dropped was still an answer; a handler may also count a wrong answer as a tick).
    if (sender() == mCommunicateTimer.data() && mRepliesSinceWrite == 0)
        ++mSilentSends;
    if (!isLinkUp()) {
        // The link went away under the request: end it, so that its requester does not wait forever.
        mCommunicateTimer->stop();
        mAwaitingReply = false;
        Q_EMIT usb_communicate_error(mSource, mLastSendOrder, ErrorNoReply);
        return;
    }
    ++mRetryCount;
    if (mRetryCount >= MaxSends) {
        mCommunicateTimer->stop();
        mAwaitingReply = false;
        Q_EMIT usb_communicate_error(mSource, mLastSendOrder, ErrorNoReply);
        return;
    }
    retryCommunicate();
}

void UsbCommunicateUtil::retryCommunicate()
{
    const Command *command = commandForReply(mLastSendOrder);
    if (command && command->resend)
        sendCurrentFrame(*command);
}

void UsbCommunicateUtil::ble_error_callback(int const &error)
{
    Q_EMIT usb_communicate_error(SourceLink, 0, error);
}

QString UsbCommunicateUtil::getErrorMessage(int code)
{
    return ErrorMessageTable::getErrorMessage(code);
}

QString UsbCommunicateUtil::ucharConvertString(const char *data, int width)
{
    if (!data || width <= 0)
        return QString();
    const int length = int(qstrnlen(data, uint(width)));
    QString text = QString::fromUtf8(data, length);
    text.remove(QChar(0));
    return text;
}

// ---------------------------------------------------------------------------------------------
// Product identity and board parameters

void UsbCommunicateUtil::usb_get_product_info(uchar const &source, bool const &wait)
{
    beginRequest(0x62, source, wait);
    sendGetProductInfo();
}

void UsbCommunicateUtil::sendGetProductInfo()
{
    uchar *p = beginFrame();
    // The keyboard takes the host's clock with the request; a resend carries the time of the resend.
    const QDateTime now = QDateTime::currentDateTime();
    p[0] = 0;
    p[1] = uchar((now.date().year() + 0x30) & 0xFF);
    p[2] = uchar(now.date().month());
    p[3] = uchar(now.date().day());
    p[4] = uchar(now.time().hour());
    p[5] = uchar(now.time().minute());
    p[6] = uchar(now.time().second());
    writeFrame(*commandForOrder(0x62), 7);
}

void UsbCommunicateUtil::receiveProductInfo(const Reply &reply)
{
    const uchar *p = reply.data;
    mProductInfo->serialNumber = getU16(p);
    mProductInfo->version = getU16(p + 2);
    mProductInfo->flagBit0 = p[4] & 0x01;
    mProductInfo->flagBit1 = p[4] & 0x02;
    mProductInfo->flagBit7 = p[4] & 0x80;
    const char *text = reinterpret_cast<const char *>(p);
    if (gUsbFrameMaxsize == 128) {
        mProductInfo->customerName = ucharConvertString(text + 10, 30);
        mProductInfo->productName = ucharConvertString(text + 40, 20);
        mProductInfo->logoName = ucharConvertString(text + 60, 8);
    } else {
        mProductInfo->customerName = ucharConvertString(text + 10, 18);
        mProductInfo->productName = ucharConvertString(text + 28, 20);
        mProductInfo->logoName = ucharConvertString(text + 48, 8);
    }
    Q_EMIT usb_receive_product_info(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_get_whole_param(uchar const &source, bool const &wait)
{
    beginRequest(0x5E, source, wait);
    sendGetWholeParam();
}

void UsbCommunicateUtil::sendGetWholeParam()
{
    beginFrame();
    writeFrame(*commandForOrder(0x5E), 0);
}

void UsbCommunicateUtil::receiveWholeParam(const Reply &reply)
{
    const uchar *p = reply.data;
    mWholeParam->reserve = p[0];
    mWholeParam->touchOptimize = p[1] != 0;
    mWholeParam->deadDown = getU16(p + 2);
    mWholeParam->deadUp = getU16(p + 4);
    mWholeParam->pollingRate = p[6];
    mWholeParam->shakeLevel = p[7];
    mWholeParam->calibration = p[8] != 0;
    mWholeParam->sportsMode = p[9] != 0;
    mWholeParam->currentLayer = p[10];
    Q_EMIT usb_receive_whole_param(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_set_whole_param(uchar const &source, bool const &wait, QSharedPointer<KEYBOARD_PARAMS> params)
{
    const Command &command = beginRequest(0x50, source, wait);
    if (!params) {
        qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 参数为空,不发送 ===").arg(QLatin1String(command.sendName));
        return;
    }
    *mWholeParam = *params;
    sendSetWholeParam();
}

void UsbCommunicateUtil::sendSetWholeParam()
{
    uchar *p = beginFrame();
    p[0] = 0xFF;
    p[1] = mWholeParam->touchOptimize ? 1 : 0;
    putU16(p + 2, mWholeParam->deadDown);
    putU16(p + 4, mWholeParam->deadUp);
    p[6] = mWholeParam->pollingRate;
    p[7] = mWholeParam->shakeLevel;
    p[8] = mWholeParam->calibration ? 1 : 0;
    p[9] = mWholeParam->sportsMode ? 1 : 0;
    p[10] = mWholeParam->currentLayer;
    std::memset(p + 11, 0xFF, 9);
    writeFrame(*commandForOrder(0x50), 20);
}

void UsbCommunicateUtil::receiveSetWholeParam(const Reply &reply)
{
    Q_EMIT usb_receive_set_whole_param(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::syncProductInfo()
{
    if (!gKeyboardConfig)
        return;
    KEYBOARD_PRODUCT_INFO &target = *gKeyboardConfig->keyboardProductInfo;
    target.serialNumber = mProductInfo->serialNumber;
    target.version = mProductInfo->version;
    target.customerName = mProductInfo->customerName;
    target.productName = mProductInfo->productName;
    target.logoName = mProductInfo->logoName;
    target.flagBit0 = mProductInfo->flagBit0;
    target.flagBit1 = mProductInfo->flagBit1;
    target.flagBit7 = mProductInfo->flagBit7;
}

void UsbCommunicateUtil::syncWholeParam()
{
    if (!gKeyboardConfig)
        return;
    *gKeyboardConfig->keyboardParams = *mWholeParam;
}

// ---------------------------------------------------------------------------------------------
// Firmware download and factory reset

bool UsbCommunicateUtil::requestFirmwareChunk(uchar order, uchar source, bool wait, ushort frameNo, int len, const uchar *data)
{
    const Command &command = beginRequest(order, source, wait);
    // A chunk must fit into one frame; a longer one would be cut on the wire.
    if (len < 0 || len > gUsbFrameEffectSize || (len > 0 && !data)) {
        qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 数据长度错误 length={%2} ===")
                                    .arg(QLatin1String(command.sendName))
                                    .arg(len);
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorWrite);
        return false;
    }
    mFirmwareBuffer.fill(0);
    if (len > 0)
        std::memcpy(mFirmwareBuffer.data(), data, size_t(len));
    mFirmwareLength = len;
    mFirmwareFrameNo = frameNo;
    mEntryCount = 1;
    mFrameEntries = gUsbFrameEffectSize;
    return true;
}

void UsbCommunicateUtil::usb_download_fireware_keyboard(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data)
{
    if (requestFirmwareChunk(0x60, source, wait, frameNo, len, data))
        sendDownloadFirewareKeyboard();
}

void UsbCommunicateUtil::usb_download_fireware_data(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data)
{
    if (requestFirmwareChunk(0x65, source, wait, frameNo, len, data))
        sendDownloadFirewareData();
}

void UsbCommunicateUtil::sendFirmwareChunk(uchar order)
{
    uchar *p = beginFrame();
    std::memcpy(p, mFirmwareBuffer.data(), size_t(mFirmwareLength));
    writeFrame(*commandForOrder(order), mFirmwareLength, uchar(mFirmwareFrameNo & 0xFF), uchar(mFirmwareFrameNo >> 8));
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboard()
{
    sendFirmwareChunk(0x60);
}

void UsbCommunicateUtil::sendDownloadFirewareData()
{
    sendFirmwareChunk(0x65);
}

void UsbCommunicateUtil::usb_download_fireware_keyboard_end(uchar const &source, bool const &wait, uint const &first, uint const &second)
{
    beginRequest(0x63, source, wait);
    mFirmwareEndFirst = first;
    mFirmwareEndSecond = second;
    mEntryCount = 1;
    mFrameEntries = gUsbFrameEffectSize;
    sendDownloadFirewareKeyboardEnd();
}

void UsbCommunicateUtil::usb_download_fireware_data_end(uchar const &source, bool const &wait, uint const &first, uint const &second)
{
    beginRequest(0x66, source, wait);
    mFirmwareEndFirst = first;
    mFirmwareEndSecond = second;
    mEntryCount = 1;
    mFrameEntries = gUsbFrameEffectSize;
    sendDownloadFirewareDataEnd();
}

void UsbCommunicateUtil::sendFirmwareEnd(uchar order)
{
    uchar *p = beginFrame();
    putU32(p, mFirmwareEndSecond);
    putU32(p + 4, mFirmwareEndFirst);
    writeFrame(*commandForOrder(order), 8);
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboardEnd()
{
    sendFirmwareEnd(0x63);
}

void UsbCommunicateUtil::sendDownloadFirewareDataEnd()
{
    sendFirmwareEnd(0x66);
}

void UsbCommunicateUtil::usb_reset_keyboard(uchar const &source, bool const &wait)
{
    beginRequest(0x61, source, wait);
    sendResetKeyboard();
}

void UsbCommunicateUtil::sendResetKeyboard()
{
    uchar *p = beginFrame();
    p[0] = 0x5A;
    p[1] = 0xA5;
    writeFrame(*commandForOrder(0x61), 2);
}

void UsbCommunicateUtil::receiveDownloadFirewareKeyboard(const Reply &reply)
{
    Q_EMIT usb_receive_download_fireware_keyboard(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveDownloadFirewareKeyboardEnd(const Reply &reply)
{
    Q_EMIT usb_receive_download_fireware_keyboard_end(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveDownloadFirewareData(const Reply &reply)
{
    Q_EMIT usb_receive_download_fireware_data(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveDownloadFirewareDataEnd(const Reply &reply)
{
    Q_EMIT usb_receive_download_fireware_data_end(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveResetKeyboard(const Reply &reply)
{
    Q_EMIT usb_receive_reset_keyboard(mSource, reply.frame, reply.total);
}

// ---------------------------------------------------------------------------------------------
// Advanced keys, macros, calibration

namespace {
constexpr int HighKeyWireSize = 19;
constexpr int MacroActionSize = 6;
constexpr uchar EmptyMacro = 0xFF;
constexpr int MaxListEntries = 255; // the entry count of a list write is one byte

enum HighKeyKind : uchar { KindTgl = 0, KindMt = 1, KindDks = 2, KindRs = 3, KindOks = 4, KindSocd = 5 };

// Bytes of the wire record that a kind carries: item, attribute, keyItem, then data 0 onwards.
// A kind the keyboard does not know carries its item and attribute only.
int highKeyWireLength(uchar kind)
{
    switch (kind) {
    case KindTgl:
        return 6;
    case KindMt:
        return 12;
    case KindDks:
        return HighKeyWireSize;
    case KindRs:
    case KindOks:
        return 4;
    case KindSocd:
        return 5;
    default:
        return 2;
    }
}

// Writes the wire form of a record (zero behind the bytes its kind carries) and returns the
// number of bytes the kind carries. The MT tap function is held as type, hValue, lValue and
// travels as type, lValue, hValue like every other key function.
int putHighKey(uchar *wire, const HIGH_KEY_INFO &info)
{
    std::memset(wire, 0, HighKeyWireSize);
    const int length = highKeyWireLength(info.attribute);
    wire[0] = info.item;
    wire[1] = info.attribute;
    if (length > 2)
        wire[2] = info.keyItem;
    for (int i = 3; i < length; ++i)
        wire[i] = info.data[size_t(i - 3)];
    if (info.attribute == KindMt) {
        wire[7] = info.data[5];
        wire[8] = info.data[4];
    }
    return length;
}

HIGH_KEY_INFO getHighKey(const uchar *wire)
{
    HIGH_KEY_INFO info;
    info.item = wire[0];
    info.attribute = wire[1];
    const int length = highKeyWireLength(info.attribute);
    if (length > 2)
        info.keyItem = wire[2];
    for (int i = 3; i < length; ++i)
        info.data[size_t(i - 3)] = wire[i];
    if (info.attribute == KindMt) {
        info.data[4] = wire[8];
        info.data[5] = wire[7];
    }
    return info;
}

// A macro action travels as state, type, lValue, hValue, time (u16 little-endian).
void putMacroAction(uchar *wire, const KEYBOARD_MACRO_INFO &action)
{
    wire[0] = action.state;
    wire[1] = action.type;
    wire[2] = action.lValue;
    wire[3] = action.hValue;
    putU16(wire + 4, action.time);
}

QSharedPointer<KEYBOARD_MACRO_INFO> getMacroAction(const uchar *wire)
{
    auto action = QSharedPointer<KEYBOARD_MACRO_INFO>::create();
    action->state = wire[0];
    action->type = wire[1];
    action->lValue = wire[2];
    action->hValue = wire[3];
    action->time = getU16(wire + 4);
    return action;
}

template<typename List>
bool containsNull(const List &list)
{
    for (const auto &entry : list) {
        if (!entry)
            return true;
    }
    return false;
}
} // namespace

bool UsbCommunicateUtil::refuseList(const Command &command, uchar source, qsizetype size, bool hasNull)
{
    if (size <= MaxListEntries && !hasNull)
        return false;
    qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 列表无法发送 count={%2};null={%3} ===")
                                .arg(QLatin1String(command.sendName))
                                .arg(size)
                                .arg(hasNull ? 1 : 0);
    Q_EMIT usb_communicate_error(source, command.reply(), ErrorWrite);
    return true;
}

MacroList UsbCommunicateUtil::macroList(uchar index) const
{
    return index < MacroCount ? mMacroList[index] : MacroList();
}

void UsbCommunicateUtil::usb_get_high_key(uchar const &source, bool const &wait)
{
    beginRequest(0x2B, source, wait);
    mHighKeyList.clear();
    sendGetHighKey();
}

void UsbCommunicateUtil::sendGetHighKey()
{
    beginFrame();
    writeFrame(*commandForOrder(0x2B), 0);
}

void UsbCommunicateUtil::receiveHighKey(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    const int records = reply.length / HighKeyWireSize;
    for (int i = 0; i < records; ++i)
        mHighKeyList.append(QSharedPointer<HIGH_KEY_INFO>::create(getHighKey(reply.data + i * HighKeyWireSize)));
    Q_EMIT usb_receive_high_key(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x2B), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_high_key(uchar const &source, bool const &wait, QList<QSharedPointer<HIGH_KEY_INFO>> list)
{
    const Command &command = beginRequest(0x23, source, wait);
    if (refuseList(command, source, list.size(), containsNull(list)))
        return;
    mHighKeyList = list;
    if (!beginFrames(command, int(list.size()))) {
        Q_EMIT usb_receive_set_high_key(source, 1, 1);
        return;
    }
    sendSetHighKey();
}

void UsbCommunicateUtil::sendSetHighKey()
{
    uchar *p = beginFrame();
    const int first = (mFrameCurrent - 1) * mFrameEntries;
    const int count = qMin(mFrameEntries, mEntryCount - first);
    for (int i = 0; i < count; ++i)
        putHighKey(p + i * HighKeyWireSize, *mHighKeyList.at(first + i));
    writeFrame(*commandForOrder(0x23), count * HighKeyWireSize);
}

void UsbCommunicateUtil::receiveSetHighKey(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_high_key(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x23), serial, reply, false);
}

void UsbCommunicateUtil::usb_add_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info)
{
    beginRequest(0x22, source, wait);
    mHighKeyInfo = info;
    mEntryCount = 1;
    sendAddHighKey();
}

void UsbCommunicateUtil::sendAddHighKey()
{
    uchar *p = beginFrame();
    writeFrame(*commandForOrder(0x22), putHighKey(p, mHighKeyInfo));
}

void UsbCommunicateUtil::receiveAddHighKey(const Reply &reply)
{
    Q_EMIT usb_receive_add_high_key(mSource, reply.frame, reply.total, mHighKeyInfo);
}

void UsbCommunicateUtil::usb_del_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info)
{
    beginRequest(0x25, source, wait);
    mHighKeyInfo = info;
    mEntryCount = 1;
    sendDelHighKey();
}

void UsbCommunicateUtil::sendDelHighKey()
{
    uchar *p = beginFrame();
    p[0] = mHighKeyInfo.item;
    writeFrame(*commandForOrder(0x25), 1);
}

void UsbCommunicateUtil::receiveDelHighKey(const Reply &reply)
{
    Q_EMIT usb_receive_del_high_key(mSource, reply.frame, reply.total, mHighKeyInfo);
}

void UsbCommunicateUtil::usb_get_macro_config(uchar const &source, bool const &wait, uchar const &index)
{
    const Command &command = beginRequest(0x42, source, wait);
    mMacroIndex = index;
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    mMacroList[index].clear();
    sendGetMacroConfig();
}

void UsbCommunicateUtil::sendGetMacroConfig()
{
    uchar *p = beginFrame();
    p[0] = mMacroIndex;
    writeFrame(*commandForOrder(0x42), 1);
}

void UsbCommunicateUtil::receiveMacroConfig(const Reply &reply)
{
    const Command &command = *commandForOrder(0x42);
    const uchar index = reply.data[0];
    if (index != EmptyMacro && index != mMacroIndex) {
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveMacroConfig 宏序号不匹配 index={%1};mMacroIndex={%2} ===")
                                  .arg(index)
                                  .arg(mMacroIndex);
        // An answer about another macro counts as no answer: the frame is asked for again.
        if (mWaitReply)
            onCommunicateTimeout();
        else
            Q_EMIT usb_communicate_error(mSource, command.reply(), ErrorMacroIndex);
        return;
    }
    if (index != EmptyMacro && mMacroIndex < MacroCount) {
        // Never read past what arrived, whatever count the frame claims.
        const int fits = qMax(0, (reply.length - 2) / MacroActionSize);
        const int count = qMin(int(reply.data[1]), fits);
        for (int i = 0; i < count; ++i)
            mMacroList[mMacroIndex].append(getMacroAction(reply.data + 2 + i * MacroActionSize));
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
    continueFrames(command, serial, reply, true);
}

void UsbCommunicateUtil::usb_set_macro_config(uchar const &source, bool const &wait, uchar const &index,
                                              QList<QSharedPointer<KEYBOARD_MACRO_INFO>> list)
{
    const Command &command = beginRequest(0x40, source, wait);
    mMacroIndex = index;
    // The keyboard has no macro there: saying that it was written would lose the macro silently.
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    if (refuseList(command, source, list.size(), containsNull(list)))
        return;
    mMacroList[index] = list;
    if (!beginFrames(command, int(list.size()))) {
        Q_EMIT usb_receive_set_macro_config(source, 1, 1, index);
        return;
    }
    sendSetMacroConfig();
}

void UsbCommunicateUtil::sendSetMacroConfig()
{
    uchar *p = beginFrame();
    const MacroList &list = mMacroList[mMacroIndex];
    const int first = (mFrameCurrent - 1) * mFrameEntries;
    const int count = qMin(mFrameEntries, mEntryCount - first);
    p[0] = mMacroIndex;
    p[1] = uchar(count);
    for (int i = 0; i < count; ++i)
        putMacroAction(p + 2 + i * MacroActionSize, *list.at(first + i));
    writeFrame(*commandForOrder(0x40), 2 + count * MacroActionSize);
}

void UsbCommunicateUtil::receiveSetMacroConfig(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
    continueFrames(*commandForOrder(0x40), serial, reply, false);
}

void UsbCommunicateUtil::usb_del_macro_config(uchar const &source, bool const &wait, uchar const &index)
{
    const Command &command = beginRequest(0x41, source, wait);
    mMacroIndex = index;
    mEntryCount = 1;
    // An index the keyboard does not have is never sent.
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    sendDelMacroConfig();
}

void UsbCommunicateUtil::sendDelMacroConfig()
{
    uchar *p = beginFrame();
    p[0] = mMacroIndex;
    writeFrame(*commandForOrder(0x41), 1);
}

void UsbCommunicateUtil::receiveDelMacroConfig(const Reply &reply)
{
    if (gKeyboardConfig && mMacroIndex < MacroCount)
        gKeyboardConfig->keyboardMacroList[mMacroIndex].clear();
    Q_EMIT usb_receive_del_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
}

void UsbCommunicateUtil::usb_get_calibration_state(uchar const &source, bool const &wait)
{
    beginRequest(0x52, source, wait);
    mCalibrationMap.clear();
    sendGetCalibrationState();
}

void UsbCommunicateUtil::sendGetCalibrationState()
{
    beginFrame();
    writeFrame(*commandForOrder(0x52), 0);
}

void UsbCommunicateUtil::receiveGetCalibrationState(const Reply &reply)
{
    // Every frame but the last carries a full payload, so a frame's first key follows from its number.
    const int firstKey = (reply.frame - 1) * gUsbFrameEffectSize;
    for (int i = 0; i < reply.length; ++i)
        mCalibrationMap.insert(uchar((firstKey + i) & 0xFF), reply.data[i]);
    if (reply.frame < reply.total) {
        continueFrames(*commandForOrder(0x52), mRequestSerial, reply, true);
        return;
    }
    Q_EMIT usb_receive_get_calibration_state(mSource, reply.frame, reply.total, mCalibrationMap);
}

void UsbCommunicateUtil::usb_set_report_calibration(uchar const &source, bool const &wait, bool on)
{
    beginRequest(0x53, source, wait);
    mCalibrationSwitch = on;
    sendSetReportCalibration();
}

void UsbCommunicateUtil::sendSetReportCalibration()
{
    uchar *p = beginFrame();
    p[0] = mCalibrationSwitch ? 1 : 0;
    writeFrame(*commandForOrder(0x53), 1);
}

void UsbCommunicateUtil::receiveReportCalibration(const Reply &reply)
{
    if (reply.length == 1) {
        // The answer to 0x53. Only the switch request that is waiting for it may be ended by it:
        // a late or repeated answer must not stop the timer of whatever request runs now.
        if (mLastSendOrder != ReportCalibrationReply || !mAwaitingReply) {
            qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveReportCalibration 丢弃未等待的应答 mLastSendOrder={%1};result={%2} ===")
                                      .arg(hex2(mLastSendOrder))
                                      .arg(reply.data[0]);
            return;
        }
        mCommunicateTimer->stop();
        mAwaitingReply = false;
        Q_EMIT usb_receive_report_calibration_switch(mSource, reply.frame, reply.total, reply.data[0]);
        return;
    }
    // A live depth report: groups of 4 bytes (unused, key, depth u16). The request in flight,
    // if any, is left alone.
    mAlignList.clear();
    for (int i = 0; i + 4 <= reply.length; i += 4) {
        auto align = QSharedPointer<KEYBOARD_ALIGN_INFO>::create();
        align->keyItem = reply.data[i + 1];
        align->value = getU16(reply.data + i + 2);
        mAlignList.append(align);
    }
    Q_EMIT usb_receive_report_calibration(mSource, reply.frame, reply.total, mAlignList);
}

void UsbCommunicateUtil::usb_save_calibration(uchar const &source, bool const &wait)
{
    beginRequest(0x54, source, wait);
    sendSaveCalibration();
}

void UsbCommunicateUtil::sendSaveCalibration()
{
    beginFrame();
    writeFrame(*commandForOrder(0x54), 0);
}

void UsbCommunicateUtil::receiveSaveCalibration(const Reply &reply)
{
    Q_EMIT usb_receive_save_calibration(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_get_calibration_adc(uchar const &source, bool const &wait)
{
    beginRequest(0x5B, source, wait);
    mCalibrationAdcMap.clear();
    sendGetCalibrationAdc();
}

void UsbCommunicateUtil::sendGetCalibrationAdc()
{
    beginFrame();
    writeFrame(*commandForOrder(0x5B), 0);
}

void UsbCommunicateUtil::receiveGetCalibrationAdc(const Reply &reply)
{
    const uchar firstKey = reply.data[0];
    if (reply.length >= 4) {
        const int count = (reply.length - 2) / 2;
        for (int i = 0; i < count; ++i)
            mCalibrationAdcMap.insert(uchar((firstKey + i) & 0xFF), getU16(reply.data + 2 + 2 * i));
    }
    if (reply.frame < reply.total) {
        continueFrames(*commandForOrder(0x5B), mRequestSerial, reply, true);
        return;
    }
    // Only a read that covered every key of the model is handed on.
    const int keys = gKeyboardConfig ? int(gKeyboardConfig->keyboardKeyMap.size()) : 0;
    if (mCalibrationAdcMap.size() == keys)
        Q_EMIT usb_receive_get_calibration_adc(mSource, reply.frame, reply.total, mCalibrationAdcMap);
}

// ---------------------------------------------------------------------------------------------
// Profiles, lighting, key layers, travel settings: shared helpers

namespace {
// Replaces target by source and leaves source empty, so that the model holds the only reference.
template<typename Container>
void moveInto(Container &target, Container &source)
{
    target.clear();
    target = source;
    source.clear();
}

void warnMissing(const char *copy, const char *what, uint key)
{
    qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 键盘模型中没有%2 {%3},跳过 ===")
                                .arg(QLatin1String(copy), QString::fromUtf8(what))
                                .arg(key);
}

// Walks one frame of a per-key map: count entries from position first on. The key number of
// the first goes to *key (when given), and put(i, record) writes entry i (a missing record as
// a zeroed one). Returns the entries walked, never more than the map holds.
template<typename Map, typename Put>
int putFrameEntries(const Map &map, int first, int count, uchar *key, Put put)
{
    using Record = typename Map::mapped_type::value_type;
    auto it = map.cbegin();
    std::advance(it, qBound(0, first, int(map.size())));
    if (key)
        *key = it == map.cend() ? 0 : it.key();
    int n = 0;
    for (; n < count && it != map.cend(); ++n, ++it)
        put(n, it.value() ? *it.value() : Record{});
    return n;
}

// Bytes of a UTF-8 sequence that starts with lead; 0 for a byte that cannot start one.
int utf8SequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}
} // namespace

int UsbCommunicateUtil::utf8WholeCharacters(const char *utf8, int length, int maxBytes)
{
    const int cut = qMax(0, qMin(length, maxBytes));
    if (cut == 0)
        return 0;
    // Back over the continuation bytes to the lead byte of the last character.
    int lead = cut - 1;
    while (lead > 0 && cut - lead < 4 && (uchar(utf8[lead]) & 0xC0) == 0x80)
        --lead;
    const int need = utf8SequenceLength(uchar(utf8[lead]));
    // A sequence that is not UTF-8 at all is left for the decoder; only a cut character goes.
    if (need == 0 || lead + need <= cut)
        return cut;
    return lead;
}

QString UsbCommunicateUtil::nameField(const Reply &reply, int offset, int width)
{
    const int available = qMin(width, int(reply.length) - offset);
    if (available <= 0)
        return QString();
    const char *field = reinterpret_cast<const char *>(reply.data + offset);
    const int length = int(qstrnlen(field, uint(available)));
    return ucharConvertString(field, utf8WholeCharacters(field, length, length));
}

// A write follows the frame count it computed, not the count its replies announce: the reply
// signals of writes carry that count, and no frame beyond it is ever built.
bool UsbCommunicateUtil::beginKeyFrames(const Command &command, const QList<uchar> &keys)
{
    mKeyFrames.clear();
    if (!beginFrames(command, int(keys.size())))
        return false;
    KeyFrame frame;
    for (int i = 0; i < keys.size(); ++i) {
        const bool follows = i > 0 && keys[i] == uchar(keys[i - 1] + 1);
        if (frame.count > 0 && (!follows || frame.count == mFrameEntries)) {
            mKeyFrames.append(frame);
            frame = KeyFrame{i, 0};
        }
        ++frame.count;
    }
    mKeyFrames.append(frame);
    mFrameTotal = int(mKeyFrames.size());
    return true;
}

UsbCommunicateUtil::KeyFrame UsbCommunicateUtil::currentKeyFrame() const
{
    if (mFrameCurrent < 1 || mFrameCurrent > mKeyFrames.size())
        return KeyFrame{};
    return mKeyFrames[mFrameCurrent - 1];
}

int UsbCommunicateUtil::firstEntryOfFrame() const
{
    return (mFrameCurrent - 1) * mFrameEntries;
}

int UsbCommunicateUtil::entriesOfFrame(int available) const
{
    const int first = firstEntryOfFrame();
    const int end = qMin(mEntryCount, available);
    if (mFrameCurrent < 1 || first >= end)
        return 0;
    return qMin(mFrameEntries, end - first);
}

// ---------------------------------------------------------------------------------------------
// Profiles

void UsbCommunicateUtil::usb_get_config_info(uchar const &source, bool const &wait)
{
    beginRequest(0x57, source, wait);
    mConfigList.clear();
    sendGetConfigInfo();
}

void UsbCommunicateUtil::sendGetConfigInfo()
{
    beginFrame();
    writeFrame(*commandForOrder(0x57), 0);
}

void UsbCommunicateUtil::receiveConfigInfo(const Reply &reply)
{
    const uchar *p = reply.data;
    if (reply.length >= 2)
        mConfigIndex = p[1];
    uchar next = p[2];
    const int fields = reply.length / NameFieldBytes;
    for (int k = 0; k < fields; ++k) {
        const int offset = 3 + NameFieldBytes * k;
        if (p[offset] == 0)
            continue; // an empty slot takes no number
        mConfigList.removeIf([next](const QSharedPointer<KEYBOARD_CONFIG_INFO> &info) { return info->index == next; });
        auto info = QSharedPointer<KEYBOARD_CONFIG_INFO>::create();
        info->index = next;
        info->configName = nameField(reply, offset, NameFieldBytes);
        mConfigList.append(info);
        ++next;
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_config_info(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x57), serial, reply, true);
}

void UsbCommunicateUtil::requestConfigTable(uchar order, uchar source, bool wait, uchar index)
{
    beginRequest(order, source, wait);
    mConfigIndex = index;
    sendConfigTable(order);
}

void UsbCommunicateUtil::sendConfigTable(uchar order)
{
    uchar *p = beginFrame();
    p[0] = mConfigIndex;
    writeFrame(*commandForOrder(order), 1);
}

void UsbCommunicateUtil::usb_switch_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x55, source, wait, index);
}

void UsbCommunicateUtil::usb_add_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x58, source, wait, index);
}

void UsbCommunicateUtil::usb_del_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x59, source, wait, index);
}

void UsbCommunicateUtil::sendSwitchConfigTable()
{
    sendConfigTable(0x55);
}

void UsbCommunicateUtil::sendAddConfigTable()
{
    sendConfigTable(0x58);
}

void UsbCommunicateUtil::sendDelConfigTable()
{
    sendConfigTable(0x59);
}

void UsbCommunicateUtil::receiveSwitchConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_switch_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveAddConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_add_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveDelConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_del_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_set_config_info(uchar const &source, bool const &wait, uchar const &index, QString const &name)
{
    beginRequest(0x56, source, wait);
    mSetConfigIndex = index;
    mSetConfigName = name;
    sendSetConfigInfo();
}

void UsbCommunicateUtil::sendSetConfigInfo()
{
    uchar *p = beginFrame();
    p[0] = mSetConfigIndex;
    const QByteArray utf8 = mSetConfigName.toUtf8();
    const int length = utf8WholeCharacters(utf8.constData(), int(utf8.size()), NameRequestBytes);
    std::memcpy(p + 1, utf8.constData(), size_t(length));
    // Bytes behind the name, the field's last byte included, stay 0.
    writeFrame(*commandForOrder(0x56), 1 + NameFieldBytes);
}

void UsbCommunicateUtil::receiveSetConfigInfo(const Reply &reply)
{
    Q_EMIT usb_receive_set_config_info(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveConfigChange(const Reply &reply)
{
    const uchar *p = reply.data;
    qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveConfigChange order={%1};type={%2} ===")
                              .arg(hex2(reply.order), hex2(p[0]));
    // A notice too short for its kind carries nothing to act on.
    if (p[0] == 0 && reply.length >= 3)
        Q_EMIT usb_receive_config_change(SourceMainWindow, p[1], p[2]);
    else if (p[0] == 3 && reply.length >= 2)
        Q_EMIT usb_receive_connect_wireless_device(p[1]);
}

void UsbCommunicateUtil::syncConfigInfo()
{
    if (!gKeyboardConfig)
        return;
    gKeyboardConfig->currentConfigIndex = mConfigIndex;
    moveInto(gKeyboardConfig->keyboardConfigList, mConfigList);
}

// ---------------------------------------------------------------------------------------------
// Per-key lighting

void UsbCommunicateUtil::usb_get_custom_light(uchar const &source, bool const &wait)
{
    beginRequest(0x16, source, wait);
    mCustomLightMap.clear();
    sendGetCustomLight();
}

void UsbCommunicateUtil::sendGetCustomLight()
{
    beginFrame();
    writeFrame(*commandForOrder(0x16), 0);
}

void UsbCommunicateUtil::receiveCustomLight(const Reply &reply)
{
    const uchar *p = reply.data;
    // Groups of light, R, G, B behind the first key number, within the work buffer.
    const int count = qMin(int(reply.length), WorkBufferSize - 1) / 4;
    for (int i = 0; i < count; ++i) {
        auto light = QSharedPointer<KEYBOARD_CUSTOM_LIGHT>::create();
        light->keyItem = uchar(p[0] + i);
        light->light = p[1 + 4 * i];
        light->colorR = p[2 + 4 * i];
        light->colorG = p[3 + 4 * i];
        light->colorB = p[4 + 4 * i];
        mCustomLightMap.insert(light->keyItem, light);
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_custom_light(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x16), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_custom_light_all(uchar const &source, bool const &wait, CustomLightMap map)
{
    const Command &command = beginRequest(0x11, source, wait);
    mCustomLightMap = map;
    if (!beginKeyFrames(command, mCustomLightMap.keys())) {
        Q_EMIT usb_receive_set_custom_light_all(source, 1, 1);
        return;
    }
    sendSetCustomLightAll();
}

void UsbCommunicateUtil::sendSetCustomLightAll()
{
    const KeyFrame frame = currentKeyFrame();
    uchar *p = beginFrame();
    const int n = putFrameEntries(mCustomLightMap, frame.first, frame.count, p, [p](int i, const KEYBOARD_CUSTOM_LIGHT &light) {
        p[1 + 4 * i] = light.light;
        p[2 + 4 * i] = light.colorR;
        p[3 + 4 * i] = light.colorG;
        p[4 + 4 * i] = light.colorB;
    });
    writeFrame(*commandForOrder(0x11), 1 + 4 * n);
}

void UsbCommunicateUtil::receiveSetCustomLightAll(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_custom_light_all(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x11), serial, reply, false);
}

void UsbCommunicateUtil::usb_set_custom_light(uchar const &source, bool const &wait, KEYBOARD_EFFECT_LIGHT light, QList<uchar> keys)
{
    const Command &command = beginRequest(0x10, source, wait);
    mCustomLightInfo.item = 0xFF;
    mCustomLightInfo.light = light.light;
    mCustomLightInfo.colorR = light.colorR;
    mCustomLightInfo.colorG = light.colorG;
    mCustomLightInfo.colorB = light.colorB;
    mCustomLightKeys = keys;
    if (!beginFrames(command, int(mCustomLightKeys.size()))) {
        Q_EMIT usb_receive_set_custom_light(source, 1, 1);
        return;
    }
    sendSetCustomLight();
}

void UsbCommunicateUtil::sendSetCustomLight()
{
    uchar *p = beginFrame();
    p[0] = mCustomLightInfo.light;
    p[1] = mCustomLightInfo.colorR;
    p[2] = mCustomLightInfo.colorG;
    p[3] = mCustomLightInfo.colorB;
    const int first = firstEntryOfFrame();
    const int n = entriesOfFrame(int(mCustomLightKeys.size()));
    for (int i = 0; i < n; ++i)
        p[4 + i] = mCustomLightKeys[first + i];
    writeFrame(*commandForOrder(0x10), 4 + n);
}

void UsbCommunicateUtil::receiveSetCustomLight(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_custom_light(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x10), serial, reply, false);
}

void UsbCommunicateUtil::syncCustomLight()
{
    if (gKeyboardConfig)
        moveInto(gKeyboardConfig->keyboardCustomLightMap, mCustomLightMap);
}

void UsbCommunicateUtil::syncModifyCustomLight()
{
    if (!gKeyboardConfig)
        return;
    for (const uchar key : std::as_const(mCustomLightKeys)) {
        const QSharedPointer<KEYBOARD_CUSTOM_LIGHT> light = gKeyboardConfig->keyboardCustomLightMap.value(key);
        if (!light) {
            warnMissing("syncModifyCustomLight", "按键", key);
            continue;
        }
        light->light = mCustomLightInfo.light;
        light->colorR = mCustomLightInfo.colorR;
        light->colorG = mCustomLightInfo.colorG;
        light->colorB = mCustomLightInfo.colorB;
    }
    mCustomLightKeys.clear();
}

// ---------------------------------------------------------------------------------------------
// Lighting effects

uchar UsbCommunicateUtil::effectLanguageByte()
{
    switch (gSystemConfig ? gSystemConfig->getCurrentLanuage() : SystemConfigUtil::Chinese) {
    case SystemConfigUtil::English:
        return 0;
    case SystemConfigUtil::Vietnamese:
        return 7;
    default:
        return 1;
    }
}

void UsbCommunicateUtil::usb_get_effect_light_name(uchar const &source, bool const &wait)
{
    beginRequest(0x18, source, wait);
    mEffectLightNameMap.clear();
    sendGetEffectLightName();
}

void UsbCommunicateUtil::sendGetEffectLightName()
{
    uchar *p = beginFrame();
    // Read at every frame: a language change between two frames asks for the new language.
    p[0] = effectLanguageByte();
    writeFrame(*commandForOrder(0x18), 1);
}

void UsbCommunicateUtil::receiveSetEffectLightName(const Reply &reply)
{
    const uchar *p = reply.data;
    const int width = p[1];
    if (reply.length >= 3 && width > 0) {
        uchar index = p[0];
        // A field running past the payload is read up to the payload's end, and is the last.
        for (int offset = 2; offset < reply.length; offset += width) {
            if (p[offset] == 0)
                continue; // an empty slot takes no index
            auto name = QSharedPointer<KEYBOARD_EFFECT_LIGHT_NAME>::create();
            name->index = index;
            name->name = nameField(reply, offset, width);
            mEffectLightNameMap.insert(index, name);
            ++index;
        }
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_effect_light_language(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x18), serial, reply, true);
}

void UsbCommunicateUtil::usb_get_effect_light(uchar const &source, bool const &wait, uchar const &index)
{
    beginRequest(0x17, source, wait);
    mEffectLightIndex = index;
    mEffectLightMap.clear();
    sendGetEffectLight();
}

void UsbCommunicateUtil::sendGetEffectLight()
{
    uchar *p = beginFrame();
    p[0] = mEffectLightIndex;
    writeFrame(*commandForOrder(0x17), 1);
}

namespace {
// An effect record in its wire order: item, light, speed, fullColor, functionFlag, R, G, B.
void putEffect(uchar *p, const KEYBOARD_EFFECT_LIGHT &effect)
{
    p[0] = effect.item;
    p[1] = effect.light;
    p[2] = effect.speed;
    p[3] = effect.fullColor;
    p[4] = effect.functionFlag;
    p[5] = effect.colorR;
    p[6] = effect.colorG;
    p[7] = effect.colorB;
}
} // namespace

void UsbCommunicateUtil::receiveEffectLight(const Reply &reply)
{
    const int count = reply.length / 8;
    for (int i = 0; i < count; ++i) {
        const uchar *p = reply.data + 8 * i;
        auto effect = QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create();
        effect->item = p[0];
        effect->light = p[1];
        effect->speed = p[2];
        effect->fullColor = p[3];
        effect->functionFlag = p[4];
        effect->colorR = p[5];
        effect->colorG = p[6];
        effect->colorB = p[7];
        mEffectLightMap.insert(effect->item, effect);
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_effect_light(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x17), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_effect_light_all(uchar const &source, bool const &wait, EffectLightMap map)
{
    const Command &command = beginRequest(0x14, source, wait);
    mEffectLightMap = map;
    if (!beginFrames(command, int(mEffectLightMap.size()))) {
        Q_EMIT usb_receive_set_effect_light_all(source, 1, 1);
        return;
    }
    sendSetEffectLightAll();
}

void UsbCommunicateUtil::sendSetEffectLightAll()
{
    uchar *p = beginFrame();
    const int n = putFrameEntries(mEffectLightMap, firstEntryOfFrame(), entriesOfFrame(int(mEffectLightMap.size())), nullptr,
                                  [p](int i, const KEYBOARD_EFFECT_LIGHT &effect) { putEffect(p + 8 * i, effect); });
    writeFrame(*commandForOrder(0x14), 8 * n);
}

void UsbCommunicateUtil::receiveSetEffectLightAll(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_effect_light_all(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x14), serial, reply, false);
}

void UsbCommunicateUtil::usb_set_effect_light(uchar const &source, bool const &wait, KEYBOARD_EFFECT_LIGHT light)
{
    beginRequest(0x13, source, wait);
    mEffectLightInfo = light;
    if (light.item == 0xFF) {
        Q_EMIT usb_receive_set_effect_light(source, 1, 1);
        return;
    }
    mEntryCount = 1;
    sendSetEffectLight();
}

void UsbCommunicateUtil::sendSetEffectLight()
{
    uchar *p = beginFrame();
    putEffect(p, mEffectLightInfo);
    writeFrame(*commandForOrder(0x13), 8);
}

void UsbCommunicateUtil::receiveSetEffectLight(const Reply &reply)
{
    Q_EMIT usb_receive_set_effect_light(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_select_effect_light(uchar const &source, bool const &wait, uchar const &index)
{
    beginRequest(0x19, source, wait);
    mSelectEffectIndex = index;
    mEntryCount = 1;
    sendSelectEffectLight();
}

void UsbCommunicateUtil::sendSelectEffectLight()
{
    uchar *p = beginFrame();
    p[0] = mSelectEffectIndex;
    writeFrame(*commandForOrder(0x19), 1);
}

void UsbCommunicateUtil::receiveSelectEffectLight(const Reply &reply)
{
    Q_EMIT usb_receive_select_effect_light(mSource, reply.frame, reply.total, mSelectEffectIndex);
}

void UsbCommunicateUtil::syncEffectLightName()
{
    if (gKeyboardConfig)
        moveInto(gKeyboardConfig->keyboardEffectLightNameMap, mEffectLightNameMap);
}

void UsbCommunicateUtil::syncEffectLight()
{
    if (!gKeyboardConfig)
        return;
    if (mEffectLightIndex == 0xFF) {
        moveInto(gKeyboardConfig->keyboardEffectLightMap, mEffectLightMap);
        return;
    }
    for (auto it = mEffectLightMap.cbegin(); it != mEffectLightMap.cend(); ++it) {
        const QSharedPointer<KEYBOARD_EFFECT_LIGHT> target = gKeyboardConfig->keyboardEffectLightMap.value(it.key());
        if (!target || !it.value()) {
            warnMissing("syncEffectLight", "灯效", it.key());
            continue;
        }
        *target = *it.value();
    }
    mEffectLightMap.clear();
}

void UsbCommunicateUtil::syncModifyEffectLight()
{
    if (!gKeyboardConfig)
        return;
    const QSharedPointer<KEYBOARD_EFFECT_LIGHT> target = gKeyboardConfig->keyboardEffectLightMap.value(mEffectLightInfo.item);
    if (!target) {
        warnMissing("syncModifyEffectLight", "灯效", mEffectLightInfo.item);
        return;
    }
    *target = mEffectLightInfo;
}

// ---------------------------------------------------------------------------------------------
// Key layers

KeyInfoMap &UsbCommunicateUtil::layerKeyMap(uchar layer)
{
    return layer == 0 ? mKeyMap : mFn1KeyMap;
}

void UsbCommunicateUtil::usb_get_keyboard_config(uchar const &source, bool const &wait, uchar const &layer)
{
    const Command &command = beginRequest(0x2A, source, wait);
    mLayer = layer;
    if (layer > 1) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorLayer);
        return;
    }
    layerKeyMap(layer).clear();
    sendGetKeyboardConfig();
}

void UsbCommunicateUtil::sendGetKeyboardConfig()
{
    uchar *p = beginFrame();
    p[0] = mLayer;
    writeFrame(*commandForOrder(0x2A), 1);
}

namespace {
// A key function as it travels: type, lValue, hValue.
QSharedPointer<KEYBOARD_KEY_INFO> keyFromWire(uchar keyItem, const uchar *p)
{
    auto key = QSharedPointer<KEYBOARD_KEY_INFO>::create();
    key->keyItem = keyItem;
    key->type = p[0];
    key->lValue = p[1];
    key->hValue = p[2];
    return key;
}
} // namespace

void UsbCommunicateUtil::receiveKeyboardConfig(const Reply &reply)
{
    const uchar *p = reply.data;
    if (p[0] != mLayer) {
        // An answer for the other layer is no answer: with wait set it costs one send.
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveKeyboardConfig 层不匹配 layer={%1};mLayer={%2} ===")
                                  .arg(p[0])
                                  .arg(mLayer);
        if (mWaitReply)
            onCommunicateTimeout();
        else
            Q_EMIT usb_communicate_error(mSource, mLastSendOrder, ErrorLayer);
        return;
    }
    KeyInfoMap &keys = layerKeyMap(mLayer);
    const int count = reply.length >= 5 ? (reply.length - 2) / 3 : 0;
    for (int i = 0; i < count; ++i) {
        auto key = keyFromWire(uchar(p[1] + i), p + 2 + 3 * i);
        keys.insert(key->keyItem, key);
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_keyboard_config(mSource, reply.frame, reply.total, mLayer);
    continueFrames(*commandForOrder(0x2A), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_keyboard_config(uchar const &source, bool const &wait, uchar const &layer, KeyInfoMap keys)
{
    const Command &command = beginRequest(0x20, source, wait);
    mLayer = layer;
    KeyInfoMap &target = layerKeyMap(layer);
    target = keys;
    if (!beginKeyFrames(command, target.keys())) {
        Q_EMIT usb_receive_set_keyboard_config(source, 1, 1, layer);
        return;
    }
    sendSetKeyboardConfig();
}

void UsbCommunicateUtil::sendSetKeyboardConfig()
{
    const KeyFrame frame = currentKeyFrame();
    uchar *p = beginFrame();
    p[0] = mLayer;
    const int n = putFrameEntries(layerKeyMap(mLayer), frame.first, frame.count, p + 1, [p](int i, const KEYBOARD_KEY_INFO &key) {
        p[2 + 3 * i] = key.type;
        p[3 + 3 * i] = key.lValue;
        p[4 + 3 * i] = key.hValue;
    });
    writeFrame(*commandForOrder(0x20), 2 + 3 * n);
}

void UsbCommunicateUtil::receiveSetKeyboardConfig(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_keyboard_config(mSource, reply.frame, mFrameTotal, mLayer);
    continueFrames(*commandForOrder(0x20), serial, reply, false);
}

void UsbCommunicateUtil::usb_set_keyboard_default(uchar const &source, bool const &wait, uchar const &layer, QList<uchar> keys)
{
    const Command &command = beginRequest(0x24, source, wait);
    mLayer = layer;
    mDefaultKeyList = keys;
    if (!beginFrames(command, int(mDefaultKeyList.size()))) {
        Q_EMIT usb_receive_set_keyboard_default(source, 1, 1, layer, false);
        return;
    }
    layerKeyMap(layer).clear();
    sendSetKeyboardDefault();
}

void UsbCommunicateUtil::sendSetKeyboardDefault()
{
    uchar *p = beginFrame();
    p[0] = mLayer;
    const int first = firstEntryOfFrame();
    const int n = entriesOfFrame(int(mDefaultKeyList.size()));
    for (int i = 0; i < n; ++i)
        p[1 + i] = mDefaultKeyList[first + i];
    writeFrame(*commandForOrder(0x24), 1 + n);
}

void UsbCommunicateUtil::receiveSetKeyboardDefault(const Reply &reply)
{
    const uchar *p = reply.data;
    // 0xFF in place of the first key: every key of the layer went back, and none is reported.
    const bool allKeys = reply.length >= 2 && p[1] == 0xFF;
    // Only keys whose four bytes arrived are taken; the padding behind a short reply is no key.
    if (!allKeys && reply.length >= 5) {
        KeyInfoMap &keys = p[0] != 0 ? mFn1KeyMap : mKeyMap;
        auto first = keyFromWire(p[1], p + 2);
        keys.insert(first->keyItem, first);
        if (reply.length >= 9 && p[5] != 0xFF) {
            auto second = keyFromWire(p[5], p + 6);
            keys.insert(second->keyItem, second);
        }
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_keyboard_default(mSource, reply.frame, mFrameTotal, mLayer, allKeys);
    continueFrames(*commandForOrder(0x24), serial, reply, false);
}

void UsbCommunicateUtil::syncKeyboardConfig(uchar const &layer)
{
    if (!gKeyboardConfig || layer > 1)
        return;
    moveInto(layer == 0 ? gKeyboardConfig->keyboardKeyMap : gKeyboardConfig->keyboardFn1KeyMap, layerKeyMap(layer));
}

void UsbCommunicateUtil::syncSetKeyboardConfig(uchar const &layer)
{
    if (!gKeyboardConfig || layer > 1)
        return;
    KeyInfoMap &keys = layerKeyMap(layer);
    const KeyInfoMap &model = layer == 0 ? gKeyboardConfig->keyboardKeyMap : gKeyboardConfig->keyboardFn1KeyMap;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const QSharedPointer<KEYBOARD_KEY_INFO> target = model.value(it.key());
        if (!target || !it.value()) {
            warnMissing("syncSetKeyboardConfig", "按键", it.key());
            continue;
        }
        *target = *it.value();
    }
    keys.clear();
}

// ---------------------------------------------------------------------------------------------
// Travel settings

namespace {
// A key's 8-byte travel group: trigger, model, quick, quickTrigger, resetTrigger.
void putTriggerGroup(uchar *p, const KEYBOARD_TRIGGER_INFO &info)
{
    putU16(p, info.trigger);
    p[2] = info.model ? 1 : 0;
    p[3] = info.quick ? 1 : 0;
    putU16(p + 4, info.quickTrigger);
    putU16(p + 6, info.resetTrigger);
}
} // namespace

void UsbCommunicateUtil::usb_get_trigger_config(uchar const &source, bool const &wait)
{
    beginRequest(0x2C, source, wait);
    mTriggerMap.clear();
    sendGetTriggerConfig();
}

void UsbCommunicateUtil::sendGetTriggerConfig()
{
    beginFrame();
    writeFrame(*commandForOrder(0x2C), 0);
}

void UsbCommunicateUtil::receiveTriggerConfig(const Reply &reply)
{
    const uchar *p = reply.data;
    const int count = reply.length >= 9 ? (reply.length - 1) / 8 : 0;
    for (int i = 0; i < count; ++i) {
        const uchar *group = p + 1 + 8 * i;
        auto info = QSharedPointer<KEYBOARD_TRIGGER_INFO>::create();
        info->keyItem = uchar(p[0] + i);
        info->trigger = getU16(group);
        info->model = group[2] != 0;
        info->quick = group[3] != 0;
        info->quickTrigger = getU16(group + 4);
        info->resetTrigger = getU16(group + 6);
        mTriggerMap.insert(info->keyItem, info);
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_trigger_config(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x2C), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_trigger_config_all(uchar const &source, bool const &wait, TriggerMap map)
{
    const Command &command = beginRequest(0x28, source, wait);
    mTriggerMap = map;
    if (!beginKeyFrames(command, mTriggerMap.keys())) {
        Q_EMIT usb_receive_set_trigger_config_all(source, 1, 1);
        return;
    }
    sendSetTriggerConfigAll();
}

void UsbCommunicateUtil::sendSetTriggerConfigAll()
{
    const KeyFrame frame = currentKeyFrame();
    uchar *p = beginFrame();
    const int n = putFrameEntries(mTriggerMap, frame.first, frame.count, p,
                                  [p](int i, const KEYBOARD_TRIGGER_INFO &info) { putTriggerGroup(p + 2 + 8 * i, info); });
    p[1] = uchar(n);
    writeFrame(*commandForOrder(0x28), 2 + 8 * n);
}

void UsbCommunicateUtil::receiveSetTriggerConfigAll(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_trigger_config_all(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x28), serial, reply, false);
}

void UsbCommunicateUtil::usb_set_trigger_config(uchar const &source, bool const &wait, KEYBOARD_TRIGGER_INFO info, QList<uchar> keys)
{
    const Command &command = beginRequest(0x26, source, wait);
    mTriggerInfo = info;
    mTriggerKeys = keys;
    if (!beginFrames(command, int(mTriggerKeys.size()))) {
        Q_EMIT usb_receive_set_trigger_config(source, 1, 1);
        return;
    }
    sendSetTriggerConfig();
}

void UsbCommunicateUtil::sendSetTriggerConfig()
{
    uchar *p = beginFrame();
    putU16(p, mTriggerInfo.trigger);
    const int first = firstEntryOfFrame();
    const int n = entriesOfFrame(int(mTriggerKeys.size()));
    for (int i = 0; i < n; ++i)
        p[2 + i] = mTriggerKeys[first + i];
    writeFrame(*commandForOrder(0x26), 2 + n);
}

void UsbCommunicateUtil::receiveSetTriggerConfig(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_trigger_config(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x26), serial, reply, false);
}

void UsbCommunicateUtil::usb_set_quick_trigger_config(uchar const &source, bool const &wait, QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> list)
{
    const Command &command = beginRequest(0x27, source, wait);
    mQuickTriggerList = list;
    // A missing record has no key to go to.
    mQuickTriggerList.removeAll(QSharedPointer<KEYBOARD_TRIGGER_INFO>());
    if (!beginFrames(command, int(mQuickTriggerList.size()))) {
        Q_EMIT usb_receive_set_quick_trigger_config(source, 1, 1);
        return;
    }
    sendSetQuickTriggerConfig();
}

void UsbCommunicateUtil::sendSetQuickTriggerConfig()
{
    uchar *p = beginFrame();
    const int first = firstEntryOfFrame();
    const int n = entriesOfFrame(int(mQuickTriggerList.size()));
    for (int i = 0; i < n; ++i) {
        const KEYBOARD_TRIGGER_INFO &info = *mQuickTriggerList[first + i];
        uchar *record = p + 8 * i;
        record[0] = info.keyItem;
        record[1] = 0;
        record[2] = info.model ? 1 : 0;
        record[3] = info.quick ? 1 : 0;
        putU16(record + 4, info.quickTrigger);
        putU16(record + 6, info.resetTrigger);
    }
    writeFrame(*commandForOrder(0x27), 8 * n);
}

void UsbCommunicateUtil::receiveSetQuickTriggerConfig(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_quick_trigger_config(mSource, reply.frame, mFrameTotal);
    continueFrames(*commandForOrder(0x27), serial, reply, false);
}

void UsbCommunicateUtil::syncTriggerConfig()
{
    if (gKeyboardConfig)
        moveInto(gKeyboardConfig->keyboardTriggerMap, mTriggerMap);
}

void UsbCommunicateUtil::syncModifyTriggerConfig()
{
    if (!gKeyboardConfig)
        return;
    for (const uchar key : std::as_const(mTriggerKeys)) {
        const QSharedPointer<KEYBOARD_TRIGGER_INFO> target = gKeyboardConfig->getKeyboardTriggerInfo(key);
        if (!target) {
            warnMissing("syncModifyTriggerConfig", "按键", key);
            continue;
        }
        target->trigger = mTriggerInfo.trigger;
    }
    mTriggerKeys.clear();
}

void UsbCommunicateUtil::syncModifyQuickTriggerConfig()
{
    if (!gKeyboardConfig)
        return;
    for (const QSharedPointer<KEYBOARD_TRIGGER_INFO> &info : std::as_const(mQuickTriggerList)) {
        const QSharedPointer<KEYBOARD_TRIGGER_INFO> target = gKeyboardConfig->getKeyboardTriggerInfo(info->keyItem);
        if (!target) {
            warnMissing("syncModifyQuickTriggerConfig", "按键", info->keyItem);
            continue;
        }
        target->keyItem = info->keyItem;
        target->model = info->model;
        target->quick = info->quick;
        target->quickTrigger = info->quickTrigger;
        target->resetTrigger = info->resetTrigger;
    }
    mQuickTriggerList.clear();
}

// ---------------------------------------------------------------------------------------------
// advanced keys and macros: copies into the keyboard model

void UsbCommunicateUtil::syncHighKey()
{
    if (gKeyboardConfig)
        moveInto(gKeyboardConfig->keyboardHighKeyList, mHighKeyList);
}

void UsbCommunicateUtil::syncMacroConfig(uchar const &index)
{
    if (gKeyboardConfig && index < mMacroList.size())
        moveInto(gKeyboardConfig->keyboardMacroList[index], mMacroList[index]);
}
