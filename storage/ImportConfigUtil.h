#pragma once
// Import worker: reads an encrypted configuration file made for the connected keyboard's model,
// writes it whole into the keyboard's active profile through the command protocol (source 3)
// and, once the keyboard has confirmed every block, copies it into the keyboard model.
//
// Only the decryption and the reading of the file run on the worker thread. Every request to the
// keyboard, the copies into the model and the final result run on the object's own thread (the
// main thread, where the command protocol lives), driven by the protocol's reply signals.
//
// Use, on the main thread: construct (this notes the connected keyboard's product), connect
// import_config_result, then start() (once). Reports (true, 3..99) progress, then exactly one final
// result, delivered from the event loop so that the receiver may dispose of the worker at once:
// (true, 100) when the keyboard and the model hold the file's configuration, or (false, code):
// -21..-32 for a file that cannot be used (nothing was sent: keyboard and model are untouched),
// or the protocol's error (-1, -2, -3, -4, -200, a Bluetooth code). After a failure for which
// isKeyboardWritten() is true the keyboard holds part of the file while the model is unchanged,
// but for the macros the keyboard has already cleared (its answer empties them in the model too):
// the caller reads the configuration again (SyncConfigUtil, ScopeConfigInfo).
//
// After (true, 100) the model holds what a fresh read of the keyboard would give: a macro the file
// holds empty is cleared on the keyboard, the advanced-key table is written whole (free slots
// where the file names none), and the per-key blocks, which the keyboard only ever updates key by
// key, change in the model for the keys the file holds and stay as they were for the others.

#include "storage/ConfigFileContent.h"

#include <QString>
#include <QThread>
#include <QTimer>

#include <atomic>

class ImportConfigUtil : public QThread
{
    Q_OBJECT
public:
    static constexpr uchar Source = 3;

    explicit ImportConfigUtil(QString fileName, QObject *parent = nullptr);
    ~ImportConfigUtil() override;

    // True once a request that changes the keyboard has been sent.
    bool isKeyboardWritten() const { return mKeyboardWritten; }
    // True once the final result is out (or queued to go out).
    bool hasResult() const { return mFinished; }

Q_SIGNALS:
    void import_config_result(bool status, int value);

protected:
    void run() override;

private Q_SLOTS:
    void onReadFinished();
    void onReplyWatchTimeout();
    void usb_communicate_error(const uchar &source, const uchar &order, const int &error);
    void usb_receive_set_config_info(const uchar &source, const int &current, const int &total);
    void usb_receive_config_info(const uchar &source, const int &current, const int &total);
    void usb_receive_set_whole_param(const uchar &source, const int &current, const int &total);
    void usb_receive_set_custom_light_all(const uchar &source, const int &current, const int &total);
    void usb_receive_set_effect_light_all(const uchar &source, const int &current, const int &total);
    void usb_receive_set_keyboard_config(const uchar &source, const int &current, const int &total, const uchar &layer);
    void usb_receive_set_high_key(const uchar &source, const int &current, const int &total);
    void usb_receive_set_macro_config(const uchar &source, const int &current, const int &total, const uchar &index);
    void usb_receive_del_macro_config(const uchar &source, const int &current, const int &total, const uchar &index);
    void usb_receive_set_trigger_config_all(const uchar &source, const int &current, const int &total);

private:
    void refreshPorgress(int step);
    // Source check and progress for a reply; true when its block is complete.
    bool acceptReply(const char *slot, uchar source, int current, int total);
    void finish(bool status, int value);
    void macroWritten(const char *slot, uchar source, int current, int total);
    void copyIntoModel();

    // The steps of the chain, in order.
    void sendModifyConfigInfo();
    void sendGetConfigInfo();
    void sendWholeConfigData();
    void sendCustomLightData();
    void sendEffectLightData();
    void sendKeyboardKeyData();
    void sendHighKeyData();
    void sendMacroData();
    void sendTriggerData();

    QString mFileName;
    int mSerialNumber;     // product of the connected keyboard, noted at construction
    int mReadResult = 0;   // outcome of the file read, set by the worker thread
    ConfigFileContent mContent;
    int mProgress = 0;
    uchar mLayerStep = 0;
    uchar mMacroStep = 0;
    int mHighKeysSent = 0; // records of the advanced-key table write, free slots included
    std::atomic<bool> mFileRead{false}; // the file is read by the first start() only
    bool mChainStarted = false;
    bool mKeyboardWritten = false;
    bool mFinished = false;
    // The profile-name requests go without the protocol's reply timer; this ends a wait for them.
    QTimer mReplyWatch;
};
