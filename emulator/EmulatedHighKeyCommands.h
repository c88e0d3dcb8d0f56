#pragma once
// Handlers of the emulated keyboard for its advanced-key table: read the table 0x2B, write the
// whole table 0x23, write one record 0x22, free one slot 0x25. The table of the current profile
// has HighKeySlots slots; a free slot holds item 255. Writing one record also binds its keys on
// the normal layer (type 4, the slot); freeing a slot leaves the keys to a restore request (0x24).

#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QList>

#include <initializer_list>

class EmulatedKeyboard;
class EmulatedKeyboardState;
struct EmulatedProfile;

class EmulatedHighKeyCommands
{
public:
    static constexpr unsigned char GetHighKey = 0x2B;
    static constexpr unsigned char SetHighKey = 0x23;
    static constexpr unsigned char AddHighKey = 0x22;
    static constexpr unsigned char DelHighKey = 0x25;
    static constexpr int WireSize = 19;
    static constexpr unsigned char FreeItem = 0xFF;

    static void install(EmulatedKeyboard &keyboard);

    // The profile's slot table, made up of free slots on first use.
    static QList<HIGH_KEY_INFO> &slotTable(EmulatedProfile &profile);
    static HIGH_KEY_INFO freeSlot();
    // A record of a kind in a slot, bound to keyItem, with its body (data 0 on); the rest 0.
    static HIGH_KEY_INFO record(unsigned char slot, unsigned char kind, unsigned char keyItem,
                                std::initializer_list<unsigned char> body);
    // Writes a record into its slot of the current profile as the keyboard does on 0x22.
    static void bind(EmulatedKeyboardState &state, const HIGH_KEY_INFO &info);

    // Bytes of the wire record that a kind carries (item, attribute, keyItem, data 0 on);
    // 0 for a kind the keyboard does not know.
    static int wireLength(unsigned char kind);
    // The 19-byte wire record, zero behind the bytes of its kind; the MT tap function goes
    // out as type, lValue, hValue.
    static QByteArray encode(const HIGH_KEY_INFO &info);
    // A record from wire bytes; false when the bytes are fewer than the kind carries. A kind the
    // keyboard does not know gives its slot and kind only.
    static bool decode(const QByteArray &wire, HIGH_KEY_INFO *out);
};
