#pragma once
// The in-memory configuration of the connected keyboard, together with the product database's
// description of its model. The members are public data: the protocol's copy operations, the
// storage workers and the pages read and write them directly; the operations below are the
// lookups many of them share. There is one instance, gKeyboardConfig.

#include "model/KeyboardRecords.h"

#include <QObject>
#include <QSharedPointer>

#include <array>

class KeyboardConfigUtil : public QObject
{
    Q_OBJECT
public:
    // Advanced-key slots in use per profile, at most.
    static constexpr int MaxHighKeys = 32;
    // item of a free advanced-key slot; also "none" for the slot and kind lookups.
    static constexpr uchar NoItem = 255;
    static constexpr int MacroCount = 10;

    explicit KeyboardConfigUtil(QObject *parent = nullptr);
    ~KeyboardConfigUtil() override;

    // Forgets the connected keyboard; keeps its reported identity, the active profile number,
    // the board parameters and the effect names, which the next configuration read overwrites.
    void resetKeyboardConfig();
    // Loads the product record, key positions and both factory layers of the model from
    // the product database in use (ProductLookup). True only when all four were found.
    bool initializeKeyboardConfig(ushort serialNumber);

    QSharedPointer<PRODUCT_DEFAULT_KEY> getKeyboardDefaultKeyInfo(const uchar &keyItem, const uchar &layer);
    // Gives the key, and every key sharing its position, its factory function on that layer.
    void setKeyboardDefaultKeyInfo(const uchar &keyItem, const uchar &layer);
    QSharedPointer<KEYBOARD_KEY_INFO> getKeyboardKeyInfo(uchar layer, const uchar &keyItem);
    // Writes the key function into the key, and every key sharing its position, on that layer.
    void setKeyboardKeyInfo(const uchar &layer, const uchar &keyItem, const uchar &type,
                            const uchar &hValue, const uchar &lValue);

    // Kind (0 TGL .. 5 SOCD) of the advanced key in slot item; 255 when there is none.
    uchar getKeyboardHighKeyIcon(const uchar &item);
    // Slots in use.
    int getHighKeyTotal();
    // First free slot at position from or later; 255 when there is none.
    uchar getFreeHighKey(const uchar &from);
    // For RS, OKS and SOCD: the slot of the advanced key binding keyItem with secondKey; else 255.
    uchar getHighKeyItem(const uchar &attribute, const uchar &keyItem, const uchar &secondKey);
    // Empties the slot: every byte 0, then item 255.
    void delHighKey(const uchar &slot);

    QSharedPointer<KEYBOARD_CUSTOM_LIGHT> getKeyboardCustomLight(const uchar &keyItem);
    QSharedPointer<KEYBOARD_EFFECT_LIGHT> getKeyboardEffectLight(const uchar &item);
    QSharedPointer<KEYBOARD_TRIGGER_INFO> getKeyboardTriggerInfo(const uchar &keyItem);

    // Initial contents of an advanced key the user creates, of the given kind (0 TGL .. 5 SOCD).
    // keyItem is the key chosen beforehand (RS, OKS, SOCD) or 255.
    static QSharedPointer<HIGH_KEY_INFO> createHighKey(uchar attribute, uchar keyItem = NoItem);

    QSharedPointer<PRODUCT_INFO> productInfo;
    KeyPositionMap keyPositionMap;
    DefaultKeyList defaultKeyList;
    DefaultKeyList defaultFn1KeyList;
    QSharedPointer<KEYBOARD_PRODUCT_INFO> keyboardProductInfo;
    ConfigList keyboardConfigList;
    uchar currentConfigIndex = 0;
    QSharedPointer<KEYBOARD_PARAMS> keyboardParams;
    CustomLightMap keyboardCustomLightMap;
    EffectLightNameMap keyboardEffectLightNameMap;
    EffectLightMap keyboardEffectLightMap;
    KeyInfoMap keyboardKeyMap;
    KeyInfoMap keyboardFn1KeyMap;
    HighKeyList keyboardHighKeyList;
    std::array<MacroList, MacroCount> keyboardMacroList;
    TriggerMap keyboardTriggerMap;

private:
    KeyInfoMap *layerMap(uchar layer);
    // Writes the function into every key of the layer that shares keyItem's position.
    void setSharedPositionKeys(uchar layer, uchar keyItem, uchar type, uchar hValue, uchar lValue);
};

extern QSharedPointer<KeyboardConfigUtil> gKeyboardConfig;
