#include "emulator/EmulatedProfileCommands.h"

#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"

QByteArray EmulatedProfileCommands::nameField(const QString &name, int width)
{
    QByteArray field = name.toUtf8().left(width);
    field.resize(width, '\0');
    return field;
}

QList<QByteArray> EmulatedProfileCommands::profileListPayloads(const EmulatedKeyboardState &state, int frameSize)
{
    const int perFrame = (KeyboardFrameCodec::payloadCapacity(frameSize) - 3) / NameWidth;
    QList<QByteArray> payloads;
    uchar number = 0;
    for (qsizetype at = 0; at < state.profiles.size() || payloads.isEmpty(); at += perFrame) {
        QByteArray payload(3, '\0');
        payload[1] = char(state.currentProfile);
        payload[2] = char(number);
        for (qsizetype i = at; i < qMin(at + perFrame, state.profiles.size()); ++i) {
            payload += nameField(state.profiles[i].name, NameWidth);
            if (!state.profiles[i].name.isEmpty())
                ++number;
        }
        payloads.append(payload);
    }
    return payloads;
}

QByteArray EmulatedProfileCommands::noticeReport(const QByteArray &payload, int frameSize)
{
    return KeyboardFrameCodec::encode(Notice, 1, 1, payload, frameSize);
}

void EmulatedProfileCommands::sendNotice(const QByteArray &path, int frameSize, const QByteArray &payload)
{
    EmulatedHidBus::instance().pushInputReport(path, noticeReport(payload, frameSize));
}

void EmulatedProfileCommands::switchOnKeyboard(EmulatedKeyboard &keyboard, const QByteArray &path, int frameSize,
                                               int index)
{
    keyboard.state().currentProfile = index;
    sendNotice(path, frameSize, QByteArray("\x00\x00", 2) + char(index));
}

void EmulatedProfileCommands::install(EmulatedKeyboard &keyboard)
{
    keyboard.setHandler(GetProfiles, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                        KeyboardReplies &replies) {
        EmulatedKeyBlocks::answerFrame(request, replies, profileListPayloads(state, request.frameSize));
    });
    keyboard.setHandler(SwitchProfile, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        if (request.payload().size() < 1)
            return;
        const int index = uchar(request.payload()[0]);
        // A profile the keyboard does not have is answered, and nothing changes.
        if (index < state.profiles.size())
            state.currentProfile = index;
        EmulatedKeyBlocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(AddProfile, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                       KeyboardReplies &replies) {
        // The new profile comes last, with the factory settings; the number sent is not used.
        if (state.profiles.size() < MaxProfiles) {
            EmulatedKeyboardState factory = state;
            factory.resetProfiles();
            EmulatedProfile profile = factory.profiles.first();
            profile.name = QStringLiteral("Profile %1").arg(state.profiles.size() + 1);
            state.profiles.append(profile);
        }
        EmulatedKeyBlocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(DeleteProfile, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        if (request.payload().size() < 1)
            return;
        const int index = uchar(request.payload()[0]);
        // The last profile stays.
        if (index < state.profiles.size() && state.profiles.size() > 1) {
            state.profiles.removeAt(index);
            if (state.currentProfile > index || state.currentProfile >= state.profiles.size())
                --state.currentProfile;
        }
        EmulatedKeyBlocks::confirmFrame(request, replies);
    });
    keyboard.setHandler(RenameProfile, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                          KeyboardReplies &replies) {
        // [profile number, 29-byte name field]; a profile the keyboard does not have is answered,
        // and nothing changes.
        if (request.payload().size() < 1 + NameWidth)
            return;
        const int index = uchar(request.payload()[0]);
        const QByteArray field = request.payload().mid(1, NameWidth);
        const qsizetype end = field.indexOf('\0');
        if (index < state.profiles.size())
            state.profiles[index].name = QString::fromUtf8(end < 0 ? field : field.left(end));
        EmulatedKeyBlocks::confirmFrame(request, replies);
    });
}
