#pragma once
#include <QPointer>
#include <QSharedPointer>
#include <QWidget>

#include <functional>
#include <memory>

class FileDownloadUtil;
class QCustomProgressDialog;
class QGridLayout;
class QScrollArea;
class QThread;
class QTemporaryDir;
class QUrl;
class SyncConfigUtil;

// The device page (stack index 0), where a keyboard gets connected: it opens the link of the
// chosen communication type (USB when a supported interface is attached, Bluetooth after a
// discovery), reads the keyboard's configuration, initialises the keyboard model from the product
// database, fetches what is missing from the update server (the model's resource package, or a
// newer product database, at most once in three days) and opens the key page. Every failure on
// the way is a toast, every wait one progress box.
class DeviceManageForm : public QWidget
{
    Q_OBJECT
public:
    explicit DeviceManageForm(QWidget *parent = nullptr);
    ~DeviceManageForm() override;

    // Rebuilds the page; with open the link of the chosen communication type is opened. The main
    // window passes false at creation and on unplugging, true when the page is entered, a
    // supported keyboard is plugged in or the communication type changes.
    void repaintInterface(bool open);
    // The page stops being the current page: the prompt box closes.
    void exitInterface();
    void closePromptBox();

    // The progress box shown now, or null.
    QCustomProgressDialog *promptBox() const;
    // The configuration read under way, or null.
    SyncConfigUtil *syncWorker() const;
    // A downloaded file is being taken in (a product database checked, a resource package unpacked)
    // on a worker thread, and the page waits for it.
    bool downloadWorkRunning() const;
    // Tells whether other work (a read, an import, an export, a transfer) holds the keyboard. A
    // wireless keyboard that connects meanwhile is read once that work has ended (takeKeptRead),
    // unless it has gone by then.
    void setOtherWorkCheck(std::function<bool()> busy);
    void takeKeptRead();
    // The link refused a write while the work ran: a kept read would fail at once, and is not made.
    void dropKeptRead() { mReadKept = false; }
    // Closes the link. The read under way (its box with it), a kept read and the work on a
    // downloaded file were for the keyboard on it: they go without a word.
    void closeLink();
    // The link is up and its keyboard still there (on USB: a supported interface is attached).
    bool keyboardReachable() const;

Q_SIGNALS:
    // A configuration read of this page started (true) or ended (false).
    void keyboardBusyChanged(bool busy);
    // A read ended while the key page was shown already: the window draws what was read.
    void keyPageRead();

public Q_SLOTS:
    void refreshLanguageUi();
    // A card was pressed; type 0 ("open device") opens the link anew.
    void grid_Layout_Clicked(int flag, int row, int col);
    // Progress and outcome of the configuration read.
    void sync_config_result(bool status, int value);

private Q_SLOTS:
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onDownloadFinished(int type, QString filePath);
    void onUpdateError(int type, QString error);
    void ble_discovery_finished(bool flag);
    void protocol_device_connected();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_connect_wireless_device(uchar state);
    void protocol_device_disconnected();

private:
    void buildForm();
    void buildGrid();
    void openLink();
    // Opens the link of type (0 USB, 1 Bluetooth) through the protocol.
    void openCommunicate(int type);
    void displayPromptBox(const QString &text);
    void displayBluetoothSearchPromptBox();
    void showPromptBox(QCustomProgressDialog *box);
    void stopBluetoothSearch();
    void synchConfiguration();
    void releaseWorker();
    // After a read (or a fresh product database): initialise the model and go on to the product's
    // resources; a product missing from the database fetches a new one when allowed.
    void initializeProduct(bool databaseFresh);
    // The model knows its product: open the key page, fetching the resource package first when
    // the product's folder is missing.
    void openProduct();
    void showKeyPage();
    // Downloads url as fileName into a private temporary folder. A download already under way is
    // left alone and this one fails at once. A resource package remembers the product it is for.
    void startDownload(int type, const QUrl &url, const QString &fileName, const QString &packageFolder = QString(),
                       ushort packageSerial = 0);
    // A download failed or could not start: the prompt box goes and the user is told.
    void reportDownloadFailure();
    // Whether the keyboard model describes the product a resource package was fetched for.
    bool modelIsPackageProduct(const QString &folder, ushort serialNumber) const;
    // The link is up and no new read has begun on it: the connection a download was for goes on.
    bool connectionGoesOn() const;
    // Runs work on a downloaded file (in folder) on a worker thread, the download's box staying
    // meanwhile; work tells why it failed, empty when it did not. done then gets that on this
    // thread, the box closed, unless the page has stopped waiting: the link went or came anew, a
    // keyboard was unplugged or a new connection began (repaintInterface), the page was left, or
    // newer work began.
    void takeInDownload(std::shared_ptr<QTemporaryDir> folder, std::function<QString()> work,
                        std::function<void(const QString &)> done);
    // The page no longer waits for the work under way: it is asked to stop, its result dropped.
    void dropDownloadWork();
    // On closing: every worker is asked to stop and waited for.
    void endDownloadWork();
    void closeDownloadWorkBox();
    // Closes the link and forgets the keyboard after a connection that cannot go on.
    void abandonConnection(const QString &toast);
    // The link is gone or cannot be opened: closed, USB chosen again, the device page shown.
    void returnToUsb();
    void showToast(const QString &text);

    QScrollArea *mScrollArea = nullptr;
    QWidget *mScrollContents = nullptr;
    QWidget *mGridWidget = nullptr;
    QGridLayout *mGridLayout = nullptr;

    QPointer<QCustomProgressDialog> mPromptBox;
    SyncConfigUtil *mSyncConfig = nullptr;
    std::function<bool()> mOtherWork;
    bool mReadKept = false;
    QSharedPointer<FileDownloadUtil> mDownloader;
    // The private folder of the download under way; for a resource package, the product folder it
    // is unpacked into and the product's serial number, as chosen when the download started.
    std::unique_ptr<QTemporaryDir> mDownloadDir;
    QString mPackageFolder;
    ushort mPackageSerial = 0;
    // The work the page waits for, and every worker still running, those dropped included.
    QThread *mDownloadWork = nullptr;
    QList<QThread *> mDownloadWorkers;
    // The box of the download whose file the work takes in.
    QPointer<QCustomProgressDialog> mDownloadWorkBox;
    // A Bluetooth discovery started by this page is running.
    bool mSearching = false;
};
