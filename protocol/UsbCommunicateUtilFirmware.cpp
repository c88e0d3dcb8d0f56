// Firmware download (keyboard 0x60 and 0x63, data 0x65 and 0x66) and the factory reset (0x61).

#include "protocol/UsbCommunicateUtil.h"

#include "link/UsbHidUtil.h"
#include "model/LittleEndian.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

#include <cstring>

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
    startFirmwareEnd(0x63, source, wait, first, second);
}

void UsbCommunicateUtil::usb_download_fireware_data_end(uchar const &source, bool const &wait, uint const &first, uint const &second)
{
    startFirmwareEnd(0x66, source, wait, first, second);
}

void UsbCommunicateUtil::startFirmwareEnd(uchar order, uchar source, bool wait, uint first, uint second)
{
    beginRequest(order, source, wait);
    mFirmwareEndFirst = first;
    mFirmwareEndSecond = second;
    mEntryCount = 1;
    mFrameEntries = gUsbFrameEffectSize;
    sendFirmwareEnd(order);
}

void UsbCommunicateUtil::sendFirmwareEnd(uchar order)
{
    uchar *p = beginFrame();
    LittleEndian::putU32(p, mFirmwareEndSecond);
    LittleEndian::putU32(p + 4, mFirmwareEndFirst);
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
