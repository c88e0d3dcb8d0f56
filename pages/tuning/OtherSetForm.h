#pragma once
// The maintenance page (stack index 8): the keyboard's firmware version, a firmware update from
// the update server ("/normal/<model>/firmversion.xml" describes it: version, description, MD5
// digest, address of the image), a firmware data file chosen by the user, and the factory reset.
//
// A newer firmware (versions compared as hexadecimal nibbles) is offered, downloaded into a
// private temporary folder, checked against its digest and, when the user agrees, flashed through
// the command protocol (FirewareTransfer); so is a data file. Every long operation shows the one
// application-modal progress box, and every way it ends closes that box. Requests carry source 10.
// A transfer that has begun to send goes on to its end even when the page is left: a keyboard
// left with half a firmware would not work; keyboardTransferRunning tells the window meanwhile.

#include "storage/UpdateChecker.h"

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include <memory>

class DownloadManager;
class FirewareTransfer;
class PageTitleBar;
class QLabel;
class QPushButton;
class QTemporaryDir;

class OtherSetForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr uchar Source = 10; // source byte of the page's requests

    explicit OtherSetForm(QWidget *parent = nullptr);
    ~OtherSetForm() override;

    // The page becomes the current page: the keyboard's firmware version is shown.
    void repaintInterface();
    // The page stops being the current page (or the keyboard went away): a running update check,
    // download or reset is given up and its progress box closed; a transfer goes on with its box.
    void exitInterface();

    // The progress box of the operation that runs, or null.
    QProgressDialog *progressDialog() const { return mProgressDialog; }
    FirewareTransfer *transfer() const { return mTransfer; }

Q_SIGNALS:
    // A transfer began to send (true) or ended (false): nothing else may write to the keyboard
    // in between.
    void keyboardTransferRunning(bool running);

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

    void onUpdateAvailable(VersionInfo info);
    void onUpdateError(QString error);
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    // A downloaded firmware image: checked against the offered digest, then flashed if the user
    // wants it.
    void onDownloadFinished(QString filePath);

private Q_SLOTS:
    void on_syncFireBtn_clicked();
    void on_resetBtn_clicked();
    void on_fireDataBtn_clicked();

    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_reset_keyboard(uchar source, int current, int total);

private:
    void buildForm();
    void showVersion();
    void startFlashing(const QString &filePath);
    void startTransfer(int kind, const QString &filePath);
    void transferFinished(bool ok);
    void sendKeyboardReset();
    void openProgress(const QString &label);
    void closeProgress();
    // A toast over the page, or over another widget (the window, when the page was left).
    void showToast(const QString &text, QWidget *over = nullptr);
    void showInformation(const QString &text);
    // A job runs (check, download, transfer or reset): the buttons start nothing new.
    bool busy() const;

    PageTitleBar *mTitleBar = nullptr;
    QLabel *mVersionLabel = nullptr;
    QPushButton *mSyncButton = nullptr;
    QLabel *mNewFireLabel = nullptr;
    QPushButton *mNewFireButton = nullptr;
    QLabel *mResetTitleLabel = nullptr;
    QPushButton *mResetButton = nullptr;
    QLabel *mResetPromptLabel = nullptr;
    QLabel *mDataTitleLabel = nullptr;
    QPushButton *mDataButton = nullptr;

    UpdateChecker *mUpdateChecker = nullptr;
    DownloadManager *mDownloadManager = nullptr;
    FirewareTransfer *mTransfer = nullptr;
    VersionInfo mVersionInfo;
    std::unique_ptr<QTemporaryDir> mDownloadDir;
    QPointer<QProgressDialog> mProgressDialog;
    bool mShown = false;
    bool mChecking = false;
    bool mResetFlag = false;
};
