#pragma once
// Handlers of the emulated keyboard for firmware download (chunks 0x60 and 0x65, ends 0x63 and
// 0x66) and the factory reset (0x61).
//
// A chunk carries its 16-bit number in head bytes 2 and 3. The keyboard takes the first chunk of
// an image with any number and each later one only as the next number (or the same number again,
// a resend); the first number again after later ones starts the image over. A gap, an empty image
// at its end, or a refusal the test asked for is answered with a non-zero status.
//
// A firmware data file (0x65) has no end command: its frame 1 is the file's 40-byte header, which
// announces the number of frames (u16 at 28), the payload's length (u32 at 16) and byte sum (u32
// at 24). With the last frame the data is complete (ended) when length and sum agree; otherwise
// that frame is answered with StatusBadData.

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
    static constexpr uchar StatusBadData = 4;
    // Not ready for the frame yet: the host sends it again after a pause (a test asks for it
    // through refuseStatus).
    static constexpr uchar StatusBusy = 11;

    static void install(EmulatedKeyboard &keyboard);
};
