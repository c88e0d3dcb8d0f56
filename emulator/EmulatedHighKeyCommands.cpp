#include "emulator/EmulatedHighKeyCommands.h"

#include "emulator/EmulatedKeyLayerCommands.h"
#include "emulator/EmulatedKeyboard.h"

namespace {
constexpr unsigned char KindMt = 1;
constexpr unsigned char KindRs = 3;
constexpr unsigned char KindSocd = 5;

bool isPair(const HIGH_KEY_INFO &info)
{
    return info.item != EmulatedHighKeyCommands::FreeItem && info.attribute >= KindRs && info.attribute <= KindSocd;
}

int recordsPerFrame(int frameSize)
{
    return KeyboardFrameCodec::entriesPerFrame(frameSize, 0, EmulatedHighKeyCommands::WireSize);
}
} // namespace

QList<HIGH_KEY_INFO> &EmulatedHighKeyCommands::slotTable(EmulatedProfile &profile)
{
    while (profile.highKeys.size() < EmulatedKeyboardState::HighKeySlots)
        profile.highKeys.append(freeSlot());
    return profile.highKeys;
}

HIGH_KEY_INFO EmulatedHighKeyCommands::record(unsigned char slot, unsigned char kind, unsigned char keyItem,
                                              std::initializer_list<unsigned char> body)
{
    HIGH_KEY_INFO info;
    info.item = slot;
    info.attribute = kind;
    info.keyItem = keyItem;
    std::copy(body.begin(), body.begin() + qMin(body.size(), info.data.size()), info.data.begin());
    return info;
}

// The record's key (and a pair's second key) is bound on the normal layer to its slot; a pair
// whose second key changed gives the old one its factory function back.
void EmulatedHighKeyCommands::bind(EmulatedKeyboardState &state, const HIGH_KEY_INFO &info)
{
    QList<HIGH_KEY_INFO> &table = slotTable(state.profile());
    if (info.item >= table.size())
        return;
    const HIGH_KEY_INFO old = table[info.item];
    table[info.item] = info;
    QMap<uchar, KEYBOARD_KEY_INFO> &layer = state.profile().normalLayer;
    if (isPair(old) && old.data[0] != info.data[0] && layer.contains(old.data[0]))
        layer[old.data[0]] = EmulatedKeyLayerCommands::factoryKey(state, 0, old.data[0]);
    QList<uchar> keys{info.keyItem};
    if (isPair(info))
        keys.append(info.data[0]);
    for (uchar key : keys) {
        if (layer.contains(key))
            layer[key] = KEYBOARD_KEY_INFO{key, 4, 0, info.item};
    }
}

HIGH_KEY_INFO EmulatedHighKeyCommands::freeSlot()
{
    HIGH_KEY_INFO info;
    info.item = FreeItem;
    info.attribute = FreeItem;
    return info;
}

int EmulatedHighKeyCommands::wireLength(unsigned char kind)
{
    static const int lengths[] = {6, 12, 19, 4, 4, 5}; // TGL, MT, DKS, RS, OKS, SOCD
    return kind < 6 ? lengths[kind] : 0;
}

QByteArray EmulatedHighKeyCommands::encode(const HIGH_KEY_INFO &info)
{
    QByteArray wire(WireSize, '\0');
    wire[0] = char(info.item);
    wire[1] = char(info.attribute);
    const int length = wireLength(info.attribute);
    if (length == 0)
        return wire;
    wire[2] = char(info.keyItem);
    for (int i = 3; i < length; ++i)
        wire[i] = char(info.data[size_t(i - 3)]);
    if (info.attribute == KindMt)
        std::swap(wire[7], wire[8]);
    return wire;
}

bool EmulatedHighKeyCommands::decode(const QByteArray &wire, HIGH_KEY_INFO *out)
{
    if (wire.size() < 2)
        return false;
    const int length = wireLength(uchar(wire[1]));
    if (wire.size() < length)
        return false;
    HIGH_KEY_INFO info;
    info.item = uchar(wire[0]);
    info.attribute = uchar(wire[1]);
    if (length > 2)
        info.keyItem = uchar(wire[2]);
    for (int i = 3; i < length; ++i)
        info.data[size_t(i - 3)] = uchar(wire[i]);
    if (info.attribute == KindMt)
        std::swap(info.data[4], info.data[5]);
    *out = info;
    return true;
}

void EmulatedHighKeyCommands::install(EmulatedKeyboard &keyboard)
{
    // The table in frames of whole records; the host asks for each frame by number.
    keyboard.setHandler(GetHighKey, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        const QList<HIGH_KEY_INFO> &table = slotTable(state.profile());
        const int perFrame = recordsPerFrame(request.frameSize);
        const int total = KeyboardFrameCodec::frameCount(int(table.size()), perFrame);
        const int frame = request.frame.frame;
        if (frame < 1 || frame > total)
            return;
        QByteArray payload;
        for (int i = (frame - 1) * perFrame; i < qMin(int(table.size()), frame * perFrame); ++i)
            payload += encode(table[i]);
        replies.send(payload, uchar(frame), uchar(total));
    });

    // The whole table, slot after slot from frame 1 on; frame 1 frees every slot first.
    keyboard.setHandler(SetHighKey, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        const int frame = request.frame.frame;
        if (payload.isEmpty() || payload.size() % WireSize != 0 || frame < 1 || frame > request.frame.total)
            return;
        // Each slot keeps the record as it came, a free one with whatever kind it carries, one of
        // a kind the keyboard does not know with its slot and kind only.
        QList<HIGH_KEY_INFO> records;
        for (int at = 0; at < payload.size(); at += WireSize) {
            HIGH_KEY_INFO info;
            if (!decode(payload.mid(at, WireSize), &info))
                return;
            records.append(info);
        }
        QList<HIGH_KEY_INFO> &table = slotTable(state.profile());
        if (frame == 1)
            table.fill(freeSlot());
        const int first = (frame - 1) * recordsPerFrame(request.frameSize);
        for (int i = 0; i < records.size() && first + i < table.size(); ++i)
            table[first + i] = records[i];
        replies.send(QByteArray(1, '\0'), request.frame.frame, request.frame.total);
    });

    // One record into the slot its item names; the payload must be exactly its kind's bytes.
    keyboard.setHandler(AddHighKey, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        HIGH_KEY_INFO info;
        if (payload.size() < 2 || payload.size() != wireLength(uchar(payload[1])) || !decode(payload, &info))
            return;
        QList<HIGH_KEY_INFO> &table = slotTable(state.profile());
        if (info.item >= table.size())
            return;
        bind(state, info);
        replies.send(QByteArray(1, '\0'));
    });

    keyboard.setHandler(DelHighKey, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        QList<HIGH_KEY_INFO> &table = slotTable(state.profile());
        if (payload.size() != 1 || uchar(payload[0]) >= table.size())
            return;
        table[uchar(payload[0])] = freeSlot();
        replies.send(QByteArray(1, '\0'));
    });
}
