#pragma once
// Everything the emulated keyboard remembers: identity, board parameters, profiles with their
// key layers, lighting, advanced keys and triggers, macros, effect names and calibration.

#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <array>

struct EmulatedIdentity {
    quint16 serialNumber = 0x3001;
    quint16 version = 0x0105;
    uchar flags = 0;            // bits 0, 1 and 7 are reported to the host
    QByteArray customerName = "Quill";
    QByteArray productName = "Quill HE104";
    QByteArray logoName = "QUILL";
    QByteArray lastHostClock;   // payload of the last identity request (0, year, month, ...)
};

// One configuration table of the keyboard.
struct EmulatedProfile {
    QString name;
    QMap<uchar, KEYBOARD_KEY_INFO> normalLayer;
    QMap<uchar, KEYBOARD_KEY_INFO> fnLayer;
    QMap<uchar, KEYBOARD_CUSTOM_LIGHT> customLight;
    QMap<uchar, KEYBOARD_EFFECT_LIGHT> effects;
    uchar selectedEffect = 0;
    QList<HIGH_KEY_INFO> highKeys; // the slot table: HighKeySlots records once used, item 255 when free
    QMap<uchar, KEYBOARD_TRIGGER_INFO> triggers;
};

struct EmulatedCalibration {
    bool calibrating = false;
    bool reporting = false;
    QMap<uchar, quint16> depth; // live depth per key
    QMap<uchar, uchar> state;   // calibration state per key number, 0 (or absent) not calibrated
    QMap<uchar, quint16> adc;   // raw sensor value per key number, when not the made-up default
    uchar switchAnswer = 0;     // answer to a report switch: 0 accepted, anything else refused
    int saves = 0;              // calibrations stored
};

// An image received chunk by chunk (keyboard firmware or firmware data).
struct EmulatedFirmwareImage {
    QMap<quint16, QByteArray> chunks; // by chunk number
    bool ended = false;    // the end command was taken; firmware data: the whole file came and checked out
    quint32 endFirst = 0;  // the end request's values, in the order the host passed them
    quint32 endSecond = 0;
    // The chunks in number order, joined.
    QByteArray assembled() const;
};

struct EmulatedFirmware {
    EmulatedFirmwareImage keyboard;
    EmulatedFirmwareImage data;
    int refuseNext = 0;    // chunk and end requests answered with a non-zero status
    uchar refuseStatus = 1;
    int endRefusals = 0;   // the end request is answered this many times with refuseStatus, not taken
    int resets = 0;        // factory resets done
};

class EmulatedKeyboardState
{
public:
    static constexpr int ProfileCount = 4;
    static constexpr int MacroCount = 10;
    static constexpr int HighKeySlots = 32;
    static constexpr int EffectCount = 10;
    static constexpr int BuiltInKeyCount = 104;

    EmulatedIdentity identity;
    KEYBOARD_PARAMS params;
    QList<uchar> keyNumbers; // the model's key numbers, ascending
    QMap<uchar, KEYBOARD_KEY_INFO> factoryNormal;
    QMap<uchar, KEYBOARD_KEY_INFO> factoryFn;
    QList<EmulatedProfile> profiles;
    int currentProfile = 0;
    QMap<uchar, QString> effectNames;
    // Effect names per language byte of the name request; a language without a set of its own
    // gets effectNames. An empty name is an empty slot of the list.
    QMap<uchar, QMap<uchar, QString>> effectNamesByLanguage;
    std::array<QList<KEYBOARD_MACRO_INFO>, MacroCount> macros;
    EmulatedCalibration calibration;
    EmulatedFirmware firmware;

    EmulatedProfile &profile() { return profiles[currentProfile]; }

    // A keyboard of BuiltInKeyCount keys numbered 0 upwards with made-up factory layers.
    static EmulatedKeyboardState builtIn();
    // Key numbers, factory layers and product name of one model of a product database file
    // (its key_position_table, keyboard_default_table, keyboard_default_fn1_table and
    // product_table, read by column position). False, with a reason, when the file cannot be
    // read or holds no keys for the model; out is then untouched.
    static bool fromProductDatabase(const QString &path, quint16 serialNumber, EmulatedKeyboardState *out,
                                    QString *error = nullptr);
    // The sample product database's first model when the tests were built with one, else builtIn().
    static EmulatedKeyboardState sample();

    // Rebuilds every profile from the key numbers and factory layers, empties the macros and the
    // calibration and restores the factory board parameters (a factory reset).
    void resetProfiles();

private:
    static EmulatedProfile makeProfile(int index, const QList<uchar> &keys, const QMap<uchar, KEYBOARD_KEY_INFO> &normal,
                                       const QMap<uchar, KEYBOARD_KEY_INFO> &fn);
};
