// Key layers 0 (normal) and 1 (Fn1): read 0x2A, write 0x20, restore to default 0x24.

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

using namespace ProtocolWire;

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
