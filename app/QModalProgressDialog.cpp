#include "app/QModalProgressDialog.h"

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
