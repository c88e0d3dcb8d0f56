#include "app/QToastBox.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

QToastBox::QToastBox(QWidget *parent, const QString &text, int ms)
    : QDialog(parent), mLabel(new QLabel(text, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    mLabel->setAlignment(Qt::AlignCenter);
    mLabel->setStyleSheet(QStringLiteral(
        "color: rgb(78,89,105); background: rgb(255,255,255); border-radius: 12px; "
        "border: 1px solid rgb(255,105,0); padding: 15px;"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mLabel);

    // Accepting closes the dialog, which deletes it.
    QTimer::singleShot(ms, this, &QDialog::accept);
}
