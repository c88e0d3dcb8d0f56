// Profiles: the list (0x57), switch 0x55, add 0x58, delete 0x59, rename 0x56; and the keyboard's
// own notices (0xF1).

#include "protocol/UsbCommunicateUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "protocol/ProtocolWire.h"

#include <QDebug>

#include <cstring>

using namespace ProtocolWire;

void UsbCommunicateUtil::usb_get_config_info(uchar const &source, bool const &wait)
{
    beginRequest(0x57, source, wait);
    mConfigList.clear();
    sendGetConfigInfo();
}

void UsbCommunicateUtil::sendGetConfigInfo()
{
    beginFrame();
    writeFrame(*commandForOrder(0x57), 0);
}

void UsbCommunicateUtil::receiveConfigInfo(const Reply &reply)
{
    const uchar *p = reply.data;
    if (reply.length >= 2)
        mConfigIndex = p[1];
    uchar next = p[2];
    const int fields = reply.length / NameFieldBytes;
    for (int k = 0; k < fields; ++k) {
        const int offset = 3 + NameFieldBytes * k;
        if (p[offset] == 0)
            continue; // an empty slot takes no number
        mConfigList.removeIf([next](const QSharedPointer<KEYBOARD_CONFIG_INFO> &info) { return info->index == next; });
        auto info = QSharedPointer<KEYBOARD_CONFIG_INFO>::create();
        info->index = next;
        info->configName = nameField(reply, offset, NameFieldBytes);
        mConfigList.append(info);
        ++next;
    }
    const quint64 serial = mRequestSerial;
    Q_EMIT usb_receive_config_info(mSource, reply.frame, reply.total);
    continueFrames(*commandForOrder(0x57), serial, reply, true);
}

void UsbCommunicateUtil::requestConfigTable(uchar order, uchar source, bool wait, uchar index)
{
    beginRequest(order, source, wait);
    mConfigIndex = index;
    sendConfigTable(order);
}

void UsbCommunicateUtil::sendConfigTable(uchar order)
{
    uchar *p = beginFrame();
    p[0] = mConfigIndex;
    writeFrame(*commandForOrder(order), 1);
}

void UsbCommunicateUtil::usb_switch_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x55, source, wait, index);
}

void UsbCommunicateUtil::usb_add_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x58, source, wait, index);
}

void UsbCommunicateUtil::usb_del_config_table(uchar const &source, bool const &wait, uchar const &index)
{
    requestConfigTable(0x59, source, wait, index);
}

void UsbCommunicateUtil::sendSwitchConfigTable()
{
    sendConfigTable(0x55);
}

void UsbCommunicateUtil::sendAddConfigTable()
{
    sendConfigTable(0x58);
}

void UsbCommunicateUtil::sendDelConfigTable()
{
    sendConfigTable(0x59);
}

void UsbCommunicateUtil::receiveSwitchConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_switch_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveAddConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_add_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveDelConfigTable(const Reply &reply)
{
    Q_EMIT usb_receive_del_config_table(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::usb_set_config_info(uchar const &source, bool const &wait, uchar const &index, QString const &name)
{
    beginRequest(0x56, source, wait);
    mSetConfigIndex = index;
    mSetConfigName = name;
    sendSetConfigInfo();
}

void UsbCommunicateUtil::sendSetConfigInfo()
{
    uchar *p = beginFrame();
    p[0] = mSetConfigIndex;
    const QByteArray utf8 = mSetConfigName.toUtf8();
    const int length = utf8WholeCharacters(utf8.constData(), int(utf8.size()), NameRequestBytes);
    std::memcpy(p + 1, utf8.constData(), size_t(length));
    // Bytes behind the name, the field's last byte included, stay 0.
    writeFrame(*commandForOrder(0x56), 1 + NameFieldBytes);
}

void UsbCommunicateUtil::receiveSetConfigInfo(const Reply &reply)
{
    Q_EMIT usb_receive_set_config_info(mSource, reply.frame, reply.total);
}

void UsbCommunicateUtil::receiveConfigChange(const Reply &reply)
{
    const uchar *p = reply.data;
    qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil receiveConfigChange order={%1};type={%2} ===")
                              .arg(hex2(reply.order), hex2(p[0]));
    // A notice too short for its kind carries nothing to act on.
    if (p[0] == 0 && reply.length >= 3)
        Q_EMIT usb_receive_config_change(SourceMainWindow, p[1], p[2]);
    else if (p[0] == 3 && reply.length >= 2)
        Q_EMIT usb_receive_connect_wireless_device(p[1]);
}

void UsbCommunicateUtil::syncConfigInfo()
{
    if (!gKeyboardConfig)
        return;
    gKeyboardConfig->currentConfigIndex = mConfigIndex;
    moveInto(gKeyboardConfig->keyboardConfigList, mConfigList);
}
