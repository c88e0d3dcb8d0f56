#include "widgets/QToastBox.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

QToastBox::QToastBox(QWidget *parent, const QString &text, int ms)
    : QDialog(parent), mLabel(new QLabel(text, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    // Its looks come from the theme's style sheet.
    mLabel->setObjectName(QStringLiteral("toastLabel"));
    mLabel->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mLabel);

    // Accepting closes the dialog, which deletes it.
    QTimer::singleShot(ms, this, &QDialog::accept);
}
