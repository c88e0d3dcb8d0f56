// Macros M1 to M10 by index 0 to 9: read 0x42, write 0x40, clear 0x41.

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "model/LittleEndian.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

using namespace ProtocolWire;

namespace {
constexpr int MacroActionSize = 6;
constexpr uchar EmptyMacro = 0xFF;

// A macro action travels as state, type, lValue, hValue, time (u16 little-endian).
void putMacroAction(uchar *wire, const KEYBOARD_MACRO_INFO &action)
{
    wire[0] = action.state;
    wire[1] = action.type;
    wire[2] = action.lValue;
    wire[3] = action.hValue;
    LittleEndian::putU16(wire + 4, action.time);
}

QSharedPointer<KEYBOARD_MACRO_INFO> getMacroAction(const uchar *wire)
{
    auto action = QSharedPointer<KEYBOARD_MACRO_INFO>::create();
    action->state = wire[0];
    action->type = wire[1];
    action->lValue = wire[2];
    action->hValue = wire[3];
    action->time = LittleEndian::getU16(wire + 4);
    return action;
}
} // namespace

MacroList UsbCommunicateUtil::macroList(uchar index) const
{
    return index < MacroCount ? mMacroList[index] : MacroList();
}

void UsbCommunicateUtil::usb_get_macro_config(uchar const &source, bool const &wait, uchar const &index)
{
    const Command &command = beginRequest(0x42, source, wait);
    mMacroIndex = index;
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    mMacroList[index].clear();
    sendGetMacroConfig();
}

void UsbCommunicateUtil::sendGetMacroConfig()
{
    uchar *p = beginFrame();
    p[0] = mMacroIndex;
    writeFrame(*commandForOrder(0x42), 1);
}

void UsbCommunicateUtil::receiveMacroConfig(const Reply &reply)
{
    const Command &command = *commandForOrder(0x42);
    const uchar index = reply.data[0];
    if (index != EmptyMacro && index != mMacroIndex) {
        qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveMacroConfig 宏序号不匹配 index={%1};mMacroIndex={%2} ===")
                                  .arg(index)
                                  .arg(mMacroIndex);
        // An answer about another macro counts as no answer: the frame is asked for again.
        if (mWaitReply)
            onCommunicateTimeout();
        else
            Q_EMIT usb_communicate_error(mSource, command.reply(), ErrorMacroIndex);
        return;
    }
    if (index != EmptyMacro && mMacroIndex < MacroCount) {
        // Never read past what arrived, whatever count the frame claims.
        const int fits = qMax(0, (reply.length - 2) / MacroActionSize);
        const int count = qMin(int(reply.data[1]), fits);
        for (int i = 0; i < count; ++i)
            mMacroList[mMacroIndex].append(getMacroAction(reply.data + 2 + i * MacroActionSize));
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
    continueFrames(command, serial, reply, true);
}

void UsbCommunicateUtil::usb_set_macro_config(uchar const &source, bool const &wait, uchar const &index,
                                              QList<QSharedPointer<KEYBOARD_MACRO_INFO>> list)
{
    const Command &command = beginRequest(0x40, source, wait);
    mMacroIndex = index;
    // The keyboard has no macro there: saying that it was written would lose the macro silently.
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    if (refuseList(command, source, list.size(), containsNull(list)))
        return;
    mMacroList[index] = list;
    if (!beginFrames(command, int(list.size()))) {
        Q_EMIT usb_receive_set_macro_config(source, 1, 1, index);
        return;
    }
    sendSetMacroConfig();
}

void UsbCommunicateUtil::sendSetMacroConfig()
{
    uchar *p = beginFrame();
    const MacroList &list = mMacroList[mMacroIndex];
    const int first = (mFrameCurrent - 1) * mFrameEntries;
    const int count = qMin(mFrameEntries, mEntryCount - first);
    p[0] = mMacroIndex;
    p[1] = uchar(count);
    for (int i = 0; i < count; ++i)
        putMacroAction(p + 2 + i * MacroActionSize, *list.at(first + i));
    writeFrame(*commandForOrder(0x40), 2 + count * MacroActionSize);
}

void UsbCommunicateUtil::receiveSetMacroConfig(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
    continueFrames(*commandForOrder(0x40), serial, reply, false);
}

void UsbCommunicateUtil::usb_del_macro_config(uchar const &source, bool const &wait, uchar const &index)
{
    const Command &command = beginRequest(0x41, source, wait);
    mMacroIndex = index;
    mEntryCount = 1;
    // An index the keyboard does not have is never sent.
    if (index >= MacroCount) {
        Q_EMIT usb_communicate_error(source, command.reply(), ErrorMacroIndex);
        return;
    }
    sendDelMacroConfig();
}

void UsbCommunicateUtil::sendDelMacroConfig()
{
    uchar *p = beginFrame();
    p[0] = mMacroIndex;
    writeFrame(*commandForOrder(0x41), 1);
}

void UsbCommunicateUtil::receiveDelMacroConfig(const Reply &reply)
{
    if (gKeyboardConfig && mMacroIndex < MacroCount)
        gKeyboardConfig->keyboardMacroList[mMacroIndex].clear();
    Q_EMIT usb_receive_del_macro_config(mSource, reply.frame, reply.total, mMacroIndex);
}

void UsbCommunicateUtil::syncMacroConfig(uchar const &index)
{
    if (gKeyboardConfig && index < mMacroList.size())
        moveInto(gKeyboardConfig->keyboardMacroList[index], mMacroList[index]);
}
