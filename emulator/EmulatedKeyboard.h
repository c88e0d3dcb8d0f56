#pragma once
// The emulated keyboard behind the HID stand-in: it decodes each output report written to one
// of its interfaces, hands the request to the handler registered for its order code and sends
// the handler's reply frames back, through optional frame-level faults.
//
// Adding a command is adding one handler: setHandler(order, fn), where fn reads the request and
// the state and queues its reply frames (reply code = order | 0x80 unless it says otherwise).

#include "emulator/EmulatedKeyboardState.h"
#include "emulator/KeyboardFrameCodec.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// One decoded request and the frame size of the interface it came through.
struct KeyboardRequest {
    KeyboardFrame frame;
    int frameSize = 0;
    uchar order() const { return frame.code; }
    const QByteArray &payload() const { return frame.payload; }
};

// The frames a handler answers with.
class KeyboardReplies
{
public:
    KeyboardReplies(uchar order, int frameSize) : mCode(uchar(order | 0x80)), mFrameSize(frameSize) {}
    // One reply frame with the request's reply code.
    void send(const QByteArray &payload, uchar frame = 1, uchar total = 1) { sendAs(mCode, payload, frame, total); }
    // One frame with any code (a notice, or a deliberately wrong answer).
    void sendAs(uchar code, const QByteArray &payload, uchar frame = 1, uchar total = 1);
    int frameSize() const { return mFrameSize; }
    int payloadCapacity() const { return KeyboardFrameCodec::payloadCapacity(mFrameSize); }
    const QList<KeyboardFrame> &frames() const { return mFrames; }

private:
    uchar mCode;
    int mFrameSize;
    QList<KeyboardFrame> mFrames;
};

using KeyboardCommandHandler =
    std::function<void(EmulatedKeyboardState &state, const KeyboardRequest &request, KeyboardReplies &replies)>;

// Something done to outgoing reply frames, for the next `times` frames whose code matches.
// Ignore acts on requests instead: the next `times` requests whose answer would carry that code
// are taken but neither carried out nor answered, as by a keyboard that missed them.
struct ReplyFault {
    enum Kind { Drop, Delay, Duplicate, WrongCode, WrongLength, Ignore };
    Kind kind = Drop;
    int value = 0;          // Delay: milliseconds; WrongCode: the code sent; WrongLength: the length byte
    int onlyCode = -1;      // reply code the fault applies to, -1 for any
    int times = 1;
};

// A report on its way to the host, ready after delayMs.
struct EmulatedReport {
    QByteArray bytes;
    int delayMs = 0;
};

class EmulatedKeyboard
{
public:
    explicit EmulatedKeyboard(EmulatedKeyboardState state = EmulatedKeyboardState::builtIn());
    // A keyboard initialised from the sample product database (see EmulatedKeyboardState::sample).
    static std::shared_ptr<EmulatedKeyboard> createSample();

    void setHandler(uchar order, KeyboardCommandHandler handler);
    bool hasHandler(uchar order) const;
    // The handler of an order code (empty when none), for a test to wrap.
    KeyboardCommandHandler handler(uchar order) const;

    // The keyboard's memory. Handlers run on the thread that writes; touch it from the test while
    // no write is in progress.
    EmulatedKeyboardState &state() { return mState; }

    void addReplyFault(const ReplyFault &fault);
    void clearReplyFaults();

    // One output report's frame (report id removed) arrived on an interface of frameSize bytes.
    // Returns the reports to queue for the host; nothing for a malformed or unknown request.
    QList<EmulatedReport> handleOutputFrame(const QByteArray &frame, int frameSize);

    // Requests handled per order code, requests that could not be decoded, and requests whose
    // order code has no handler.
    int requestCount(uchar order) const;
    int malformedCount() const;
    int unhandledCount() const;
    // Every decoded request, oldest first.
    QList<KeyboardRequest> requests() const;

private:
    // Uses up one time of the first fault for a frame of code: of kind Ignore, or of any other.
    std::optional<ReplyFault> takeFault(int code, bool ignoring);
    // Whether an Ignore fault takes the request of this order code (and is used up by it).
    bool takeIgnoreFault(uchar order);
    void applyFaults(const KeyboardFrame &frame, int frameSize, QList<EmulatedReport> &out);

    mutable std::mutex mMutex;
    EmulatedKeyboardState mState;
    QMap<uchar, KeyboardCommandHandler> mHandlers;
    QList<ReplyFault> mFaults;
    QMap<uchar, int> mRequestCounts;
    QList<KeyboardRequest> mRequests;
    int mMalformed = 0;
    int mUnhandled = 0;
};
