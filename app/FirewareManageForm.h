#pragma once
#include <QList>
#include <QPointer>
#include <QSharedPointer>
#include <QWidget>

#include "model/KeyboardRecords.h"

class FirewareDownloadThread;
class QGridLayout;
class QProgressDialog;
class QScrollArea;

// The firmware page (stack index 9): one tile per product of the product database; a press on a
// tile writes that product's firmware image into the attached keyboard at once, under an
// application-modal progress dialog. The main window closes the device link before it shows the
// page; while the page is shown, and while a flashing started from it still runs, the device page
// leaves the link alone (gEntryBootFirewareFlag), so that the flashing can open the keyboard.
// A running flashing goes on when the page is left, and when a keyboard interface goes away
// unless it is the one being written: a keyboard stopped half-way would be left half-written.
class FirewareManageForm : public QWidget
{
    Q_OBJECT
public:
    explicit FirewareManageForm(QWidget *parent = nullptr);
    // A running flashing is stopped and waited for.
    ~FirewareManageForm() override;

    // The page is shown: the device page leaves the link alone, and the tiles are built anew
    // from the product database.
    void repaintInterface();
    // The page is left: the progress dialog closes, a running flashing goes on and still tells
    // its outcome; once no flashing runs any more the device page may open the link again.
    void exitInterface();
    // A keyboard interface went away (hot-plug notice). True when a flashing runs: it checks
    // whether that was its own interface, and ends with ErrorDeviceGone if it was.
    bool noticeDeviceRemoved();

    // Paths of a product's files in the data folder (empty for an unsafe folder name).
    static QString getFirewareFileName(const QString &folder);
    static QString getProductImages(const QString &folder);

    // The progress dialog of the flashing under way, or null.
    QProgressDialog *progressDialog() const;
    // Whether a flashing has started and not yet made its final report.
    bool isFlashing() const;
    // How long a worker waits for each reply (the worker's default unless changed; for tests).
    void setReplyTimeout(int ms);

public Q_SLOTS:
    void refreshLanguageUi();

private Q_SLOTS:
    void grid_Layout_Clicked(bool flag, int row, int col);
    void fireware_download_result(bool status, int value);

private:
    void buildForm();
    void initGridLayout();
    void removeGridLayout();
    void openProgressDialog();
    void closeProgressDialog();
    // Lets go of the current worker: it no longer reports here and deletes itself once its
    // thread has ended.
    void releaseWorker();
    // A worker's thread ended: the device page may open the link again when the page is left.
    void workerFinished();
    void releaseLinkWhenIdle();
    void showToast(QWidget *parent, const QString &text, int ms);

    QScrollArea *mScrollArea = nullptr;
    QWidget *mScrollContents = nullptr;
    QGridLayout *mGridLayout = nullptr;

    QList<QSharedPointer<PRODUCT_INFO>> mProductList;
    QPointer<QProgressDialog> mProgressDialog;
    QPointer<FirewareDownloadThread> mFirewareThread;
    // Workers whose thread may still run (the current one and released ones).
    QList<QPointer<FirewareDownloadThread>> mWorkers;
    // A flashing has started and not yet made its final report.
    bool mFlashing = false;
    // Counts the flashings started, so that a late timer knows whether its flashing is still the current one.
    int mFlashId = 0;
    bool mShown = false;
    int mReplyTimeoutMs = 0;
};

// Set while the firmware page is shown and while a flashing started from it runs: the device
// page then neither opens nor closes the device link (the flashing opens the keyboard by itself).
extern bool gEntryBootFirewareFlag;
