#include "widgets/QCustomProgressDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayoutItem>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

QCustomProgressDialog::QCustomProgressDialog(const QString &labelText,
                                             const QString &cancelButtonText, int minimum,
                                             int maximum, bool showProgressBar, QWidget *parent)
    : QProgressDialog(labelText, cancelButtonText, minimum, maximum, parent)
{
    setCancelButton(nullptr);

    mProgressBar = findChild<QProgressBar *>(QString(), Qt::FindDirectChildrenOnly);
    if (mProgressBar) {
        mProgressBarVisible = showProgressBar;
        mProgressBar->setVisible(showProgressBar);
        connect(mProgressBar, &QProgressBar::valueChanged, this,
                &QCustomProgressDialog::onValueChanged);
    }

    mCancelButton = new QPushButton(cancelButtonText.isEmpty() ? tr("取消") : cancelButtonText, this);
    connect(mCancelButton, &QPushButton::clicked, this, &QProgressDialog::cancel);
    connect(mCancelButton, &QPushButton::clicked, this, &QCustomProgressDialog::cancelClicked);

    buildLayout(findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly));
}

void QCustomProgressDialog::buildLayout(QLabel *label)
{
    if (QLayout *old = layout()) {
        while (QLayoutItem *item = old->takeAt(0))
            delete item;
        delete old;
    }

    mContainer = new QWidget(this);
    auto *column = new QVBoxLayout(mContainer);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(15);
    const auto addCentred = [column](QWidget *widget) {
        auto *row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(widget);
        row->addStretch();
        column->addLayout(row);
    };
    if (label)
        addCentred(label);
    column->addStretch();
    if (mProgressBar) {
        // Always laid out, so that showing it later puts it in place; hidden it takes no room.
        mProgressBar->setMinimumHeight(25);
        mProgressBar->setTextVisible(true);
        auto *row = new QHBoxLayout;
        row->addWidget(mProgressBar);
        column->addLayout(row);
    }
    column->addStretch();
    addCentred(mCancelButton);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(mContainer);
}

// The base dialog places its label and bar by hand on every resize; the layout above puts them
// back where it wants them.
void QCustomProgressDialog::applyLayout()
{
    if (!mContainer || !mContainer->layout())
        return;
    mContainer->layout()->invalidate();
    mContainer->layout()->activate();
}

void QCustomProgressDialog::resizeEvent(QResizeEvent *event)
{
    QProgressDialog::resizeEvent(event);
    applyLayout();
}

void QCustomProgressDialog::setProgressBarVisible(bool visible)
{
    if (!mProgressBar)
        return;
    mProgressBarVisible = visible;
    mProgressBar->setVisible(visible);
}

bool QCustomProgressDialog::isProgressBarVisible() const
{
    return mProgressBarVisible;
}

void QCustomProgressDialog::onValueChanged(int value)
{
    Q_EMIT progressValueChanged(value);
}
