#!/usr/bin/env python3
"""Writes quillbase_sample.sql, the sample product database, from the layouts below.

Run it after changing a layout:  python3 emulator/sample/make_sample_sql.py
The build turns the SQL into sample/quillbase.db3 (quill_makedb).
"""
import os

UNIT = 54      # pixels per key unit on the keyboard picture
GAP = 6        # pixels between neighbouring keycaps
MARGIN = 24    # pixels around the keys

# Key functions (type, hValue, lValue).
def key(usage):
    return (1, 0, usage)

def mod(bit):
    return (0, 0, bit)

def media(usage):
    return (2, usage >> 8, usage & 0xFF)

def internal(code):
    return (5, 0, code)

FN = internal(0xFE)

L_CTRL, L_SHIFT, L_ALT, L_WIN = mod(0x01), mod(0x02), mod(0x04), mod(0x08)
R_CTRL, R_SHIFT, R_ALT, R_WIN = mod(0x10), mod(0x20), mod(0x40), mod(0x80)

LETTERS = {chr(ord('A') + i): key(0x04 + i) for i in range(26)}
DIGITS = {str((i + 1) % 10): key(0x1E + i) for i in range(10)}
F_KEYS = {'F%d' % (i + 1): key(0x3A + i) for i in range(12)}

# Functions of the Fn1 layer, with their labels.
FN1 = {
    'player': (media(0x0183), 'Player'), 'volDec': (media(0x00EA), 'Vol-'),
    'volAdd': (media(0x00E9), 'Vol+'), 'mute': (media(0x00E2), 'Mute'),
    'stop': (media(0x00B7), 'Stop'), 'prev': (media(0x00B6), 'Prev'),
    'play': (media(0x00CD), 'Play'), 'next': (media(0x00B5), 'Next'),
    'mail': (media(0x018A), 'Mail'), 'home': (media(0x0223), 'WWW Home'),
    'calc': (media(0x0192), 'Calc'), 'search': (media(0x0221), 'Search'),
    'bt1': (internal(0xF6), 'BT1'), 'bt2': (internal(0xF5), 'BT2'),
    'bt3': (internal(0xF4), 'BT3'), '24g': (internal(0xF3), '2.4G'),
    'lightAdd': (internal(0xEA), 'Light+'), 'lightDec': (internal(0xE9), 'Light-'),
    'speedAdd': (internal(0xE8), 'Speed+'), 'speedDec': (internal(0xE7), 'Speed-'),
    'rgbNext': (internal(0xEF), 'RGB Next'), 'rgbPrev': (internal(0xEE), 'RGB Prev'),
    'rgbCycle': (internal(0xED), 'RGB Cycle'), 'hueAdd': (internal(0xEC), 'Hue+'),
    'hueDec': (internal(0xEB), 'Hue-'), 'brightOff': (internal(0xE6), 'Bright Off'),
    'winLock': (internal(0xF9), 'Win Lock'), 'mac': (internal(0xFB), 'Mac'),
    'win': (internal(0xFA), 'Win'), 'reset': (internal(0xF8), 'Reset'),
    'calibration': (internal(0xF7), '校准'), 'pfInc': (internal(0xDF), 'PF+'),
    'pfDec': (internal(0xDE), 'PF-'),
}


class Key:
    def __init__(self, label, function, x, w=1.0, h=1.0, fn1=None):
        self.label, self.function, self.x, self.w, self.h = label, function, x, w, h
        self.fn1 = fn1  # (function, label) on the Fn1 layer; None: as on the normal layer


def row_keys(labels, start, functions):
    return [Key(label, functions[label], start + i) for i, label in enumerate(labels)]


def he104_rows():
    """Full-size ANSI layout, 104 keycaps; the right Win key is the Fn key."""
    r0 = [Key('Esc', key(0x29), 0, fn1=FN1['reset'])]
    fx = [2, 3, 4, 5, 6.5, 7.5, 8.5, 9.5, 11, 12, 13, 14]
    fn_f = ['player', 'volDec', 'volAdd', 'mute', 'stop', 'prev', 'play', 'next',
            'mail', 'home', 'calc', 'search']
    for i in range(12):
        r0.append(Key('F%d' % (i + 1), F_KEYS['F%d' % (i + 1)], fx[i], fn1=FN1[fn_f[i]]))
    r0 += [Key('Prtsc', key(0x46), 15.25), Key('LOCK', key(0x47), 16.25), Key('PAUSE', key(0x48), 17.25)]

    r1 = [Key('`', key(0x35), 0)]
    fn_digits = {'1': 'bt1', '2': 'bt2', '3': 'bt3', '4': '24g'}
    for i, d in enumerate('1234567890'):
        r1.append(Key(d, DIGITS[d], 1 + i, fn1=FN1[fn_digits[d]] if d in fn_digits else None))
    r1 += [Key('-', key(0x2D), 11, fn1=FN1['pfDec']), Key('=', key(0x2E), 12, fn1=FN1['pfInc']),
           Key('Backspace', key(0x2A), 13, 2),
           Key('INS', key(0x49), 15.25, fn1=FN1['rgbCycle']), Key('HOME', key(0x4A), 16.25, fn1=FN1['hueAdd']),
           Key('PgUp', key(0x4B), 17.25, fn1=FN1['hueDec']),
           Key('Num Lock', key(0x53), 18.5), Key('/', key(0x54), 19.5), Key('*', key(0x55), 20.5),
           Key('-', key(0x56), 21.5)]

    r2 = [Key('Tab', key(0x2B), 0, 1.5)]
    r2 += row_keys('QWERTYUIOP', 1.5, LETTERS)
    r2 += [Key('[', key(0x2F), 11.5), Key(']', key(0x30), 12.5), Key('\\', key(0x31), 13.5, 1.5),
           Key('DEL', key(0x4C), 15.25, fn1=FN1['rgbNext']), Key('END', key(0x4D), 16.25, fn1=FN1['rgbPrev']),
           Key('PgDn', key(0x4E), 17.25, fn1=FN1['brightOff']),
           Key('7', key(0x5F), 18.5), Key('8', key(0x60), 19.5), Key('9', key(0x61), 20.5),
           Key('+', key(0x57), 21.5, 1, 2)]

    r3 = [Key('Caps Lock', key(0x39), 0, 1.75)]
    r3 += row_keys('ASDFGHJKL', 1.75, LETTERS)
    r3[1].fn1, r3[2].fn1 = FN1['mac'], FN1['win']
    r3 += [Key(';', key(0x33), 10.75), Key("'", key(0x34), 11.75), Key('Enter', key(0x28), 12.75, 2.25),
           Key('4', key(0x5C), 18.5), Key('5', key(0x5D), 19.5), Key('6', key(0x5E), 20.5)]

    r4 = [Key('Shift', L_SHIFT, 0, 2.25)]
    r4 += row_keys('ZXCVBNM', 2.25, LETTERS)
    r4[3].fn1 = FN1['calibration']
    r4 += [Key(',', key(0x36), 9.25), Key('.', key(0x37), 10.25), Key('/', key(0x38), 11.25),
           Key('Shift', R_SHIFT, 12.25, 2.75), Key('↑', key(0x52), 16.25, fn1=FN1['lightAdd']),
           Key('1', key(0x59), 18.5), Key('2', key(0x5A), 19.5), Key('3', key(0x5B), 20.5),
           Key('Enter', key(0x58), 21.5, 1, 2)]

    r5 = [Key('Ctrl', L_CTRL, 0, 1.25), Key('Win', L_WIN, 1.25, 1.25, fn1=FN1['winLock']),
          Key('Alt', L_ALT, 2.5, 1.25), Key('Space', key(0x2C), 3.75, 6.25),
          Key('Alt', R_ALT, 10, 1.25), Key('Fn', FN, 11.25, 1.25),
          Key('Menu', key(0x65), 12.5, 1.25), Key('Ctrl', R_CTRL, 13.75, 1.25),
          Key('←', key(0x50), 15.25, fn1=FN1['speedDec']), Key('↓', key(0x51), 16.25, fn1=FN1['lightDec']),
          Key('→', key(0x4F), 17.25, fn1=FN1['speedAdd']),
          Key('0', key(0x62), 18.5, 2), Key('./Del', key(0x63), 20.5)]
    return [(0, r0), (1.25, r1), (2.25, r2), (3.25, r3), (4.25, r4), (5.25, r5)]


def he68_rows():
    """65 % layout with arrows, 68 keys; the digit row gives F1 to F12 on the Fn1 layer."""
    r0 = [Key('Esc', key(0x29), 0, fn1=(key(0x35), '`'))]
    for i, d in enumerate('1234567890'):
        r0.append(Key(d, DIGITS[d], 1 + i, fn1=(F_KEYS['F%d' % (i + 1)], 'F%d' % (i + 1))))
    r0 += [Key('-', key(0x2D), 11, fn1=(key(0x44), 'F11')), Key('=', key(0x2E), 12, fn1=(key(0x45), 'F12')),
           Key('Backspace', key(0x2A), 13, 2, fn1=FN1['reset']),
           Key('HOME', key(0x4A), 15, fn1=(key(0x4D), 'END'))]

    r1 = [Key('Tab', key(0x2B), 0, 1.5)]
    r1 += row_keys('QWERTYUIOP', 1.5, LETTERS)
    r1[1].fn1, r1[2].fn1, r1[3].fn1, r1[4].fn1 = FN1['bt1'], FN1['bt2'], FN1['bt3'], FN1['24g']
    r1 += [Key('[', key(0x2F), 11.5), Key(']', key(0x30), 12.5), Key('\\', key(0x31), 13.5, 1.5),
           Key('DEL', key(0x4C), 15, fn1=(key(0x49), 'INS'))]

    r2 = [Key('Caps Lock', key(0x39), 0, 1.75)]
    r2 += row_keys('ASDFGHJKL', 1.75, LETTERS)
    r2[1].fn1, r2[2].fn1 = FN1['mac'], FN1['win']
    r2 += [Key(';', key(0x33), 10.75), Key("'", key(0x34), 11.75), Key('Enter', key(0x28), 12.75, 2.25),
           Key('PgUp', key(0x4B), 15, fn1=(key(0x46), 'Prtsc'))]

    r3 = [Key('Shift', L_SHIFT, 0, 2.25)]
    r3 += row_keys('ZXCVBNM', 2.25, LETTERS)
    r3 += [Key(',', key(0x36), 9.25), Key('.', key(0x37), 10.25), Key('/', key(0x38), 11.25),
           Key('Shift', R_SHIFT, 12.25, 1.75), Key('↑', key(0x52), 14, fn1=FN1['lightAdd']),
           Key('PgDn', key(0x4E), 15, fn1=(key(0x48), 'PAUSE'))]

    r4 = [Key('Ctrl', L_CTRL, 0, 1.25), Key('Win', L_WIN, 1.25, 1.25, fn1=FN1['winLock']),
          Key('Alt', L_ALT, 2.5, 1.25), Key('Space', key(0x2C), 3.75, 6.25),
          Key('Alt', R_ALT, 10), Key('Fn', FN, 11), Key('Ctrl', R_CTRL, 12),
          Key('←', key(0x50), 13, fn1=FN1['speedDec']), Key('↓', key(0x51), 14, fn1=FN1['lightDec']),
          Key('→', key(0x4F), 15, fn1=FN1['speedAdd'])]
    return [(0, r0), (1, r1), (2, r2), (3, r3), (4, r4)]


def layout(rows):
    """Numbers the keys row by row from 0 and places them on the picture."""
    keys = []
    for row, (y, row_list) in enumerate(rows):
        for col, k in enumerate(row_list):
            k.item, k.row, k.col = len(keys), row, col
            k.left = MARGIN + round(k.x * UNIT)
            k.top = MARGIN + round(y * UNIT)
            k.width = round(k.w * UNIT) - GAP
            k.height = round(k.h * UNIT) - GAP
            keys.append(k)
    return keys


def sql_text(text):
    return "'" + text.replace("'", "''") + "'"


def signed16(serial):
    return serial - 0x10000 if serial >= 0x8000 else serial


SCHEMA = [
    "CREATE TABLE IF NOT EXISTS product_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
    "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, "
    "productName VARCHAR(60) NOT NULL, productData VARCHAR(60) NOT NULL, triggerMin INT NOT NULL, "
    "triggerMax INT NOT NULL, qttMin INT NOT NULL, qttMax INT NOT NULL, qrtMin INT NOT NULL, "
    "qrtMax INT NOT NULL, width INT NOT NULL, height INT NOT NULL, strCol VARCHAR(60) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS device_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
    "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, version INT NOT NULL, "
    "manufacturer VARCHAR(60) NOT NULL, productStr TEXT(60) NOT NULL, path VARCHAR(100) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS key_position_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, posItem INT NOT NULL, flag BOOL NOT NULL, row INT NOT NULL, "
    "col INT NOT NULL, left INT NOT NULL, top INT NOT NULL, width INT NOT NULL, height INT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS keyboard_default_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, "
    "label VARCHAR(20) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS keyboard_default_fn1_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, "
    "label VARCHAR(20) NOT NULL)",
]

VENDOR_ID, PRODUCT_ID = 0x5E2D, 0x4E93


def model_sql(out, serial, name, folder, rows, width, height, str_col, shared=()):
    keys = layout(rows)
    sn = signed16(serial)
    out.append("-- %s: serial number 0x%04X, %d keys" % (name, serial, len(keys) + len(shared)))
    out.append("INSERT INTO product_table VALUES (%d, %d, %d, 0, %s, %s, 10, 400, 1, 250, 1, 250, %d, %d, %s);"
               % (sn, VENDOR_ID, PRODUCT_ID, sql_text(name), sql_text(folder), width, height, sql_text(str_col)))
    # Extra sensors under a wide keycap: a key number of their own, the keycap's position, not drawn.
    extra = []
    for owner_item in shared:
        owner = keys[owner_item]
        k = Key(owner.label, owner.function, owner.x, owner.w, owner.h, owner.fn1)
        last_col = max(o.col for o in keys + extra if o.row == owner.row)
        k.item, k.row, k.col = len(keys) + len(extra), owner.row, last_col + 1
        k.left, k.top, k.width, k.height = owner.left, owner.top, owner.width, owner.height
        k.pos, k.flag = owner.item, 0
        extra.append(k)
    for k in keys:
        k.pos, k.flag = k.item, 1
    everything = keys + extra
    for k in everything:
        out.append("INSERT INTO key_position_table (serialNumber, keyItem, posItem, flag, row, col, left, top, "
                   "width, height) VALUES (%d, %d, %d, %d, %d, %d, %d, %d, %d, %d);"
                   % (sn, k.item, k.pos, k.flag, k.row, k.col, k.left, k.top, k.width, k.height))
    for table, layer in (('keyboard_default_table', 0), ('keyboard_default_fn1_table', 1)):
        for k in everything:
            function, label = (k.function, k.label)
            if layer == 1 and k.fn1 is not None:
                function, label = k.fn1
            out.append("INSERT INTO %s (serialNumber, keyItem, type, hValue, lValue, label) "
                       "VALUES (%d, %d, %d, %d, %d, %s);" % ((table, sn, k.item) + function + (sql_text(label),)))
    return keys


def main():
    out = ["-- Sample product database for tests and the keyboard emulator.",
           "-- Written by make_sample_sql.py; the build turns it into quillbase.db3.",
           "-- Serial numbers are stored as signed 16-bit values (0x8A01 as -30207).", ""]
    out += [s + ";" for s in SCHEMA]
    out.append("")
    he104 = layout(he104_rows())
    space = [k.item for k in he104 if k.label == 'Space'][0]
    model_sql(out, 0x3001, 'Quill HE104', 'QuillHE104', he104_rows(), 1264, 386, '', shared=(space,))
    out.append("")
    model_sql(out, 0x8A01, 'Quill HE68', 'QuillHE68', he68_rows(), 912, 318, '1,2')
    out.append("")
    out.append("-- Paired devices.")
    out.append("INSERT INTO device_table VALUES (%d, %d, %d, 0, 261, 'Quill', 'Quill HE104', "
               "'/dev/hidraw-quill-he104');" % (0x3001, VENDOR_ID, PRODUCT_ID))
    out.append("INSERT INTO device_table VALUES (%d, %d, %d, 0, 258, 'Quill', 'Quill HE68', "
               "'/dev/hidraw-quill-he68');" % (signed16(0x8A01), VENDOR_ID, PRODUCT_ID))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'quillbase_sample.sql')
    with open(path, 'w', encoding='utf-8') as f:
        f.write("\n".join(out) + "\n")


if __name__ == '__main__':
    main()
