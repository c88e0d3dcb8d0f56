#pragma once
// The keyboard command protocol: every request to the keyboard and every reply from it goes
// through the one UsbCommunicateUtil (gUsbCommunicateUtil).
//
// A request entry (usb_...) records the request, splits its payload into frames and writes the
// first one through the active link (USB HID or Bluetooth). Each reply frame comes back through
// usb_receive_data, is matched against the reply that is awaited, parsed into a holding member
// and announced by the command's reply signal (usb_receive_...), which carries the requester's
// source byte first. Confirmed data reach the keyboard model only through the sync... copies.

#include "model/KeyboardRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <utility>

struct hid_device_;
typedef struct hid_device_ hid_device;
class UsbReceiveThread;

class UsbCommunicateUtil : public QObject
{
    Q_OBJECT
public:
    // Source bytes of the requesters; every reply and error signal carries the source back.
    enum Source : uchar {
        SourceLink = 0,
        SourceSyncConfig = 1,
        SourceMainWindow = 2,
        SourceImport = 3,
        SourceKeyPage = 4,
        SourceLightPage = 5,
        SourceHighKeyPage = 6,
        SourceMacroPage = 7,
        SourcePerformancePage = 8,
        SourceAlignPage = 9,
        SourceMaintenancePage = 10,
    };

    // Error codes of usb_communicate_error.
    enum Error {
        ErrorWrite = -1,
        ErrorNoReply = -2,
        ErrorLayer = -3,
        ErrorMacroIndex = -4,
        ErrorNoDevice = -200,
    };

    static constexpr int DefaultReplyInterval = 1000; // ms
    static constexpr int MaxSends = 3;
    static constexpr int BufferSize = 129;     // report id + the largest frame
    static constexpr int WorkBufferSize = 160; // reply payload as handed to the handlers
    static constexpr int NameFieldBytes = 29;   // a profile name field of the profile list
    static constexpr int NameRequestBytes = 28; // name bytes a rename carries at most
    static constexpr uchar NoticeCode = 0xF1;   // the keyboard's unsolicited notice

    explicit UsbCommunicateUtil(QObject *parent = nullptr);
    ~UsbCommunicateUtil() override;

    // Link control. A request still waiting for its answer when the link closes, or when another
    // requester's request replaces it, is given up: its requester hears -2 once, from the event
    // loop, and in any case before the link opens again, so that nothing of it reaches work begun
    // on the new link.
    void openCommunicate(int type);
    void communicateDevice();
    void closeCommunicate();
    bool checkBleCommunicateState() const;
    bool checkCommunicateState() const;

    // Interval of the reply timer (1000 ms unless a test shortens it).
    void setReplyInterval(int ms);
    int replyInterval() const;
    // The clock of the late-answer window, in milliseconds: a monotonic clock unless a test sets
    // its own. A null clock restores the monotonic one.
    void setClock(std::function<qint64()> clock);

    // Product identity and board parameters.
    void usb_get_product_info(uchar const &source, bool const &wait);
    void usb_get_whole_param(uchar const &source, bool const &wait);
    void usb_set_whole_param(uchar const &source, bool const &wait, QSharedPointer<KEYBOARD_PARAMS> params);

    // Firmware download and factory reset.
    void usb_download_fireware_keyboard(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data);
    void usb_download_fireware_keyboard_end(uchar const &source, bool const &wait, uint const &first, uint const &second);
    void usb_download_fireware_data(uchar const &source, bool const &wait, ushort frameNo, int const &len, uchar *data);
    void usb_download_fireware_data_end(uchar const &source, bool const &wait, uint const &first, uint const &second);
    void usb_reset_keyboard(uchar const &source, bool const &wait);

    // Advanced keys: the whole table (read 0x2B, write 0x23) and single records (add 0x22, delete 0x25).
    void usb_get_high_key(uchar const &source, bool const &wait);
    void usb_set_high_key(uchar const &source, bool const &wait, QList<QSharedPointer<HIGH_KEY_INFO>> list);
    void usb_add_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info);
    void usb_del_high_key(uchar const &source, bool const &wait, HIGH_KEY_INFO info);

    // Macros M1 to M10 by index 0 to 9: read 0x42, write 0x40, clear 0x41.
    void usb_get_macro_config(uchar const &source, bool const &wait, uchar const &index);
    void usb_set_macro_config(uchar const &source, bool const &wait, uchar const &index,
                              QList<QSharedPointer<KEYBOARD_MACRO_INFO>> list);
    void usb_del_macro_config(uchar const &source, bool const &wait, uchar const &index);

    // Calibration: key states 0x52, live depth reports on/off 0x53, store 0x54, raw values 0x5B.
    void usb_get_calibration_state(uchar const &source, bool const &wait);
    void usb_set_report_calibration(uchar const &source, bool const &wait, bool on);
    void usb_save_calibration(uchar const &source, bool const &wait);
    void usb_get_calibration_adc(uchar const &source, bool const &wait);

    // Copies of confirmed data into the keyboard model.
    void syncProductInfo();
    void syncWholeParam();

    // Text of a negative result code of the protocol or the workers ("其他错误" when it has none).
    static QString getErrorMessage(int code);

    // A fixed-width UTF-8 field as text: the bytes up to the first zero, at most width of them.
    static QString ucharConvertString(const char *data, int width);

    // Holding members, readable by tests and by the copies.
    QSharedPointer<KEYBOARD_PRODUCT_INFO> productInfo() const { return mProductInfo; }
    QSharedPointer<KEYBOARD_PARAMS> wholeParam() const { return mWholeParam; }

    // Holding members of the advanced-key, macro and calibration commands.
    const HighKeyList &highKeyList() const { return mHighKeyList; }
    const HIGH_KEY_INFO &highKeyInfo() const { return mHighKeyInfo; }
    uchar macroIndex() const { return mMacroIndex; }
    // The macro list of index 0 to 9; an empty list for any other index.
    MacroList macroList(uchar index) const;
    const QMap<uchar, uchar> &calibrationMap() const { return mCalibrationMap; }
    const QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> &alignList() const { return mAlignList; }
    const QMap<uchar, ushort> &calibrationAdcMap() const { return mCalibrationAdcMap; }
    // --- Profiles, lighting, key layers, travel settings ---

    // Profiles.
    void usb_get_config_info(uchar const &source, bool const &wait);
    void usb_switch_config_table(uchar const &source, bool const &wait, uchar const &index);
    void usb_add_config_table(uchar const &source, bool const &wait, uchar const &index);
    void usb_del_config_table(uchar const &source, bool const &wait, uchar const &index);
    // The name travels as at most NameRequestBytes bytes of UTF-8, cut after its last whole character.
    void usb_set_config_info(uchar const &source, bool const &wait, uchar const &index, QString const &name);

    // Per-key lighting.
    void usb_get_custom_light(uchar const &source, bool const &wait);
    // The map is kept (shared) and sent in ascending key order.
    void usb_set_custom_light_all(uchar const &source, bool const &wait, CustomLightMap map);
    // One brightness and colour (light, colorR, colorG, colorB of light) for the listed keys.
    void usb_set_custom_light(uchar const &source, bool const &wait, KEYBOARD_EFFECT_LIGHT light, QList<uchar> keys);

    // Lighting effects.
    // Asks for the names in the user's language (see effectLanguageByte).
    void usb_get_effect_light_name(uchar const &source, bool const &wait);
    // index 255 asks for every effect.
    void usb_get_effect_light(uchar const &source, bool const &wait, uchar const &index);
    void usb_set_effect_light_all(uchar const &source, bool const &wait, EffectLightMap map);
    // Item 255 (per-key lighting) is not an effect: nothing is sent and the reply signal follows at once.
    void usb_set_effect_light(uchar const &source, bool const &wait, KEYBOARD_EFFECT_LIGHT light);
    void usb_select_effect_light(uchar const &source, bool const &wait, uchar const &index);

    // Key layers: 0 normal, 1 Fn1.
    void usb_get_keyboard_config(uchar const &source, bool const &wait, uchar const &layer);
    void usb_set_keyboard_config(uchar const &source, bool const &wait, uchar const &layer, KeyInfoMap keys);
    // keys: [key, 0xFF] one key, two key numbers, or [0xFF, 0xFF] every key of the layer.
    void usb_set_keyboard_default(uchar const &source, bool const &wait, uchar const &layer, QList<uchar> keys);

    // Travel settings.
    void usb_get_trigger_config(uchar const &source, bool const &wait);
    void usb_set_trigger_config_all(uchar const &source, bool const &wait, TriggerMap map);
    // One actuation travel (trigger of info) for the listed keys.
    void usb_set_trigger_config(uchar const &source, bool const &wait, KEYBOARD_TRIGGER_INFO info, QList<uchar> keys);
    // The rapid-trigger settings of each record's key; the records are shared with the caller.
    void usb_set_quick_trigger_config(uchar const &source, bool const &wait, QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> list);

    // Copies of confirmed data into the keyboard model. A record update skips, with a warning,
    // every key or effect the model has no record for.
    void syncConfigInfo();
    void syncCustomLight();
    void syncModifyCustomLight();
    void syncEffectLightName();
    void syncEffectLight();
    void syncModifyEffectLight();
    void syncKeyboardConfig(uchar const &layer);
    void syncSetKeyboardConfig(uchar const &layer);
    void syncTriggerConfig();
    void syncModifyTriggerConfig();
    void syncModifyQuickTriggerConfig();

    // Language byte of the effect-name request for the user's language (gSystemConfig):
    // English 0, Vietnamese 7, Chinese (and anything else) 1.
    static uchar effectLanguageByte();
    // The first bytes of utf8, at most maxBytes of them, ending after a whole character.
    static int utf8WholeCharacters(const char *utf8, int length, int maxBytes);

    // Holding members of these commands, readable by tests.
    ConfigList configList() const { return mConfigList; }
    uchar effectLightIndex() const { return mEffectLightIndex; }

    // Copies of the advanced-key table and of one macro into the keyboard model.
    void syncHighKey();
    void syncMacroConfig(uchar const &index);

Q_SIGNALS:
    void protocol_device_connected();
    void protocol_device_disconnected();
    void usb_communicate_error(uchar source, uchar order, int error);

    void usb_receive_product_info(uchar source, int current, int total);
    void usb_receive_whole_param(uchar source, int current, int total);
    void usb_receive_set_whole_param(uchar source, int current, int total);

    void usb_receive_download_fireware_keyboard(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard_end(uchar source, int current, int total);
    void usb_receive_download_fireware_data(uchar source, int current, int total);
    void usb_receive_download_fireware_data_end(uchar source, int current, int total);
    void usb_receive_reset_keyboard(uchar source, int current, int total);

    void usb_receive_high_key(uchar source, int current, int total);
    void usb_receive_set_high_key(uchar source, int current, int total);
    void usb_receive_add_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_del_high_key(uchar source, int current, int total, HIGH_KEY_INFO keyboardHighKey);

    void usb_receive_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_set_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_del_macro_config(uchar source, int current, int total, uchar index);

    void usb_receive_get_calibration_state(uchar source, int current, int total, QMap<uchar, uchar> keyboardCalibrationMap);
    void usb_receive_report_calibration_switch(uchar source, int current, int total, uchar result);
    void usb_receive_report_calibration(uchar source, int current, int total,
                                        QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList);
    void usb_receive_save_calibration(uchar source, int current, int total);
    void usb_receive_get_calibration_adc(uchar source, int current, int total, QMap<uchar, ushort> keyboardCalibrationAdcMap);
    // Profiles, and the keyboard's own notices.
    void usb_receive_config_info(uchar source, int current, int total);
    void usb_receive_switch_config_table(uchar source, int current, int total);
    void usb_receive_add_config_table(uchar source, int current, int total);
    void usb_receive_del_config_table(uchar source, int current, int total);
    void usb_receive_set_config_info(uchar source, int current, int total);
    void usb_receive_config_change(uchar source, uchar type, uchar item);
    void usb_receive_connect_wireless_device(uchar state);

    // Per-key lighting.
    void usb_receive_custom_light(uchar source, int current, int total);
    void usb_receive_set_custom_light_all(uchar source, int current, int total);
    void usb_receive_set_custom_light(uchar source, int current, int total);

    // Lighting effects.
    void usb_receive_set_effect_light_language(uchar source, int current, int total);
    void usb_receive_effect_light(uchar source, int current, int total);
    void usb_receive_set_effect_light_all(uchar source, int current, int total);
    void usb_receive_set_effect_light(uchar source, int current, int total);
    void usb_receive_select_effect_light(uchar source, int current, int total, int index);

    // Key layers.
    void usb_receive_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer);
    // flag: the keyboard restored every key of the layer and reported none.
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer, bool flag);

    // Travel settings.
    void usb_receive_trigger_config(uchar source, int current, int total);
    void usb_receive_set_trigger_config_all(uchar source, int current, int total);
    void usb_receive_set_trigger_config(uchar source, int current, int total);
    void usb_receive_set_quick_trigger_config(uchar source, int current, int total);

private Q_SLOTS:
    void usb_receive_data(uchar const &order, uchar const &frame, uchar const &total, uchar const &length, QByteArray data);
    void onCommunicateTimeout();
    void ble_error_callback(int const &error);

private:
    struct Command;

    // One received frame as the handlers see it.
    struct Reply {
        uchar order;
        uchar frame;
        uchar total;
        uchar length;
        const uchar *data; // the work buffer: payload first, zero behind it
    };

    // --- engine ---
    static const Command *commandForOrder(uchar order);
    static const Command *commandForReply(uchar reply);
    // Starts a request: stops a running timer, resets the retry count, and records source,
    // wait flag and the reply expected. Returns the command for chaining.
    const Command &beginRequest(uchar order, uchar source, bool wait);
    // Splits count entries into frames of the command's size; false when there is nothing to send.
    bool beginFrames(const Command &command, int count);
    int entriesPerFrame(const Command &command) const;
    // Zeroes the send buffer and returns where the payload of the frame begins.
    uchar *beginFrame();
    // Writes the frame under construction through the active link.
    void writeFrame(const Command &command, int payloadLength, uchar headByte2, uchar headByte3);
    void writeFrame(const Command &command, int payloadLength);
    void sendCurrentFrame(const Command &command);
    bool isLinkUp() const;
    // The link closes: the timer stops, and a request still waiting for its answer is given up.
    void endRequestOnClose();
    // Tells the requesters of the requests given up with the link (-2), each once; true when
    // there were any.
    bool reportGivenUp();
    // Gives up a request (its link closed, or another requester's request replaced it): its
    // requester hears -2 after the current call returns, and before the link opens again.
    void giveUp(uchar source, uchar order);
    void retryCommunicate();
    // After a reply was handled: sends the next frame when the chain is still the same request.
    void continueFrames(const Command &command, quint64 request, const Reply &reply, bool totalFromReply);
    void logMismatch(const Command &command, const Reply &reply) const;
    // True when the reply cannot answer the frame now awaited; logs why.
    bool isStaleReply(const Command &command, const Reply &reply, bool readBeforeWrite);

    // --- send members ---
    void sendGetProductInfo();
    void sendGetWholeParam();
    void sendSetWholeParam();
    void sendDownloadFirewareKeyboard();
    void sendDownloadFirewareKeyboardEnd();
    void sendDownloadFirewareData();
    void sendDownloadFirewareDataEnd();
    void sendResetKeyboard();
    void sendFirmwareChunk(uchar order);
    void sendFirmwareEnd(uchar order);
    // A firmware or firmware-data end frame (order 0x63 or 0x66) as a new request.
    void startFirmwareEnd(uchar order, uchar source, bool wait, uint first, uint second);

    // --- send members: advanced keys, macros, calibration ---
    void sendGetHighKey();
    void sendSetHighKey();
    void sendAddHighKey();
    void sendDelHighKey();
    void sendGetMacroConfig();
    void sendSetMacroConfig();
    void sendDelMacroConfig();
    void sendGetCalibrationState();
    void sendSetReportCalibration();
    void sendSaveCalibration();
    void sendGetCalibrationAdc();

    // --- reply handlers ---
    void receiveProductInfo(const Reply &reply);
    void receiveWholeParam(const Reply &reply);
    void receiveSetWholeParam(const Reply &reply);
    void receiveDownloadFirewareKeyboard(const Reply &reply);
    void receiveDownloadFirewareKeyboardEnd(const Reply &reply);
    void receiveDownloadFirewareData(const Reply &reply);
    void receiveDownloadFirewareDataEnd(const Reply &reply);
    void receiveResetKeyboard(const Reply &reply);

    // --- reply handlers: advanced keys, macros, calibration ---
    void receiveHighKey(const Reply &reply);
    void receiveSetHighKey(const Reply &reply);
    void receiveAddHighKey(const Reply &reply);
    void receiveDelHighKey(const Reply &reply);
    void receiveMacroConfig(const Reply &reply);
    void receiveSetMacroConfig(const Reply &reply);
    void receiveDelMacroConfig(const Reply &reply);
    void receiveGetCalibrationState(const Reply &reply);
    // Both kinds of 0xD3 frame: the answer to 0x53 and the live depth reports that come unasked.
    void receiveReportCalibration(const Reply &reply);
    void receiveSaveCalibration(const Reply &reply);
    void receiveGetCalibrationAdc(const Reply &reply);
    // Refuses a list write that the one-byte entry count cannot carry or that holds a null
    // record: reports -1 and sends nothing. False when the list may be sent.
    bool refuseList(const Command &command, uchar source, qsizetype size, bool hasNull);

    bool requestFirmwareChunk(uchar order, uchar source, bool wait, ushort frameNo, int len, const uchar *data);

    // --- Profiles, lighting, key layers, travel settings ---

    // Per-key blocks name only the first key of a frame; the keyboard counts on from it. A frame
    // therefore carries one run of consecutive key numbers, at most a full frame of them.
    struct KeyFrame {
        int first = 0; // position of the frame's first entry in the ascending key list
        int count = 0;
    };
    bool beginKeyFrames(const Command &command, const QList<uchar> &keys);
    KeyFrame currentKeyFrame() const;
    // Entries of the current frame of a request split by count: position of the first, and how many.
    int firstEntryOfFrame() const;
    int entriesOfFrame(int available) const;
    // A name field of a reply: at most width bytes at offset, never beyond the payload.
    static QString nameField(const Reply &reply, int offset, int width);
    void requestConfigTable(uchar order, uchar source, bool wait, uchar index);
    void sendConfigTable(uchar order);
    void receiveConfigChange(const Reply &reply);

    // Profiles.
    void sendGetConfigInfo();
    void sendSwitchConfigTable();
    void sendAddConfigTable();
    void sendDelConfigTable();
    void sendSetConfigInfo();
    void receiveConfigInfo(const Reply &reply);
    void receiveSwitchConfigTable(const Reply &reply);
    void receiveAddConfigTable(const Reply &reply);
    void receiveDelConfigTable(const Reply &reply);
    void receiveSetConfigInfo(const Reply &reply);

    // Per-key lighting.
    void sendGetCustomLight();
    void sendSetCustomLightAll();
    void sendSetCustomLight();
    void receiveCustomLight(const Reply &reply);
    void receiveSetCustomLightAll(const Reply &reply);
    void receiveSetCustomLight(const Reply &reply);

    // Lighting effects.
    void sendGetEffectLightName();
    void sendGetEffectLight();
    void sendSetEffectLightAll();
    void sendSetEffectLight();
    void sendSelectEffectLight();
    void receiveSetEffectLightName(const Reply &reply);
    void receiveEffectLight(const Reply &reply);
    void receiveSetEffectLightAll(const Reply &reply);
    void receiveSetEffectLight(const Reply &reply);
    void receiveSelectEffectLight(const Reply &reply);

    // Key layers.
    KeyInfoMap &layerKeyMap(uchar layer);
    void sendGetKeyboardConfig();
    void sendSetKeyboardConfig();
    void sendSetKeyboardDefault();
    void receiveKeyboardConfig(const Reply &reply);
    void receiveSetKeyboardConfig(const Reply &reply);
    void receiveSetKeyboardDefault(const Reply &reply);

    // Travel settings.
    void sendGetTriggerConfig();
    void sendSetTriggerConfigAll();
    void sendSetTriggerConfig();
    void sendSetQuickTriggerConfig();
    void receiveTriggerConfig(const Reply &reply);
    void receiveSetTriggerConfigAll(const Reply &reply);
    void receiveSetTriggerConfig(const Reply &reply);
    void receiveSetQuickTriggerConfig(const Reply &reply);

    static const Command kCommands[];

    // Request state.
    int mCommunicateType = 0; // 0 USB, 1 Bluetooth
    QSharedPointer<UsbReceiveThread> mUsbReceiveThread;
    hid_device *mHidDevice = nullptr;
    uchar mSource = 0;
    uchar mLastSendOrder = 0;
    QSharedPointer<QTimer> mCommunicateTimer;
    int mRetryCount = 0;
    std::array<uchar, BufferSize> mSendBuffer{};
    bool mWaitReply = false;
    int mFrameTotal = 0;
    int mFrameCurrent = 0;
    int mFrameEntries = 0;
    int mEntryCount = 0;
    // A reply is accepted only while a written frame awaits it; mRequestSerial tells one request
    // from the next, so that a chain is continued only by the request that started it.
    bool mAwaitingReply = false;
    quint64 mRequestSerial = 0;
    // Requests given up whose requesters have not been told yet: (source, reply code).
    QList<std::pair<uchar, uchar>> mGivenUp;
    // Frames from the USB reader handled so far, and the reader's count when the frame now
    // awaited was written: a frame read before that write cannot be its answer.
    quint64 mUsbFramesHandled = 0;
    quint64 mUsbFramesAtWrite = 0;
    // After a frame had to be sent more than once, the keyboard may still answer the earlier
    // sends: that many answers of the same code are not taken for the next request's for a while.
    int mSilentSends = 0;       // sends of the current frame the reply timer found unanswered
    int mRepliesSinceWrite = 0; // answers of the awaited code since the last write
    uchar mLateReplyCode = 0;
    uchar mLateReplyFrame = 0;
    int mLateReplies = 0;
    std::function<qint64()> mClock;
    qint64 mLateReplyStart = 0;
    qint64 mLateReplyWindow = 0;
    int mReplyInterval = DefaultReplyInterval;
    std::array<uchar, WorkBufferSize> mWorkBuffer{};

    // Firmware chunk and end values of the request in flight.
    std::array<uchar, BufferSize> mFirmwareBuffer{};
    int mFirmwareLength = 0;
    ushort mFirmwareFrameNo = 0;
    quint32 mFirmwareEndFirst = 0;
    quint32 mFirmwareEndSecond = 0;

    // Holding members.
    QSharedPointer<KEYBOARD_PRODUCT_INFO> mProductInfo;
    QSharedPointer<KEYBOARD_PARAMS> mWholeParam;

    // Holding members of the advanced-key, macro and calibration commands.
    static constexpr int MacroCount = 10;
    static constexpr uchar ReportCalibrationReply = 0xD3;
    HighKeyList mHighKeyList;
    HIGH_KEY_INFO mHighKeyInfo;
    uchar mMacroIndex = 0;
    std::array<MacroList, MacroCount> mMacroList;
    bool mCalibrationSwitch = false;
    QMap<uchar, uchar> mCalibrationMap;
    QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> mAlignList;
    QMap<uchar, ushort> mCalibrationAdcMap;
    // --- Profiles, lighting, key layers, travel settings ---
    QList<KeyFrame> mKeyFrames; // frames of the per-key block in flight

    // Profiles.
    ConfigList mConfigList;
    uchar mConfigIndex = 0;
    uchar mSetConfigIndex = 0;
    QString mSetConfigName;

    // Per-key lighting: the colours read or written whole, and the one colour given to a list of keys.
    CustomLightMap mCustomLightMap;
    KEYBOARD_EFFECT_LIGHT mCustomLightInfo;
    QList<uchar> mCustomLightKeys;

    // Lighting effects. The one-effect write keeps its record apart from the per-key colour, so
    // that neither copy sees the other's data.
    EffectLightNameMap mEffectLightNameMap;
    uchar mEffectLightIndex = 0xFF;
    EffectLightMap mEffectLightMap;
    KEYBOARD_EFFECT_LIGHT mEffectLightInfo;
    uchar mSelectEffectIndex = 0;

    // Key layers.
    uchar mLayer = 0;
    KeyInfoMap mKeyMap;
    KeyInfoMap mFn1KeyMap;
    QList<uchar> mDefaultKeyList;

    // Travel settings.
    TriggerMap mTriggerMap;
    KEYBOARD_TRIGGER_INFO mTriggerInfo;
    QList<uchar> mTriggerKeys;
    QList<QSharedPointer<KEYBOARD_TRIGGER_INFO>> mQuickTriggerList;
};

extern QSharedPointer<UsbCommunicateUtil> gUsbCommunicateUtil;
