#pragma once
// Handlers of the emulated keyboard for its identity (0x62) and its board parameters
// (read 0x5E, write 0x50).

#include <QByteArray>

class EmulatedKeyboard;
struct EmulatedIdentity;
struct KEYBOARD_PARAMS;

class EmulatedIdentityCommands
{
public:
    static constexpr unsigned char GetProductInfo = 0x62;
    static constexpr unsigned char GetWholeParam = 0x5E;
    static constexpr unsigned char SetWholeParam = 0x50;

    static void install(EmulatedKeyboard &keyboard);

    // Identity reply payload; the text fields' offsets and widths depend on the frame size
    // (128: customer 30 bytes at 10, product 20 at 40, logo 8 at 60; else 18 at 10, 20 at 28, 8 at 48).
    static QByteArray identityPayload(const EmulatedIdentity &identity, int frameSize);
    // The 11-byte board parameter reply payload.
    static QByteArray paramsPayload(const KEYBOARD_PARAMS &params);
    // Applies a parameter write payload (bytes 1 to 10; byte 0 and bytes 11 on are filler).
    // False when the payload is too short to hold them.
    static bool applyParams(const QByteArray &payload, KEYBOARD_PARAMS *params);
};
