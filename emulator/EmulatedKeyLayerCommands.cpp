#include "emulator/EmulatedKeyLayerCommands.h"

#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"

namespace {
QMap<uchar, KEYBOARD_KEY_INFO> &layerOf(EmulatedKeyboardState &state, uchar layer)
{
    return layer == 0 ? state.profile().normalLayer : state.profile().fnLayer;
}
} // namespace

QByteArray EmulatedKeyLayerCommands::keyBytes(const KEYBOARD_KEY_INFO &key)
{
    const char bytes[3] = {char(key.type), char(key.lValue), char(key.hValue)};
    return QByteArray(bytes, 3);
}

KEYBOARD_KEY_INFO EmulatedKeyLayerCommands::factoryKey(const EmulatedKeyboardState &state, unsigned char layer,
                                                       unsigned char key)
{
    KEYBOARD_KEY_INFO none;
    none.keyItem = key;
    none.type = none.hValue = none.lValue = 0xFF;
    const KEYBOARD_KEY_INFO normal = state.factoryNormal.value(key, none);
    return layer == 0 ? normal : state.factoryFn.value(key, normal);
}

void EmulatedKeyLayerCommands::readLayer(EmulatedKeyboardState &state, const KeyboardRequest &request,
                                         KeyboardReplies &replies)
{
    if (request.payload().size() != 1 || uchar(request.payload()[0]) > 1)
        return;
    const uchar layer = uchar(request.payload()[0]);
    const auto &keys = layerOf(state, layer);
    const QList<KeyBlock> blocks = EmulatedKeyBlocks::split(keys.keys(), (replies.payloadCapacity() - 2) / 3);
    EmulatedKeyBlocks::answerFrame(request, replies,
                                   EmulatedKeyBlocks::blockPayloads(blocks, QByteArray(1, char(layer)),
                                                                    [&keys](uchar key) { return keyBytes(keys.value(key)); }));
}

void EmulatedKeyLayerCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(GetKeyboardConfig, &EmulatedKeyLayerCommands::readLayer);
    keyboard.setHandler(SetKeyboardConfig, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                              KeyboardReplies &replies) {
        // [layer, first key, (type, lValue, hValue) per key]; another shape is not answered.
        const QByteArray &p = request.payload();
        if (p.size() < 5 || (p.size() - 2) % 3 != 0)
            return;
        EmulatedKeyBlocks::applyFrom(layerOf(state, uchar(p[0])), uchar(p[1]), int(p.size() - 2) / 3,
                                     [&p](KEYBOARD_KEY_INFO &key, int i) {
                                         key.type = uchar(p[2 + 3 * i]);
                                         key.lValue = uchar(p[3 + 3 * i]);
                                         key.hValue = uchar(p[4 + 3 * i]);
                                     });
        EmulatedKeyBlocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(SetKeyboardDefault, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                               KeyboardReplies &replies) {
        // [layer, keys...]: 0xFF first restores every key and reports none; otherwise the listed
        // keys are restored and the first two reported as (key, type, lValue, hValue).
        const QByteArray &p = request.payload();
        if (p.size() < 2)
            return;
        const uchar layerByte = uchar(p[0]);
        auto &layer = layerOf(state, layerByte);
        QByteArray reply(1, char(layerByte != 0 ? 1 : 0));
        if (uchar(p[1]) == 0xFF) {
            for (auto it = layer.begin(); it != layer.end(); ++it)
                it.value() = factoryKey(state, layerByte, it.key());
            reply += QByteArray(8, char(0xFF));
        } else {
            QByteArray reported;
            for (qsizetype i = 1; i < p.size(); ++i) {
                const uchar key = uchar(p[i]);
                if (key == 0xFF || !layer.contains(key))
                    continue;
                layer[key] = factoryKey(state, layerByte, key);
                if (reported.size() < 8)
                    reported += char(key) + keyBytes(layer[key]);
            }
            reported.resize(8, char(0xFF));
            reply += reported;
        }
        replies.send(reply, request.frame.frame, request.frame.total);
    });
}
