// The table of commands: for every order code the members that write its frame and handle its
// reply, and how its entries are split into frames.

#include "protocol/UsbCommunicateUtil.h"

#include "protocol/ProtocolWire.h"

const UsbCommunicateUtil::Command UsbCommunicateUtil::kCommands[] = {
    // order, send, receive, head, entry, resend, status, numbered
    {0x50, "sendSetWholeParam", "receiveSetWholeParam", &UsbCommunicateUtil::sendSetWholeParam, &UsbCommunicateUtil::receiveSetWholeParam, 0, 0, true, false, false},
    {0x5E, "sendGetWholeParam", "receiveWholeParam", &UsbCommunicateUtil::sendGetWholeParam, &UsbCommunicateUtil::receiveWholeParam, 0, 0, true, false, false},
    {0x60, "sendDownloadFirewareKeyboard", "receiveDownloadFirewareKeyboard", &UsbCommunicateUtil::sendDownloadFirewareKeyboard, &UsbCommunicateUtil::receiveDownloadFirewareKeyboard, 0, 0, true, true, false},
    {0x61, "sendResetKeyboard", "receiveResetKeyboard", &UsbCommunicateUtil::sendResetKeyboard, &UsbCommunicateUtil::receiveResetKeyboard, 0, 0, true, false, false},
    {0x62, "sendGetProductInfo", "receiveProductInfo", &UsbCommunicateUtil::sendGetProductInfo, &UsbCommunicateUtil::receiveProductInfo, 0, 0, true, false, false},
    {0x63, "sendDownloadFirewareKeyboardEnd", "receiveDownloadFirewareKeyboardEnd", &UsbCommunicateUtil::sendDownloadFirewareKeyboardEnd, &UsbCommunicateUtil::receiveDownloadFirewareKeyboardEnd, 0, 0, true, true, false},
    {0x65, "sendDownloadFirewareData", "receiveDownloadFirewareData", &UsbCommunicateUtil::sendDownloadFirewareData, &UsbCommunicateUtil::receiveDownloadFirewareData, 0, 0, true, true, false},
    {0x66, "sendDownloadFirewareDataEnd", "receiveDownloadFirewareDataEnd", &UsbCommunicateUtil::sendDownloadFirewareDataEnd, &UsbCommunicateUtil::receiveDownloadFirewareDataEnd, 0, 0, true, true, false},
    // Advanced keys, macros, calibration
    {0x22, "sendAddHighKey", "receiveAddHighKey", &UsbCommunicateUtil::sendAddHighKey, &UsbCommunicateUtil::receiveAddHighKey, 0, 0, true, false, false},
    {0x23, "sendSetHighKey", "receiveSetHighKey", &UsbCommunicateUtil::sendSetHighKey, &UsbCommunicateUtil::receiveSetHighKey, 0, 19, true, false, true},
    {0x25, "sendDelHighKey", "receiveDelHighKey", &UsbCommunicateUtil::sendDelHighKey, &UsbCommunicateUtil::receiveDelHighKey, 0, 0, true, false, false},
    {0x2B, "sendGetHighKey", "receiveHighKey", &UsbCommunicateUtil::sendGetHighKey, &UsbCommunicateUtil::receiveHighKey, 0, 0, true, false, true},
    {0x40, "sendSetMacroConfig", "receiveSetMacroConfig", &UsbCommunicateUtil::sendSetMacroConfig, &UsbCommunicateUtil::receiveSetMacroConfig, 2, 6, true, false, true},
    {0x41, "sendDelMacroConfig", "receiveDelMacroConfig", &UsbCommunicateUtil::sendDelMacroConfig, &UsbCommunicateUtil::receiveDelMacroConfig, 0, 0, true, false, false},
    {0x42, "sendGetMacroConfig", "receiveMacroConfig", &UsbCommunicateUtil::sendGetMacroConfig, &UsbCommunicateUtil::receiveMacroConfig, 0, 0, true, false, true},
    {0x52, "sendGetCalibrationState", "receiveGetCalibrationState", &UsbCommunicateUtil::sendGetCalibrationState, &UsbCommunicateUtil::receiveGetCalibrationState, 0, 0, true, false, true},
    {0x53, "sendSetReportCalibration", "receiveReportCalibration", &UsbCommunicateUtil::sendSetReportCalibration, &UsbCommunicateUtil::receiveReportCalibration, 0, 0, true, false, false},
    {0x54, "sendSaveCalibration", "receiveSaveCalibration", &UsbCommunicateUtil::sendSaveCalibration, &UsbCommunicateUtil::receiveSaveCalibration, 0, 0, true, false, false},
    // The raw sensor values are read without resend: a time-out only counts towards -2.
    {0x5B, "sendGetCalibrationAdc", "receiveGetCalibrationAdc", &UsbCommunicateUtil::sendGetCalibrationAdc, &UsbCommunicateUtil::receiveGetCalibrationAdc, 0, 0, false, false, true},
    // Profiles, lighting, key layers, travel settings
    {0x10, "sendSetCustomLight", "receiveSetCustomLight", &UsbCommunicateUtil::sendSetCustomLight, &UsbCommunicateUtil::receiveSetCustomLight, 4, 1, true, false, true},
    {0x11, "sendSetCustomLightAll", "receiveSetCustomLightAll", &UsbCommunicateUtil::sendSetCustomLightAll, &UsbCommunicateUtil::receiveSetCustomLightAll, 1, 4, true, false, true},
    {0x13, "sendSetEffectLight", "receiveSetEffectLight", &UsbCommunicateUtil::sendSetEffectLight, &UsbCommunicateUtil::receiveSetEffectLight, 0, 0, true, false, false},
    {0x14, "sendSetEffectLightAll", "receiveSetEffectLightAll", &UsbCommunicateUtil::sendSetEffectLightAll, &UsbCommunicateUtil::receiveSetEffectLightAll, 0, 8, true, false, true},
    {0x16, "sendGetCustomLight", "receiveCustomLight", &UsbCommunicateUtil::sendGetCustomLight, &UsbCommunicateUtil::receiveCustomLight, 0, 0, true, false, true},
    {0x17, "sendGetEffectLight", "receiveEffectLight", &UsbCommunicateUtil::sendGetEffectLight, &UsbCommunicateUtil::receiveEffectLight, 0, 0, true, false, true},
    {0x18, "sendGetEffectLightName", "receiveSetEffectLightName", &UsbCommunicateUtil::sendGetEffectLightName, &UsbCommunicateUtil::receiveSetEffectLightName, 0, 0, true, false, true},
    {0x19, "sendSelectEffectLight", "receiveSelectEffectLight", &UsbCommunicateUtil::sendSelectEffectLight, &UsbCommunicateUtil::receiveSelectEffectLight, 0, 0, true, false, false},
    {0x20, "sendSetKeyboardConfig", "receiveSetKeyboardConfig", &UsbCommunicateUtil::sendSetKeyboardConfig, &UsbCommunicateUtil::receiveSetKeyboardConfig, 2, 3, true, false, true},
    {0x24, "sendSetKeyboardDefault", "receiveSetKeyboardDefault", &UsbCommunicateUtil::sendSetKeyboardDefault, &UsbCommunicateUtil::receiveSetKeyboardDefault, 1, 1, true, false, true},
    {0x26, "sendSetTriggerConfig", "receiveSetTriggerConfig", &UsbCommunicateUtil::sendSetTriggerConfig, &UsbCommunicateUtil::receiveSetTriggerConfig, 2, 1, true, false, true},
    {0x27, "sendSetQuickTriggerConfig", "receiveSetQuickTriggerConfig", &UsbCommunicateUtil::sendSetQuickTriggerConfig, &UsbCommunicateUtil::receiveSetQuickTriggerConfig, 0, 8, true, false, true},
    {0x28, "sendSetTriggerConfigAll", "receiveSetTriggerConfigAll", &UsbCommunicateUtil::sendSetTriggerConfigAll, &UsbCommunicateUtil::receiveSetTriggerConfigAll, 2, 8, true, false, true},
    {0x2A, "sendGetKeyboardConfig", "receiveKeyboardConfig", &UsbCommunicateUtil::sendGetKeyboardConfig, &UsbCommunicateUtil::receiveKeyboardConfig, 0, 0, true, false, true},
    {0x2C, "sendGetTriggerConfig", "receiveTriggerConfig", &UsbCommunicateUtil::sendGetTriggerConfig, &UsbCommunicateUtil::receiveTriggerConfig, 0, 0, true, false, true},
    {0x55, "sendSwitchConfigTable", "receiveSwitchConfigTable", &UsbCommunicateUtil::sendSwitchConfigTable, &UsbCommunicateUtil::receiveSwitchConfigTable, 0, 0, true, false, false},
    {0x56, "sendSetConfigInfo", "receiveSetConfigInfo", &UsbCommunicateUtil::sendSetConfigInfo, &UsbCommunicateUtil::receiveSetConfigInfo, 0, 0, true, false, false},
    {0x57, "sendGetConfigInfo", "receiveConfigInfo", &UsbCommunicateUtil::sendGetConfigInfo, &UsbCommunicateUtil::receiveConfigInfo, 0, 0, true, false, true},
    // Adding and deleting a profile are never sent twice: a second add makes a second profile, and
    // a second delete removes the profile that moved into the deleted one's place. Every other
    // command reads, or writes given values to a given place, and may arrive twice unharmed.
    {0x58, "sendAddConfigTable", "receiveAddConfigTable", &UsbCommunicateUtil::sendAddConfigTable, &UsbCommunicateUtil::receiveAddConfigTable, 0, 0, false, false, false},
    {0x59, "sendDelConfigTable", "receiveDelConfigTable", &UsbCommunicateUtil::sendDelConfigTable, &UsbCommunicateUtil::receiveDelConfigTable, 0, 0, false, false, false},
};

const UsbCommunicateUtil::Command *UsbCommunicateUtil::commandForOrder(uchar order)
{
    for (const Command &command : kCommands) {
        if (command.order == order)
            return &command;
    }
    return nullptr;
}

const UsbCommunicateUtil::Command *UsbCommunicateUtil::commandForReply(uchar reply)
{
    if (!(reply & 0x80))
        return nullptr;
    return commandForOrder(uchar(reply & 0x7F));
}
