#include "pages/keys/HighKeyCard.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

HighKeyCard::HighKeyCard(uchar slot, const QString &objectName, QWidget *parent) : QWidget(parent), mSlot(slot)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Form"));
    setMinimumWidth(350);
    setFixedHeight(50);
}

void HighKeyCard::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT high_key_clicked(Open, mSlot);
}

void HighKeyCard::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.end();
    QWidget::paintEvent(event);
}
