#pragma once
// A configuration as lines of text, one per record, so that two configurations compare line by
// line and a difference names its record: what the emulated keyboard holds (every profile, or
// the active one) and what the keyboard model holds (the active profile it read).

#include <QStringList>

class EmulatedKeyboardState;
struct EmulatedProfile;

class KeyboardSnapshot
{
public:
    // Everything the keyboard keeps of its configuration: profile names and the active one, the
    // board parameters, the macros and every profile's records, its selected effect included.
    static QStringList ofKeyboard(const EmulatedKeyboardState &state);
    // What a configuration read gives: names, active profile, parameters, macros, and the
    // records of the active profile.
    static QStringList activeOfKeyboard(const EmulatedKeyboardState &state);
    // The same from the keyboard model.
    static QStringList ofModel();

private:
    static QStringList profileLines(const EmulatedProfile &profile);
};
