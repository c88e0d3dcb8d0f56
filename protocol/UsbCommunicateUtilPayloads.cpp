// What the command families share in building and reading payloads: entries split into frames,
// per-key runs, the limit of a list write, and the text fields of replies and requests.

#include "protocol/UsbCommunicateUtil.h"

#include "link/UsbHidUtil.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

namespace {
constexpr int MaxListEntries = 255; // the entry count of a list write is one byte

// Bytes of a UTF-8 sequence that starts with lead; 0 for a byte that cannot start one.
int utf8SequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}
} // namespace

int UsbCommunicateUtil::entriesPerFrame(const Command &command) const
{
    if (command.entrySize <= 0)
        return 1;
    return qMax(1, (gUsbFrameEffectSize - command.headBytes) / command.entrySize);
}

bool UsbCommunicateUtil::beginFrames(const Command &command, int count)
{
    mEntryCount = count;
    if (count <= 0)
        return false;
    mFrameEntries = entriesPerFrame(command);
    mFrameCurrent = 1;
    mFrameTotal = (count - 1) / mFrameEntries + 1;
    return true;
}

// A write follows the frame count it computed, not the count its replies announce: the reply
// signals of writes carry that count, and no frame beyond it is ever built.
bool UsbCommunicateUtil::beginKeyFrames(const Command &command, const QList<uchar> &keys)
{
    mKeyFrames.clear();
    if (!beginFrames(command, int(keys.size())))
        return false;
    KeyFrame frame;
    for (int i = 0; i < keys.size(); ++i) {
        const bool follows = i > 0 && keys[i] == uchar(keys[i - 1] + 1);
        if (frame.count > 0 && (!follows || frame.count == mFrameEntries)) {
            mKeyFrames.append(frame);
            frame = KeyFrame{i, 0};
        }
        ++frame.count;
    }
    mKeyFrames.append(frame);
    mFrameTotal = int(mKeyFrames.size());
    return true;
}

UsbCommunicateUtil::KeyFrame UsbCommunicateUtil::currentKeyFrame() const
{
    if (mFrameCurrent < 1 || mFrameCurrent > mKeyFrames.size())
        return KeyFrame{};
    return mKeyFrames[mFrameCurrent - 1];
}

int UsbCommunicateUtil::firstEntryOfFrame() const
{
    return (mFrameCurrent - 1) * mFrameEntries;
}

int UsbCommunicateUtil::entriesOfFrame(int available) const
{
    const int first = firstEntryOfFrame();
    const int end = qMin(mEntryCount, available);
    if (mFrameCurrent < 1 || first >= end)
        return 0;
    return qMin(mFrameEntries, end - first);
}

bool UsbCommunicateUtil::refuseList(const Command &command, uchar source, qsizetype size, bool hasNull)
{
    if (size <= MaxListEntries && !hasNull)
        return false;
    qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 列表无法发送 count={%2};null={%3} ===")
                                .arg(QLatin1String(command.sendName))
                                .arg(size)
                                .arg(hasNull ? 1 : 0);
    Q_EMIT usb_communicate_error(source, command.reply(), ErrorWrite);
    return true;
}

QString UsbCommunicateUtil::ucharConvertString(const char *data, int width)
{
    if (!data || width <= 0)
        return QString();
    const int length = int(qstrnlen(data, uint(width)));
    QString text = QString::fromUtf8(data, length);
    text.remove(QChar(0));
    return text;
}

int UsbCommunicateUtil::utf8WholeCharacters(const char *utf8, int length, int maxBytes)
{
    const int cut = qMax(0, qMin(length, maxBytes));
    if (cut == 0)
        return 0;
    // Back over the continuation bytes to the lead byte of the last character.
    int lead = cut - 1;
    while (lead > 0 && cut - lead < 4 && (uchar(utf8[lead]) & 0xC0) == 0x80)
        --lead;
    const int need = utf8SequenceLength(uchar(utf8[lead]));
    // A sequence that is not UTF-8 at all is left for the decoder; only a cut character goes.
    if (need == 0 || lead + need <= cut)
        return cut;
    return lead;
}

QString UsbCommunicateUtil::nameField(const Reply &reply, int offset, int width)
{
    const int available = qMin(width, int(reply.length) - offset);
    if (available <= 0)
        return QString();
    const char *field = reinterpret_cast<const char *>(reply.data + offset);
    const int length = int(qstrnlen(field, uint(available)));
    return ucharConvertString(field, utf8WholeCharacters(field, length, length));
}
