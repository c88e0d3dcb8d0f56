#include "link/BluetoothLink.h"

#include "link/BluetoothFrame.h"

BluetoothLink::BluetoothLink(QObject *parent)
    : QObject(parent)
{
}

void BluetoothLink::deliverFrame(const QByteArray &bytes, int frameSize)
{
    BluetoothFrame frame;
    if (BluetoothFrame::parse(bytes, frameSize, &frame)) {
        emit ble_data_received_callback(frame.order, frame.frame, frame.total, frame.length,
                                        frame.data);
    }
}
