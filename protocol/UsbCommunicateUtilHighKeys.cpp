// Advanced keys: the whole table (read 0x2B, write 0x23) and single records (add 0x22, delete 0x25).

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

#include <cstring>

using namespace ProtocolWire;

namespace {
constexpr int HighKeyWireSize = 19;

enum HighKeyKind : uchar { KindTgl = 0, KindMt = 1, KindDks = 2, KindRs = 3, KindOks = 4, KindSocd = 5 };

// Bytes of the wire record that a kind carries: item, attribute, keyItem, then data 0 onwards.
// A kind the keyboard does not know carries its item and attribute only.
int highKeyWireLength(uchar kind)
{
    switch (kind) {
    case KindTgl:
        return 6;
    case KindMt:
        return 12;
    case KindDks:
        return HighKeyWireSize;
    case KindRs:
    case KindOks:
        return 4;
    case KindSocd:
        return 5;
    default:
        return 2;
    }
}

// Writes the wire form of a record (zero behind the bytes its kind carries) and returns the
// number of bytes the kind carries. The MT tap function is held as type, hValue, lValue and
// travels as type, lValue, hValue like every other key function.
int putHighKey(uchar *wire, const HIGH_KEY_INFO &info)
{
    std::memset(wire, 0, HighKeyWireSize);
    const int length = highKeyWireLength(info.attribute);
    wire[0] = info.item;
    wire[1] = info.attribute;
    if (length > 2)
        wire[2] = info.keyItem;
    for (int i = 3; i < length; ++i)
        wire[i] = info.data[size_t(i - 3)];
    if (info.attribute == KindMt) {
        wire[7] = info.data[5];
        wire[8] = info.data[4];
    }
    return length;
}

HIGH_KEY_INFO getHighKey(const uchar *wire)
{
    HIGH_KEY_INFO info;
    info.item = wire[0];
    info.attribute = wire[1];
    const int length = highKeyWireLength(info.attribute);
    if (length > 2)
        info.keyItem = wire[2];
    for (int i = 3; i < length; ++i)
        info.data[size_t(i - 3)] = wire[i];
    if (info.attribute == KindMt) {
        info.data[4] = wire[8];
        info.data[5] = wire[7];
    }
    return info;
}
} // namespace

void UsbCommunicateUtil::usb_get_high_key(uchar const &source, bool const &wait)
{
    beginRequest(0x2B, source, wait);
    mHighKeyList.clear();
    sendGetHighKey();
}

void UsbCommunicateUtil::sendGetHighKey()
{
    beginFrame();
    writeFrame(*commandForOrder(0x2B), 0);
}

void UsbCommunicateUtil::receiveHighKey(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    const int records = reply.length / HighKeyWireSize;
    for (int i = 0; i < records; ++i)
        mHighKeyList.append(QSharedPointer<HIGH_KEY_INFO>::create(getHighKey(reply.data + i * HighKeyWireSize)));
    Q_EMIT usb_receive_high_key(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x2B), serial, reply, true);
}

void UsbCommunicateUtil::usb_set_high_key(uchar const &source, bool const &wait, QList<QSharedPointer<HIGH_KEY_INFO>> list)
{
    const Command &command = beginRequest(0x23, source, wait);
    if (refuseList(command, source, list.size(), containsNull(list)))
        return;
    mHighKeyList = list;
    if (!beginFrames(command, int(list.size()))) {
        Q_EMIT usb_receive_set_high_key(source, 1, 1);
        return;
    }
    sendSetHighKey();
}

void UsbCommunicateUtil::sendSetHighKey()
{
    uchar *p = beginFrame();
    const int first = (mFrameCurrent - 1) * mFrameEntries;
    const int count = qMin(mFrameEntries, mEntryCount - first);
    for (int i = 0; i < count; ++i)
        putHighKey(p + i * HighKeyWireSize, *mHighKeyList.at(first + i));
    writeFrame(*commandForOrder(0x23), count * HighKeyWireSize);
}

void UsbCommunicateUtil::receiveSetHighKey(const Reply &reply)
{
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_set_high_key(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x23), serial, reply, false);
}

void UsbCommunicateUtil::usb_add_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info)
{
    beginRequest(0x22, source, wait);
    mHighKeyInfo = info;
    mEntryCount = 1;
    sendAddHighKey();
}

void UsbCommunicateUtil::sendAddHighKey()
{
    uchar *p = beginFrame();
    writeFrame(*commandForOrder(0x22), putHighKey(p, mHighKeyInfo));
}

void UsbCommunicateUtil::receiveAddHighKey(const Reply &reply)
{
    Q_EMIT usb_receive_add_high_key(mSource, reply.frame, reply.total, mHighKeyInfo);
}

void UsbCommunicateUtil::usb_del_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info)
{
    beginRequest(0x25, source, wait);
    mHighKeyInfo = info;
    mEntryCount = 1;
    sendDelHighKey();
}

void UsbCommunicateUtil::sendDelHighKey()
{
    uchar *p = beginFrame();
    p[0] = mHighKeyInfo.item;
    writeFrame(*commandForOrder(0x25), 1);
}

void UsbCommunicateUtil::receiveDelHighKey(const Reply &reply)
{
    Q_EMIT usb_receive_del_high_key(mSource, reply.frame, reply.total, mHighKeyInfo);
}

void UsbCommunicateUtil::syncHighKey()
{
    if (gKeyboardConfig)
        moveInto(gKeyboardConfig->keyboardHighKeyList, mHighKeyList);
}
