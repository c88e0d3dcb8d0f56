#pragma once
// The keyboard's frame as every link carries it: a 6-byte head (tag 0xFA, order, frame number,
// frame count, 0, payload length) and the payload behind it. Reading a received frame and
// writing the head of an outgoing one both happen here, for the USB and the Bluetooth links.

#include <QByteArray>
#include <QtGlobal>

// One received device frame: the head fields and exactly `length` payload bytes.
class DeviceFrame
{
public:
    static constexpr uchar FRAME_TAG = 0xFA;
    static constexpr int HEAD_SIZE = 6;

    // Outcome of reading received bytes as a frame.
    enum ReadResult {
        Read,        // a whole frame
        NotTagged,   // the first byte is not the tag
        NoHead,      // fewer bytes than a head
        PayloadCut,  // the length byte claims more payload than arrived within the frame
    };

    uchar order = 0;
    uchar frame = 0;
    uchar total = 0;
    uchar length = 0;
    QByteArray data;

    // Reads one frame from the first `size` bytes at `bytes`. Anything but Read leaves `out`
    // untouched: bytes that did not arrive as part of the frame are never handed on.
    static ReadResult read(const uchar *bytes, int size, DeviceFrame *out);
    // Reads one frame from the start of `bytes` (one read or one notification). Bytes beyond
    // `frameSize` are not part of the frame. False, leaving `out` untouched, unless read
    // returns Read.
    static bool parse(const QByteArray &bytes, int frameSize, DeviceFrame *out);

    // Writes the head of an outgoing frame at `frame`. Bytes 2 and 3 are the frame number and
    // count, or whatever else a command carries there.
    static void writeHead(uchar *frame, uchar order, uchar byte2, uchar byte3, uchar length);
};
