#include "emulator/EmulatedCalibrationCommands.h"

#include "emulator/EmulatedKeyboard.h"

namespace {
// Answers frame n of a read of count values, perFrame values a frame; slice(first, count) makes
// a frame's payload. A frame number out of range is not answered.
template<typename Slice>
void answerSliced(int count, int perFrame, const KeyboardRequest &request, KeyboardReplies &replies, Slice slice)
{
    const int total = KeyboardFrameCodec::frameCount(count, perFrame);
    const int frame = request.frame.frame;
    if (frame < 1 || frame > total)
        return;
    const int first = (frame - 1) * perFrame;
    replies.send(slice(first, qMax(0, qMin(perFrame, count - first))), uchar(frame), uchar(total));
}

// Payloads of the live depth report frames: 4 bytes per pressed key (0, key, depth u16); one
// empty payload when no key is pressed, so that the host sees the keys come up.
QList<QByteArray> livePayloads(const EmulatedKeyboardState &state, int frameSize)
{
    if (!state.calibration.reporting)
        return {};
    const int perFrame = KeyboardFrameCodec::entriesPerFrame(frameSize, 0, 4);
    QList<QByteArray> payloads;
    for (auto it = state.calibration.depth.cbegin(); it != state.calibration.depth.cend(); ++it) {
        if (it.value() == 0)
            continue;
        if (payloads.isEmpty() || payloads.last().size() >= perFrame * 4)
            payloads.append(QByteArray());
        payloads.last() += char(0);
        payloads.last() += char(it.key());
        payloads.last() += char(it.value() & 0xFF);
        payloads.last() += char(it.value() >> 8);
    }
    if (payloads.isEmpty())
        payloads.append(QByteArray());
    return payloads;
}

// Key numbers 0 to the model's highest, as the state read numbers them.
int keySpan(const EmulatedKeyboardState &state)
{
    return state.keyNumbers.isEmpty() ? 0 : state.keyNumbers.last() + 1;
}
} // namespace

void EmulatedCalibrationCommands::pressKey(EmulatedKeyboardState &state, uchar key, quint16 depth)
{
    state.calibration.depth.insert(key, depth);
    if (depth > 0 && state.calibration.calibrating)
        state.calibration.state.insert(key, 1);
}

QList<QByteArray> EmulatedCalibrationCommands::liveReports(const EmulatedKeyboardState &state, int frameSize)
{
    const QList<QByteArray> payloads = livePayloads(state, frameSize);
    QList<QByteArray> frames;
    for (int i = 0; i < payloads.size(); ++i)
        frames.append(KeyboardFrameCodec::encode(ReportCode, uchar(i + 1), uchar(payloads.size()), payloads[i], frameSize));
    return frames;
}

quint16 EmulatedCalibrationCommands::adcValue(const EmulatedKeyboardState &state, uchar key)
{
    return state.calibration.adc.value(key, quint16(2000 + key));
}

void EmulatedCalibrationCommands::install(EmulatedKeyboard &keyboard)
{
    // One state byte per key number from 0, full frames but the last.
    keyboard.setHandler(GetState, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                     KeyboardReplies &replies) {
        if (!request.payload().isEmpty())
            return;
        answerSliced(keySpan(state), replies.payloadCapacity(), request, replies, [&state](int first, int count) {
            QByteArray bytes(count, '\0');
            for (int i = 0; i < count; ++i)
                bytes[i] = char(state.calibration.state.value(uchar(first + i), 0));
            return bytes;
        });
    });

    // The answer first, then (switching on) the depth reports of the keys held down.
    keyboard.setHandler(SetReport, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                      KeyboardReplies &replies) {
        const QByteArray &payload = request.payload();
        if (payload.size() != 1 || uchar(payload[0]) > 1)
            return;
        const uchar answer = state.calibration.switchAnswer;
        replies.send(QByteArray(1, char(answer)));
        if (answer != 0)
            return;
        const bool on = payload[0] == 1;
        state.calibration.reporting = on;
        if (on) {
            state.calibration.calibrating = true;
            for (auto it = state.calibration.depth.cbegin(); it != state.calibration.depth.cend(); ++it) {
                if (it.value() > 0)
                    state.calibration.state.insert(it.key(), 1);
            }
        }
        const QList<QByteArray> reports = livePayloads(state, request.frameSize);
        for (int i = 0; i < reports.size(); ++i)
            replies.send(reports[i], uchar(i + 1), uchar(reports.size()));
    });

    keyboard.setHandler(Save, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                 KeyboardReplies &replies) {
        if (!request.payload().isEmpty())
            return;
        state.calibration.calibrating = false;
        ++state.calibration.saves;
        replies.send(QByteArray(1, '\0'));
    });

    // [first key, 0, values u16 of consecutive keys] from the model's first key on.
    keyboard.setHandler(GetAdc, [](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                   KeyboardReplies &replies) {
        if (!request.payload().isEmpty() || state.keyNumbers.isEmpty())
            return;
        const int firstKey = state.keyNumbers.first();
        const int perFrame = KeyboardFrameCodec::entriesPerFrame(request.frameSize, 2, 2);
        answerSliced(keySpan(state) - firstKey, perFrame, request, replies, [&state, firstKey](int first, int count) {
            QByteArray bytes(2 + 2 * count, '\0');
            bytes[0] = char(firstKey + first);
            for (int i = 0; i < count; ++i) {
                const quint16 value = adcValue(state, uchar(firstKey + first + i));
                bytes[2 + 2 * i] = char(value & 0xFF);
                bytes[3 + 2 * i] = char(value >> 8);
            }
            return bytes;
        });
    });
}
