#include "link/BluetoothFrame.h"

#include <algorithm>

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
