#pragma once
// Handlers of the emulated keyboard for firmware download (chunks 0x60 and 0x65, ends 0x63 and
// 0x66) and the factory reset (0x61).
//
// A chunk carries its 16-bit number in head bytes 2 and 3. The keyboard takes the first chunk of
// an image with any number and each later one only as the next number (or the same number again,
// a resend); the first number again after later ones starts the image over. A gap, an empty image
// at its end, or a refusal the test asked for is answered with a non-zero status.

#include <QtGlobal>

class EmulatedKeyboard;

class EmulatedFirmwareCommands
{
public:
    static constexpr uchar KeyboardChunk = 0x60;
    static constexpr uchar Reset = 0x61;
    static constexpr uchar KeyboardEnd = 0x63;
    static constexpr uchar DataChunk = 0x65;
    static constexpr uchar DataEnd = 0x66;

    static constexpr uchar StatusAccepted = 0;
    static constexpr uchar StatusOutOfOrder = 2;
    static constexpr uchar StatusNoImage = 3;

    static void install(EmulatedKeyboard &keyboard);
};
