#pragma once
// Lookups between key functions, their display entries and picker keys, and the translation of
// a window-system key event into a key function.

#include "model/KeyCodeTables.h"
#include "model/KeyboardRecords.h"

// The display entry of a key function: the first entry of the code list of its type whose code
// matches (hValue counts for media keys only); null for a type above 5 or no match. The entry
// lives for the whole run.
const KEY_CODE_INFO *global_getKeyLabel(const uchar &type, const uchar &hValue, const uchar &lValue);

// The first key of the full keyboard picker that picks exactly this key function, or null.
const KEYBOARD_LIST_INFO *global_getNormalKeyboard(const uchar &type, const uchar &hValue,
                                                   const uchar &lValue);

// A key event (framework key code, keypad modifier present, native scan code) as a macro action
// with type and lValue set and state, hValue and time 0; type 0xFF when the key has no function.
KEYBOARD_MACRO_INFO global_qtKeyboardConvert(int key, bool keypad, int nativeScanCode);
