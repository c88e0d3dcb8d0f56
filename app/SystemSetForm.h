#pragma once
#include "storage/UpdateChecker.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DownloadManager;
class ProcessRunner;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QProgressDialog;
class QPushButton;
class QTemporaryDir;
class QThread;
class QToolButton;

// The settings page (stack index 1): the application's version with the update check, download
// and install; start with the system, minimise to the tray on close, the language; the theme and
// firmware-tool rows, built hidden. F12 opens the firmware page; "back" returns to the page the
// settings were opened from.
class SystemSetForm : public QWidget
{
    Q_OBJECT
public:
    // The application's own version and edition tag.
    static const char *const AppVersion;
    static const char *const EditionTag;

    explicit SystemSetForm(QWidget *parent = nullptr);
    ~SystemSetForm() override;

    // The page is shown; index is the stack index of the page it was opened from, the page that
    // "back" returns to.
    void repaintInterface(int index);
    void exitInterface();
    // The index last handed to repaintInterface (-1 before the page was first shown).
    int fromIndex() const;

    // The update the user was last offered, the download's progress dialog and the busy dialog
    // of the installation (each null when none).
    VersionInfo offeredUpdate() const;
    QProgressDialog *downloadDialog() const;
    QProgressDialog *installDialog() const;

    // Runs the external programs of the update installation and of the restart (a recording one
    // in tests).
    void setProcessRunner(std::shared_ptr<ProcessRunner> runner);

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // The shown page takes the keyboard focus unless one of its controls has it, so that its keys
    // (F12) reach it without the user first moving the focus.
    void showEvent(QShowEvent *event) override;

    // The page's questions to the user; replaced by tests.
    virtual bool askQuestion(const QString &title, const QString &text);
    virtual void showInformation(const QString &title, const QString &text);
    // Installs the verified package on a worker thread behind a busy application-modal dialog;
    // once the new program is in place it is started and this one quits. A failed installation
    // keeps the installed program and is reported with a toast.
    virtual void installUpdate(const QString &filePath);
    // Starts this program anew and quits (after a theme change).
    virtual void restartApplication();

private Q_SLOTS:
    void on_backButton_clicked();
    void on_appCheckBtn_clicked();
    void on_autoCheckBox_stateChanged(int state);
    void on_closeCheckBox_stateChanged(int state);
    void on_firewareCheckBox_stateChanged(int state);
    void on_langComboBox_currentIndexChanged(int index);
    void on_themeComboBox_currentIndexChanged(int index);
    void onUpdateAvailable(VersionInfo info);
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onDownloadFinished(QString filePath);
    void onUpdateError(QString error);
    void onCheckError(QString error);
    void onDownloadError(QString error);

private:
    void buildForm();
    void loadSettings();
    void retranslate();
    void refreshVersionText();
    void closeDownloadDialog();
    // The update check, download or installation has ended without a restart: the check button
    // is usable again and the private folder of the download goes.
    void endUpdateJob();
    void installFinished(bool installed, const QString &program, const QString &error);
    // Starts program in this one's place and quits. This program first stops being the running
    // instance; when the new one cannot be started it takes that back and runs on (false).
    bool startInPlace(const QString &program);
    void showToast(const QString &text);

    QWidget *mThemeRow = nullptr;
    QWidget *mFirewareRow = nullptr;
    QToolButton *mBackButton = nullptr;
    QLabel *mAppTitleLabel = nullptr;
    QPushButton *mAppCheckBtn = nullptr;
    QLabel *mAutoTitleLabel = nullptr;
    QCheckBox *mAutoCheckBox = nullptr;
    QLabel *mAutoPromptLabel = nullptr;
    QLabel *mCloseTitleLabel = nullptr;
    QCheckBox *mCloseCheckBox = nullptr;
    QLabel *mClosePromptLabel = nullptr;
    QLabel *mLangTitleLabel = nullptr;
    QComboBox *mLangComboBox = nullptr;
    QLabel *mLangPromptLabel = nullptr;
    QLabel *mThemeTitleLabel = nullptr;
    QComboBox *mThemeComboBox = nullptr;
    QLabel *mThemePromptLabel = nullptr;
    QLabel *mFirewareLabel = nullptr;
    QCheckBox *mFirewareCheckBox = nullptr;
    QLabel *mFirewarePromptLabel = nullptr;

    int mFromIndex = -1;
    QPointer<QProgressDialog> mDownloadDialog;
    QPointer<QProgressDialog> mInstallDialog;
    UpdateChecker *mUpdateChecker = nullptr;
    DownloadManager *mDownloadManager = nullptr;
    VersionInfo mOfferedUpdate;
    std::shared_ptr<ProcessRunner> mRunner;
    // The private folder the update is downloaded into, from the download to the installation's end.
    std::unique_ptr<QTemporaryDir> mUpdateDir;
    QThread *mInstallThread = nullptr;
};
