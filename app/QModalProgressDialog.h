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
};
