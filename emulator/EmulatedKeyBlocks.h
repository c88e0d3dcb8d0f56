#pragma once
// What the emulated keyboard's per-key and multi-frame commands share: the split of its keys into
// frames that name only their first key, the answer to one frame of a multi-frame read, and the
// little-endian fields of its payloads.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QtGlobal>

#include <functional>

struct KeyboardRequest;
class KeyboardReplies;

// One frame of a per-key block: the keys it carries, consecutive numbers from keys.first().
using KeyBlock = QList<uchar>;

class EmulatedKeyBlocks
{
public:
    // Splits keys (ascending, no repeats) into runs of consecutive numbers, 255 followed by 0
    // counting as consecutive, and each run into blocks of at most perFrame keys. The first run
    // starts at a key whose predecessor is missing, so a run across 255 stays whole.
    static QList<KeyBlock> split(const QList<uchar> &keys, int perFrame);

    // Answers frame k of a read (k from the request's head) with payload k of the list, as frame
    // k of the list's size; a frame number outside the list goes unanswered.
    static void answerFrame(const KeyboardRequest &request, KeyboardReplies &replies,
                            const QList<QByteArray> &payloads);
    // The confirmation of one frame of a write: an empty payload, the request's frame numbers.
    static void confirmFrame(const KeyboardRequest &request, KeyboardReplies &replies);

    // Per-key frames of a read: for each block, [first key] + the entries built by entry().
    static QList<QByteArray> blockPayloads(const QList<KeyBlock> &blocks, const QByteArray &head,
                                           const std::function<QByteArray(uchar key)> &entry);

    // The n keys a write frame stands for: first, first + 1, ... (wrapping at 255).
    static KeyBlock keysFrom(uchar first, int n);

    // Entry i of a write frame belongs to key first + i: apply(record, i) for each such key the
    // keyboard has; keys it lacks are passed over.
    template<typename Record, typename Apply>
    static void applyFrom(QMap<uchar, Record> &records, uchar first, int n, Apply apply)
    {
        for (int i = 0; i < n; ++i) {
            const auto it = records.find(uchar(first + i));
            if (it != records.end())
                apply(it.value(), i);
        }
    }
    // apply(record) for each key number in bytes from position `from` on that the keyboard has.
    template<typename Record, typename Apply>
    static void applyToListed(QMap<uchar, Record> &records, const QByteArray &bytes, int from, Apply apply)
    {
        for (qsizetype i = from; i < bytes.size(); ++i) {
            const auto it = records.find(uchar(bytes[i]));
            if (it != records.end())
                apply(it.value());
        }
    }

    static void putU16(QByteArray &bytes, int at, quint16 value);
    static QByteArray u16Bytes(quint16 value);
    static quint16 u16At(const QByteArray &bytes, int at);
    static uchar byteAt(const QByteArray &bytes, int at) { return uchar(bytes[at]); }
};
