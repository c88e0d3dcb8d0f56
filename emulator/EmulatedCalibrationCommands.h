#pragma once
// Handlers of the emulated keyboard for calibration: key states 0x52, the live depth report
// switch 0x53, storing 0x54 and the raw sensor values 0x5B.
//
// While the report is on the keyboard sends 0xD3 depth reports of its own accord: right behind
// its answer to switching the report on, and whenever a test pushes liveReports() onto the bus
// (after pressKey, say).

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class EmulatedKeyboard;
class EmulatedKeyboardState;

class EmulatedCalibrationCommands
{
public:
    static constexpr uchar GetState = 0x52;
    static constexpr uchar SetReport = 0x53;
    static constexpr uchar Save = 0x54;
    static constexpr uchar GetAdc = 0x5B;
    static constexpr uchar ReportCode = 0xD3;

    static void install(EmulatedKeyboard &keyboard);

    // Presses a key to the given depth (0 releases it). A key pressed while calibrating, or held
    // when calibrating starts, counts as calibrated from then on.
    static void pressKey(EmulatedKeyboardState &state, uchar key, quint16 depth);
    // The 0xD3 frames (no report id, frameSize bytes each) with the depth of every pressed key,
    // 4 bytes a key (0, key, depth u16 little-endian); one empty frame when no key is pressed, and
    // none while the report is off.
    static QList<QByteArray> liveReports(const EmulatedKeyboardState &state, int frameSize);
    // Raw sensor value of a key: the one set in the state, else a made-up one.
    static quint16 adcValue(const EmulatedKeyboardState &state, uchar key);
};
