#include "tests/protocol/LinkedKeyboard.h"

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "emulator/KeyboardFrameCodec.h"

namespace {
QString show(const KEYBOARD_CUSTOM_LIGHT &r)
{
    return QStringLiteral("key %1 light %2 rgb %3,%4,%5").arg(r.keyItem).arg(r.light).arg(r.colorR).arg(r.colorG).arg(r.colorB);
}

QString show(const KEYBOARD_KEY_INFO &r)
{
    return QStringLiteral("key %1 function %2,%3,%4").arg(r.keyItem).arg(r.type).arg(r.hValue).arg(r.lValue);
}

QString show(const KEYBOARD_TRIGGER_INFO &r)
{
    return QStringLiteral("key %1 trigger %2 model %3 quick %4 press %5 release %6")
        .arg(r.keyItem)
        .arg(r.trigger)
        .arg(r.model)
        .arg(r.quick)
        .arg(r.quickTrigger)
        .arg(r.resetTrigger);
}

QString show(const KEYBOARD_EFFECT_LIGHT &r)
{
    return QStringLiteral("effect %1 flags %2 light %3 speed %4 full %5 rgb %6,%7,%8")
        .arg(r.item)
        .arg(r.functionFlag)
        .arg(r.light)
        .arg(r.speed)
        .arg(r.fullColor)
        .arg(r.colorR)
        .arg(r.colorG)
        .arg(r.colorB);
}

template<typename Record>
QString compare(const QMap<uchar, QSharedPointer<Record>> &model, const QMap<uchar, Record> &keyboard)
{
    if (model.keys() != keyboard.keys())
        return QStringLiteral("the model holds %1 keys, the keyboard %2").arg(model.size()).arg(keyboard.size());
    for (auto it = keyboard.cbegin(); it != keyboard.cend(); ++it) {
        const QSharedPointer<Record> held = model.value(it.key());
        if (!held)
            return QStringLiteral("no record under %1").arg(it.key());
        // Records are compared by what they show: every field appears in the text.
        if (show(*held) != show(it.value()))
            return QStringLiteral("model: %1; keyboard: %2").arg(show(*held), show(it.value()));
    }
    return QString();
}
} // namespace

LinkedKeyboard::LinkedKeyboard(int frameSize, EmulatedKeyboardState state)
    : mFrameSize(frameSize), mKeyboard(std::make_shared<EmulatedKeyboard>(std::move(state)))
{
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    bus.reset();
    mPath = bus.attachKeyboard(mKeyboard, {frameSize}).value(0);
    gKeyboardConfig = QSharedPointer<KeyboardConfigUtil>::create();
    mProtocol = QSharedPointer<UsbCommunicateUtil>::create();
    mProtocol->openCommunicate(0);
    mProtocol->communicateDevice();
}

LinkedKeyboard::~LinkedKeyboard()
{
    mProtocol->closeCommunicate();
    mProtocol.reset();
    gKeyboardConfig.reset();
    EmulatedHidBus::instance().reset();
}

bool LinkedKeyboard::isOpen() const
{
    return mProtocol->checkCommunicateState() && gUsbFrameMaxsize == mFrameSize;
}

QList<KeyboardFrame> LinkedKeyboard::requests(uchar order, int from) const
{
    QList<KeyboardFrame> frames;
    const QList<KeyboardRequest> all = mKeyboard->requests();
    for (qsizetype i = from; i < all.size(); ++i) {
        if (all[i].order() == order)
            frames.append(all[i].frame);
    }
    return frames;
}

int LinkedKeyboard::requestMark() const
{
    return int(mKeyboard->requests().size());
}

void LinkedKeyboard::setFaults(const EmulatedHidFaults &faults)
{
    EmulatedHidBus::instance().setFaults(mPath, faults);
}

QList<QByteArray> LinkedKeyboard::written(uchar order) const
{
    QList<QByteArray> reports;
    for (const QByteArray &report : EmulatedHidBus::instance().writtenReports(mPath)) {
        if (report.size() > 2 && uchar(report[2]) == order)
            reports.append(report);
    }
    return reports;
}

QByteArray LinkedKeyboard::report(uchar order, const QByteArray &payload, uchar frame, uchar total) const
{
    return KeyboardFrameCodec::outputReport(order, payload, mFrameSize, frame, total);
}

void LinkedKeyboard::push(uchar code, const QByteArray &payload, uchar frame, uchar total)
{
    pushFrame(KeyboardFrameCodec::encode(code, frame, total, payload, mFrameSize));
}

void LinkedKeyboard::pushFrame(const QByteArray &frame)
{
    EmulatedHidBus::instance().pushInputReport(mPath, frame);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += char(value);
    return out;
}

void frameSizeRows(const char *column, int at128, int at64)
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<int>(column);
    QTest::newRow("128-byte reports") << 128 << at128;
    QTest::newRow("64-byte reports") << 64 << at64;
}

bool lastFrameArrived(const QSignalSpy &spy)
{
    for (const QList<QVariant> &arguments : spy) {
        if (arguments.value(1).toInt() >= arguments.value(2).toInt())
            return true;
    }
    return false;
}

QList<QPair<int, int>> framesOf(const QSignalSpy &spy)
{
    QList<QPair<int, int>> frames;
    for (const QList<QVariant> &arguments : spy)
        frames.append({arguments.value(1).toInt(), arguments.value(2).toInt()});
    return frames;
}

QList<int> lengthsOf(const QList<KeyboardFrame> &frames)
{
    QList<int> lengths;
    for (const KeyboardFrame &frame : frames)
        lengths.append(int(frame.payload.size()));
    return lengths;
}

QList<int> payloadBytesAt(const QList<KeyboardFrame> &frames, int index)
{
    QList<int> values;
    for (const KeyboardFrame &frame : frames)
        values.append(uchar(frame.payload.at(index)));
    return values;
}

QString differences(const CustomLightMap &model, const QMap<uchar, KEYBOARD_CUSTOM_LIGHT> &keyboard)
{
    return compare(model, keyboard);
}

QString differences(const KeyInfoMap &model, const QMap<uchar, KEYBOARD_KEY_INFO> &keyboard)
{
    return compare(model, keyboard);
}

QString differences(const TriggerMap &model, const QMap<uchar, KEYBOARD_TRIGGER_INFO> &keyboard)
{
    return compare(model, keyboard);
}

QString differences(const EffectLightMap &model, const QMap<uchar, KEYBOARD_EFFECT_LIGHT> &keyboard)
{
    return compare(model, keyboard);
}
