#include "app/FirewareImage.h"

#include "link/DeviceFrame.h"
#include "model/LittleEndian.h"

#include <QtEndian>

#include <cstring>

int FirewareImage::open(const QString &path, quint16 serialNumber, int frameSize)
{
    close();
    mFrameSize = frameSize;
    mChunkSize = frameSize - DeviceFrame::HEAD_SIZE;
    mFile.setFileName(path);
    if (path.isEmpty() || mChunkSize <= 0 || !mFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ErrorFile;

    mSize = mFile.size();
    const QByteArray header = mFile.read(HeaderSize);
    if (header.size() != HeaderSize) {
        close();
        return ErrorFile;
    }
    const auto *bytes = reinterpret_cast<const uchar *>(header.constData());
    mSerialNumber = LittleEndian::getU16(bytes);
    mFirstEndValue = qFromLittleEndian<quint32>(bytes + 4);
    mSecondEndValue = qFromLittleEndian<quint32>(bytes + 8);
    if (mSerialNumber != serialNumber) {
        close();
        return ErrorProductMismatch;
    }
    const qint64 payload = mSize - HeaderSize;
    const qint64 frames = (payload + mChunkSize - 1) / mChunkSize;
    if (payload <= 0 || frames > MaxFrames) {
        close();
        return ErrorFile;
    }
    mFrameCount = int(frames);
    return Ok;
}

void FirewareImage::close()
{
    mFile.close();
    mFrameCount = 0;
}

qint64 FirewareImage::frameOffset(int n) const
{
    return qint64(n - 1) * mChunkSize + HeaderSize;
}

int FirewareImage::frameLength(int n) const
{
    return n == mFrameCount ? int(mSize - frameOffset(n)) : mChunkSize;
}

int FirewareImage::percentBefore(int n) const
{
    return int(100 * (frameOffset(n) - HeaderSize) / (mSize - HeaderSize));
}

QByteArray FirewareImage::dataReport(int n)
{
    if (n < 1 || n > mFrameCount || !mFile.seek(frameOffset(n)))
        return QByteArray();
    const int length = frameLength(n);
    const QByteArray chunk = mFile.read(length);
    if (chunk.size() != length)
        return QByteArray();
    return frameReport(DataOrder, quint16(n), chunk);
}

QByteArray FirewareImage::endReport() const
{
    QByteArray values(8, '\0');
    auto *bytes = reinterpret_cast<uchar *>(values.data());
    LittleEndian::putU32(bytes, mFirstEndValue);
    LittleEndian::putU32(bytes + 4, mSecondEndValue);
    return frameReport(EndOrder, 0x0101, values);
}

QByteArray FirewareImage::frameReport(uchar order, quint16 number, const QByteArray &payload) const
{
    // Report id 0, then the frame, zero-filled to the interface's frame size.
    QByteArray report(mFrameSize + 1, '\0');
    auto *frame = reinterpret_cast<uchar *>(report.data()) + 1;
    DeviceFrame::writeHead(frame, order, uchar(number & 0xFF), uchar(number >> 8), uchar(payload.size()));
    std::memcpy(frame + DeviceFrame::HEAD_SIZE, payload.constData(), size_t(payload.size()));
    return report;
}
