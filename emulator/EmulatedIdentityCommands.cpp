#include "emulator/EmulatedIdentityCommands.h"

#include "emulator/EmulatedKeyboard.h"

namespace {
void putU16(QByteArray &bytes, int at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

quint16 u16At(const QByteArray &bytes, int at)
{
    return quint16(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
}

// A zero-padded text field; a longer text is cut to the field's width.
void putText(QByteArray &bytes, int at, int width, const QByteArray &text)
{
    bytes.replace(at, qMin(width, int(text.size())), text.left(width));
}
} // namespace

QByteArray EmulatedIdentityCommands::identityPayload(const EmulatedIdentity &identity, int frameSize)
{
    const bool wide = frameSize == 128;
    QByteArray payload(wide ? 68 : 56, '\0');
    putU16(payload, 0, identity.serialNumber);
    putU16(payload, 2, identity.version);
    payload[4] = char(identity.flags);
    putText(payload, 10, wide ? 30 : 18, identity.customerName);
    putText(payload, wide ? 40 : 28, 20, identity.productName);
    putText(payload, wide ? 60 : 48, 8, identity.logoName);
    return payload;
}

QByteArray EmulatedIdentityCommands::paramsPayload(const KEYBOARD_PARAMS &params)
{
    QByteArray payload(11, '\0');
    payload[0] = char(params.reserve);
    payload[1] = char(params.touchOptimize ? 1 : 0);
    putU16(payload, 2, params.deadDown);
    putU16(payload, 4, params.deadUp);
    payload[6] = char(params.pollingRate);
    payload[7] = char(params.shakeLevel);
    payload[8] = char(params.calibration ? 1 : 0);
    payload[9] = char(params.sportsMode ? 1 : 0);
    payload[10] = char(params.currentLayer);
    return payload;
}

bool EmulatedIdentityCommands::applyParams(const QByteArray &payload, KEYBOARD_PARAMS *params)
{
    if (payload.size() < 11)
        return false;
    params->touchOptimize = payload[1] != 0;
    params->deadDown = u16At(payload, 2);
    params->deadUp = u16At(payload, 4);
    params->pollingRate = uchar(payload[6]);
    params->shakeLevel = uchar(payload[7]);
    params->calibration = payload[8] != 0;
    params->sportsMode = payload[9] != 0;
    params->currentLayer = uchar(payload[10]);
    return true;
}

void EmulatedIdentityCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(GetProductInfo, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                           KeyboardReplies &replies) {
        state.identity.lastHostClock = request.payload();
        replies.send(identityPayload(state.identity, request.frameSize));
    });
    keyboard.setHandler(GetWholeParam, [](EmulatedKeyboardState &state, const KeyboardRequest &,
                                          KeyboardReplies &replies) { replies.send(paramsPayload(state.params)); });
    keyboard.setHandler(SetWholeParam, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        // A write too short to carry the parameters is ignored, and not answered.
        if (applyParams(request.payload(), &state.params))
            replies.send(QByteArray());
    });
}
