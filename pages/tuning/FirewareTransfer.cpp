#include "pages/tuning/FirewareTransfer.h"

#include "link/UsbHidUtil.h"
#include "model/LittleEndian.h"
#include "protocol/UsbCommunicateUtil.h"

#include <QDebug>

namespace {
constexpr uchar kChunkReply = 0xE0;
constexpr uchar kEndReply = 0xE3;
constexpr uchar kDataReply = 0xE5;
constexpr int kDataLengthAt = 16;
constexpr int kDataSumAt = 24;
constexpr int kDataFramesAt = 28;

quint32 wordAt(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

qint64 chunksOf(qint64 bytes, int chunk)
{
    return (bytes + chunk - 1) / chunk;
}
} // namespace

FirewareTransfer::FirewareTransfer(QObject *parent) : QObject(parent)
{
    if (!gUsbCommunicateUtil)
        return;
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    connect(protocol, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard, this,
            &FirewareTransfer::usb_receive_download_fireware_keyboard);
    connect(protocol, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end, this,
            &FirewareTransfer::usb_receive_download_fireware_keyboard_end);
    connect(protocol, &UsbCommunicateUtil::usb_receive_download_fireware_data, this,
            &FirewareTransfer::usb_receive_download_fireware_data);
    connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &FirewareTransfer::usb_communicate_error);
}

FirewareTransfer::~FirewareTransfer()
{
    abandon();
}

FirewareTransfer::Refusal FirewareTransfer::start(Kind kind, const QString &path)
{
    abandon();
    mKind = kind;
    mTotal = 0;
    if (!gUsbCommunicateUtil || !gUsbCommunicateUtil->checkCommunicateState())
        return LinkClosed;
    mFile.setFileName(path);
    if (!mFile.open(QIODevice::ReadOnly))
        return CannotOpen;
    mChunk = gUsbFrameEffectSize;
    mSize = mFile.size();
    const QByteArray header = mFile.read(HeaderSize);
    const Refusal refusal = mChunk <= 0 ? LinkClosed : kind == KeyboardImage ? prepareImage(header) : prepareData(header);
    if (refusal != Accepted) {
        qInfo().noquote() << QStringLiteral("=== FirewareTransfer 拒绝发送 kind={%1};size={%2};reason={%3} ===")
                                 .arg(kind)
                                 .arg(mSize)
                                 .arg(refusal);
        mFile.close();
        return refusal;
    }
    mIndex = 1;
    mEnding = false;
    Q_EMIT progress(0);
    // A frame that fails at once ends the transfer through finished(false).
    sendFrame();
    return Accepted;
}

FirewareTransfer::Refusal FirewareTransfer::prepareImage(const QByteArray &header)
{
    if (mSize <= HeaderSize)
        return NoPayload;
    if (header.size() < HeaderSize)
        return CannotOpen;
    mHead4 = wordAt(header, 4);
    mHead8 = wordAt(header, 8);
    mPos = HeaderSize;
    mTotal = int(qMin<qint64>(chunksOf(mSize - HeaderSize, mChunk), MaxFrames + 1));
    return mTotal > MaxFrames ? TooManyFrames : Accepted;
}

FirewareTransfer::Refusal FirewareTransfer::prepareData(const QByteArray &header)
{
    if (mSize < HeaderSize)
        return Mismatch;
    if (header.size() < HeaderSize)
        return CannotOpen;
    // What the size alone decides comes first: the sum reads the whole file, on the window's thread.
    if (mSize - HeaderSize != qint64(wordAt(header, kDataLengthAt)))
        return Mismatch;
    mPos = 0;
    // The header frame, then the payload's chunks; an empty payload still gets one (empty) frame.
    mTotal = int(qMin<qint64>(1 + qMax<qint64>(1, chunksOf(mSize - HeaderSize, mChunk)), MaxFrames + 1));
    if (mTotal > MaxFrames)
        return TooManyFrames;
    if (payloadSum(mFile) != wordAt(header, kDataSumAt))
        return Mismatch;
    return Accepted;
}

quint32 FirewareTransfer::payloadSum(QFile &file)
{
    quint32 sum = 0;
    if (!file.seek(HeaderSize))
        return sum;
    while (!file.atEnd()) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        for (const char byte : block)
            sum += uchar(byte);
    }
    return sum;
}

bool FirewareTransfer::sendFrame()
{
    const bool header = mKind == FirewareData && mIndex == 1;
    mLength = header ? HeaderSize : int(qMin<qint64>(mChunk, mSize - mPos));
    QByteArray frame(mLength, '\0');
    if (!mFile.seek(mPos) || mFile.read(frame.data(), mLength) != mLength) {
        // The file changed since it was checked.
        qWarning().noquote() << QStringLiteral("=== FirewareTransfer 读取文件失败 pos={%1};length={%2} ===").arg(mPos).arg(mLength);
        finish(false);
        return false;
    }
    if (header)
        LittleEndian::putU16(reinterpret_cast<uchar *>(frame.data()) + kDataFramesAt, quint16(mTotal));
    auto *data = reinterpret_cast<uchar *>(frame.data());
    if (mKind == KeyboardImage)
        gUsbCommunicateUtil->usb_download_fireware_keyboard(Source, true, ushort(mIndex), mLength, data);
    else
        gUsbCommunicateUtil->usb_download_fireware_data(Source, true, ushort(mIndex), mLength, data);
    return true;
}

bool FirewareTransfer::awaits(uchar source, Kind kind, bool end) const
{
    if (source != Source || !isRunning() || mKind != kind || mEnding != end) {
        qInfo().noquote() << QStringLiteral("=== FirewareTransfer 忽略应答 source={%1};kind={%2};end={%3};running={%4} ===")
                                 .arg(source)
                                 .arg(kind)
                                 .arg(end)
                                 .arg(isRunning());
        return false;
    }
    return true;
}

void FirewareTransfer::frameAccepted()
{
    mPos += mLength;
    ++mIndex;
    const qint64 done = mKind == KeyboardImage ? mPos - HeaderSize : mPos;
    const qint64 whole = mKind == KeyboardImage ? mSize - HeaderSize : mSize;
    Q_EMIT progress(int(qMin<qint64>(99, done * 100 / whole)));
    if (mIndex <= mTotal) {
        sendFrame();
    } else if (mKind == KeyboardImage) {
        mEnding = true;
        gUsbCommunicateUtil->usb_download_fireware_keyboard_end(Source, true, mHead8, mHead4);
    } else {
        finish(true);
    }
}

void FirewareTransfer::usb_receive_download_fireware_keyboard(uchar source, int, int)
{
    if (awaits(source, KeyboardImage, false))
        frameAccepted();
}

void FirewareTransfer::usb_receive_download_fireware_keyboard_end(uchar source, int, int)
{
    if (awaits(source, KeyboardImage, true))
        finish(true);
}

void FirewareTransfer::usb_receive_download_fireware_data(uchar source, int, int)
{
    if (awaits(source, FirewareData, false))
        frameAccepted();
}

void FirewareTransfer::usb_communicate_error(uchar source, uchar order, int error)
{
    if (source != Source || !isRunning())
        return;
    const bool ours = mKind == KeyboardImage ? (order == kChunkReply || order == kEndReply) : order == kDataReply;
    if (!ours)
        return;
    qInfo().noquote() << QStringLiteral("=== FirewareTransfer 发送失败 frame={%1};error={%2} ===").arg(mIndex).arg(error);
    finish(false);
}

void FirewareTransfer::finish(bool ok)
{
    mFile.close();
    mEnding = false;
    if (ok)
        Q_EMIT progress(100);
    Q_EMIT finished(ok);
}

void FirewareTransfer::abandon()
{
    if (!isRunning())
        return;
    qInfo().noquote() << QStringLiteral("=== FirewareTransfer 放弃发送 frame={%1} ===").arg(mIndex);
    mFile.close();
    mEnding = false;
}
