#pragma once
// Handlers of the emulated keyboard for its ten macros: read 0x42, write 0x40, clear 0x41.
// A macro is read and written in frames of [index, n, n actions of 6 bytes]; a read of an empty
// macro is answered [0xFF, 0].

#include "model/KeyboardRecords.h"

#include <QByteArray>

class EmulatedKeyboard;

class EmulatedMacroCommands
{
public:
    static constexpr unsigned char GetMacro = 0x42;
    static constexpr unsigned char SetMacro = 0x40;
    static constexpr unsigned char DelMacro = 0x41;
    static constexpr int ActionSize = 6;

    static void install(EmulatedKeyboard &keyboard);

    // Actions one frame carries at this frame size.
    static int actionsPerFrame(int frameSize);
    // An action on the wire: state, type, lValue, hValue, time (u16 little-endian).
    static QByteArray encode(const KEYBOARD_MACRO_INFO &action);
    static KEYBOARD_MACRO_INFO decode(const QByteArray &wire);
};
