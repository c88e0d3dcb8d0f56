#include "storage/SyncConfigUtil.h"

#include "protocol/UsbCommunicateUtil.h"

#include <QDebug>

namespace {
constexpr int MacroCount = 10;
constexpr int ProgressStep = 5;
constexpr int ProgressBeforeCopy = 99;
constexpr int Done = 100;
constexpr uchar AllEffects = 255;
} // namespace

SyncConfigUtil::SyncConfigUtil(uchar type, uchar scope, int progress, const QString &fileName, QObject *parent)
    : QObject(parent)
    , mType(type)
    , mScope(scope)
    , mFileName(fileName)
    , mProgress(progress)
{
    qDebug().noquote() << QStringLiteral("=== SyncConfigUtil 同步配置创建 type={%1};scope={%2};progress={%3};fileName={%4}===")
                              .arg(type)
                              .arg(scope)
                              .arg(progress)
                              .arg(fileName);
    if (mType != TypeKeyboard || !gUsbCommunicateUtil)
        return;
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    connect(protocol, &UsbCommunicateUtil::usb_communicate_error, this, &SyncConfigUtil::usb_communicate_error);
    connect(protocol, &UsbCommunicateUtil::usb_receive_product_info, this, &SyncConfigUtil::usb_receive_product_info);
    connect(protocol, &UsbCommunicateUtil::usb_receive_config_info, this, &SyncConfigUtil::usb_receive_config_info);
    connect(protocol, &UsbCommunicateUtil::usb_receive_whole_param, this, &SyncConfigUtil::usb_receive_whole_param);
    connect(protocol, &UsbCommunicateUtil::usb_receive_custom_light, this, &SyncConfigUtil::usb_receive_custom_light);
    connect(protocol, &UsbCommunicateUtil::usb_receive_set_effect_light_language, this,
            &SyncConfigUtil::usb_receive_set_effect_light_language);
    connect(protocol, &UsbCommunicateUtil::usb_receive_effect_light, this, &SyncConfigUtil::usb_receive_effect_light);
    connect(protocol, &UsbCommunicateUtil::usb_receive_keyboard_config, this, &SyncConfigUtil::usb_receive_keyboard_config);
    connect(protocol, &UsbCommunicateUtil::usb_receive_high_key, this, &SyncConfigUtil::usb_receive_high_key);
    connect(protocol, &UsbCommunicateUtil::usb_receive_macro_config, this, &SyncConfigUtil::usb_receive_macro_config);
    connect(protocol, &UsbCommunicateUtil::usb_receive_trigger_config, this, &SyncConfigUtil::usb_receive_trigger_config);
}

SyncConfigUtil::~SyncConfigUtil()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    qDebug() << "=== SyncConfigUtil 同步配置销毁 ===";
}

void SyncConfigUtil::startSync()
{
    if (mType != TypeKeyboard || !gUsbCommunicateUtil || mStarted)
        return;
    mStarted = true;
    // A closed link would drop the first request without a word, and the read would wait forever.
    if (!gUsbCommunicateUtil->checkCommunicateState()) {
        finish(false, UsbCommunicateUtil::ErrorNoDevice);
        return;
    }
    switch (mScope) {
    case ScopeProductInfo:
        gUsbCommunicateUtil->usb_get_product_info(Source, true);
        break;
    case ScopeConfigInfo:
        gUsbCommunicateUtil->usb_get_config_info(Source, true);
        break;
    case ScopeWholeParam:
        gUsbCommunicateUtil->usb_get_whole_param(Source, true);
        break;
    default:
        // No such starting point: nothing is read.
        break;
    }
}

void SyncConfigUtil::finish(bool status, int value)
{
    if (mFinished)
        return;
    mFinished = true;
    // Nothing after the result may reach this read, whoever keeps the object alive.
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    Q_EMIT sync_config_result(status, value);
}

void SyncConfigUtil::usb_communicate_error(uchar source, uchar order, int error)
{
    if (mFinished)
        return;
    // Only this read's own requests and the link itself can end it; a page's failed request cannot.
    if (source != Source && source != UsbCommunicateUtil::SourceLink) {
        qDebug().noquote() << QStringLiteral("=== SyncConfigUtil usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    qDebug().noquote() << QStringLiteral("=== SyncConfigUtil usb错误 source={%1};order={0x%2};error={%3}===")
                              .arg(source)
                              .arg(QString::number(order, 16).rightJustified(2, QLatin1Char('0')).toUpper())
                              .arg(error);
    finish(false, error);
}

bool SyncConfigUtil::acceptReply(const char *slot, uchar source, int current, int total)
{
    if (mFinished)
        return false;
    if (source != Source) {
        qDebug().noquote() << QStringLiteral("=== SyncConfigUtil %1 数据来源不匹配 source:{ %2 } ===").arg(QLatin1String(slot)).arg(source);
        return false;
    }
    mProgress = qBound(0, mProgress + ProgressStep, ProgressBeforeCopy);
    Q_EMIT sync_config_result(true, mProgress);
    return current >= total;
}

void SyncConfigUtil::usb_receive_product_info(uchar source, int current, int total)
{
    if (acceptReply("usb_receive_product_info", source, current, total))
        gUsbCommunicateUtil->usb_get_config_info(Source, true);
}

void SyncConfigUtil::usb_receive_config_info(uchar source, int current, int total)
{
    if (acceptReply("usb_receive_config_info", source, current, total))
        gUsbCommunicateUtil->usb_get_whole_param(Source, true);
}

void SyncConfigUtil::usb_receive_whole_param(uchar source, int current, int total)
{
    if (acceptReply("usb_receive_whole_param", source, current, total))
        gUsbCommunicateUtil->usb_get_custom_light(Source, true);
}

void SyncConfigUtil::usb_receive_custom_light(uchar source, int current, int total)
{
    if (acceptReply("usb_receive_custom_light", source, current, total))
        gUsbCommunicateUtil->usb_get_effect_light_name(Source, true);
}

void SyncConfigUtil::usb_receive_set_effect_light_language(uchar source, int current, int total)
{
    if (acceptReply("usb_receive_set_effect_light_language", source, current, total))
        gUsbCommunicateUtil->usb_get_effect_light(Source, true, AllEffects);
}

void SyncConfigUtil::usb_receive_effect_light(uchar source, int current, int total)
{
    if (!acceptReply("usb_receive_effect_light", source, current, total))
        return;
    mCurrentLayer = 0;
    gUsbCommunicateUtil->usb_get_keyboard_config(Source, true, mCurrentLayer);
}

void SyncConfigUtil::usb_receive_keyboard_config(uchar source, int current, int total, uchar)
{
    if (!acceptReply("usb_receive_keyboard_config", source, current, total))
        return;
    if (mCurrentLayer == 0) {
        mCurrentLayer = 1;
        gUsbCommunicateUtil->usb_get_keyboard_config(Source, true, mCurrentLayer);
    } else {
        gUsbCommunicateUtil->usb_get_high_key(Source, true);
    }
}

void SyncConfigUtil::usb_receive_high_key(uchar source, int current, int total)
{
    if (!acceptReply("usb_receive_high_key", source, current, total))
        return;
    mCurrentMacroIndex = 0;
    gUsbCommunicateUtil->usb_get_macro_config(Source, true, mCurrentMacroIndex);
}

void SyncConfigUtil::usb_receive_macro_config(uchar source, int current, int total, uchar)
{
    if (!acceptReply("usb_receive_macro_config", source, current, total))
        return;
    ++mCurrentMacroIndex;
    if (mCurrentMacroIndex < MacroCount)
        gUsbCommunicateUtil->usb_get_macro_config(Source, true, mCurrentMacroIndex);
    else
        gUsbCommunicateUtil->usb_get_trigger_config(Source, true);
}

void SyncConfigUtil::usb_receive_trigger_config(uchar source, int current, int total)
{
    if (!acceptReply("usb_receive_trigger_config", source, current, total))
        return;
    copyIntoModel();
    finish(true, Done);
}

void SyncConfigUtil::copyIntoModel()
{
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    if (mScope == ScopeProductInfo)
        protocol->syncProductInfo();
    if (mScope == ScopeProductInfo || mScope == ScopeConfigInfo)
        protocol->syncConfigInfo();
    protocol->syncWholeParam();
    protocol->syncCustomLight();
    protocol->syncEffectLightName();
    protocol->syncEffectLight();
    protocol->syncKeyboardConfig(0);
    protocol->syncKeyboardConfig(1);
    protocol->syncHighKey();
    for (int index = 0; index < MacroCount; ++index)
        protocol->syncMacroConfig(uchar(index));
    protocol->syncTriggerConfig();
}
