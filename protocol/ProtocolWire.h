#pragma once
// What the source files of UsbCommunicateUtil share and nobody else needs: the description of one
// command, the log form of a byte, and the walks over holding members and their copies into the
// keyboard model.

#include "protocol/UsbCommunicateUtil.h"

#include <QDebug>
#include <QString>

#include <iterator>

// What the engine needs to know of one command: its order code (the reply code is the order
// code with bit 7 set), the names its log lines carry, how its current frame is written, how an
// accepted reply is handled, and how its entries are split into frames.
struct UsbCommunicateUtil::Command {
    uchar order;
    const char *sendName;
    const char *receiveName;
    void (UsbCommunicateUtil::*send)();
    void (UsbCommunicateUtil::*receive)(const Reply &);
    int headBytes;  // payload bytes ahead of the entries in every frame
    int entrySize;  // bytes per entry; 0 when the command is not split into entries
    bool resend;    // written again when the reply timer expires
    bool hasStatus; // payload byte 0 of the reply is a status, 0 accepted
    bool numbered;  // a multi-frame exchange: a reply must carry the awaited frame number

    uchar reply() const { return uchar(order | 0x80); }
};

namespace ProtocolWire {

// "0x" and two upper-case hexadecimal digits, as every log line of the protocol writes a byte.
inline QString hex2(uint value)
{
    return QLatin1String("0x") + QString::number(value & 0xFF, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

// Replaces target by source and leaves source empty, so that the model holds the only reference.
template<typename Container>
void moveInto(Container &target, Container &source)
{
    target.clear();
    target = source;
    source.clear();
}

inline void warnMissing(const char *copy, const char *what, uint key)
{
    qWarning().noquote() << QStringLiteral("=== UsbCommunicateUtil %1 键盘模型中没有%2 {%3},跳过 ===")
                                .arg(QLatin1String(copy), QString::fromUtf8(what))
                                .arg(key);
}

// Walks one frame of a per-key map: count entries from position first on. The key number of
// the first goes to *key (when given), and put(i, record) writes entry i (a missing record as
// a zeroed one). Returns the entries walked, never more than the map holds.
template<typename Map, typename Put>
int putFrameEntries(const Map &map, int first, int count, uchar *key, Put put)
{
    using Record = typename Map::mapped_type::value_type;
    auto it = map.cbegin();
    std::advance(it, qBound(0, first, int(map.size())));
    if (key)
        *key = it == map.cend() ? 0 : it.key();
    int n = 0;
    for (; n < count && it != map.cend(); ++n, ++it)
        put(n, it.value() ? *it.value() : Record{});
    return n;
}

template<typename List>
bool containsNull(const List &list)
{
    for (const auto &entry : list) {
        if (!entry)
            return true;
    }
    return false;
}

} // namespace ProtocolWire
