#include "tests/protocol/LinkedKeyboard.h"

#include "model/KeyboardConfigUtil.h"
#include "emulator/KeyboardFrameCodec.h"
#include "tests/support/EventWait.h"

#include <QTest>

LinkedKeyboard::LinkedKeyboard(const QList<int> &interfaces, EmulatedKeyboardState state)
    : mFrameSize(interfaces.contains(128) ? 128 : interfaces.value(0))
    , mKeyboard(std::make_shared<EmulatedKeyboard>(std::move(state)))
{
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    bus.reset();
    mPath = bus.attachKeyboard(mKeyboard, interfaces).value(interfaces.indexOf(mFrameSize));
    gKeyboardConfig = QSharedPointer<KeyboardConfigUtil>::create();
    mProtocol = QSharedPointer<UsbCommunicateUtil>::create();
    mProtocol->openCommunicate(0);
    mProtocol->communicateDevice();
}

LinkedKeyboard::LinkedKeyboard(int frameSize, EmulatedKeyboardState state)
    : LinkedKeyboard(QList<int>{frameSize}, std::move(state))
{
}

LinkedKeyboard::~LinkedKeyboard()
{
    mProtocol->closeCommunicate();
    mProtocol.reset();
    gKeyboardConfig.reset();
    EmulatedHidBus::instance().reset();
}

QList<KeyboardFrame> LinkedKeyboard::requests(uchar order) const
{
    QList<KeyboardFrame> frames;
    for (const KeyboardRequest &request : mKeyboard->requests()) {
        if (request.order() == order)
            frames.append(request.frame);
    }
    return frames;
}

QList<QByteArray> LinkedKeyboard::payloads(uchar order) const
{
    QList<QByteArray> list;
    for (const KeyboardFrame &frame : requests(order))
        list.append(frame.payload);
    return list;
}

QList<QByteArray> LinkedKeyboard::written(uchar order) const
{
    QList<QByteArray> reports = EmulatedHidBus::instance().writtenReports(mPath);
    reports.removeIf([order](const QByteArray &report) { return report.size() < 3 || uchar(report[2]) != order; });
    return reports;
}

QByteArray LinkedKeyboard::report(uchar order, const QByteArray &payload, uchar frame, uchar total) const
{
    return KeyboardFrameCodec::outputReport(order, payload, mFrameSize, frame, total);
}

void LinkedKeyboard::silence()
{
    EmulatedHidFaults faults;
    faults.silent = true;
    EmulatedHidBus::instance().setFaults(mPath, faults);
}

void LinkedKeyboard::deliver(uchar code, const QByteArray &payload, uchar frame, uchar total)
{
    QMetaObject::invokeMethod(mProtocol.data(), "usb_receive_data", Qt::DirectConnection, Q_ARG(uchar, code), Q_ARG(uchar, frame),
                              Q_ARG(uchar, total), Q_ARG(uchar, uchar(payload.size())), Q_ARG(QByteArray, payload));
}

bool LinkedKeyboard::run(const char *signal, const std::function<void()> &request)
{
    QSignalSpy spy(mProtocol.data(), signal);
    request();
    return EventWait::until([&spy] { return lastFrameArrived(spy); }, 5000);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += char(value);
    return out;
}

QByteArray bytes(const QList<uchar> &values)
{
    return QByteArray(reinterpret_cast<const char *>(values.constData()), values.size());
}

bool lastFrameArrived(const QSignalSpy &spy)
{
    return std::any_of(spy.cbegin(), spy.cend(), [](const QList<QVariant> &a) { return a.value(1).toInt() >= a.value(2).toInt(); });
}

Frames framesOf(const QSignalSpy &spy)
{
    Frames frames;
    for (const QList<QVariant> &arguments : spy)
        frames.append({arguments.value(1).toInt(), arguments.value(2).toInt()});
    return frames;
}

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
        .arg(r.keyItem).arg(r.trigger).arg(r.model).arg(r.quick).arg(r.quickTrigger).arg(r.resetTrigger);
}

QString show(const KEYBOARD_EFFECT_LIGHT &r)
{
    return QStringLiteral("effect %1 flags %2 light %3 speed %4 full %5 rgb %6,%7,%8")
        .arg(r.item).arg(r.functionFlag).arg(r.light).arg(r.speed).arg(r.fullColor).arg(r.colorR).arg(r.colorG).arg(r.colorB);
}
