// The performance page's requests: one in flight at a time, each built when it goes out from what
// the keyboard has confirmed so far; confirmations copy into the model and redraw; a request the
// keyboard does not confirm puts every control back to what the model holds.

#include "pages/tuning/PerformanceSetForm.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "protocol/UsbCommunicateUtil.h"

#include <QDebug>

namespace {
constexpr uchar kSource = UsbCommunicateUtil::SourcePerformancePage;
// Requests wait for the keyboard's answer: one that stays unanswered is sent again, then reported.
constexpr bool kWait = true;

QString hex2(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

void PerformanceSetForm::enqueue(const Request &request)
{
    // Whole-keyboard changes made while one waits go out together, in the page's copy.
    if (request.change == Change::Whole) {
        for (const Request &queued : std::as_const(mQueue)) {
            if (queued.change == Change::Whole)
                return;
        }
    }
    mQueue.append(request);
    if (!mInFlight)
        sendNext();
}

void PerformanceSetForm::sendNext()
{
    while (!mInFlight && !mQueue.isEmpty())
        dispatch(mQueue.takeFirst());
}

void PerformanceSetForm::dispatch(const Request &request)
{
    if (!gUsbCommunicateUtil || !gKeyboardConfig)
        return;
    if (request.change == Change::Whole) {
        mInFlight = request;
        gUsbCommunicateUtil->usb_set_whole_param(kSource, kWait, QSharedPointer<KEYBOARD_PARAMS>::create(mWholeParams));
        return;
    }
    if (request.change == Change::Trigger) {
        KEYBOARD_TRIGGER_INFO info;
        info.trigger = quint16(request.value);
        mInFlight = request;
        gUsbCommunicateUtil->usb_set_trigger_config(kSource, kWait, info, request.keys);
        return;
    }
    // Every key keeps its own values in the fields the change does not set.
    mQuickTriggerList.clear();
    for (uchar key : request.keys) {
        const auto held = gKeyboardConfig->getKeyboardTriggerInfo(key);
        if (!held)
            continue;
        auto record = QSharedPointer<KEYBOARD_TRIGGER_INFO>::create();
        record->keyItem = held->keyItem;
        record->model = held->model;
        record->quick = held->quick;
        record->quickTrigger = held->quickTrigger;
        record->resetTrigger = held->resetTrigger;
        switch (request.change) {
        case Change::QuickTrigger:
            record->quickTrigger = quint16(request.value);
            break;
        case Change::ResetTrigger:
            record->resetTrigger = quint16(request.value);
            break;
        case Change::RapidTrigger:
            record->model = request.value != 0;
            break;
        default:
            record->quick = request.value != 0;
            break;
        }
        mQuickTriggerList.append(record);
    }
    if (mQuickTriggerList.isEmpty())
        return;
    mInFlight = request;
    gUsbCommunicateUtil->usb_set_quick_trigger_config(kSource, kWait, mQuickTriggerList);
}

bool PerformanceSetForm::confirm(Change kind, uchar source, int current, int total, const char *what)
{
    if (source != kSource) {
        qInfo().noquote() << QStringLiteral("=== PerformanceSetForm %1 数据来源不匹配 source:{ %2 } ===")
                                 .arg(QLatin1String(what))
                                 .arg(source);
        return false;
    }
    if (current < total)
        return false;
    const bool quickKind = kind == Change::QuickTrigger;
    const bool matches = mInFlight && (quickKind ? mInFlight->change != Change::Trigger && mInFlight->change != Change::Whole
                                                 : mInFlight->change == kind);
    if (!matches) {
        qInfo().noquote() << QStringLiteral("=== PerformanceSetForm %1 没有等待中的请求 ===").arg(QLatin1String(what));
        return false;
    }
    mInFlight.reset();
    return true;
}

void PerformanceSetForm::finishKeyRequest(Change kind, uchar source, int current, int total, const char *what,
                                          void (UsbCommunicateUtil::*sync)())
{
    if (!confirm(kind, source, current, total, what))
        return;
    (gUsbCommunicateUtil.data()->*sync)();
    mQuickTriggerList.clear();
    rebuildKeepingSelection();
    sendNext();
}

void PerformanceSetForm::usb_receive_set_trigger_config(uchar source, int current, int total)
{
    finishKeyRequest(Change::Trigger, source, current, total, "usb_receive_set_trigger_config",
                     &UsbCommunicateUtil::syncModifyTriggerConfig);
}

void PerformanceSetForm::usb_receive_set_quick_trigger_config(uchar source, int current, int total)
{
    finishKeyRequest(Change::QuickTrigger, source, current, total, "usb_receive_set_quick_trigger_config",
                     &UsbCommunicateUtil::syncModifyQuickTriggerConfig);
}

void PerformanceSetForm::usb_receive_set_whole_param(uchar source, int current, int total)
{
    if (!confirm(Change::Whole, source, current, total, "usb_receive_set_whole_param"))
        return;
    gUsbCommunicateUtil->syncWholeParam();
    // The copy follows the keyboard, unless a further change of the user's is still to go out.
    const bool more = std::any_of(mQueue.cbegin(), mQueue.cend(), [](const Request &r) { return r.change == Change::Whole; });
    if (!more && gKeyboardConfig && gKeyboardConfig->keyboardParams)
        mWholeParams = *gKeyboardConfig->keyboardParams;
    repaintKeyboardParams();
    sendNext();
}

void PerformanceSetForm::usb_communicate_error(uchar source, uchar order, int error)
{
    qInfo().noquote() << QStringLiteral("=== PerformanceSetForm usb错误 source={%1};order={%2};error={%3}===")
                             .arg(source)
                             .arg(hex2(order))
                             .arg(error);
    if (source != kSource && source != UsbCommunicateUtil::SourceLink) {
        qInfo().noquote() << QStringLiteral("=== PerformanceSetForm usb_communicate_error 数据来源不匹配 source:{ %1 } ===")
                                 .arg(source);
        return;
    }
    if (!mInFlight)
        return;
    failed(tr("键盘没有确认修改，已恢复为键盘中的设置"));
}

void PerformanceSetForm::failed(const QString &why)
{
    mInFlight.reset();
    mQueue.clear();
    mQuickTriggerList.clear();
    for (SliderGestures *gestures : std::as_const(mGestures))
        gestures->cancel();
    if (gKeyboardConfig && gKeyboardConfig->keyboardParams)
        mWholeParams = *gKeyboardConfig->keyboardParams;
    repaintKeyboardParams();
    keyboard_select();
    showToast(why);
}
