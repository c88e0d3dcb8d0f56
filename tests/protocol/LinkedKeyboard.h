#pragma once
// The real command protocol linked over the HID stand-in to an emulated keyboard, with a fresh
// keyboard model (gKeyboardConfig): what the keyboard was asked, frames handed to the protocol,
// and the model's records compared with the keyboard's memory so that the first difference shows.

#include "protocol/UsbCommunicateUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyBlocks.h"
#include "emulator/EmulatedKeyboard.h"

#include <QSignalSpy>

#include <functional>
#include <memory>

class LinkedKeyboard
{
public:
    // Plugs in a keyboard with interfaces of these frame sizes and opens the protocol's link (to
    // the 128-byte interface when there is one) with its reader running.
    explicit LinkedKeyboard(const QList<int> &interfaces, EmulatedKeyboardState state = EmulatedKeyboardState::builtIn());
    explicit LinkedKeyboard(int frameSize = 128, EmulatedKeyboardState state = EmulatedKeyboardState::builtIn());
    ~LinkedKeyboard();

    UsbCommunicateUtil &protocol() { return *mProtocol; }
    EmulatedKeyboard &keyboard() { return *mKeyboard; }
    EmulatedKeyboardState &state() { return mKeyboard->state(); }
    EmulatedProfile &profile() { return mKeyboard->state().profile(); }
    const QByteArray &path() const { return mPath; }

    // Requests of one order code the keyboard received, oldest first; and their payloads alone.
    QList<KeyboardFrame> requests(uchar order) const;
    QList<QByteArray> payloads(uchar order) const;
    // Output reports written with this order code, and one as it must go out (id 0, head, payload, zeros).
    QList<QByteArray> written(uchar order) const;
    QByteArray report(uchar order, const QByteArray &payload, uchar frame = 1, uchar total = 1) const;

    void silence(); // every write is taken, nothing is ever answered
    // A frame from the keyboard handed to the protocol at once, as a Bluetooth link hands its frames on.
    void deliver(uchar code, const QByteArray &payload, uchar frame = 1, uchar total = 1);

    // Starts a request and waits until its reply signal (SIGNAL(...)) announced the last frame, 5 s at most.
    bool run(const char *signal, const std::function<void()> &request);

private:
    int mFrameSize = 0;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    QByteArray mPath;
    QSharedPointer<UsbCommunicateUtil> mProtocol;
};

QByteArray bytes(std::initializer_list<int> values); // each value cut to 8 bits
QByteArray bytes(const QList<uchar> &values);
inline QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
// count key numbers from first on, wrapping at 255.
inline QList<uchar> keyRange(int first, int count) { return EmulatedKeyBlocks::keysFrom(uchar(first), count); }

// Whether a reply signal's spy holds the last frame (argument 1 not below argument 2); the
// (current, total) of every emission; and the emissions, to compare whole.
using Emissions = QList<QList<QVariant>>;
using Frames = QList<QPair<int, int>>;
bool lastFrameArrived(const QSignalSpy &spy);
Frames framesOf(const QSignalSpy &spy);
inline Emissions signalsOf(const QSignalSpy &spy) { return spy; }
// The arguments of usb_communicate_error.
inline QList<QVariant> failure(uchar source, uchar order, int error) { return {QVariant::fromValue(source), QVariant::fromValue(order), error}; }

// A record as text, every field shown.
QString show(const KEYBOARD_CUSTOM_LIGHT &r);
QString show(const KEYBOARD_KEY_INFO &r);
QString show(const KEYBOARD_TRIGGER_INFO &r);
QString show(const KEYBOARD_EFFECT_LIGHT &r);

// The first record in which the model and the keyboard differ, or an empty text; the key sets
// must be the same too unless `sameKeys` is false.
template<typename Record>
QString differences(const QMap<uchar, QSharedPointer<Record>> &model, const QMap<uchar, Record> &keyboard, bool sameKeys = true)
{
    if (sameKeys && model.keys() != keyboard.keys())
        return QStringLiteral("the model holds %1 keys, the keyboard %2").arg(model.size()).arg(keyboard.size());
    for (auto it = model.cbegin(); it != model.cend(); ++it) {
        const QString held = it.value() ? show(*it.value()) : QString();
        const QString kept = keyboard.contains(it.key()) ? show(keyboard.value(it.key())) : QString();
        if (held != kept || held.isEmpty())
            return QStringLiteral("model: %1; keyboard: %2").arg(held, kept);
    }
    return QString();
}

// Records as the model holds them.
template<typename Record>
QMap<uchar, QSharedPointer<Record>> held(const QMap<uchar, Record> &records)
{
    QMap<uchar, QSharedPointer<Record>> map;
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        map.insert(it.key(), QSharedPointer<Record>::create(it.value()));
    return map;
}
