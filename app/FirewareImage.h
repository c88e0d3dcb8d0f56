#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

// A keyboard firmware image file ("firmware.bin" in a product's data folder): a 40-byte header,
// then the payload the keyboard receives. Header fields, little-endian: the product's serial
// number (u16 at 0) and two values the keyboard gets back in the end frame (u32 at 4 and 8); the
// other header bytes are not read.
//
// The payload travels in data frames numbered from 1, each an output report of report id 0 and
// one frame of the interface's size: tag 0xFA, order 0x60, the frame number (u16), 0, the chunk
// length, the chunk; the last frame carries what is left. The end frame (order 0x63, frame 1 of 1,
// 8 bytes) then repeats header bytes 4 to 11. The frame number is 16 bits wide, so an image of
// more than 65535 frames, like one without payload, cannot be sent and is refused.
class FirewareImage
{
public:
    static constexpr int HeaderSize = 40;
    static constexpr int MaxFrames = 65535;
    static constexpr uchar DataOrder = 0x60;
    static constexpr uchar EndOrder = 0x63;

    // Codes of the result table shared with the configuration files.
    enum Result {
        Ok = 0,
        ErrorProductMismatch = -23, // the header names another product
        ErrorFile = -55,            // the file does not open, or cannot be sent as it is
    };

    // Opens the image at path for the product with serialNumber, to be sent in frames of
    // frameSize bytes. ErrorFile when the file does not open, holds no payload after its header,
    // or needs more than MaxFrames frames; ErrorProductMismatch when its header names another
    // product. Nothing is kept open after a failure.
    int open(const QString &path, quint16 serialNumber, int frameSize);
    void close();

    quint16 serialNumber() const { return mSerialNumber; }
    quint32 firstEndValue() const { return mFirstEndValue; }
    quint32 secondEndValue() const { return mSecondEndValue; }
    qint64 size() const { return mSize; }
    int frameCount() const { return mFrameCount; }
    // File offset and chunk length of data frame n (1 to frameCount()).
    qint64 frameOffset(int n) const;
    int frameLength(int n) const;
    // Share of the payload that lies before frame n, in percent.
    int percentBefore(int n) const;

    // The output report of data frame n, read from the file now; empty when n lies outside the
    // image or the file no longer yields the whole chunk (it changed since it was opened).
    QByteArray dataReport(int n);
    // The output report of the end frame.
    QByteArray endReport() const;

private:
    QByteArray frameReport(uchar order, quint16 number, const QByteArray &payload) const;

    QFile mFile;
    int mFrameSize = 0;
    int mChunkSize = 0;
    quint16 mSerialNumber = 0;
    quint32 mFirstEndValue = 0;
    quint32 mSecondEndValue = 0;
    qint64 mSize = 0;
    int mFrameCount = 0;
};
