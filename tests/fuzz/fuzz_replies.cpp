// Feeds arbitrary frames to the reply handling of every command.
//
// Input: byte 0 picks the request that is in flight (and byte 1 bit 0 the frame size: 128 or 64);
// the rest is a sequence of frames, each [code selector, frame, total, length, payload...]: the
// code is the awaited reply code, the keyboard's notice 0xF1, the live report 0xD3 or the
// selector itself. After the frames every copy into the keyboard model runs. Requests are made
// without waiting, so no timer runs; the keyboard behind the link takes every write silently.

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/TestDataDir.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdint>
#include <functional>
#include <vector>

namespace {
constexpr uchar Source = 1;
constexpr bool NoWait = false;
using U = UsbCommunicateUtil;

struct Harness {
    bool quiet = qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
    int argc = 1;
    char name[8] = "fuzz";
    char *argv[2] = {name, nullptr};
    // Kept for the whole run, never destroyed: the protocol outlives every input.
    QCoreApplication *app = new QCoreApplication(argc, argv);
    TestDataDir *dataDir = new TestDataDir;
    int frameSize = 0;

    Harness()
    {
        gSystemConfig.reset(new SystemConfigUtil);
        gKeyboardConfig.reset(new KeyboardConfigUtil);
        gUsbCommunicateUtil.reset(new U);
    }

    // Opens the link on an interface of the given frame size (no reader: frames are fed directly).
    void link(int size)
    {
        if (size == frameSize)
            return;
        gUsbCommunicateUtil->closeCommunicate();
        EmulatedHidBus &bus = EmulatedHidBus::instance();
        bus.reset();
        bus.setRecordWrites(false);
        EmulatedHidFaults silent;
        silent.silent = true;
        bus.setFaults(bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {size}).first(), silent);
        gUsbCommunicateUtil->openCommunicate(0);
        frameSize = size;
    }
};

template<typename Record>
QSharedPointer<Record> record(uchar key)
{
    auto r = QSharedPointer<Record>::create();
    r->keyItem = key;
    return r;
}

// Every request with plausible arguments, and the reply code it awaits.
struct Request {
    uchar reply;
    std::function<void(U &)> make;
};

std::vector<Request> requests()
{
    uchar chunk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    QList<uchar> keys;
    KeyInfoMap keyMap;
    CustomLightMap lights;
    TriggerMap triggers;
    QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> quick;
    EffectLightMap effects;
    HighKeyList highKeys;
    for (uchar k = 0; k < 40; ++k) {
        keys.append(k);
        keyMap.insert(k, record<KEYBOARD_KEY_INFO>(k));
        lights.insert(k, record<KEYBOARD_CUSTOM_LIGHT>(k));
        triggers.insert(k, record<KEYBOARD_TRIGGER_INFO>(k));
        quick.append(record<KEYBOARD_TRIGGER_INFO>(k));
        if (k < 10)
            effects.insert(k, QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create(KEYBOARD_EFFECT_LIGHT{k, 0, 0, 0, 0, 0, 0, 0}));
        if (k < 32)
            highKeys.append(gKeyboardConfig->createHighKey(uchar(k % 6), k));
    }
    const MacroList macro(20, QSharedPointer<KEYBOARD_MACRO_INFO>::create());
    HIGH_KEY_INFO one = *gKeyboardConfig->createHighKey(1, 7);
    one.item = 3;

    return {
        {0xE2, [](U &u) { u.usb_get_product_info(Source, NoWait); }},
        {0xDE, [](U &u) { u.usb_get_whole_param(Source, NoWait); }},
        {0xD0, [](U &u) { u.usb_set_whole_param(Source, NoWait, QSharedPointer<KEYBOARD_PARAMS>::create()); }},
        {0xE0, [chunk](U &u) mutable { u.usb_download_fireware_keyboard(Source, NoWait, 1, 8, chunk); }},
        {0xE3, [](U &u) { u.usb_download_fireware_keyboard_end(Source, NoWait, 1, 2); }},
        {0xE5, [chunk](U &u) mutable { u.usb_download_fireware_data(Source, NoWait, 2, 8, chunk); }},
        {0xE6, [](U &u) { u.usb_download_fireware_data_end(Source, NoWait, 1, 2); }},
        {0xE1, [](U &u) { u.usb_reset_keyboard(Source, NoWait); }},
        {0xAB, [](U &u) { u.usb_get_high_key(Source, NoWait); }},
        {0xA3, [highKeys](U &u) { u.usb_set_high_key(Source, NoWait, highKeys); }},
        {0xA2, [one](U &u) { u.usb_add_high_key(Source, NoWait, one); }},
        {0xA5, [one](U &u) { u.usb_del_high_key(Source, NoWait, one); }},
        {0xC2, [](U &u) { u.usb_get_macro_config(Source, NoWait, 4); }},
        {0xC0, [macro](U &u) { u.usb_set_macro_config(Source, NoWait, 2, macro); }},
        {0xC1, [](U &u) { u.usb_del_macro_config(Source, NoWait, 9); }},
        {0xD2, [](U &u) { u.usb_get_calibration_state(Source, NoWait); }},
        {0xD3, [](U &u) { u.usb_set_report_calibration(Source, NoWait, true); }},
        {0xD4, [](U &u) { u.usb_save_calibration(Source, NoWait); }},
        {0xDB, [](U &u) { u.usb_get_calibration_adc(Source, NoWait); }},
        {0xD7, [](U &u) { u.usb_get_config_info(Source, NoWait); }},
        {0xD5, [](U &u) { u.usb_switch_config_table(Source, NoWait, 1); }},
        {0xD8, [](U &u) { u.usb_add_config_table(Source, NoWait, 2); }},
        {0xD9, [](U &u) { u.usb_del_config_table(Source, NoWait, 3); }},
        {0xD6, [](U &u) { u.usb_set_config_info(Source, NoWait, 1, QStringLiteral("配置文件名称很长很长很长")); }},
        {0x96, [](U &u) { u.usb_get_custom_light(Source, NoWait); }},
        {0x91, [lights](U &u) { u.usb_set_custom_light_all(Source, NoWait, lights); }},
        {0x90, [keys](U &u) { u.usb_set_custom_light(Source, NoWait, KEYBOARD_EFFECT_LIGHT(), keys); }},
        {0x98, [](U &u) { u.usb_get_effect_light_name(Source, NoWait); }},
        {0x97, [](U &u) { u.usb_get_effect_light(Source, NoWait, 255); }},
        {0x94, [effects](U &u) { u.usb_set_effect_light_all(Source, NoWait, effects); }},
        {0x93, [](U &u) { u.usb_set_effect_light(Source, NoWait, KEYBOARD_EFFECT_LIGHT()); }},
        {0x99, [](U &u) { u.usb_select_effect_light(Source, NoWait, 5); }},
        {0xAA, [](U &u) { u.usb_get_keyboard_config(Source, NoWait, 1); }},
        {0xA0, [keyMap](U &u) { u.usb_set_keyboard_config(Source, NoWait, 0, keyMap); }},
        {0xA4, [](U &u) { u.usb_set_keyboard_default(Source, NoWait, 0, {0xFF, 0xFF}); }},
        {0xAC, [](U &u) { u.usb_get_trigger_config(Source, NoWait); }},
        {0xA8, [triggers](U &u) { u.usb_set_trigger_config_all(Source, NoWait, triggers); }},
        {0xA6, [keys](U &u) { u.usb_set_trigger_config(Source, NoWait, KEYBOARD_TRIGGER_INFO(), keys); }},
        {0xA7, [quick](U &u) { u.usb_set_quick_trigger_config(Source, NoWait, quick); }},
    };
}

void copyEverything(U &u)
{
    for (auto copy : {&U::syncProductInfo, &U::syncWholeParam, &U::syncConfigInfo, &U::syncCustomLight, &U::syncModifyCustomLight,
                      &U::syncEffectLightName, &U::syncEffectLight, &U::syncModifyEffectLight, &U::syncHighKey, &U::syncTriggerConfig,
                      &U::syncModifyTriggerConfig, &U::syncModifyQuickTriggerConfig})
        (u.*copy)();
    for (uchar i = 0; i < 11; ++i) {
        u.syncMacroConfig(i);
        u.syncKeyboardConfig(i); // layers 0 and 1; any other is no layer
        u.syncSetKeyboardConfig(i);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Harness harness;
    static const std::vector<Request> table = requests();
    if (size < 2)
        return 0;
    harness.link(data[1] & 1 ? 64 : 128);
    const Request &request = table[data[0] % table.size()];
    request.make(*gUsbCommunicateUtil);

    const int capacity = harness.frameSize - 6;
    size_t at = 2;
    for (int frames = 0; frames < 16 && at + 4 <= size; ++frames) {
        const uchar selector = data[at];
        const uchar order = selector < 0xC0 ? request.reply : (selector < 0xE0 ? 0xF1 : (selector < 0xF0 ? 0xD3 : selector));
        // The reader never hands on more than a frame holds, nor more than arrived.
        const int length = qMin(int(data[at + 3]), capacity);
        const int available = int(qMin<size_t>(size - at - 4, size_t(length)));
        const QByteArray payload(reinterpret_cast<const char *>(data + at + 4), available);
        QMetaObject::invokeMethod(gUsbCommunicateUtil.data(), "usb_receive_data", Qt::DirectConnection, Q_ARG(uchar, order),
                                  Q_ARG(uchar, data[at + 1]), Q_ARG(uchar, data[at + 2]), Q_ARG(uchar, uchar(available)), Q_ARG(QByteArray, payload));
        at += 4 + size_t(available);
    }
    copyEverything(*gUsbCommunicateUtil);
    // The model would be reset between keyboards; keep it from growing across inputs.
    gKeyboardConfig->resetKeyboardConfig();
    return 0;
}
