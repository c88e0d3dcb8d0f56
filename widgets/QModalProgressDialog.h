#pragma once
#include <QPointer>
#include <QProgressDialog>

// The plain progress dialog of long operations: the label, no cancel button, range 0 to 100,
// application-modal and frameless, at least 300 wide, shown at once at 0. No parent: it stands
// over the whole application.
class QModalProgressDialog : public QProgressDialog
{
    Q_OBJECT
public:
    explicit QModalProgressDialog(const QString &label);

    // Closes the dialog held by dialog, if any, and schedules its deletion; dialog becomes null.
    static void release(QPointer<QProgressDialog> &dialog);
    // Shows the progress of a download in dialog: a busy bar while the size is unknown, else the
    // bytes received against the total (scaled when the total exceeds the bar's range).
    static void showTransfer(QProgressDialog *dialog, qlonglong bytesReceived, qlonglong bytesTotal);
};
