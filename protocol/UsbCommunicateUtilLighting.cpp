// Lighting: the per-key colours and the lighting effects.

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/ProtocolWire.h"

using namespace ProtocolWire;

// ---------------------------------------------------------------------------------------------
// Per-key lighting: read 0x16, write all 0x11, one colour for listed keys 0x10

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
// Lighting effects: names 0x18, read 0x17, write all 0x14, write one 0x13, select 0x19

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
