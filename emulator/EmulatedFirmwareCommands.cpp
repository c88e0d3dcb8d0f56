#include "emulator/EmulatedFirmwareCommands.h"

#include "emulator/EmulatedKeyboard.h"

namespace {
quint32 u32At(const QByteArray &bytes, int at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

QByteArray status(uchar code)
{
    return QByteArray(1, char(code));
}

// A test-injected refusal, counted down.
bool refuse(EmulatedFirmware &firmware, KeyboardReplies &replies)
{
    if (firmware.refuseNext <= 0)
        return false;
    --firmware.refuseNext;
    replies.send(status(firmware.refuseStatus));
    return true;
}

quint16 u16At(const QByteArray &bytes, int at)
{
    return quint16(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
}

// A firmware data file is whole once the frames its header (frame 1: 40 bytes, the frame count
// at 28) announces have come; its payload must then be as long and sum up as the header says.
uchar dataVerdict(EmulatedFirmwareImage &image)
{
    const QByteArray header = image.chunks.value(1);
    if (header.size() != 40 || image.chunks.lastKey() != u16At(header, 28))
        return EmulatedFirmwareCommands::StatusAccepted;
    QByteArray payload;
    for (auto it = image.chunks.cbegin(); it != image.chunks.cend(); ++it) {
        if (it.key() > 1)
            payload += it.value();
    }
    quint32 sum = 0;
    for (const char byte : std::as_const(payload))
        sum += uchar(byte);
    if (quint32(payload.size()) != u32At(header, 16) || sum != u32At(header, 24))
        return EmulatedFirmwareCommands::StatusBadData;
    image.ended = true;
    return EmulatedFirmwareCommands::StatusAccepted;
}

void handleChunk(EmulatedFirmware &firmware, EmulatedFirmwareImage &image, const KeyboardRequest &request,
                 KeyboardReplies &replies, bool data)
{
    if (refuse(firmware, replies))
        return;
    const quint16 number = quint16(request.frame.frame | (request.frame.total << 8));
    // After an end, or when the first number comes again after later ones (a flashing that broke
    // off and started over), a new image begins.
    const bool startsOver = image.chunks.size() > 1 && number == image.chunks.firstKey();
    if (image.ended || startsOver)
        image = EmulatedFirmwareImage();
    if (!image.chunks.isEmpty()) {
        const quint16 last = image.chunks.lastKey();
        if (number != last && number != quint16(last + 1)) {
            replies.send(status(EmulatedFirmwareCommands::StatusOutOfOrder));
            return;
        }
    }
    image.chunks.insert(number, request.payload());
    replies.send(status(data ? dataVerdict(image) : EmulatedFirmwareCommands::StatusAccepted));
}

void handleEnd(EmulatedFirmware &firmware, EmulatedFirmwareImage &image, const KeyboardRequest &request,
               KeyboardReplies &replies)
{
    if (refuse(firmware, replies))
        return;
    if (firmware.endRefusals > 0) {
        for (int i = 0; i < firmware.endRefusals; ++i)
            replies.send(status(firmware.refuseStatus));
        return;
    }
    if (image.chunks.isEmpty() || request.payload().size() != 8) {
        replies.send(status(EmulatedFirmwareCommands::StatusNoImage));
        return;
    }
    // The end payload carries the second value first.
    image.endSecond = u32At(request.payload(), 0);
    image.endFirst = u32At(request.payload(), 4);
    image.ended = true;
    replies.send(status(EmulatedFirmwareCommands::StatusAccepted));
}
} // namespace

QByteArray EmulatedFirmwareImage::assembled() const
{
    QByteArray bytes;
    for (const QByteArray &chunk : chunks)
        bytes += chunk;
    return bytes;
}

void EmulatedFirmwareCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(KeyboardChunk, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        handleChunk(state.firmware, state.firmware.keyboard, request, replies, false);
    });
    keyboard.setHandler(DataChunk, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                      KeyboardReplies &replies) {
        handleChunk(state.firmware, state.firmware.data, request, replies, true);
    });
    keyboard.setHandler(KeyboardEnd, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                        KeyboardReplies &replies) {
        handleEnd(state.firmware, state.firmware.keyboard, request, replies);
    });
    keyboard.setHandler(DataEnd, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                    KeyboardReplies &replies) {
        handleEnd(state.firmware, state.firmware.data, request, replies);
    });
    keyboard.setHandler(Reset, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                  KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        // Only the exact confirmation bytes reset the keyboard.
        if (payload.size() == 2 && uchar(payload[0]) == 0x5A && uchar(payload[1]) == 0xA5) {
            state.resetProfiles();
            ++state.firmware.resets;
        }
        replies.send(QByteArray());
    });
}
