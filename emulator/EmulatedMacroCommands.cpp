#include "emulator/EmulatedMacroCommands.h"

#include "emulator/EmulatedKeyboard.h"

int EmulatedMacroCommands::actionsPerFrame(int frameSize)
{
    return KeyboardFrameCodec::entriesPerFrame(frameSize, 2, ActionSize);
}

QByteArray EmulatedMacroCommands::encode(const KEYBOARD_MACRO_INFO &action)
{
    QByteArray wire(ActionSize, '\0');
    wire[0] = char(action.state);
    wire[1] = char(action.type);
    wire[2] = char(action.lValue);
    wire[3] = char(action.hValue);
    wire[4] = char(action.time & 0xFF);
    wire[5] = char(action.time >> 8);
    return wire;
}

KEYBOARD_MACRO_INFO EmulatedMacroCommands::decode(const QByteArray &wire)
{
    KEYBOARD_MACRO_INFO action;
    action.state = uchar(wire[0]);
    action.type = uchar(wire[1]);
    action.lValue = uchar(wire[2]);
    action.hValue = uchar(wire[3]);
    action.time = quint16(uchar(wire[4]) | (uchar(wire[5]) << 8));
    return action;
}

void EmulatedMacroCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(GetMacro, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                     KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        if (payload.size() != 1 || uchar(payload[0]) >= EmulatedKeyboardState::MacroCount)
            return;
        const uchar index = uchar(payload[0]);
        const QList<KEYBOARD_MACRO_INFO> &macro = state.macros[index];
        if (macro.isEmpty()) {
            replies.send(QByteArray("\xFF\x00", 2));
            return;
        }
        const int perFrame = actionsPerFrame(request.frameSize);
        const int total = KeyboardFrameCodec::frameCount(int(macro.size()), perFrame);
        const int frame = request.frame.frame;
        if (frame < 1 || frame > total)
            return;
        const int first = (frame - 1) * perFrame;
        const int count = qMin(perFrame, int(macro.size()) - first);
        QByteArray reply(1, char(index));
        reply += char(count);
        for (int i = 0; i < count; ++i)
            reply += encode(macro[first + i]);
        replies.send(reply, uchar(frame), uchar(total));
    });

    // Frame 1 replaces the macro, later frames append to it.
    keyboard.setHandler(SetMacro, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                     KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        if (payload.size() < 2)
            return;
        const uchar index = uchar(payload[0]);
        const int count = uchar(payload[1]);
        const int frame = request.frame.frame;
        if (index >= EmulatedKeyboardState::MacroCount || payload.size() != 2 + count * ActionSize
            || count > actionsPerFrame(request.frameSize) || frame < 1 || frame > request.frame.total)
            return;
        // Frame n holds the actions from (n - 1) full frames on: a frame that arrives again
        // rewrites its own place.
        QList<KEYBOARD_MACRO_INFO> &macro = state.macros[index];
        const qsizetype first = qsizetype(frame - 1) * actionsPerFrame(request.frameSize);
        if (macro.size() < first)
            return;
        macro.resize(first);
        for (int i = 0; i < count; ++i)
            macro.append(decode(payload.mid(2 + i * ActionSize, ActionSize)));
        replies.send(QByteArray(1, '\0'), request.frame.frame, request.frame.total);
    });

    keyboard.setHandler(DelMacro, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                     KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        if (payload.size() != 1 || uchar(payload[0]) >= EmulatedKeyboardState::MacroCount)
            return;
        state.macros[uchar(payload[0])].clear();
        replies.send(QByteArray(1, '\0'));
    });
}
