#pragma once
// Device frames as the emulated keyboard sees them: tag 0xFA, code, frame number, frame count,
// 0, payload length, then the payload; every frame has exactly the link's frame size.

#include <QByteArray>
#include <QtGlobal>

struct KeyboardFrame {
    uchar code = 0;
    uchar frame = 1;
    uchar total = 1;
    QByteArray payload;
};

class KeyboardFrameCodec
{
public:
    static constexpr uchar Tag = 0xFA;
    static constexpr int HeadSize = 6;

    // Payload bytes one frame carries at this frame size.
    static int payloadCapacity(int frameSize) { return frameSize - HeadSize; }

    // The frame, zero-padded to frameSize bytes; empty when the payload does not fit.
    static QByteArray encode(const KeyboardFrame &frame, int frameSize);
    static QByteArray encode(uchar code, uchar frame, uchar total, const QByteArray &payload, int frameSize);

    // An output report as the host writes it over USB: report id 0, then the frame.
    static QByteArray outputReport(uchar code, const QByteArray &payload, int frameSize, uchar frame = 1,
                                   uchar total = 1);

    // Reads a frame (no report id in front). False when the tag is not 0xFA, the bytes are
    // shorter than the head, byte 4 is not 0, or the length byte runs past the end.
    static bool decode(const QByteArray &bytes, KeyboardFrame *out);

    // Entries of entrySize bytes that fit in one frame behind headBytes of per-frame header.
    static int entriesPerFrame(int frameSize, int headBytes, int entrySize);
    // Frames needed for count entries at perFrame entries each (at least 1).
    static int frameCount(int count, int perFrame);
};
