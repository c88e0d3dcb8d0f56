#pragma once
// The vocabulary of key functions: the six key code lists, which give every known key function
// (type, hValue, lValue) its label or icon and tooltip key, and the five key picker lists, which
// lay out the on-screen key picker. All are filled before main() runs and never change.

#include <QList>
#include <QString>
#include <QtGlobal>

// One entry of a key code list.
struct KEY_CODE_INFO {
    uchar isImage = 0; // 0 shown by label, 1 by icon (2, label then icon, is accepted by the pictures)
    QString label;
    QString iconFile; // file name inside the theme's image folder
    QString tipKey;   // key of the tooltip text
    quint16 code = 0; // lValue; for media keys hValue * 256 + lValue
};

// One key of an on-screen key picker.
struct KEYBOARD_LIST_INFO {
    uchar index = 0;
    qint32 x = 0;
    qint32 y = 0;
    qint32 width = 0;
    qint32 height = 0;
    uchar type = 0;
    uchar hValue = 0;
    uchar lValue = 0;
    QString label; // set in the full keyboard list only
};

// Key function types.
enum KeyFunctionType : uchar {
    KeyTypeModifier = 0,
    KeyTypeKeyboard = 1,
    KeyTypeMedia = 2,
    KeyTypeMacro = 3,
    KeyTypeHighKey = 4,
    KeyTypeInternal = 5,
    KeyTypeDisabled = 0xFF,
};

// Key code lists, by type.
extern const QList<KEY_CODE_INFO> gControlKeyCodeList;  // type 0, 8 modifiers
extern const QList<KEY_CODE_INFO> gKeyCodeList;         // type 1, 109 keyboard keys
extern const QList<KEY_CODE_INFO> gMediaKeyCodeList;    // type 2, 21 media and system keys
extern const QList<KEY_CODE_INFO> gMacroKeyCodeList;    // type 3, M1 to M10
extern const QList<KEY_CODE_INFO> gHighKeyCodeList;     // type 4, the six advanced-key kinds
extern const QList<KEY_CODE_INFO> gInternalKeyCodeList; // type 5, 25 keyboard functions

// Key picker lists, categories 0 to 4.
extern const QList<KEYBOARD_LIST_INFO> gNormalKeyboardList; // full keyboard, 104 keys
extern const QList<KEYBOARD_LIST_INFO> gSystemKeyboardList; // media keys, 20
extern const QList<KEYBOARD_LIST_INFO> gMacroKeyboardList;  // macros, 10
extern const QList<KEYBOARD_LIST_INFO> gEffectKeyboardList; // lighting functions, 10
extern const QList<KEYBOARD_LIST_INFO> gExtendKeyboardList; // further keyboard functions, 13
