#include "app/QDeviceAddWidget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

QDeviceAddWidget::QDeviceAddWidget(int row, int col, QWidget *parent)
    : QWidget(parent), mRow(row), mCol(col), mTitleLabel(new QLabel(this)), mImageLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("QDeviceAddWidget"));
    resize(400, 296);
    setMinimumSize(400, 296);
    setMaximumHeight(296);

    mTitleLabel->setObjectName(QStringLiteral("titleLabel"));
    mTitleLabel->setGeometry(100, 177, 200, 24);
    mTitleLabel->setMinimumWidth(200);
    QFont font = mTitleLabel->font();
    font.setPointSize(9);
    mTitleLabel->setFont(font);
    mTitleLabel->setAlignment(Qt::AlignCenter);
    mTitleLabel->setText(tr("打开设备"));

    // The style sheet draws the picture into it.
    mImageLabel->setObjectName(QStringLiteral("imageLabel"));
    mImageLabel->setGeometry(167, 103, 64, 64);
    mImageLabel->setFixedSize(64, 64);
}

void QDeviceAddWidget::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}

void QDeviceAddWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT device_clicked(0, mRow, mCol);
    QWidget::mousePressEvent(event);
}
