#pragma once
// Handlers of the emulated keyboard for its lighting: per-key colours (read 0x16, write all 0x11,
// one colour for listed keys 0x10) and preset effects (names 0x18, read 0x17, write all 0x14,
// write one 0x13, select 0x19). All of them act on the active profile.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class EmulatedKeyboard;
class EmulatedKeyboardState;
struct KEYBOARD_EFFECT_LIGHT;

class EmulatedLightingCommands
{
public:
    static constexpr unsigned char SetCustomLight = 0x10;
    static constexpr unsigned char SetCustomLightAll = 0x11;
    static constexpr unsigned char SetEffectLight = 0x13;
    static constexpr unsigned char SetEffectLightAll = 0x14;
    static constexpr unsigned char GetCustomLight = 0x16;
    static constexpr unsigned char GetEffectLight = 0x17;
    static constexpr unsigned char GetEffectLightName = 0x18;
    static constexpr unsigned char SelectEffectLight = 0x19;
    // Width of every effect name field.
    static constexpr int EffectNameWidth = 20;

    static void install(EmulatedKeyboard &keyboard);

    // Effects as a real keyboard has them, for the emulated program and the page tests: ten
    // named effects (English for language byte 0, Vietnamese for 7, Chinese for any other) with
    // the settings each one offers, and every key lit white at brightness 80, in every profile.
    static void fillShowcase(EmulatedKeyboardState &state);

    // The names the keyboard reports for a language byte, in index order.
    static QMap<uchar, QString> effectNames(const EmulatedKeyboardState &state, unsigned char language);
    // The name reply, one payload per frame: [index of the frame's first name, width, fields...],
    // (payload - 2) / width fields a frame; an empty name is an all-zero field that takes no index.
    static QList<QByteArray> effectNamePayloads(const QMap<uchar, QString> &names, int frameSize,
                                                int width = EffectNameWidth);
    // An effect in its wire order: item, light, speed, fullColor, functionFlag, R, G, B.
    static QByteArray effectBytes(const KEYBOARD_EFFECT_LIGHT &effect);
    static KEYBOARD_EFFECT_LIGHT effectFromBytes(const QByteArray &bytes, int at);
};
