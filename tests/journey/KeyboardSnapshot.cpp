#include "tests/journey/KeyboardSnapshot.h"

#include "emulator/EmulatedHighKeyCommands.h"
#include "emulator/EmulatedKeyboardState.h"
#include "emulator/EmulatedLightingCommands.h"
#include "model/KeyboardConfigUtil.h"

namespace {
QString line(const char *kind, int key, std::initializer_list<int> values)
{
    QStringList parts;
    for (int value : values)
        parts << QString::number(value);
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(kind)).arg(key).arg(parts.join(QLatin1Char(',')));
}

QString keyLine(const char *layer, const KEYBOARD_KEY_INFO &k)
{
    return line(layer, k.keyItem, {k.type, k.hValue, k.lValue});
}

QString lightLine(const KEYBOARD_CUSTOM_LIGHT &l)
{
    return line("light", l.keyItem, {l.light, l.colorR, l.colorG, l.colorB});
}

QString effectLine(const KEYBOARD_EFFECT_LIGHT &e)
{
    return QStringLiteral("effect %1: %2").arg(e.item).arg(QString::fromLatin1(EmulatedLightingCommands::effectBytes(e).toHex()));
}

QString highKeyLine(const HIGH_KEY_INFO &h)
{
    return QStringLiteral("advanced key %1: %2").arg(h.item).arg(QString::fromLatin1(EmulatedHighKeyCommands::encode(h).toHex()));
}

QString triggerLine(const KEYBOARD_TRIGGER_INFO &t)
{
    return line("travel", t.keyItem, {t.trigger, t.model, t.quick, t.quickTrigger, t.resetTrigger});
}

QString paramsLine(const KEYBOARD_PARAMS &p)
{
    return line("parameters", 0, {p.touchOptimize, p.deadDown, p.deadUp, p.pollingRate, p.shakeLevel, p.calibration,
                                  p.sportsMode, p.currentLayer});
}

QString macroLine(int index, const QList<KEYBOARD_MACRO_INFO> &steps)
{
    QStringList out;
    for (const KEYBOARD_MACRO_INFO &s : steps)
        out << QStringLiteral("%1%2:%3:%4:%5").arg(s.state ? '+' : '-').arg(s.type).arg(s.lValue, 2, 16, QLatin1Char('0')).arg(s.hValue).arg(s.time);
    return QStringLiteral("macro %1: %2").arg(index).arg(out.join(QLatin1Char(' ')));
}

QStringList sharedLines(const EmulatedKeyboardState &state)
{
    QStringList names;
    for (const EmulatedProfile &profile : state.profiles)
        names << profile.name;
    QStringList lines{QStringLiteral("profiles: %1, active %2").arg(names.join(QLatin1Char('|'))).arg(state.currentProfile),
                      paramsLine(state.params)};
    for (int i = 0; i < int(state.macros.size()); ++i)
        lines << macroLine(i, state.macros[size_t(i)]);
    return lines;
}

} // namespace

QStringList KeyboardSnapshot::profileLines(const EmulatedProfile &profile)
{
    QStringList lines;
    for (const KEYBOARD_KEY_INFO &k : profile.normalLayer)
        lines << keyLine("normal", k);
    for (const KEYBOARD_KEY_INFO &k : profile.fnLayer)
        lines << keyLine("fn", k);
    for (const KEYBOARD_CUSTOM_LIGHT &l : profile.customLight)
        lines << lightLine(l);
    for (const KEYBOARD_EFFECT_LIGHT &e : profile.effects)
        lines << effectLine(e);
    for (const HIGH_KEY_INFO &h : profile.highKeys) {
        if (h.item != EmulatedHighKeyCommands::FreeItem)
            lines << highKeyLine(h);
    }
    for (const KEYBOARD_TRIGGER_INFO &t : profile.triggers)
        lines << triggerLine(t);
    return lines;
}

QStringList KeyboardSnapshot::ofKeyboard(const EmulatedKeyboardState &state)
{
    QStringList lines = sharedLines(state);
    for (int i = 0; i < state.profiles.size(); ++i) {
        const EmulatedProfile &profile = state.profiles[i];
        lines << QStringLiteral("profile %1 selected effect %2").arg(i).arg(profile.selectedEffect);
        for (const QString &record : profileLines(profile))
            lines << QStringLiteral("profile %1 %2").arg(i).arg(record);
    }
    return lines;
}

QStringList KeyboardSnapshot::activeOfKeyboard(const EmulatedKeyboardState &state)
{
    return sharedLines(state) + profileLines(state.profiles.value(state.currentProfile));
}

QStringList KeyboardSnapshot::ofModel()
{
    const KeyboardConfigUtil &model = *gKeyboardConfig;
    QStringList names;
    for (const auto &config : model.keyboardConfigList)
        names << config->configName;
    QStringList lines{QStringLiteral("profiles: %1, active %2").arg(names.join(QLatin1Char('|'))).arg(int(model.currentConfigIndex)),
                      model.keyboardParams ? paramsLine(*model.keyboardParams) : QStringLiteral("no parameters")};
    for (int i = 0; i < int(model.keyboardMacroList.size()); ++i) {
        QList<KEYBOARD_MACRO_INFO> steps;
        for (const auto &step : model.keyboardMacroList[size_t(i)])
            steps << *step;
        lines << macroLine(i, steps);
    }
    for (const auto &k : model.keyboardKeyMap)
        lines << keyLine("normal", *k);
    for (const auto &k : model.keyboardFn1KeyMap)
        lines << keyLine("fn", *k);
    for (const auto &l : model.keyboardCustomLightMap)
        lines << lightLine(*l);
    for (const auto &e : model.keyboardEffectLightMap)
        lines << effectLine(*e);
    for (const auto &h : model.keyboardHighKeyList) {
        if (h->item != KeyboardConfigUtil::NoItem)
            lines << highKeyLine(*h);
    }
    for (const auto &t : model.keyboardTriggerMap)
        lines << triggerLine(*t);
    return lines;
}
