#include "model/KeyHelpers.h"

#include <Qt>

const KEY_CODE_INFO *global_getKeyLabel(const uchar &type, const uchar &hValue, const uchar &lValue)
{
    const QList<KEY_CODE_INFO> *list = nullptr;
    switch (type) {
    case KeyTypeModifier:
        list = &gControlKeyCodeList;
        break;
    case KeyTypeKeyboard:
        list = &gKeyCodeList;
        break;
    case KeyTypeMedia:
        list = &gMediaKeyCodeList;
        break;
    case KeyTypeMacro:
        list = &gMacroKeyCodeList;
        break;
    case KeyTypeHighKey:
        list = &gHighKeyCodeList;
        break;
    case KeyTypeInternal:
        list = &gInternalKeyCodeList;
        break;
    default:
        return nullptr;
    }
    const quint16 wanted = type == KeyTypeMedia ? quint16(hValue << 8 | lValue) : quint16(lValue);
    for (const KEY_CODE_INFO &entry : *list) {
        if (entry.code == wanted)
            return &entry;
    }
    return nullptr;
}

const KEYBOARD_LIST_INFO *global_getNormalKeyboard(const uchar &type, const uchar &hValue,
                                                   const uchar &lValue)
{
    for (const KEYBOARD_LIST_INFO &key : gNormalKeyboardList) {
        if (key.type == type && key.hValue == hValue && key.lValue == lValue)
            return &key;
    }
    return nullptr;
}

namespace {

// HID usage of the key that types a shifted symbol, or 0.
uchar shiftedSymbolUsage(int key)
{
    switch (key) {
    case Qt::Key_Exclam: return 0x1E;
    case Qt::Key_At: return 0x1F;
    case Qt::Key_NumberSign: return 0x20;
    case Qt::Key_Dollar: return 0x21;
    case Qt::Key_Percent: return 0x22;
    case Qt::Key_AsciiCircum: return 0x23;
    case Qt::Key_Ampersand: return 0x24;
    case Qt::Key_ParenLeft: return 0x26;
    case Qt::Key_ParenRight: return 0x27;
    case Qt::Key_Underscore: return 0x2D;
    case Qt::Key_BraceLeft: return 0x2F;
    case Qt::Key_BraceRight: return 0x30;
    case Qt::Key_Bar: return 0x31;
    case Qt::Key_Colon: return 0x33;
    case Qt::Key_QuoteDbl: return 0x34;
    case Qt::Key_AsciiTilde: return 0x35;
    case Qt::Key_Less: return 0x36;
    case Qt::Key_Greater: return 0x37;
    case Qt::Key_Question: return 0x38;
    case Qt::Key_Backtab: return 0x2B;
    default: return 0;
    }
}

// HID usage of a keyboard key (type 1), or 0 when the key has none.
uchar keyboardUsage(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return uchar(0x04 + (key - Qt::Key_A));
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return uchar((keypad ? 0x59 : 0x1E) + (key - Qt::Key_1));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return uchar(0x3A + (key - Qt::Key_F1));
    // With Shift held the event names the symbol typed; the key is the one beneath it (US layout,
    // the keyboard's own).
    if (const uchar usage = shiftedSymbolUsage(key))
        return usage;

    switch (key) {
    case Qt::Key_0:
        return keypad ? 0x62 : 0x27;
    case Qt::Key_Minus:
        return keypad ? 0x56 : 0x2D;
    case Qt::Key_Slash:
        return keypad ? 0x54 : 0x38;
    // The full stop always gives the main key.
    case Qt::Key_Period:
        return 0x37;
    case Qt::Key_Asterisk:
        return keypad ? 0x55 : 0x25;
    case Qt::Key_Plus:
        return keypad ? 0x57 : 0x2E;
    case Qt::Key_Space:
        return 0x2C;
    case Qt::Key_Apostrophe:
        return 0x34;
    case Qt::Key_Comma:
        return 0x36;
    case Qt::Key_Semicolon:
        return 0x33;
    case Qt::Key_Equal:
        return 0x2E;
    case Qt::Key_BracketLeft:
        return 0x2F;
    case Qt::Key_Backslash:
        return 0x31;
    case Qt::Key_BracketRight:
        return 0x30;
    case Qt::Key_QuoteLeft:
        return 0x35;
    case Qt::Key_Escape:
        return 0x29;
    case Qt::Key_Tab:
        return 0x2B;
    case Qt::Key_Backspace:
        return 0x2A;
    case Qt::Key_Return:
        return 0x28;
    case Qt::Key_Enter:
        return 0x58;
    case Qt::Key_Insert:
        return 0x49;
    case Qt::Key_Delete:
        return 0x4C;
    case Qt::Key_Pause:
        return 0x48;
    case Qt::Key_Print:
        return 0x46;
    case Qt::Key_Home:
        return 0x4A;
    case Qt::Key_End:
        return 0x4D;
    case Qt::Key_Left:
        return 0x50;
    case Qt::Key_Up:
        return 0x52;
    case Qt::Key_Right:
        return 0x4F;
    case Qt::Key_Down:
        return 0x51;
    case Qt::Key_PageUp:
        return 0x4B;
    case Qt::Key_PageDown:
        return 0x4E;
    case Qt::Key_CapsLock:
        return 0x39;
    case Qt::Key_NumLock:
        return 0x53;
    case Qt::Key_ScrollLock:
        return 0x47;
    case Qt::Key_Menu:
        return 0x65;
    default:
        return 0;
    }
}

// Modifier bit of a modifier key (type 0), or 0 when the key is no modifier. The side follows
// the native scan code of the right-hand key: its PC scan code, or on X11 and Wayland its key
// code (evdev code + 8), which no left-hand modifier shares.
uchar modifierBit(int key, int nativeScanCode)
{
    switch (key) {
    case Qt::Key_Shift:
        return nativeScanCode == 0x36 || nativeScanCode == 62 ? 0x20 : 0x02;
    case Qt::Key_Control:
        return nativeScanCode == 0xE01D || nativeScanCode == 105 ? 0x10 : 0x01;
    case Qt::Key_Meta:
        return nativeScanCode == 0xE05C || nativeScanCode == 134 ? 0x80 : 0x08;
    case Qt::Key_Alt:
        return nativeScanCode == 0xE038 || nativeScanCode == 108 ? 0x40 : 0x04;
    default:
        return 0;
    }
}

} // namespace

KEYBOARD_MACRO_INFO global_qtKeyboardConvert(int key, bool keypad, int nativeScanCode)
{
    KEYBOARD_MACRO_INFO info;
    if (const uchar bit = modifierBit(key, nativeScanCode)) {
        info.type = KeyTypeModifier;
        info.lValue = bit;
    } else if (const uchar usage = keyboardUsage(key, keypad)) {
        info.type = KeyTypeKeyboard;
        info.lValue = usage;
    } else {
        info.type = KeyTypeDisabled;
    }
    return info;
}
