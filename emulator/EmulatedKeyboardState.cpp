#include "emulator/EmulatedKeyboardState.h"

#include "storage/ProductDataUtil.h"

#include <QDebug>
#include <QFileInfo>

namespace {
KEYBOARD_KEY_INFO keyFunction(uchar keyItem, uchar type, uchar hValue, uchar lValue)
{
    KEYBOARD_KEY_INFO key;
    key.keyItem = keyItem;
    key.type = type;
    key.hValue = hValue;
    key.lValue = lValue;
    return key;
}

KEYBOARD_PARAMS factoryParams()
{
    KEYBOARD_PARAMS params;
    params.deadDown = 10;
    params.deadUp = 10;
    params.pollingRate = 0;
    params.shakeLevel = 1;
    return params;
}

QMap<uchar, KEYBOARD_KEY_INFO> toKeyMap(const QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> &list)
{
    QMap<uchar, KEYBOARD_KEY_INFO> keys;
    for (const auto &key : list)
        keys.insert(key->keyItem, keyFunction(key->keyItem, key->type, key->hValue, key->lValue));
    return keys;
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}
} // namespace

EmulatedProfile EmulatedKeyboardState::makeProfile(int index, const QList<uchar> &keys,
                                                   const QMap<uchar, KEYBOARD_KEY_INFO> &normal,
                                                   const QMap<uchar, KEYBOARD_KEY_INFO> &fn)
{
    EmulatedProfile profile;
    profile.name = QStringLiteral("Profile %1").arg(index + 1);
    for (uchar key : keys) {
        profile.normalLayer.insert(key, normal.value(key, keyFunction(key, 0xFF, 0xFF, 0xFF)));
        profile.fnLayer.insert(key, fn.value(key, profile.normalLayer.value(key)));
        KEYBOARD_CUSTOM_LIGHT light;
        light.keyItem = key;
        light.light = 4;
        light.colorR = light.colorG = light.colorB = 0xFF;
        profile.customLight.insert(key, light);
        KEYBOARD_TRIGGER_INFO trigger;
        trigger.keyItem = key;
        trigger.trigger = 120;
        trigger.quickTrigger = 30;
        trigger.resetTrigger = 30;
        profile.triggers.insert(key, trigger);
    }
    for (int i = 0; i < EffectCount; ++i) {
        KEYBOARD_EFFECT_LIGHT effect;
        effect.item = uchar(i);
        effect.functionFlag = 0x0F;
        effect.light = 4;
        effect.speed = 2;
        effect.colorR = effect.colorG = effect.colorB = 0xFF;
        profile.effects.insert(effect.item, effect);
    }
    return profile;
}

void EmulatedKeyboardState::resetProfiles()
{
    profiles.clear();
    for (int i = 0; i < ProfileCount; ++i)
        profiles.append(makeProfile(i, keyNumbers, factoryNormal, factoryFn));
    currentProfile = 0;
    params = factoryParams();
    for (auto &macro : macros)
        macro.clear();
    calibration = EmulatedCalibration();
    for (uchar key : std::as_const(keyNumbers))
        calibration.depth.insert(key, 0);
}

EmulatedKeyboardState EmulatedKeyboardState::builtIn()
{
    EmulatedKeyboardState state;
    state.params = factoryParams();
    for (int key = 0; key < BuiltInKeyCount; ++key) {
        state.keyNumbers.append(uchar(key));
        // Keyboard-page usages from 0x04 ('A') on, one per key.
        state.factoryNormal.insert(uchar(key), keyFunction(uchar(key), 1, 0, uchar(0x04 + key)));
    }
    state.factoryFn = state.factoryNormal;
    for (int i = 0; i < EffectCount; ++i)
        state.effectNames.insert(uchar(i), QStringLiteral("Effect %1").arg(i + 1));
    state.resetProfiles();
    return state;
}

bool EmulatedKeyboardState::fromProductDatabase(const QString &path, quint16 serialNumber,
                                                EmulatedKeyboardState *out, QString *error)
{
    ProductDataUtil products(path);
    if (!products.isOpen())
        return fail(error, QStringLiteral("cannot open %1").arg(path));
    QMap<uchar, QSharedPointer<KEY_POSITION>> positions;
    products.getKeyPosition(serialNumber, positions);
    if (positions.isEmpty())
        return fail(error, QStringLiteral("no keys of model 0x%1").arg(serialNumber, 4, 16, QLatin1Char('0')));
    QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> normal;
    QList<QSharedPointer<PRODUCT_DEFAULT_KEY>> fn;
    products.getDefaultProductKey(serialNumber, normal);
    products.getDefaultFn1ProductKey(serialNumber, fn);

    EmulatedKeyboardState state = builtIn();
    state.keyNumbers = positions.keys();
    state.factoryNormal = toKeyMap(normal);
    state.factoryFn = toKeyMap(fn);
    state.identity.serialNumber = serialNumber;
    if (const auto product = products.getProductInfoById(serialNumber))
        state.identity.productName = product->productName.toUtf8();
    state.resetProfiles();
    *out = state;
    return true;
}

EmulatedKeyboardState EmulatedKeyboardState::sample()
{
#ifdef QUILL_SAMPLE_DB
    EmulatedKeyboardState state;
    QString error;
    if (fromProductDatabase(QString::fromUtf8(QUILL_SAMPLE_DB), 0x3001, &state, &error))
        return state;
    qWarning() << "sample product database not usable:" << error;
#endif
    return builtIn();
}
