#pragma once
#include <QString>
#include <QtGlobal>

// The sample product database built from emulator/sample/quillbase_sample.sql.
// Model 1 is a full-size board whose Space bar carries a second sensor (a key of its own sharing
// the Space key's position, not drawn); model 2 has a serial number stored as a negative number.
class SampleProductDatabase
{
public:
    static constexpr quint16 He104Serial = 0x3001;
    static constexpr int He104Keys = 105;  // 104 keycaps and the second Space sensor
    static constexpr quint8 He104Space = 94;
    static constexpr quint8 He104SpaceSecond = 104;
    static constexpr quint16 He68Serial = 0x8A01;
    static constexpr int He68Keys = 68;

    // The built .db3 file.
    static QString path();
    // Copies the sample to <folder>/quillbase.db3 (creating the folder), replacing any file there.
    static bool installInto(const QString &folder);
};
