// Travel settings: read 0x2C, write all 0x28, one actuation travel for listed keys 0x26, rapid
// trigger of listed keys 0x27.

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "model/LittleEndian.h"
#include "protocol/ProtocolWire.h"

using namespace ProtocolWire;

namespace {
// A key's 8-byte travel group: trigger, model, quick, quickTrigger, resetTrigger.
void putTriggerGroup(uchar *p, const KEYBOARD_TRIGGER_INFO &info)
{
    LittleEndian::putU16(p, info.trigger);
    p[2] = info.model ? 1 : 0;
    p[3] = info.quick ? 1 : 0;
    LittleEndian::putU16(p + 4, info.quickTrigger);
    LittleEndian::putU16(p + 6, info.resetTrigger);
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
        info->trigger = LittleEndian::getU16(group);
        info->model = group[2] != 0;
        info->quick = group[3] != 0;
        info->quickTrigger = LittleEndian::getU16(group + 4);
        info->resetTrigger = LittleEndian::getU16(group + 6);
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
    LittleEndian::putU16(p, mTriggerInfo.trigger);
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
        LittleEndian::putU16(record + 4, info.quickTrigger);
        LittleEndian::putU16(record + 6, info.resetTrigger);
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
