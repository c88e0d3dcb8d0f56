#include "widgets/QModalProgressDialog.h"

#include <climits>

QModalProgressDialog::QModalProgressDialog(const QString &label) : QProgressDialog(label, QString(), 0, 100, nullptr)
{
    setMinimumWidth(300);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setMinimumDuration(0);
    setValue(0);
    show();
}

void QModalProgressDialog::release(QPointer<QProgressDialog> &dialog)
{
    if (!dialog)
        return;
    QProgressDialog *closing = dialog;
    dialog = nullptr;
    closing->close();
    closing->deleteLater();
}

void QModalProgressDialog::showTransfer(QProgressDialog *dialog, qlonglong bytesReceived, qlonglong bytesTotal)
{
    if (!dialog)
        return;
    if (bytesTotal <= 0) {
        dialog->setRange(0, 0);
        return;
    }
    // The bar counts in int; large totals are shown in coarser steps.
    while (bytesTotal > INT_MAX) {
        bytesTotal /= 1024;
        bytesReceived /= 1024;
    }
    dialog->setMaximum(int(bytesTotal));
    dialog->setValue(int(qBound<qlonglong>(0, bytesReceived, bytesTotal)));
}
