#pragma once
// Everything one configuration file holds, as plain values: the active profile of the connected
// keyboard with its product identity. The export takes it from the keyboard model on the main
// thread (a snapshot, so that its thread never reads the model); the import fills it from a file
// on its thread and hands it to the main thread, which sends it to the keyboard.
//
// Lists keep the order of the file (import) or of the model's maps and lists (export); a record's
// key is the record's own key field.

#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

class KeyboardConfigUtil;

class ConfigFileContent
{
public:
    static constexpr int MacroCount = 10;
    // What a keyboard holds at most: advanced-key slots, actions per macro, entries of a block.
    static constexpr int MaxHighKeys = 32;
    static constexpr int MaxMacroActions = 20;
    static constexpr int MaxEntries = 255;
    // Bytes of the stored advanced-key body.
    static constexpr int HighKeyDataSize = 40;

    bool hasProduct = false;     // the model had a product identity
    bool hasConfigName = false;  // the model's current profile index named a profile
    KEYBOARD_PRODUCT_INFO product;
    QString configName;
    KEYBOARD_PARAMS params;
    QList<KEYBOARD_CUSTOM_LIGHT> customLights;
    QList<KEYBOARD_EFFECT_LIGHT> effectLights;
    QList<KEYBOARD_KEY_INFO> normalKeys;
    QList<KEYBOARD_KEY_INFO> fnKeys;
    QList<HIGH_KEY_INFO> highKeys;
    std::array<QList<KEYBOARD_MACRO_INFO>, MacroCount> macros;
    QList<KEYBOARD_TRIGGER_INFO> triggers;

    // A copy of the model's records; the model is not changed and shares nothing with the copy.
    static ConfigFileContent fromModel(const KeyboardConfigUtil &model);

    // Fresh shared records as the protocol's block writes take them, keyed by each record's key.
    CustomLightMap customLightMap() const;
    EffectLightMap effectLightMap() const;
    KeyInfoMap keyMap(int layer) const; // 0 normal, 1 Fn1
    // The advanced keys, followed by free slots up to slotCount records: the block write fills the
    // keyboard's table from its first slot on, so a slot the file does not name ends up free.
    HighKeyList highKeyList(int slotCount = 0) const;
    MacroList macroList(int index) const;
    TriggerMap triggerMap() const;

    // The stored body of an advanced key (HighKeyDataSize bytes, zero behind what its kind uses).
    // The hold time of an MT key is stored high byte first and its tap key as type, lValue, hValue.
    static QByteArray packHighKey(const HIGH_KEY_INFO &info);
    // The record for a stored row. False when the body is shorter than its kind uses; a kind this
    // program does not know keeps a zero body.
    static bool unpackHighKey(uchar item, uchar attribute, const QByteArray &data, HIGH_KEY_INFO *out);
};
