#include "model/KeyboardConfigUtil.h"

#include "model/LittleEndian.h"
#include "model/ProductLookup.h"

#include <QDebug>

QSharedPointer<KeyboardConfigUtil> gKeyboardConfig;

namespace {
enum HighKeyKind : uchar { Tgl = 0, Mt = 1, Dks = 2, Rs = 3, Oks = 4, Socd = 5 };

// Hold time of a new MT key, in milliseconds.
constexpr quint16 kDefaultHoldTime = 80;
} // namespace

KeyboardConfigUtil::KeyboardConfigUtil(QObject *parent)
    : QObject(parent),
      keyboardProductInfo(new KEYBOARD_PRODUCT_INFO),
      keyboardParams(new KEYBOARD_PARAMS)
{
    qInfo().noquote() << "=== KeyboardConfigUtil 读取键盘配置开始 ===";
}

KeyboardConfigUtil::~KeyboardConfigUtil()
{
    qInfo().noquote() << "=== KeyboardConfigUtil 读取键盘配置销毁 ===";
}

void KeyboardConfigUtil::resetKeyboardConfig()
{
    qInfo().noquote() << "=== KeyboardConfigUtil 重置数据 ===";
    productInfo.reset();
    keyPositionMap.clear();
    keyboardConfigList.clear();
    defaultKeyList.clear();
    defaultFn1KeyList.clear();
    keyboardCustomLightMap.clear();
    keyboardEffectLightMap.clear();
    keyboardKeyMap.clear();
    keyboardFn1KeyMap.clear();
    keyboardHighKeyList.clear();
    for (MacroList &macro : keyboardMacroList)
        macro.clear();
    keyboardTriggerMap.clear();
}

bool KeyboardConfigUtil::initializeKeyboardConfig(ushort serialNumber)
{
    keyPositionMap.clear();
    defaultKeyList.clear();
    defaultFn1KeyList.clear();
    productInfo.reset();
    ProductLookup *products = ProductLookup::current();
    if (!products)
        return false;
    productInfo = products->getProductInfoById(serialNumber);
    products->getKeyPosition(serialNumber, keyPositionMap);
    products->getDefaultProductKey(serialNumber, defaultKeyList);
    products->getDefaultFn1ProductKey(serialNumber, defaultFn1KeyList);
    return productInfo && !keyPositionMap.isEmpty() && !defaultKeyList.isEmpty() && !defaultFn1KeyList.isEmpty();
}

QSharedPointer<PRODUCT_DEFAULT_KEY> KeyboardConfigUtil::getKeyboardDefaultKeyInfo(const uchar &keyItem,
                                                                                  const uchar &layer)
{
    const DefaultKeyList *list = layer == 0 ? &defaultKeyList : layer == 1 ? &defaultFn1KeyList : nullptr;
    if (!list)
        return {};
    for (const auto &key : *list) {
        if (key && key->keyItem == keyItem)
            return key;
    }
    return {};
}

void KeyboardConfigUtil::setKeyboardDefaultKeyInfo(const uchar &keyItem, const uchar &layer)
{
    const auto factory = getKeyboardDefaultKeyInfo(keyItem, layer);
    if (!factory)
        return;
    setSharedPositionKeys(layer, keyItem, factory->type, factory->hValue, factory->lValue);
}

QSharedPointer<KEYBOARD_KEY_INFO> KeyboardConfigUtil::getKeyboardKeyInfo(uchar layer, const uchar &keyItem)
{
    const KeyInfoMap *map = layerMap(layer);
    return map ? map->value(keyItem) : QSharedPointer<KEYBOARD_KEY_INFO>();
}

void KeyboardConfigUtil::setKeyboardKeyInfo(const uchar &layer, const uchar &keyItem, const uchar &type,
                                            const uchar &hValue, const uchar &lValue)
{
    setSharedPositionKeys(layer, keyItem, type, hValue, lValue);
}

KeyInfoMap *KeyboardConfigUtil::layerMap(uchar layer)
{
    if (layer == 0)
        return &keyboardKeyMap;
    if (layer == 1)
        return &keyboardFn1KeyMap;
    return nullptr;
}

void KeyboardConfigUtil::setSharedPositionKeys(uchar layer, uchar keyItem, uchar type, uchar hValue, uchar lValue)
{
    const auto position = keyPositionMap.value(keyItem);
    KeyInfoMap *map = layerMap(layer);
    if (!position || !map)
        return;
    for (auto it = keyPositionMap.cbegin(); it != keyPositionMap.cend(); ++it) {
        if (!it.value() || it.value()->posItem != position->posItem)
            continue;
        const auto key = map->value(it.key());
        if (!key)
            continue;
        key->type = type;
        key->hValue = hValue;
        key->lValue = lValue;
    }
}

uchar KeyboardConfigUtil::getKeyboardHighKeyIcon(const uchar &item)
{
    // A free slot carries item 255 too; asking for 255 means "no advanced key".
    if (item == NoItem)
        return NoItem;
    for (const auto &highKey : keyboardHighKeyList) {
        if (highKey && highKey->item == item)
            return highKey->attribute;
    }
    return NoItem;
}

int KeyboardConfigUtil::getHighKeyTotal()
{
    int total = 0;
    for (const auto &highKey : keyboardHighKeyList) {
        if (highKey && highKey->item < NoItem)
            ++total;
    }
    return total;
}

uchar KeyboardConfigUtil::getFreeHighKey(const uchar &from)
{
    for (int slot = from; slot < keyboardHighKeyList.size() && slot < NoItem; ++slot) {
        const auto &highKey = keyboardHighKeyList.at(slot);
        if (highKey && highKey->item == NoItem)
            return uchar(slot);
    }
    return NoItem;
}

uchar KeyboardConfigUtil::getHighKeyItem(const uchar &attribute, const uchar &keyItem, const uchar &secondKey)
{
    if (attribute != Rs && attribute != Oks && attribute != Socd)
        return NoItem;
    for (const auto &highKey : keyboardHighKeyList) {
        if (highKey && highKey->keyItem == keyItem && highKey->data[0] == secondKey)
            return highKey->item;
    }
    return NoItem;
}

void KeyboardConfigUtil::delHighKey(const uchar &slot)
{
    if (slot >= keyboardHighKeyList.size())
        return;
    auto &highKey = keyboardHighKeyList[slot];
    if (!highKey)
        highKey.reset(new HIGH_KEY_INFO);
    // Pages may hold this record: empty it in place.
    *highKey = HIGH_KEY_INFO();
    highKey->item = NoItem;
}

QSharedPointer<KEYBOARD_CUSTOM_LIGHT> KeyboardConfigUtil::getKeyboardCustomLight(const uchar &keyItem)
{
    return keyboardCustomLightMap.value(keyItem);
}

QSharedPointer<KEYBOARD_EFFECT_LIGHT> KeyboardConfigUtil::getKeyboardEffectLight(const uchar &item)
{
    return keyboardEffectLightMap.value(item);
}

QSharedPointer<KEYBOARD_TRIGGER_INFO> KeyboardConfigUtil::getKeyboardTriggerInfo(const uchar &keyItem)
{
    return keyboardTriggerMap.value(keyItem);
}

QSharedPointer<HIGH_KEY_INFO> KeyboardConfigUtil::createHighKey(uchar attribute, uchar keyItem)
{
    if (attribute > Socd)
        return {};
    QSharedPointer<HIGH_KEY_INFO> highKey(new HIGH_KEY_INFO);
    highKey->item = NoItem;
    highKey->attribute = attribute;
    highKey->keyItem = keyItem;
    auto &data = highKey->data;
    switch (attribute) {
    case Tgl:
        data[0] = data[1] = data[2] = 0xFF;
        break;
    case Mt:
        data[0] = 0xFF;
        LittleEndian::putU16(data.data() + 1, kDefaultHoldTime);
        for (int i = 3; i <= 8; ++i)
            data[i] = 0xFF;
        break;
    case Dks:
        for (int action = 0; action < 4; ++action) {
            data[4 * action] = 0;
            data[4 * action + 1] = data[4 * action + 2] = data[4 * action + 3] = 0xFF;
        }
        break;
    default: // RS, OKS, SOCD: the second key is chosen in the dialog; SOCD starts with "last input wins".
        data[0] = 0xFF;
        break;
    }
    return highKey;
}
