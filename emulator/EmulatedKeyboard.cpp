#include "emulator/EmulatedKeyboard.h"

#include "emulator/EmulatedCalibrationCommands.h"
#include "emulator/EmulatedFirmwareCommands.h"
#include "emulator/EmulatedHighKeyCommands.h"
#include "emulator/EmulatedIdentityCommands.h"
#include "emulator/EmulatedMacroCommands.h"
#include "emulator/EmulatedKeyLayerCommands.h"
#include "emulator/EmulatedLightingCommands.h"
#include "emulator/EmulatedProfileCommands.h"
#include "emulator/EmulatedTriggerCommands.h"

void KeyboardReplies::sendAs(uchar code, const QByteArray &payload, uchar frame, uchar total)
{
    mFrames.append(KeyboardFrame{code, frame, total, payload});
}

EmulatedKeyboard::EmulatedKeyboard(EmulatedKeyboardState state) : mState(std::move(state))
{
    EmulatedIdentityCommands::install(*this);
    EmulatedFirmwareCommands::install(*this);
    EmulatedHighKeyCommands::install(*this);
    EmulatedMacroCommands::install(*this);
    EmulatedCalibrationCommands::install(*this);
    EmulatedProfileCommands::install(*this);
    EmulatedLightingCommands::install(*this);
    EmulatedKeyLayerCommands::install(*this);
    EmulatedTriggerCommands::install(*this);
}

std::shared_ptr<EmulatedKeyboard> EmulatedKeyboard::createSample()
{
    return std::make_shared<EmulatedKeyboard>(EmulatedKeyboardState::sample());
}

void EmulatedKeyboard::setHandler(uchar order, KeyboardCommandHandler handler)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mHandlers.insert(order, std::move(handler));
}

bool EmulatedKeyboard::hasHandler(uchar order) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mHandlers.contains(order);
}

KeyboardCommandHandler EmulatedKeyboard::handler(uchar order) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mHandlers.value(order);
}

void EmulatedKeyboard::addReplyFault(const ReplyFault &fault)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mFaults.append(fault);
}

void EmulatedKeyboard::clearReplyFaults()
{
    std::lock_guard<std::mutex> lock(mMutex);
    mFaults.clear();
}

QList<EmulatedReport> EmulatedKeyboard::handleOutputFrame(const QByteArray &bytes, int frameSize)
{
    std::lock_guard<std::mutex> lock(mMutex);
    KeyboardRequest request;
    request.frameSize = frameSize;
    if (!KeyboardFrameCodec::decode(bytes, &request.frame)
        || request.frame.payload.size() > KeyboardFrameCodec::payloadCapacity(frameSize)) {
        ++mMalformed;
        return {};
    }
    mRequests.append(request);
    ++mRequestCounts[request.order()];
    if (takeIgnoreFault(request.order()))
        return {};
    const auto handler = mHandlers.constFind(request.order());
    if (handler == mHandlers.constEnd()) {
        ++mUnhandled;
        return {};
    }
    KeyboardReplies replies(request.order(), frameSize);
    (*handler)(mState, request, replies);
    QList<EmulatedReport> out;
    for (const KeyboardFrame &frame : replies.frames())
        applyFaults(frame, frameSize, out);
    return out;
}

std::optional<ReplyFault> EmulatedKeyboard::takeFault(int code, bool ignoring)
{
    for (qsizetype i = 0; i < mFaults.size(); ++i) {
        const ReplyFault fault = mFaults[i];
        if ((fault.kind == ReplyFault::Ignore) != ignoring || (fault.onlyCode >= 0 && fault.onlyCode != code))
            continue;
        if (--mFaults[i].times <= 0)
            mFaults.removeAt(i);
        return fault;
    }
    return std::nullopt;
}

bool EmulatedKeyboard::takeIgnoreFault(uchar order)
{
    return takeFault(uchar(order | 0x80), true).has_value();
}

void EmulatedKeyboard::applyFaults(const KeyboardFrame &frame, int frameSize, QList<EmulatedReport> &out)
{
    EmulatedReport report{KeyboardFrameCodec::encode(frame, frameSize), 0};
    if (report.bytes.isEmpty())
        return; // a handler's payload that does not fit is never sent
    // One fault per frame.
    if (const std::optional<ReplyFault> fault = takeFault(frame.code, false)) {
        switch (fault->kind) {
        case ReplyFault::Drop:
            return;
        case ReplyFault::Delay:
            report.delayMs = fault->value;
            break;
        case ReplyFault::Duplicate:
            out.append(report);
            break;
        case ReplyFault::WrongCode:
            report.bytes[1] = char(fault->value);
            break;
        case ReplyFault::WrongLength:
            report.bytes[5] = char(fault->value);
            break;
        case ReplyFault::Ignore: // taken before the request is carried out
            break;
        }
    }
    out.append(report);
}

int EmulatedKeyboard::requestCount(uchar order) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequestCounts.value(order);
}

int EmulatedKeyboard::malformedCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mMalformed;
}

int EmulatedKeyboard::unhandledCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mUnhandled;
}

QList<KeyboardRequest> EmulatedKeyboard::requests() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
}
