#include "emulator/EmulatedLightingCommands.h"

#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"
#include "emulator/EmulatedProfileCommands.h"

#include <QColor>
#include <iterator>

QMap<uchar, QString> EmulatedLightingCommands::effectNames(const EmulatedKeyboardState &state, unsigned char language)
{
    return state.effectNamesByLanguage.value(language, state.effectNames);
}

QList<QByteArray> EmulatedLightingCommands::effectNamePayloads(const QMap<uchar, QString> &names, int frameSize,
                                                               int width)
{
    const int perFrame = qMax(1, (KeyboardFrameCodec::payloadCapacity(frameSize) - 2) / qMax(1, width));
    const QList<QString> fields = names.values();
    // The first reported index is the map's first key; names count on from it.
    uchar index = names.isEmpty() ? 0 : names.firstKey();
    QList<QByteArray> payloads;
    for (qsizetype at = 0; at < fields.size() || payloads.isEmpty(); at += perFrame) {
        QByteArray payload(2, '\0');
        payload[0] = char(index);
        payload[1] = char(width);
        for (qsizetype i = at; i < qMin(at + perFrame, fields.size()); ++i) {
            payload += EmulatedProfileCommands::nameField(fields[i], width);
            if (!fields[i].isEmpty())
                ++index;
        }
        payloads.append(payload);
    }
    return payloads;
}

QByteArray EmulatedLightingCommands::effectBytes(const KEYBOARD_EFFECT_LIGHT &effect)
{
    const char bytes[8] = {char(effect.item),         char(effect.light),  char(effect.speed),
                           char(effect.fullColor),    char(effect.functionFlag), char(effect.colorR),
                           char(effect.colorG),       char(effect.colorB)};
    return QByteArray(bytes, 8);
}

KEYBOARD_EFFECT_LIGHT EmulatedLightingCommands::effectFromBytes(const QByteArray &bytes, int at)
{
    KEYBOARD_EFFECT_LIGHT effect;
    effect.item = uchar(bytes[at]);
    effect.light = uchar(bytes[at + 1]);
    effect.speed = uchar(bytes[at + 2]);
    effect.fullColor = uchar(bytes[at + 3]);
    effect.functionFlag = uchar(bytes[at + 4]);
    effect.colorR = uchar(bytes[at + 5]);
    effect.colorG = uchar(bytes[at + 6]);
    effect.colorB = uchar(bytes[at + 7]);
    return effect;
}

void EmulatedLightingCommands::fillShowcase(EmulatedKeyboardState &state)
{
    struct Effect {
        const char *english;
        const char *chinese;
        const char *vietnamese;
        uchar flags; // bit 0 colour, 1 speed, 2 brightness, 3 full colour
        QRgb color;
    };
    static const Effect effects[] = {
        {"Static", "常亮", "Tĩnh", 0x05, qRgb(255, 105, 0)},
        {"Breathing", "呼吸", "Hơi thở", 0x0F, qRgb(0, 170, 255)},
        {"Spectrum", "光谱循环", "Quang phổ", 0x06, qRgb(255, 255, 255)},
        {"Wave", "波浪", "Sóng", 0x0F, qRgb(120, 60, 255)},
        {"Ripple", "涟漪", "Gợn sóng", 0x0F, qRgb(0, 230, 120)},
        {"Reactive", "触发", "Phản hồi phím", 0x0D, qRgb(255, 40, 80)},
        {"Starlight", "星光", "Ánh sao", 0x07, qRgb(255, 220, 120)},
        {"Raindrops", "雨滴", "Mưa rơi", 0x0F, qRgb(40, 120, 255)},
        {"Aurora", "极光", "Cực quang", 0x06, qRgb(0, 255, 200)},
        {"Neon", "霓虹", "Neon", 0x06, qRgb(255, 0, 255)},
    };
    QMap<uchar, QString> english, chinese, vietnamese;
    for (uchar i = 0; i < uchar(std::size(effects)); ++i) {
        english.insert(i, QString::fromUtf8(effects[i].english));
        chinese.insert(i, QString::fromUtf8(effects[i].chinese));
        vietnamese.insert(i, QString::fromUtf8(effects[i].vietnamese));
    }
    state.effectNames = chinese;
    state.effectNamesByLanguage = {{0, english}, {1, chinese}, {7, vietnamese}};
    for (EmulatedProfile &profile : state.profiles) {
        profile.effects.clear();
        for (uchar i = 0; i < uchar(std::size(effects)); ++i) {
            KEYBOARD_EFFECT_LIGHT effect;
            effect.item = i;
            effect.functionFlag = effects[i].flags;
            effect.light = 80;
            effect.speed = 50;
            effect.colorR = uchar(qRed(effects[i].color));
            effect.colorG = uchar(qGreen(effects[i].color));
            effect.colorB = uchar(qBlue(effects[i].color));
            profile.effects.insert(i, effect);
        }
        for (KEYBOARD_CUSTOM_LIGHT &light : profile.customLight) {
            light.light = 80;
            light.colorR = light.colorG = light.colorB = 0xFF;
        }
    }
}

namespace {
void installCustomLight(EmulatedKeyboard &keyboard)
{
    using Blocks = EmulatedKeyBlocks;
    keyboard.setHandler(EmulatedLightingCommands::GetCustomLight, [](EmulatedKeyboardState &state,
                                                                     const KeyboardRequest &request,
                                                                     KeyboardReplies &replies) {
        const auto &lights = state.profile().customLight;
        const QList<KeyBlock> blocks = Blocks::split(lights.keys(), (replies.payloadCapacity() - 1) / 4);
        Blocks::answerFrame(request, replies, Blocks::blockPayloads(blocks, QByteArray(), [&lights](uchar key) {
            const KEYBOARD_CUSTOM_LIGHT light = lights.value(key);
            const char bytes[4] = {char(light.light), char(light.colorR), char(light.colorG), char(light.colorB)};
            return QByteArray(bytes, 4);
        }));
    });
    keyboard.setHandler(EmulatedLightingCommands::SetCustomLightAll, [](EmulatedKeyboardState &state,
                                                                        const KeyboardRequest &request,
                                                                        KeyboardReplies &replies) {
        // [first key, (light, R, G, B) per key]; a frame of another shape is not answered.
        const QByteArray &p = request.payload();
        if (p.size() < 5 || (p.size() - 1) % 4 != 0)
            return;
        Blocks::applyFrom(state.profile().customLight, uchar(p[0]), int(p.size() - 1) / 4,
                          [&p](KEYBOARD_CUSTOM_LIGHT &light, int i) {
                              light.light = uchar(p[1 + 4 * i]);
                              light.colorR = uchar(p[2 + 4 * i]);
                              light.colorG = uchar(p[3 + 4 * i]);
                              light.colorB = uchar(p[4 + 4 * i]);
                          });
        Blocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(EmulatedLightingCommands::SetCustomLight, [](EmulatedKeyboardState &state,
                                                                     const KeyboardRequest &request,
                                                                     KeyboardReplies &replies) {
        // [light, R, G, B, keys...]
        const QByteArray &p = request.payload();
        if (p.size() < 5)
            return;
        Blocks::applyToListed(state.profile().customLight, p, 4, [&p](KEYBOARD_CUSTOM_LIGHT &light) {
            light.light = uchar(p[0]);
            light.colorR = uchar(p[1]);
            light.colorG = uchar(p[2]);
            light.colorB = uchar(p[3]);
        });
        Blocks::confirmFrame(request, replies);
    });
}

void installEffects(EmulatedKeyboard &keyboard)
{
    using Blocks = EmulatedKeyBlocks;
    using Lighting = EmulatedLightingCommands;
    keyboard.setHandler(Lighting::GetEffectLightName, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                                         KeyboardReplies &replies) {
        if (request.payload().size() != 1)
            return;
        const uchar language = uchar(request.payload()[0]);
        Blocks::answerFrame(request, replies,
                            Lighting::effectNamePayloads(Lighting::effectNames(state, language), request.frameSize));
    });
    keyboard.setHandler(Lighting::GetEffectLight, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                                     KeyboardReplies &replies) {
        if (request.payload().size() != 1)
            return;
        const uchar index = uchar(request.payload()[0]);
        const auto &effects = state.profile().effects;
        QList<KEYBOARD_EFFECT_LIGHT> records = index == 0xFF ? effects.values() : QList<KEYBOARD_EFFECT_LIGHT>();
        if (index != 0xFF && effects.contains(index))
            records.append(effects.value(index));
        const int perFrame = replies.payloadCapacity() / 8;
        QList<QByteArray> payloads;
        for (qsizetype at = 0; at < records.size() || payloads.isEmpty(); at += perFrame) {
            QByteArray payload;
            for (qsizetype i = at; i < qMin(at + perFrame, records.size()); ++i)
                payload += Lighting::effectBytes(records[i]);
            payloads.append(payload);
        }
        Blocks::answerFrame(request, replies, payloads);
    });
    // Effect records of 8 bytes: any number of them for the write of all, exactly one for the
    // write of one.
    const auto writeEffects = [](bool one) {
        return [one](EmulatedKeyboardState &state, const KeyboardRequest &request, KeyboardReplies &replies) {
            const QByteArray &p = request.payload();
            if (p.isEmpty() || p.size() % 8 != 0 || (one && p.size() != 8))
                return;
            for (int at = 0; at < p.size(); at += 8) {
                const KEYBOARD_EFFECT_LIGHT effect = Lighting::effectFromBytes(p, at);
                state.profile().effects.insert(effect.item, effect);
            }
            Blocks::confirmFrame(request, replies);
        };
    };
    keyboard.setHandler(Lighting::SetEffectLightAll, writeEffects(false));
    keyboard.setHandler(Lighting::SetEffectLight, writeEffects(true));
    keyboard.setHandler(Lighting::SelectEffectLight, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                                        KeyboardReplies &replies) {
        if (request.payload().size() != 1)
            return;
        state.profile().selectedEffect = uchar(request.payload()[0]);
        Blocks::confirmFrame(request, replies);
    });
}
} // namespace

void EmulatedLightingCommands::install(EmulatedKeyboard &keyboard)
{
    installCustomLight(keyboard);
    installEffects(keyboard);
}
