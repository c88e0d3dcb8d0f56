// The engine of the command protocol: opening and closing the link, writing the frames of a
// request, matching each reply to the request that awaits it, and the reply timer that sends a
// frame again or gives the request up. The commands themselves live in the family files
// (UsbCommunicateUtil<Family>.cpp); their table is in UsbCommunicateUtilCommands.cpp.

#include "protocol/UsbCommunicateUtil.h"

#include "link/BluetoothManager.h"
#include "link/DeviceFrame.h"
#include "link/UsbHidUtil.h"
#include "link/UsbReceiveThread.h"
#include "protocol/ErrorMessageTable.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

#include <hidapi/hidapi.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

using namespace ProtocolWire;

QSharedPointer<UsbCommunicateUtil> gUsbCommunicateUtil;

UsbCommunicateUtil::UsbCommunicateUtil(QObject *parent)
    : QObject(parent)
    , mProductInfo(QSharedPointer<KEYBOARD_PRODUCT_INFO>::create())
    , mWholeParam(QSharedPointer<KEYBOARD_PARAMS>::create())
{
    qDebug() << "=== UsbCommunicateUtil 通讯类创建 ===";
    setClock({});
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
    // Whoever waited on the old link hears so before the new one can carry anything. A receiver of
    // that news may open a link itself (a message box runs its own event loop): that opening stands.
    if (reportGivenUp() && isLinkUp())
        return;
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
    endRequestOnClose();
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

void UsbCommunicateUtil::endRequestOnClose()
{
    mCommunicateTimer->stop();
    if (!mAwaitingReply || !mWaitReply)
        return;
    // A request still waiting for its answer ends with the link, once. Its requester hears so
    // after this call returns, as it would have from the timer, or when the link opens again,
    // whichever comes first: never on the new link.
    mAwaitingReply = false;
    giveUp(mSource, mLastSendOrder);
}

void UsbCommunicateUtil::giveUp(uchar source, uchar order)
{
    mGivenUp.append({source, order});
    QMetaObject::invokeMethod(this, [this] { reportGivenUp(); }, Qt::QueuedConnection);
}

bool UsbCommunicateUtil::reportGivenUp()
{
    if (mGivenUp.isEmpty())
        return false;
    const QList<std::pair<uchar, uchar>> givenUp = std::exchange(mGivenUp, {});
    for (const auto &[source, order] : givenUp)
        Q_EMIT usb_communicate_error(source, order, ErrorNoReply);
    return true;
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

void UsbCommunicateUtil::setClock(std::function<qint64()> clock)
{
    if (!clock) {
        clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                              .count());
        };
    }
    mClock = std::move(clock);
}

// ---------------------------------------------------------------------------------------------
// Engine

const UsbCommunicateUtil::Command &UsbCommunicateUtil::beginRequest(uchar order, uchar source, bool wait)
{
    const Command *command = commandForOrder(order);
    Q_ASSERT(command);
    // A request still waiting for its answer is given up when another requester replaces it:
    // its requester hears so (after this call returns, and before the link opens again), instead
    // of waiting for ever.
    if (mAwaitingReply && mWaitReply && source != mSource)
        giveUp(mSource, mLastSendOrder);
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

uchar *UsbCommunicateUtil::beginFrame()
{
    mSendBuffer.fill(0);
    const int frameStart = mCommunicateType == 1 ? 0 : 1;
    return mSendBuffer.data() + frameStart + DeviceFrame::HEAD_SIZE;
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
    DeviceFrame::writeHead(frame, command.order, headByte2, headByte3, uchar(payloadLength));

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
            // The request ends here, once: no timer may give it up a second time later.
            mCommunicateTimer->stop();
            mAwaitingReply = false;
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
        mLateReplyStart = mClock();
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
             && mClock() - mLateReplyStart <= mLateReplyWindow) {
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
    // dropped was still an answer; a handler may also count a wrong answer as a tick). A command
    // that is not sent again has only its one send, whose answer is never a late one.
    const Command *command = commandForReply(mLastSendOrder);
    if (sender() == mCommunicateTimer.data() && mRepliesSinceWrite == 0 && command && command->resend)
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
