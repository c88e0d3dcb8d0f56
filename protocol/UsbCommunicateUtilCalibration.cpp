// Calibration: key states 0x52, live depth reports on/off 0x53 (and the reports themselves, which
// come unasked as 0xD3), store 0x54, raw sensor values 0x5B.

#include "protocol/UsbCommunicateUtil.h"

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/LittleEndian.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

using namespace ProtocolWire;

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
        align->value = LittleEndian::getU16(reply.data + i + 2);
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
            mCalibrationAdcMap.insert(uchar((firstKey + i) & 0xFF), LittleEndian::getU16(reply.data + 2 + 2 * i));
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
