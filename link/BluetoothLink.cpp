#include "link/BluetoothLink.h"

#include "link/DeviceFrame.h"

BluetoothLink::BluetoothLink(QObject *parent)
    : QObject(parent)
{
}

void BluetoothLink::deliverFrame(const QByteArray &bytes, int frameSize)
{
    DeviceFrame frame;
    if (DeviceFrame::parse(bytes, frameSize, &frame)) {
        emit ble_data_received_callback(frame.order, frame.frame, frame.total, frame.length,
                                        frame.data);
    }
}
