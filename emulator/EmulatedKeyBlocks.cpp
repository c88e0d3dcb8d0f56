#include "emulator/EmulatedKeyBlocks.h"

#include "emulator/EmulatedKeyboard.h"

#include <QSet>

QList<KeyBlock> EmulatedKeyBlocks::split(const QList<uchar> &keys, int perFrame)
{
    QList<KeyBlock> blocks;
    if (keys.isEmpty() || perFrame <= 0)
        return blocks;
    const QSet<uchar> present(keys.cbegin(), keys.cend());
    qsizetype start = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (!present.contains(uchar(keys[i] - 1))) {
            start = i;
            break;
        }
    }
    KeyBlock block;
    for (qsizetype n = 0; n < keys.size(); ++n) {
        const uchar key = keys[(start + n) % keys.size()];
        if (!block.isEmpty() && (key != uchar(block.last() + 1) || block.size() == perFrame)) {
            blocks.append(block);
            block.clear();
        }
        block.append(key);
    }
    blocks.append(block);
    return blocks;
}

void EmulatedKeyBlocks::answerFrame(const KeyboardRequest &request, KeyboardReplies &replies,
                                    const QList<QByteArray> &payloads)
{
    const int k = request.frame.frame;
    if (k < 1 || k > payloads.size())
        return;
    replies.send(payloads[k - 1], uchar(k), uchar(payloads.size()));
}

void EmulatedKeyBlocks::confirmFrame(const KeyboardRequest &request, KeyboardReplies &replies)
{
    replies.send(QByteArray(), request.frame.frame, request.frame.total);
}

QList<QByteArray> EmulatedKeyBlocks::blockPayloads(const QList<KeyBlock> &blocks, const QByteArray &head,
                                                   const std::function<QByteArray(uchar key)> &entry)
{
    QList<QByteArray> payloads;
    for (const KeyBlock &block : blocks) {
        QByteArray payload = head + char(block.first());
        for (uchar key : block)
            payload += entry(key);
        payloads.append(payload);
    }
    if (payloads.isEmpty())
        payloads.append(head + char(0)); // no keys: one frame that carries none
    return payloads;
}

KeyBlock EmulatedKeyBlocks::keysFrom(uchar first, int n)
{
    KeyBlock keys;
    for (int i = 0; i < n; ++i)
        keys.append(uchar(first + i));
    return keys;
}

void EmulatedKeyBlocks::putU16(QByteArray &bytes, int at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

QByteArray EmulatedKeyBlocks::u16Bytes(quint16 value)
{
    QByteArray bytes(2, '\0');
    putU16(bytes, 0, value);
    return bytes;
}

quint16 EmulatedKeyBlocks::u16At(const QByteArray &bytes, int at)
{
    return quint16(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
}
