#include "storage/ImportConfigUtil.h"

#include "model/KeyboardConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/ConfigFileDatabase.h"

#include <QDebug>

namespace {
constexpr int ReplyStep = 5;
constexpr int ProgressBeforeCopy = 99;
constexpr int Done = 100;

uchar keyOf(const KEYBOARD_EFFECT_LIGHT &record)
{
    return record.item;
}

template<typename Record>
uchar keyOf(const Record &record)
{
    return record.keyItem;
}

// Copies each record over the model's record of the same key. The keyboard ignores a key it does
// not have, so the model takes no record for it either; effects are the exception: the keyboard
// takes a new effect number as a new effect.
template<typename Map, typename Record>
void updateRecords(Map &model, const QList<Record> &records, bool insertMissing)
{
    for (const Record &record : records) {
        if (const auto target = model.value(keyOf(record)))
            *target = record;
        else if (insertMissing)
            model.insert(keyOf(record), QSharedPointer<Record>::create(record));
    }
}
} // namespace

ImportConfigUtil::ImportConfigUtil(QString fileName, QObject *parent)
    : QThread(parent)
    , mFileName(std::move(fileName))
    , mSerialNumber(ConfigFileDatabase::NoProduct)
{
    qDebug().noquote() << QStringLiteral("=== ImportConfigUtil 导入配置开始 fileName:{ %1 }===").arg(mFileName);
    if (gKeyboardConfig && gKeyboardConfig->keyboardProductInfo)
        mSerialNumber = gKeyboardConfig->keyboardProductInfo->serialNumber;
    mReplyWatch.setSingleShot(true);
    connect(&mReplyWatch, &QTimer::timeout, this, &ImportConfigUtil::onReplyWatchTimeout);
    connect(this, &QThread::finished, this, &ImportConfigUtil::onReadFinished);
    if (!gUsbCommunicateUtil)
        return;
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    using U = UsbCommunicateUtil;
    using I = ImportConfigUtil;
    connect(protocol, &U::usb_communicate_error, this, &I::usb_communicate_error);
    connect(protocol, &U::usb_receive_set_config_info, this, &I::usb_receive_set_config_info);
    connect(protocol, &U::usb_receive_config_info, this, &I::usb_receive_config_info);
    connect(protocol, &U::usb_receive_set_whole_param, this, &I::usb_receive_set_whole_param);
    connect(protocol, &U::usb_receive_set_custom_light_all, this, &I::usb_receive_set_custom_light_all);
    connect(protocol, &U::usb_receive_set_effect_light_all, this, &I::usb_receive_set_effect_light_all);
    connect(protocol, &U::usb_receive_set_keyboard_config, this, &I::usb_receive_set_keyboard_config);
    connect(protocol, &U::usb_receive_set_high_key, this, &I::usb_receive_set_high_key);
    connect(protocol, &U::usb_receive_set_macro_config, this, &I::usb_receive_set_macro_config);
    connect(protocol, &U::usb_receive_del_macro_config, this, &I::usb_receive_del_macro_config);
    connect(protocol, &U::usb_receive_set_trigger_config_all, this, &I::usb_receive_set_trigger_config_all);
}

ImportConfigUtil::~ImportConfigUtil()
{
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    // A file still being read stops at its next step.
    requestInterruption();
    wait();
    qDebug() << "=== ImportConfigUtil 导入配置结束 ===";
}

void ImportConfigUtil::run()
{
    if (mFileRead.exchange(true))
        return;
    qDebug() << "=== ImportConfigUtil 读取配置数据开始 ===";
    mProgress = 0;
    mReadResult = ConfigFileDatabase::importFile(mFileName, mSerialNumber, &mContent,
                                                 [this](int step) { refreshPorgress(step); });
    qDebug().noquote() << QStringLiteral("=== ImportConfigUtil 读取配置数据结束 result={%1} ===").arg(mReadResult);
}

void ImportConfigUtil::refreshPorgress(int step)
{
    mProgress = qBound(0, mProgress + step, ProgressBeforeCopy);
    Q_EMIT import_config_result(true, mProgress);
}

void ImportConfigUtil::onReadFinished()
{
    // finished() comes while the thread is winding down; nothing of it may still run after this.
    wait();
    if (mFinished || mChainStarted)
        return;
    mChainStarted = true;
    if (mReadResult != ConfigFileDatabase::Ok) {
        finish(false, mReadResult);
        return;
    }
    // A closed link would drop the first request without a word, and the import would wait forever.
    if (!gUsbCommunicateUtil || !gUsbCommunicateUtil->checkCommunicateState()) {
        finish(false, UsbCommunicateUtil::ErrorNoDevice);
        return;
    }
    qDebug() << "=== ImportConfigUtil 读取配置数据结束，启动同步 ===";
    sendModifyConfigInfo();
}

void ImportConfigUtil::finish(bool status, int value)
{
    if (mFinished)
        return;
    mFinished = true;
    mReplyWatch.stop();
    // Nothing after the result may reach this import, whoever keeps the object alive.
    if (gUsbCommunicateUtil)
        gUsbCommunicateUtil->disconnect(this);
    // The result may come inside a request call of the chain: it goes out from the event loop, so
    // that a receiver that disposes of the worker does not pull the chain from under itself.
    QMetaObject::invokeMethod(
        this, [this, status, value] { Q_EMIT import_config_result(status, value); }, Qt::QueuedConnection);
}

void ImportConfigUtil::onReplyWatchTimeout()
{
    qDebug() << "=== ImportConfigUtil 配置表请求没有应答 ===";
    finish(false, UsbCommunicateUtil::ErrorNoReply);
}

void ImportConfigUtil::usb_communicate_error(const uchar &source, const uchar &order, const int &error)
{
    if (mFinished)
        return;
    // Only this import's own requests and the link itself can end it.
    if (source != Source && source != UsbCommunicateUtil::SourceLink) {
        qDebug().noquote() << QStringLiteral("=== ImportConfigUtil usb_communicate_error 数据来源不匹配 source:{ %1 } ===").arg(source);
        return;
    }
    qDebug().noquote() << QStringLiteral("=== ImportConfigUtil usb错误 source={%1};order={0X%2};error={%3}===")
                              .arg(source)
                              .arg(QString::number(order, 16).rightJustified(2, QLatin1Char('0')).toUpper())
                              .arg(error);
    finish(false, error);
}

bool ImportConfigUtil::acceptReply(const char *slot, uchar source, int current, int total)
{
    if (mFinished)
        return false;
    if (source != Source) {
        qDebug().noquote() << QStringLiteral("=== ImportConfigUtil %1 数据来源不匹配 source:{ %2 } ===").arg(QLatin1String(slot)).arg(source);
        return false;
    }
    refreshPorgress(ReplyStep);
    return current >= total;
}

void ImportConfigUtil::usb_receive_set_config_info(const uchar &source, const int &current, const int &total)
{
    if (!acceptReply("usb_receive_set_config_info", source, current, total))
        return;
    mReplyWatch.stop();
    sendGetConfigInfo();
}

void ImportConfigUtil::usb_receive_config_info(const uchar &source, const int &current, const int &total)
{
    if (!acceptReply("usb_receive_config_info", source, current, total)) {
        // A frame of several: the watch waits for the next one.
        if (!mFinished && source == Source)
            mReplyWatch.start();
        return;
    }
    mReplyWatch.stop();
    sendWholeConfigData();
}

void ImportConfigUtil::usb_receive_set_whole_param(const uchar &source, const int &current, const int &total)
{
    if (acceptReply("usb_receive_set_whole_param", source, current, total))
        sendCustomLightData();
}

void ImportConfigUtil::usb_receive_set_custom_light_all(const uchar &source, const int &current, const int &total)
{
    if (acceptReply("usb_receive_set_custom_light_all", source, current, total))
        sendEffectLightData();
}

void ImportConfigUtil::usb_receive_set_effect_light_all(const uchar &source, const int &current, const int &total)
{
    if (!acceptReply("usb_receive_set_effect_light_all", source, current, total))
        return;
    mLayerStep = 0;
    sendKeyboardKeyData();
}

void ImportConfigUtil::usb_receive_set_keyboard_config(const uchar &source, const int &current, const int &total,
                                                       const uchar &)
{
    if (!acceptReply("usb_receive_set_keyboard_config", source, current, total))
        return;
    if (mLayerStep == 0) {
        mLayerStep = 1;
        sendKeyboardKeyData();
    } else {
        sendHighKeyData();
    }
}

void ImportConfigUtil::usb_receive_set_high_key(const uchar &source, const int &current, const int &total)
{
    if (!acceptReply("usb_receive_set_high_key", source, current, total))
        return;
    mMacroStep = 0;
    sendMacroData();
}

void ImportConfigUtil::usb_receive_set_macro_config(const uchar &source, const int &current, const int &total,
                                                    const uchar &)
{
    macroWritten("usb_receive_set_macro_config", source, current, total);
}

void ImportConfigUtil::usb_receive_del_macro_config(const uchar &source, const int &current, const int &total,
                                                    const uchar &)
{
    macroWritten("usb_receive_del_macro_config", source, current, total);
}

void ImportConfigUtil::macroWritten(const char *slot, uchar source, int current, int total)
{
    if (!acceptReply(slot, source, current, total))
        return;
    // After M10 the travel settings follow: there is no macro behind it to write.
    if (mMacroStep + 1 < ConfigFileContent::MacroCount) {
        ++mMacroStep;
        sendMacroData();
    } else {
        sendTriggerData();
    }
}

void ImportConfigUtil::usb_receive_set_trigger_config_all(const uchar &source, const int &current, const int &total)
{
    if (!acceptReply("usb_receive_set_trigger_config_all", source, current, total))
        return;
    copyIntoModel();
    finish(true, Done);
}

void ImportConfigUtil::sendModifyConfigInfo()
{
    mKeyboardWritten = true;
    // The file's name goes to the profile it is imported into: the active one.
    const uchar active = gKeyboardConfig ? gKeyboardConfig->currentConfigIndex : 0;
    mReplyWatch.start(gUsbCommunicateUtil->replyInterval() * UsbCommunicateUtil::MaxSends);
    gUsbCommunicateUtil->usb_set_config_info(Source, false, active, mContent.configName);
}

void ImportConfigUtil::sendGetConfigInfo()
{
    mReplyWatch.start(gUsbCommunicateUtil->replyInterval() * UsbCommunicateUtil::MaxSends);
    gUsbCommunicateUtil->usb_get_config_info(Source, false);
}

void ImportConfigUtil::sendWholeConfigData()
{
    gUsbCommunicateUtil->usb_set_whole_param(Source, true, QSharedPointer<KEYBOARD_PARAMS>::create(mContent.params));
}

void ImportConfigUtil::sendCustomLightData()
{
    gUsbCommunicateUtil->usb_set_custom_light_all(Source, true, mContent.customLightMap());
}

void ImportConfigUtil::sendEffectLightData()
{
    gUsbCommunicateUtil->usb_set_effect_light_all(Source, true, mContent.effectLightMap());
}

void ImportConfigUtil::sendKeyboardKeyData()
{
    gUsbCommunicateUtil->usb_set_keyboard_config(Source, true, mLayerStep, mContent.keyMap(mLayerStep));
}

void ImportConfigUtil::sendHighKeyData()
{
    // The table as long as the keyboard's own, as it was last read.
    const int slotCount = gKeyboardConfig ? int(gKeyboardConfig->keyboardHighKeyList.size()) : 0;
    const HighKeyList list = mContent.highKeyList(slotCount);
    mHighKeysSent = int(list.size());
    gUsbCommunicateUtil->usb_set_high_key(Source, true, list);
}

void ImportConfigUtil::sendMacroData()
{
    // An empty write sends nothing: a macro the file holds empty is cleared instead.
    const MacroList actions = mContent.macroList(mMacroStep);
    if (actions.isEmpty())
        gUsbCommunicateUtil->usb_del_macro_config(Source, true, mMacroStep);
    else
        gUsbCommunicateUtil->usb_set_macro_config(Source, true, mMacroStep, actions);
}

void ImportConfigUtil::sendTriggerData()
{
    gUsbCommunicateUtil->usb_set_trigger_config_all(Source, true, mContent.triggerMap());
}

void ImportConfigUtil::copyIntoModel()
{
    UsbCommunicateUtil *protocol = gUsbCommunicateUtil.data();
    protocol->syncWholeParam();
    protocol->syncConfigInfo();
    // The per-key blocks: the records the keyboard confirmed, in place of the model's records.
    if (gKeyboardConfig) {
        KeyboardConfigUtil &model = *gKeyboardConfig;
        updateRecords(model.keyboardCustomLightMap, mContent.customLights, false);
        updateRecords(model.keyboardEffectLightMap, mContent.effectLights, true);
        updateRecords(model.keyboardKeyMap, mContent.normalKeys, false);
        updateRecords(model.keyboardFn1KeyMap, mContent.fnKeys, false);
        updateRecords(model.keyboardTriggerMap, mContent.triggers, false);
    }
    if (mHighKeysSent > 0)
        protocol->syncHighKey();
    // A cleared macro was emptied in the model by the keyboard's answer.
    for (int index = 0; index < ConfigFileContent::MacroCount; ++index) {
        if (!mContent.macros[size_t(index)].isEmpty())
            protocol->syncMacroConfig(uchar(index));
    }
}
