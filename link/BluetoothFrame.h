#pragma once
// Device frames as the Bluetooth links carry them: reading one received frame, cutting an
// outgoing frame into Low Energy pieces, and the error codes the links report.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Codes reported through ble_error_callback by the Bluetooth manager and its links.
enum BluetoothLinkError {
    BLUETOOTH_ERROR_NO_DEVICE = -200,     // nothing to open, or the link could not be set up
    BLUETOOTH_ERROR_NOT_CONNECTED = -201, // classic write while not connected
    BLUETOOTH_ERROR_WRITE = -202,         // write refused, or the link is not ready for writing
};

// One received device frame: the head fields and exactly `length` payload bytes.
class BluetoothFrame
{
public:
    static constexpr uchar FRAME_TAG = 0xFA;
    static constexpr int HEAD_SIZE = 6;
    // Smallest ATT MTU; an LE write carries MTU - 3 bytes of value.
    static constexpr int MIN_MTU = 23;
    static constexpr int ATT_WRITE_OVERHEAD = 3;

    uchar order = 0;
    uchar frame = 0;
    uchar total = 0;
    uchar length = 0;
    QByteArray data;

    // Reads one frame from the start of `bytes` (one read or one notification). Bytes beyond
    // `frameSize` are not part of the frame. Returns false, leaving `out` untouched, when the
    // bytes hold no whole head, do not start with the tag, or the length byte claims more
    // payload than was received within the frame.
    static bool parse(const QByteArray &bytes, int frameSize, BluetoothFrame *out);

    // Value bytes per LE write for a reported MTU (a value below the minimum counts as 23).
    static int pieceSize(int mtu);
    // The frame cut into consecutive pieces of pieceSize(mtu) bytes, the last one shorter.
    static QList<QByteArray> split(const QByteArray &frame, int mtu);
};
