#include "pages/tuning/TravelSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <cmath>

TravelSlider::TravelSlider(QWidget *parent) : QSlider(parent) {}

void TravelSlider::mousePressEvent(QMouseEvent *event)
{
    QSlider::mousePressEvent(event);
    positionAt(event->position(), 0);
}

void TravelSlider::mouseMoveEvent(QMouseEvent *event)
{
    QSlider::mouseMoveEvent(event);
    positionAt(event->position(), 1);
}

void TravelSlider::mouseReleaseEvent(QMouseEvent *event)
{
    QSlider::mouseReleaseEvent(event);
    positionAt(event->position(), 2);
}

void TravelSlider::positionAt(const QPointF &position, int type)
{
    const bool horizontal = orientation() == Qt::Horizontal;
    const double along = std::round(horizontal ? position.x() : position.y());
    const int length = horizontal ? width() : height();
    const double ratio = length > 0 ? qBound(0.0, along / length, 1.0) : 0.0;
    const int value = int(minimum() + double(maximum() - minimum()) * ratio);
    setValue(value);
    Q_EMIT customSliderClicked(type, value);
}

void TravelSlider::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.end();
    QSlider::paintEvent(event);
}
