#include "protocol/UsbCommunicateUtil.h"

#include "link/BluetoothManager.h"
#include "link/UsbHidUtil.h"
#include "link/UsbReceiveThread.h"
#include "protocol/ErrorMessageTable.h"
#include "model/KeyboardConfigUtil.h"

#include <QDateTime>
#include <QDebug>

#include <hidapi/hidapi.h>

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
        if (!gBluetoothManager || !gBluetoothManager->isConnected())
            return;
        gBluetoothManager->closeDevice();
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
    // A new request never inherits the timer or the retry count of the one before.
    mCommunicateTimer->stop();
    mRetryCount = 0;
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
        const int result = hid_write(mHidDevice, mSendBuffer.data(), size_t(frameSize + 1));
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 send data result={%2};source={%3};retry={%4};order={%5};frame={%6};total={%7};length={%8}}===")
                                  .arg(QLatin1String(command.sendName))
                                  .arg(result)
                                  .arg(hex2(mSource), hex2(uint(mRetryCount)), hex2(command.order), hex2(headByte2), hex2(headByte3), hex2(uint(payloadLength)));
        if (result < 0) {
            qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 err_string = %2 ===\n")
                                      .arg(QLatin1String(command.sendName), QString::fromWCharArray(hid_error(mHidDevice)));
            Q_EMIT usb_communicate_error(mSource, mLastSendOrder, ErrorWrite);
            return;
        }
    }
    mAwaitingReply = true;
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
    const Command *command = commandForReply(order);
    if (!command)
        return;
    if (order != mLastSendOrder) {
        logMismatch(*command, reply);
        return;
    }
    // Only the frame that was written and not yet answered may be answered: a duplicate, or a
    // late answer to a frame that was already answered or given up, changes nothing.
    if (!mAwaitingReply || (command->numbered && frame != mFrameCurrent)) {
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 丢弃重复或过期的应答 frame={%2};awaited={%3} ===")
                                  .arg(QLatin1String(command->receiveName))
                                  .arg(frame)
                                  .arg(mAwaitingReply ? mFrameCurrent : 0);
        return;
    }
    if (command->hasStatus && reply.data[0] != 0) {
        // Refused: the timer runs on, so the same frame is written again at its next expiry.
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 发送数据错误 data={ %2 } ===")
                                  .arg(QLatin1String(command->receiveName))
                                  .arg(reply.data[0]);
        return;
    }
    mCommunicateTimer->stop();
    mAwaitingReply = false;
    (this->*command->receive)(reply);
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
    sendCurrentFrame(command);
}

void UsbCommunicateUtil::onCommunicateTimeout()
{
    qDebug() << "=== UsbCommunicateUtil onCommunicateTimeout ===";
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
