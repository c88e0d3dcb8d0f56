#pragma once
// What a key tile shows for a key function: a text or an icon from the key code lists, and the
// key of its tooltip text. Every picture and picker fills its tiles through here, so a display
// kind is read the same way everywhere.

#include "model/KeyCodeTables.h"

#include <QString>
#include <QStringList>

class KeyLegend
{
public:
    enum Kind { Blank, Text, Icon };

    KeyLegend() = default;

    // The legend of a code list entry: display kind 0 the label, 1 the icon, 2 the icon in place
    // of the label (the label stays as the text to fall back on). No entry: a blank legend.
    static KeyLegend fromEntry(const KEY_CODE_INFO *entry);
    // The legend of a key function. An advanced key (type 4) carries its slot in lValue and shows
    // the icon of the slot's kind, looked up in the keyboard model. A disabled key, a function
    // with no entry and a free slot give a blank legend.
    static KeyLegend forFunction(uchar type, uchar hValue, uchar lValue);

    Kind kind() const { return mKind; }
    bool isBlank() const { return mKind == Blank; }
    // The label of the entry (also kept for an icon of display kind 2).
    QString text() const { return mText; }
    // The text drawn on a key about one unit wide: a shorter name where the label has one.
    QString shortText() const;
    // The text in one or two lines: a key with a shifted symbol shows it above the plain one.
    QStringList lines(bool narrow) const;
    // The icon file in the current theme's image folder.
    QString iconPath() const;
    QString tipKey() const { return mTipKey; }
    // The tooltip: the text stored under the tip key; empty when the tip file has none.
    QString toolTip() const;

    bool operator==(const KeyLegend &other) const;

private:
    Kind mKind = Blank;
    QString mText;
    QString mIconFile;
    QString mTipKey;
};
