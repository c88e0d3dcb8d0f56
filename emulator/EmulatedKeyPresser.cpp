#include "emulator/EmulatedKeyPresser.h"

#include "emulator/EmulatedCalibrationCommands.h"
#include "emulator/EmulatedKeyboard.h"
#include "link/UsbHidUtil.h"

#include <QTimer>

namespace {
// Depth of the key at each step of one press: down in four steps, held, up in two.
const int kPressSteps[] = {100, 220, 340, EmulatedKeyPresser::FullDepth, EmulatedKeyPresser::FullDepth, 200, 0};
} // namespace

EmulatedKeyPresser::EmulatedKeyPresser(std::shared_ptr<EmulatedKeyboard> keyboard, Sender sender, QObject *parent)
    : QObject(parent), mKeyboard(std::move(keyboard)), mSender(std::move(sender)), mTimer(new QTimer(this))
{
    connect(mTimer, &QTimer::timeout, this, &EmulatedKeyPresser::step);
    mTimer->start(StepMs);
}

void EmulatedKeyPresser::setAutomatic(bool automatic)
{
    if (automatic)
        mTimer->start(StepMs);
    else
        mTimer->stop();
}

void EmulatedKeyPresser::press(uchar key, int depth)
{
    EmulatedCalibrationCommands::pressKey(mKeyboard->state(), key, quint16(qBound(0, depth, 0xFFFF)));
    sendReports();
}

void EmulatedKeyPresser::step()
{
    EmulatedKeyboardState &state = mKeyboard->state();
    if (!state.calibration.reporting || state.keyNumbers.isEmpty())
        return;
    mKeyIndex %= int(state.keyNumbers.size());
    const uchar key = state.keyNumbers.at(mKeyIndex);
    EmulatedCalibrationCommands::pressKey(state, key, quint16(kPressSteps[mPhase]));
    if (++mPhase == int(std::size(kPressSteps))) {
        mPhase = 0;
        ++mKeyIndex;
    }
    sendReports();
}

void EmulatedKeyPresser::sendReports()
{
    const QList<QByteArray> frames = EmulatedCalibrationCommands::liveReports(mKeyboard->state(), gUsbFrameMaxsize);
    if (!frames.isEmpty() && mSender)
        mSender(frames);
}
