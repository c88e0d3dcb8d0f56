#pragma once
// The real command protocol linked over the HID stand-in to an emulated keyboard, with a fresh
// keyboard model (gKeyboardConfig), for the protocol tests: what went out, whole reports as they
// must go out, frames pushed as if the keyboard sent them; and comparisons of the model's records
// with the keyboard's memory that name the first difference.

#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"

#include <QByteArray>
#include <QList>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <memory>

class LinkedKeyboard
{
public:
    // Plugs in a keyboard with one interface of frameSize bytes and opens the protocol's link
    // to it with its reader running.
    explicit LinkedKeyboard(int frameSize, EmulatedKeyboardState state = EmulatedKeyboardState::builtIn());
    ~LinkedKeyboard();
    LinkedKeyboard(const LinkedKeyboard &) = delete;
    LinkedKeyboard &operator=(const LinkedKeyboard &) = delete;

    bool isOpen() const;
    UsbCommunicateUtil &protocol() { return *mProtocol; }
    EmulatedKeyboard &keyboard() { return *mKeyboard; }
    EmulatedKeyboardState &state() { return mKeyboard->state(); }
    EmulatedProfile &profile() { return mKeyboard->state().profile(); }
    const QByteArray &path() const { return mPath; }
    int frameSize() const { return mFrameSize; }
    int payloadSize() const { return mFrameSize - 6; }

    // Requests of one order code the keyboard received, oldest first, from position `from` of
    // all its requests on (see requestMark).
    QList<KeyboardFrame> requests(uchar order, int from = 0) const;
    int requestMark() const;
    void setFaults(const EmulatedHidFaults &faults);

    // Output reports written with this order code (report id included), oldest first.
    QList<QByteArray> written(uchar order) const;
    // A whole output report as it must go out: report id 0, the head (frame of total, payload
    // length), the payload and zeros to the frame size.
    QByteArray report(uchar order, const QByteArray &payload, uchar frame = 1, uchar total = 1) const;
    // Hands the host a frame as if the keyboard had sent it of its own accord.
    void push(uchar code, const QByteArray &payload, uchar frame = 1, uchar total = 1);
    void pushFrame(const QByteArray &frame);

private:
    int mFrameSize;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    QByteArray mPath;
    QSharedPointer<UsbCommunicateUtil> mProtocol;
};

// Bytes from a list of values (each cut to 8 bits).
QByteArray bytes(std::initializer_list<int> values);

// Test data: the columns "frameSize" and `column`, and one row per frame size with the value
// `column` takes at it.
void frameSizeRows(const char *column, int at128, int at64);

// True once the spy holds a reply signal whose current frame (argument 1) is not below its
// total (argument 2): the exchange is complete.
bool lastFrameArrived(const QSignalSpy &spy);

// count key numbers from first on (wrapping at 255).
inline QList<uchar> keyRange(int first, int count)
{
    return EmulatedKeyBlocks::keysFrom(uchar(first), count);
}

// Starts a request and waits until its reply signal has announced the last frame; false after
// five seconds without it.
template<typename Signal>
bool runToLastFrame(LinkedKeyboard &link, Signal signal, const std::function<void()> &request)
{
    QSignalSpy spy(&link.protocol(), signal);
    request();
    return QTest::qWaitFor([&spy] { return lastFrameArrived(spy); }, 5000);
}

// (current, total) of every emission of a reply signal.
QList<QPair<int, int>> framesOf(const QSignalSpy &spy);
// Payload lengths of the frames.
QList<int> lengthsOf(const QList<KeyboardFrame> &frames);
// The payload byte at `index` of each frame (a key number, for writes that start a frame with one).
QList<int> payloadBytesAt(const QList<KeyboardFrame> &frames, int index);

// The first record in which the model and the keyboard differ, or an empty text.
QString differences(const CustomLightMap &model, const QMap<uchar, KEYBOARD_CUSTOM_LIGHT> &keyboard);
QString differences(const KeyInfoMap &model, const QMap<uchar, KEYBOARD_KEY_INFO> &keyboard);
QString differences(const TriggerMap &model, const QMap<uchar, KEYBOARD_TRIGGER_INFO> &keyboard);
QString differences(const EffectLightMap &model, const QMap<uchar, KEYBOARD_EFFECT_LIGHT> &keyboard);
