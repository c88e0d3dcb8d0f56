#pragma once
// Handlers of the emulated keyboard for its profiles: list (0x57), switch (0x55), add (0x58),
// delete (0x59) and rename (0x56); and the notice 0xF1 the keyboard sends unasked.
//
// A profile whose name is empty is an empty slot of the list: its name field is all zero and
// takes no profile number, so the numbers the host gives count only the named profiles.

#include <QByteArray>
#include <QList>
#include <QString>

class EmulatedKeyboard;
class EmulatedKeyboardState;

class EmulatedProfileCommands
{
public:
    static constexpr unsigned char SwitchProfile = 0x55;
    static constexpr unsigned char RenameProfile = 0x56;
    static constexpr unsigned char GetProfiles = 0x57;
    static constexpr unsigned char AddProfile = 0x58;
    static constexpr unsigned char DeleteProfile = 0x59;
    static constexpr unsigned char Notice = 0xF1;
    static constexpr int NameWidth = 29;
    static constexpr int MaxProfiles = 8;

    static void install(EmulatedKeyboard &keyboard);

    // The profile list reply, one payload per frame: [0, active profile, number of the frame's
    // first named profile, name fields of NameWidth bytes...], (payload - 3) / 29 fields a frame.
    static QList<QByteArray> profileListPayloads(const EmulatedKeyboardState &state, int frameSize);
    // A name as the keyboard stores it: its UTF-8 bytes, cut at width even inside a character,
    // zero padded to width.
    static QByteArray nameField(const QString &name, int width);

    // A notice frame as the keyboard sends it (no report id): kind 0 [0, type, item], kind 3
    // [3, state], or any payload.
    static QByteArray noticeReport(const QByteArray &payload, int frameSize);
    // Puts a notice on the host's input queue of the interface at path.
    static void sendNotice(const QByteArray &path, int frameSize, const QByteArray &payload);
    // The user picks a profile on the keyboard itself: it becomes active and the keyboard tells
    // the host with the notice [0, 0, index].
    static void switchOnKeyboard(EmulatedKeyboard &keyboard, const QByteArray &path, int frameSize, int index);
};
