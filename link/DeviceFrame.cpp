#include "link/DeviceFrame.h"

#include <algorithm>

DeviceFrame::ReadResult DeviceFrame::read(const uchar *bytes, int size, DeviceFrame *out)
{
    if (size < 1)
        return NoHead;
    if (bytes[0] != FRAME_TAG)
        return NotTagged;
    if (size < HEAD_SIZE)
        return NoHead;
    const uchar length = bytes[5];
    if (HEAD_SIZE + int(length) > size)
        return PayloadCut;
    out->order = bytes[1];
    out->frame = bytes[2];
    out->total = bytes[3];
    out->length = length;
    out->data = QByteArray(reinterpret_cast<const char *>(bytes + HEAD_SIZE), length);
    return Read;
}

bool DeviceFrame::parse(const QByteArray &bytes, int frameSize, DeviceFrame *out)
{
    const int available = int(std::min<qsizetype>(bytes.size(), std::max(frameSize, 0)));
    return read(reinterpret_cast<const uchar *>(bytes.constData()), available, out) == Read;
}

void DeviceFrame::writeHead(uchar *frame, uchar order, uchar byte2, uchar byte3, uchar length)
{
    frame[0] = FRAME_TAG;
    frame[1] = order;
    frame[2] = byte2;
    frame[3] = byte3;
    frame[4] = 0;
    frame[5] = length;
}
