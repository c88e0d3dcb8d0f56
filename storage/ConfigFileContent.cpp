#include "storage/ConfigFileContent.h"

#include "model/KeyboardConfigUtil.h"

#include <type_traits>

namespace {
// The model's records, in map or list order, without null entries.
template<typename Container>
auto copyRecords(const Container &container)
{
    using Record = typename std::decay_t<decltype(*container.begin())>::value_type;
    QList<Record> records;
    for (const auto &record : container) {
        if (record)
            records.append(*record);
    }
    return records;
}

template<typename Record, typename Map>
Map sharedByKey(const QList<Record> &records)
{
    Map map;
    for (const Record &record : records)
        map.insert(record.keyItem, QSharedPointer<Record>::create(record));
    return map;
}

// Record bytes of an advanced key: 0 slot, 1 kind, 2 bound key, 3.. the kind's body.
uchar &recordByte(HIGH_KEY_INFO &info, int n)
{
    switch (n) {
    case 0:
        return info.item;
    case 1:
        return info.attribute;
    case 2:
        return info.keyItem;
    default:
        return info.data[size_t(n - 3)];
    }
}

// For each stored body byte, in order, the record byte it holds.
QList<int> bodyLayout(uchar attribute)
{
    switch (attribute) {
    case 0: // TGL
        return {2, 3, 4, 5};
    case 1: // MT: hold time high byte first, tap key as type, lValue, hValue
        return {2, 3, 5, 4, 6, 8, 7, 9, 10, 11};
    case 2: // DKS
        return {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    case 3: // RS
    case 4: // OKS
        return {2, 3};
    case 5: // SOCD
        return {2, 3, 4};
    default:
        return {};
    }
}
} // namespace

ConfigFileContent ConfigFileContent::fromModel(const KeyboardConfigUtil &model)
{
    ConfigFileContent content;
    if (model.keyboardProductInfo) {
        content.hasProduct = true;
        content.product = *model.keyboardProductInfo;
    }
    const int current = model.currentConfigIndex;
    if (current < model.keyboardConfigList.size() && model.keyboardConfigList.at(current)) {
        content.hasConfigName = true;
        content.configName = model.keyboardConfigList.at(current)->configName;
    }
    if (model.keyboardParams)
        content.params = *model.keyboardParams;
    content.customLights = copyRecords(model.keyboardCustomLightMap);
    content.effectLights = copyRecords(model.keyboardEffectLightMap);
    content.normalKeys = copyRecords(model.keyboardKeyMap);
    content.fnKeys = copyRecords(model.keyboardFn1KeyMap);
    content.highKeys = copyRecords(model.keyboardHighKeyList);
    for (int i = 0; i < MacroCount; ++i)
        content.macros[size_t(i)] = copyRecords(model.keyboardMacroList[size_t(i)]);
    content.triggers = copyRecords(model.keyboardTriggerMap);
    return content;
}

CustomLightMap ConfigFileContent::customLightMap() const
{
    return sharedByKey<KEYBOARD_CUSTOM_LIGHT, CustomLightMap>(customLights);
}

EffectLightMap ConfigFileContent::effectLightMap() const
{
    EffectLightMap map;
    for (const KEYBOARD_EFFECT_LIGHT &effect : effectLights)
        map.insert(effect.item, QSharedPointer<KEYBOARD_EFFECT_LIGHT>::create(effect));
    return map;
}

KeyInfoMap ConfigFileContent::keyMap(int layer) const
{
    return sharedByKey<KEYBOARD_KEY_INFO, KeyInfoMap>(layer == 0 ? normalKeys : fnKeys);
}

HighKeyList ConfigFileContent::highKeyList(int slotCount) const
{
    HighKeyList list;
    for (const HIGH_KEY_INFO &key : highKeys)
        list.append(QSharedPointer<HIGH_KEY_INFO>::create(key));
    // A free slot as the keyboard reports one: slot and kind 255, nothing else.
    HIGH_KEY_INFO freeSlot;
    freeSlot.item = freeSlot.attribute = 0xFF;
    while (list.size() < qMin(slotCount, int(MaxHighKeys)))
        list.append(QSharedPointer<HIGH_KEY_INFO>::create(freeSlot));
    return list;
}

MacroList ConfigFileContent::macroList(int index) const
{
    MacroList list;
    if (index < 0 || index >= MacroCount)
        return list;
    for (const KEYBOARD_MACRO_INFO &action : macros[size_t(index)])
        list.append(QSharedPointer<KEYBOARD_MACRO_INFO>::create(action));
    return list;
}

TriggerMap ConfigFileContent::triggerMap() const
{
    return sharedByKey<KEYBOARD_TRIGGER_INFO, TriggerMap>(triggers);
}

QByteArray ConfigFileContent::packHighKey(const HIGH_KEY_INFO &info)
{
    QByteArray body(HighKeyDataSize, '\0');
    HIGH_KEY_INFO record = info;
    const QList<int> layout = bodyLayout(info.attribute);
    for (int i = 0; i < layout.size(); ++i)
        body[i] = char(recordByte(record, layout[i]));
    return body;
}

bool ConfigFileContent::unpackHighKey(uchar item, uchar attribute, const QByteArray &data, HIGH_KEY_INFO *out)
{
    const QList<int> layout = bodyLayout(attribute);
    if (data.size() < layout.size())
        return false;
    HIGH_KEY_INFO record;
    record.item = item;
    record.attribute = attribute;
    for (int i = 0; i < layout.size(); ++i)
        recordByte(record, layout[i]) = uchar(data.at(i));
    *out = record;
    return true;
}
