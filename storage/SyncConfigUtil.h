#pragma once
// Reads the connected keyboard's whole configuration through the command protocol, block by
// block, and when every block has arrived has the protocol copy it all into the keyboard model.
// The read is a chain of requests driven by the protocol's reply signals on the main thread.
//
// Use: construct, connect sync_config_result, then startSync(). The result comes exactly once:
// (true, 100) after the final copy, or (false, error) on a failure; progress (true, 0..99) after
// each reply before that.

#include <QObject>
#include <QString>

class SyncConfigUtil : public QObject
{
    Q_OBJECT
public:
    // Where a read starts.
    enum Scope : uchar {
        ScopeProductInfo = 0, // identity, profiles, then everything else
        ScopeConfigInfo = 1,  // profiles, then everything else
        ScopeWholeParam = 2,  // board parameters, then everything else
    };
    static constexpr uchar TypeKeyboard = 1;
    static constexpr uchar Source = 1; // source byte of every request of the read

    SyncConfigUtil(uchar type, uchar scope, int progress, const QString &fileName, QObject *parent = nullptr);
    ~SyncConfigUtil() override;

    // Sends the first request of the chain. Call it after connecting to sync_config_result.
    // A read whose first request cannot even be sent (no open link) reports (false, -200).
    void startSync();

    bool isFinished() const { return mFinished; }

Q_SIGNALS:
    void sync_config_result(bool status, int value);

private Q_SLOTS:
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_product_info(uchar source, int current, int total);
    void usb_receive_config_info(uchar source, int current, int total);
    void usb_receive_whole_param(uchar source, int current, int total);
    void usb_receive_custom_light(uchar source, int current, int total);
    void usb_receive_set_effect_light_language(uchar source, int current, int total);
    void usb_receive_effect_light(uchar source, int current, int total);
    void usb_receive_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_high_key(uchar source, int current, int total);
    void usb_receive_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_trigger_config(uchar source, int current, int total);

private:
    // The steps every reply slot shares: source check, progress, last-frame check. True when the
    // slot goes on with its step of the chain.
    bool acceptReply(const char *slot, uchar source, int current, int total);
    void finish(bool status, int value);
    void copyIntoModel();

    uchar mType = TypeKeyboard;
    uchar mScope = ScopeProductInfo;
    QString mFileName;
    int mProgress = 0;
    uchar mCurrentLayer = 0;
    uchar mCurrentMacroIndex = 0;
    bool mStarted = false;
    bool mFinished = false;
};
