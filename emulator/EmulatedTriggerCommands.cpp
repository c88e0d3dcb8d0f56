#include "emulator/EmulatedTriggerCommands.h"

#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"

using Blocks = EmulatedKeyBlocks;

QByteArray EmulatedTriggerCommands::triggerGroup(const KEYBOARD_TRIGGER_INFO &info)
{
    return Blocks::u16Bytes(info.trigger) + char(info.model ? 1 : 0) + char(info.quick ? 1 : 0)
        + Blocks::u16Bytes(info.quickTrigger) + Blocks::u16Bytes(info.resetTrigger);
}

void EmulatedTriggerCommands::applyGroup(const QByteArray &bytes, int at, KEYBOARD_TRIGGER_INFO *info)
{
    info->trigger = Blocks::u16At(bytes, at);
    info->model = bytes[at + 2] != 0;
    info->quick = bytes[at + 3] != 0;
    info->quickTrigger = Blocks::u16At(bytes, at + 4);
    info->resetTrigger = Blocks::u16At(bytes, at + 6);
}

void EmulatedTriggerCommands::tuneForPlay(EmulatedProfile &profile)
{
    struct Tuning {
        uchar usage; // HID keyboard usage of the key's function
        quint16 trigger;
        bool rapid;
        bool continuous;
        quint16 press;
        quint16 release;
    };
    const Tuning tunings[] = {
        {0x1A, 60, true, false, 15, 20}, {0x04, 60, true, false, 15, 20}, {0x16, 60, true, false, 15, 20},
        {0x07, 60, true, false, 15, 20}, {0x2C, 80, true, true, 25, 30},  {0x14, 150, false, false, 30, 30},
        {0x08, 150, false, false, 30, 30}, {0x15, 150, false, false, 30, 30}, {0x29, 250, false, false, 30, 30},
    };
    for (const KEYBOARD_KEY_INFO &key : std::as_const(profile.normalLayer)) {
        for (const Tuning &tuning : tunings) {
            if (key.type != 1 || key.lValue != tuning.usage || !profile.triggers.contains(key.keyItem))
                continue;
            KEYBOARD_TRIGGER_INFO &info = profile.triggers[key.keyItem];
            info.trigger = tuning.trigger;
            info.model = tuning.rapid;
            info.quick = tuning.continuous;
            info.quickTrigger = tuning.press;
            info.resetTrigger = tuning.release;
        }
    }
}

void EmulatedTriggerCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(GetTrigger, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        const auto &triggers = state.profile().triggers;
        const QList<KeyBlock> blocks = Blocks::split(triggers.keys(), (replies.payloadCapacity() - 1) / 8);
        Blocks::answerFrame(request, replies, Blocks::blockPayloads(blocks, QByteArray(), [&triggers](uchar key) {
            return triggerGroup(triggers.value(key));
        }));
    });
    keyboard.setHandler(SetTriggerAll, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        // [first key, count, 8-byte group per key]; a count that disagrees with the length is refused.
        const QByteArray &p = request.payload();
        if (p.size() < 2 || p.size() != 2 + 8 * uchar(p[1]))
            return;
        Blocks::applyFrom(state.profile().triggers, uchar(p[0]), uchar(p[1]),
                          [&p](KEYBOARD_TRIGGER_INFO &info, int i) { applyGroup(p, 2 + 8 * i, &info); });
        Blocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(SetTrigger, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        // [trigger u16, keys...]
        const QByteArray &p = request.payload();
        if (p.size() < 3)
            return;
        Blocks::applyToListed(state.profile().triggers, p, 2,
                              [&p](KEYBOARD_TRIGGER_INFO &info) { info.trigger = Blocks::u16At(p, 0); });
        Blocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(SetQuickTrigger, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                            KeyboardReplies &replies) {
        // (key, 0, model, quick, quickTrigger u16, resetTrigger u16) per key; the actuation stays.
        const QByteArray &p = request.payload();
        if (p.isEmpty() || p.size() % 8 != 0)
            return;
        auto &triggers = state.profile().triggers;
        for (int at = 0; at < p.size(); at += 8) {
            const uchar key = uchar(p[at]);
            if (!triggers.contains(key))
                continue;
            KEYBOARD_TRIGGER_INFO &info = triggers[key];
            const quint16 trigger = info.trigger;
            applyGroup(p, at, &info);
            info.trigger = trigger;
        }
        Blocks::confirmFrame(request, replies);
    });
}
