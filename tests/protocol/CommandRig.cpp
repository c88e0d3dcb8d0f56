#include "tests/protocol/CommandRig.h"

#include "model/KeyboardConfigUtil.h"
#include "tests/support/EmulatedHidBus.h"
#include "tests/support/KeyboardFrameCodec.h"

#include <QTest>

CommandRig::CommandRig(int frameSize) : mFrameSize(frameSize), mKeyboard(EmulatedKeyboard::createSample())
{
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    bus.reset();
    mPath = bus.attachKeyboard(mKeyboard, {frameSize}).value(0);
    gKeyboardConfig = QSharedPointer<KeyboardConfigUtil>::create();
    mProtocol = std::make_unique<UsbCommunicateUtil>();
    mProtocol->openCommunicate(0);
    mProtocol->communicateDevice();
}

CommandRig::~CommandRig()
{
    mProtocol->closeCommunicate();
    mProtocol.reset();
    gKeyboardConfig.reset();
    EmulatedHidBus::instance().reset();
}

QList<QByteArray> CommandRig::written(uchar order) const
{
    QList<QByteArray> reports;
    for (const QByteArray &report : EmulatedHidBus::instance().writtenReports(mPath)) {
        if (report.size() > 2 && uchar(report[2]) == order)
            reports.append(report);
    }
    return reports;
}

QByteArray CommandRig::report(uchar order, const QByteArray &payload, uchar frame, uchar total) const
{
    return KeyboardFrameCodec::outputReport(order, payload, mFrameSize, frame, total);
}

void CommandRig::push(uchar code, const QByteArray &payload, uchar frame, uchar total)
{
    pushFrame(KeyboardFrameCodec::encode(code, frame, total, payload, mFrameSize));
}

void CommandRig::pushFrame(const QByteArray &frame)
{
    EmulatedHidBus::instance().pushInputReport(mPath, frame);
}

QByteArray CommandRig::bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += char(value);
    return out;
}

void CommandRig::frameSizeRows(const char *column, int at128, int at64)
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<int>(column);
    QTest::newRow("128-byte reports") << 128 << at128;
    QTest::newRow("64-byte reports") << 64 << at64;
}
