#include "emulator/KeyboardFrameCodec.h"

QByteArray KeyboardFrameCodec::encode(const KeyboardFrame &frame, int frameSize)
{
    return encode(frame.code, frame.frame, frame.total, frame.payload, frameSize);
}

QByteArray KeyboardFrameCodec::encode(uchar code, uchar frame, uchar total, const QByteArray &payload,
                                      int frameSize)
{
    if (frameSize <= HeadSize || payload.size() > payloadCapacity(frameSize))
        return QByteArray();
    QByteArray bytes(frameSize, '\0');
    bytes[0] = char(Tag);
    bytes[1] = char(code);
    bytes[2] = char(frame);
    bytes[3] = char(total);
    bytes[4] = 0;
    bytes[5] = char(payload.size());
    bytes.replace(HeadSize, payload.size(), payload);
    return bytes;
}

QByteArray KeyboardFrameCodec::outputReport(uchar code, const QByteArray &payload, int frameSize, uchar frame,
                                            uchar total)
{
    const QByteArray bytes = encode(code, frame, total, payload, frameSize);
    return bytes.isEmpty() ? bytes : QByteArray(1, '\0') + bytes;
}

bool KeyboardFrameCodec::decode(const QByteArray &bytes, KeyboardFrame *out)
{
    if (bytes.size() < HeadSize || uchar(bytes[0]) != Tag || bytes[4] != 0)
        return false;
    const int length = uchar(bytes[5]);
    if (HeadSize + length > bytes.size())
        return false;
    out->code = uchar(bytes[1]);
    out->frame = uchar(bytes[2]);
    out->total = uchar(bytes[3]);
    out->payload = bytes.mid(HeadSize, length);
    return true;
}

int KeyboardFrameCodec::entriesPerFrame(int frameSize, int headBytes, int entrySize)
{
    return (payloadCapacity(frameSize) - headBytes) / entrySize;
}

int KeyboardFrameCodec::frameCount(int count, int perFrame)
{
    return count <= 0 ? 1 : (count - 1) / perFrame + 1;
}
