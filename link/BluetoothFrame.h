#pragma once
// Device frames as the Bluetooth links carry them: cutting an outgoing frame into Low Energy
// pieces, and the error codes the links report. A received frame is read as on every link
// (DeviceFrame).

#include "link/DeviceFrame.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Codes reported through ble_error_callback by the Bluetooth manager and its links.
enum BluetoothLinkError {
    BLUETOOTH_ERROR_NO_DEVICE = -200,     // nothing to open, or the link could not be set up
    BLUETOOTH_ERROR_NOT_CONNECTED = -201, // classic write while not connected
    BLUETOOTH_ERROR_WRITE = -202,         // write refused, or the link is not ready for writing
};

// A device frame on a Bluetooth link.
class BluetoothFrame : public DeviceFrame
{
public:
    // Smallest ATT MTU; an LE write carries MTU - 3 bytes of value.
    static constexpr int MIN_MTU = 23;
    static constexpr int ATT_WRITE_OVERHEAD = 3;

    // Value bytes per LE write for a reported MTU (a value below the minimum counts as 23).
    static int pieceSize(int mtu);
    // The frame cut into consecutive pieces of pieceSize(mtu) bytes, the last one shorter.
    static QList<QByteArray> split(const QByteArray &frame, int mtu);
};
