#pragma once
// Handlers of the emulated keyboard for the key functions of its two layers (0 normal, 1 Fn1)
// in the active profile: read a layer (0x2A), write key functions (0x20) and restore factory
// functions (0x24). A key function travels as type, lValue, hValue.

#include <QByteArray>
#include <QList>

class EmulatedKeyboard;
class EmulatedKeyboardState;
struct KEYBOARD_KEY_INFO;
struct KeyboardRequest;
class KeyboardReplies;

class EmulatedKeyLayerCommands
{
public:
    static constexpr unsigned char SetKeyboardConfig = 0x20;
    static constexpr unsigned char SetKeyboardDefault = 0x24;
    static constexpr unsigned char GetKeyboardConfig = 0x2A;

    static void install(EmulatedKeyboard &keyboard);

    // The 0x2A handler: frame k of the layer asked for, [layer, first key, (type, lValue, hValue)
    // per key], (payload - 2) / 3 keys a frame. A layer above 1 goes unanswered.
    static void readLayer(EmulatedKeyboardState &state, const KeyboardRequest &request, KeyboardReplies &replies);

    // The factory function of a key on a layer (0 normal, any other value Fn1).
    static KEYBOARD_KEY_INFO factoryKey(const EmulatedKeyboardState &state, unsigned char layer, unsigned char key);
    static QByteArray keyBytes(const KEYBOARD_KEY_INFO &key);
};
