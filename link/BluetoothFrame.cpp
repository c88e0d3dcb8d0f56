#include "link/BluetoothFrame.h"

#include <algorithm>

bool BluetoothFrame::parse(const QByteArray &bytes, int frameSize, BluetoothFrame *out)
{
    const int available = std::min<qsizetype>(bytes.size(), std::max(frameSize, 0));
    if (available < HEAD_SIZE || uchar(bytes.at(0)) != FRAME_TAG) {
        return false;
    }
    const uchar length = uchar(bytes.at(5));
    if (HEAD_SIZE + int(length) > available) {
        // A frame cut short, or a length byte beyond the frame: never hand on bytes that did
        // not arrive as part of this frame.
        return false;
    }
    out->order = uchar(bytes.at(1));
    out->frame = uchar(bytes.at(2));
    out->total = uchar(bytes.at(3));
    out->length = length;
    out->data = bytes.mid(HEAD_SIZE, length);
    return true;
}

int BluetoothFrame::pieceSize(int mtu)
{
    return std::max(mtu, MIN_MTU) - ATT_WRITE_OVERHEAD;
}

QList<QByteArray> BluetoothFrame::split(const QByteArray &frame, int mtu)
{
    const int size = pieceSize(mtu);
    QList<QByteArray> pieces;
    pieces.reserve((frame.size() + size - 1) / size);
    for (qsizetype offset = 0; offset < frame.size(); offset += size) {
        pieces.append(frame.mid(offset, size));
    }
    return pieces;
}
