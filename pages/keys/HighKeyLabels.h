#pragma once
// Texts and pictures the advanced-key page, its cards and its dialogs show for keys and kinds:
// the factory name of a physical key, the picker name of a key function, the kind's card icon.
// Keys without a factory record and functions the picker does not know give an empty text.

#include <QString>

class HighKeyLabels
{
public:
    // The advanced-key kinds, as the type byte of a record carries them.
    enum Kind : int { Tgl = 0, Mt = 1, Dks = 2, Rs = 3, Oks = 4, Socd = 5, KindCount = 6 };
    static bool isKind(int kind) { return kind >= Tgl && kind < KindCount; }
    // RS, OKS and SOCD bind a second key.
    static bool isPairKind(int kind) { return kind >= Rs && kind < KindCount; }

    // The name of the key's factory function on the normal layer.
    static QString factoryLabel(uchar keyItem);
    // The name of a key function in the full keyboard picker.
    static QString pickerLabel(uchar type, uchar hValue, uchar lValue);
    // The card icon of a kind in the current theme's image folder; empty for another kind.
    static QString kindIconPath(int kind);
};
