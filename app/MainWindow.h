#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QSharedPointer>
#include <QSystemTrayIcon>

class AlignSetForm;
class DeviceManageForm;
class FirewareManageForm;
class HidWatcher;
class HighKeyForm;
class InstanceServer;
class KeySetForm;
class LightSetForm;
class MacroSetForm;
class OtherSetForm;
class PerformanceSetForm;
class QMenu;
class QProgressDialog;
class QStackedWidget;
class QStandardItemModel;
class SystemSetForm;
class SyncConfigUtil;
class ConfigWriteDatabase;
class ImportConfigUtil;
class UsbCommunicateUtil;
class QItemSelection;

namespace Ui {
class MainWindow;
}

// The application's only window: a frameless window with the navigation column on the left and
// the page stack on the right. It creates the ten pages, runs every page switch (leave hook of
// the old page, entry hook of the new one), shows the left column's widgets per page, reacts to
// USB hot-plug notices, carries the USB/Bluetooth choice, the title-bar buttons, the tray icon and
// the local server through which a second start brings the window back.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Stack indices of the pages.
    enum Page {
        DevicePage = 0,
        SettingsPage = 1,
        KeyPage = 2,
        LightPage = 3,
        HighKeyPage = 4,
        MacroPage = 5,
        PerformancePage = 6,
        AlignPage = 7,
        OtherPage = 8,
        FirewarePage = 9,
        PageCount = 10,
    };
    // mPageIndex before the first page switch.
    static constexpr int NoPage = 200;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The stack index of the page last entered through a page switch (NoPage before the first).
    int pageIndex() const;

    // Before another program takes this one's place (restart, update): this program stops being the
    // running instance, so that the new one, started while this one is still on its way out, does
    // not hand over to it. The shared-memory segment is released and the local server closed.
    void releaseRunningInstance();
    // The new program could not be started: this one takes the role back and runs on.
    void claimRunningInstance();

    // Work that holds the keyboard: a configuration read (the device page's or the profile
    // list's), an import, an export, a firmware transfer, a profile request awaiting its answer.
    // The holder is any object that stands for its work and says when the work starts and ends.
    // While any work runs, the keyboard's notice that its active profile changed is kept; once
    // the last has ended and a keyboard page shows, one re-read follows, so that no read ever
    // runs beside another.
    void setKeyboardBusy(const QObject *holder, bool busy);
    bool isKeyboardBusy() const;

public Q_SLOTS:
    // The language changed: re-apply the window's texts and read the tooltip texts of the new
    // language (this runs before the pages refresh themselves).
    void refreshLanguageUi();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

    // Ends everything that relies on the connected keyboard, in an order that leaves no worker
    // and no dialog behind a reset model: the pages' dialogs close as cancelled, the device link
    // is closed, the workers are stopped, the progress dialog is closed, and only then is the
    // keyboard model emptied. An import cut short says it failed; an export, which needs the
    // keyboard no more, runs on to its result.
    void releaseDevice();
    // Stops the workers that rely on the keyboard, the profile re-read and the import: each is
    // disconnected from the window and, when it runs a thread, that thread is waited for before it
    // is destroyed.
    virtual void stopWorkers();
    // Whether the desktop has a system tray to keep the window's icon in (many have none).
    virtual bool systemTrayAvailable() const;
    // The window's one progress dialog: label, no cancel button, range 0 to 100, application-
    // modal and frameless, shown at once at 0. A previous dialog is closed first.
    void openProgressDialog(const QString &label);
    void closeProgressDialog();
    QProgressDialog *progressDialog() const;

private Q_SLOTS:
    void stackedWidgetChange(int index);

    void on_minButton_clicked();
    void on_maxButton_clicked();
    void on_exitButton_clicked();
    void on_deviceButton_clicked();
    void on_firewareButton_clicked();
    void on_settingButton_clicked();
    void on_main_usb_radio_clicked();
    void on_main_ble_radio_clicked();

    // Hot-plug notices of the supported keyboard; the text is not used.
    void deviceConnected(const QString &deviceInfo);
    void deviceDisconnected(const QString &deviceInfo);
    // The Bluetooth link dropped.
    void protocol_device_disconnected();
    // A file transfer of the maintenance page started or ended: meanwhile nothing else writes to
    // the keyboard, so the profile list is held and hot-plug notices wait for its end.
    void keyboardTransferRunning(bool running);

    void onTrayIconActivated(QSystemTrayIcon::ActivationReason reason);

    // The profile list and its commands.
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onConfigNameEdited(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void on_addButton_clicked();
    void on_deButton_clicked();
    void on_importButton_clicked();
    void on_exportButton_clicked();
    void usb_receive_switch_config_table(uchar source, int current, int total);
    void usb_receive_add_config_table(uchar source, int current, int total);
    void usb_receive_del_config_table(uchar source, int current, int total);
    void usb_receive_set_config_info(uchar source, int current, int total);
    void usb_receive_config_change(uchar source, uchar type, uchar item);
    void usb_communicate_error(uchar source, uchar order, int error);
    void sync_config_result(bool status, int value);
    void config_write_result(bool status, int value);
    void import_config_result(bool status, int value);

private:
    void createPages();
    // The profile list: model, delegate, selection and edit behaviour, and the keyboard's replies.
    void setupProfileList();
    // Rebuilds the profile list from the keyboard model and selects row when it exists.
    void initializeListView(int row);
    void selectListRow(int row);
    // Single selection, or none while a profile operation runs.
    void setListSelectable(bool selectable);
    // The list shows the keyboard's active profile again.
    void returnToActiveProfile();
    // Ends live calibration reporting, then sends the profile request for index (source 2,
    // waiting for the reply) a moment later; the list takes no choice meanwhile.
    void sendProfileRequest(void (UsbCommunicateUtil::*request)(const uchar &, const bool &, const uchar &),
                            uchar index);
    // True for replies to this window's requests (source 2); others are logged.
    bool isOwnReply(const char *slot, uchar source) const;
    // Reads the profile list and everything after it again under the progress dialog.
    void synchConfiguration();
    // A kept change notice is acted on when no work holds the keyboard and a keyboard page shows.
    void takeKeptNotice();
    // A maintenance-page transfer holds the keyboard.
    bool isTransferRunning() const;
    // Stops the export as stopWorkers stops the others.
    void stopExport();
    // After the re-read that followed an unanswered add, delete or rename: whether the keyboard acted.
    bool keyboardActed(uchar order) const;
    // After a re-read or an import: the list, the model's active profile and the current page
    // follow the keyboard.
    void refreshAllInterface();
    // The list is rebuilt with the keyboard's active profile selected; an active profile beyond
    // the listed ones (a keyboard with empty name slots) gives way to the last row.
    void followActiveProfile();
    void showToast(const QString &text);
    // Shows the left column's widgets for the page at index.
    void displayConfigItem(int index);
    void initializeSystemTray();
    // The tray menu's texts in the current language.
    void retranslateTrayMenu();
    // The left column's tooltips from the tooltip texts of the current language.
    void applyToolTips();
    void setupLogo();
    // Hot-plug notices are ignored while a Bluetooth link is up (false, ignoredLine logged);
    // otherwise takenLine is logged and the device is given a moment to settle.
    bool takeHotPlugNotice(const char *ignoredLine, const char *takenLine);
    // The user picked USB (0) or Bluetooth (1): a new choice closes the link, is stored, and the
    // device page connects again.
    void chooseCommType(int type);
    // Redraws the editing page (keys to maintenance) at index from the keyboard model; false for
    // the other pages.
    bool repaintEditingPage(int index);
    // Makes index current in the page stack unless it is already.
    void showPage(int index);
    // Restores the window from the tray, the taskbar or a second start.
    void restoreWindow();
    // The local server through which a second start brings this window back.
    void listenForSecondStarts();
    void closeInstanceServer();

    Ui::MainWindow *ui = nullptr;

    DeviceManageForm *mDeviceForm = nullptr;
    SystemSetForm *mSystemForm = nullptr;
    KeySetForm *mKeyForm = nullptr;
    LightSetForm *mLightForm = nullptr;
    HighKeyForm *mHighKeyForm = nullptr;
    MacroSetForm *mMacroForm = nullptr;
    PerformanceSetForm *mPerformanceForm = nullptr;
    AlignSetForm *mAlignForm = nullptr;
    OtherSetForm *mOtherForm = nullptr;
    FirewareManageForm *mFirewareForm = nullptr;

    QMenu *mTrayMenu = nullptr;
    QSystemTrayIcon *mTrayIcon = nullptr;
    InstanceServer *mLocalServer = nullptr;
    QStandardItemModel *mConfigModel = nullptr;

    int mConfigRow = -1;
    QString mConfigName;
    QPointer<SyncConfigUtil> mSyncConfig;
    QPointer<ConfigWriteDatabase> mConfigWrite;
    QPointer<ImportConfigUtil> mImportConfig;
    int mPageIndex = NoPage;
    QPointer<QProgressDialog> mProgressDialog;

    QSet<const QObject *> mBusyHolders;
    // The keyboard's change notice that came while it was busy, with the profile it named.
    bool mNoticeKept = false;
    int mKeptNoticeItem = 0;
    // The reply code of an add, delete or rename that got no answer (0 for none), and the profile
    // count when it was sent: the re-read after it shows whether the keyboard acted.
    uchar mUnansweredOrder = 0;
    int mProfilesBeforeRequest = 0;
    // The row whose name was last edited (mConfigName is the name typed).
    int mRenamedRow = 0;

    QSharedPointer<HidWatcher> mHidWatcher;
    // Hot-plug notices that came during a maintenance-page transfer.
    bool mHeldPlug = false;
    bool mHeldUnplug = false;
};

// The main window's page stack; pages switch pages through it by the indices of MainWindow::Page.
extern QStackedWidget *gStackedWidget;
// Set by F12 on the settings page: the main window then shows its firmware button on the device,
// settings and firmware pages.
extern bool gBootFirewareScreenFlag;
