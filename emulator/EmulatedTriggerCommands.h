#pragma once
// Handlers of the emulated keyboard for the travel settings of the active profile: read all
// (0x2C), write all (0x28), one actuation travel for listed keys (0x26) and the rapid-trigger
// settings of listed keys (0x27).

#include <QByteArray>

class EmulatedKeyboard;
struct EmulatedProfile;
struct KEYBOARD_TRIGGER_INFO;

class EmulatedTriggerCommands
{
public:
    static constexpr unsigned char SetTrigger = 0x26;
    static constexpr unsigned char SetQuickTrigger = 0x27;
    static constexpr unsigned char SetTriggerAll = 0x28;
    static constexpr unsigned char GetTrigger = 0x2C;

    static void install(EmulatedKeyboard &keyboard);

    // A key's 8-byte group: trigger u16, model, quick, quickTrigger u16, resetTrigger u16.
    static QByteArray triggerGroup(const KEYBOARD_TRIGGER_INFO &info);
    // Applies the group at bytes[at] to info (its key number stays).
    static void applyGroup(const QByteArray &bytes, int at, KEYBOARD_TRIGGER_INFO *info);

    // Tunes the profile's travel the way a player sets up a game: W, A, S and D actuate early
    // with rapid trigger, Space with continuous rapid trigger, Q, E and R a little deeper and Esc
    // deep; keys found by their function on the normal layer.
    static void tuneForPlay(EmulatedProfile &profile);
};
