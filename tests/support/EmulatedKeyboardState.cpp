#include "tests/support/EmulatedKeyboardState.h"

#include <QDebug>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

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

// Runs a per-model query; false when the statement fails (a missing table, for example).
template<typename RowFn>
bool forEachRow(QSqlDatabase &db, const QString &table, quint16 serialNumber, RowFn onRow)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("SELECT * FROM %1 WHERE serialNumber = :serialNumber").arg(table)))
        return false;
    // Serial numbers are stored as signed 16-bit values.
    query.bindValue(QStringLiteral(":serialNumber"), int(qint16(serialNumber)));
    if (!query.exec())
        return false;
    while (query.next())
        onRow(query);
    return true;
}

uchar byteAt(const QSqlQuery &query, int column)
{
    return uchar(query.value(column).toInt());
}

QMap<uchar, KEYBOARD_KEY_INFO> readDefaults(QSqlDatabase &db, const QString &table, quint16 serialNumber)
{
    QMap<uchar, KEYBOARD_KEY_INFO> keys;
    forEachRow(db, table, serialNumber, [&keys](const QSqlQuery &row) {
        const uchar keyItem = byteAt(row, 2);
        keys.insert(keyItem, keyFunction(keyItem, byteAt(row, 3), byteAt(row, 4), byteAt(row, 5)));
    });
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
    if (!QFileInfo(path).isFile())
        return fail(error, QStringLiteral("no database file at %1").arg(path));
    static std::atomic<int> connections{0};
    const QString name = QStringLiteral("emulated_keyboard_%1").arg(connections++);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            fail(error, QStringLiteral("cannot open %1").arg(path));
        } else {
            EmulatedKeyboardState state = builtIn();
            QMap<uchar, bool> keys;
            forEachRow(db, QStringLiteral("key_position_table"), serialNumber,
                       [&keys](const QSqlQuery &row) { keys.insert(byteAt(row, 2), true); });
            if (keys.isEmpty()) {
                fail(error, QStringLiteral("no keys of model 0x%1").arg(serialNumber, 4, 16, QLatin1Char('0')));
            } else {
                state.keyNumbers = keys.keys();
                state.factoryNormal = readDefaults(db, QStringLiteral("keyboard_default_table"), serialNumber);
                state.factoryFn = readDefaults(db, QStringLiteral("keyboard_default_fn1_table"), serialNumber);
                state.identity.serialNumber = serialNumber;
                forEachRow(db, QStringLiteral("product_table"), serialNumber, [&state](const QSqlQuery &row) {
                    state.identity.productName = row.value(4).toString().toUtf8();
                });
                state.resetProfiles();
                *out = state;
                ok = true;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
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
