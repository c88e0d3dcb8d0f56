// Product identity (0x62) and board parameters (read 0x5E, write 0x50).

#include "protocol/UsbCommunicateUtil.h"

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/LittleEndian.h"
#include "protocol/ProtocolWire.h"

#include <QDateTime>
#include <QDebug>

#include <cstring>

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
    mProductInfo->serialNumber = LittleEndian::getU16(p);
    mProductInfo->version = LittleEndian::getU16(p + 2);
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
    mWholeParam->deadDown = LittleEndian::getU16(p + 2);
    mWholeParam->deadUp = LittleEndian::getU16(p + 4);
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
    LittleEndian::putU16(p + 2, mWholeParam->deadDown);
    LittleEndian::putU16(p + 4, mWholeParam->deadUp);
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
