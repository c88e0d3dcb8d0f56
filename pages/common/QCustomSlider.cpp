#include "pages/common/QCustomSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtMath>

QCustomSlider::QCustomSlider(QWidget *parent) : QSlider(parent)
{
    mSettle.setSingleShot(true);
    mSettle.setInterval(StepSettleMs);
    connect(&mSettle, &QTimer::timeout, this, &QCustomSlider::settle);
}

QCustomSlider::Travel QCustomSlider::handleTravel() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (orientation() == Qt::Horizontal)
        return {groove.left() + handle.width() / 2.0, qreal(groove.width() - handle.width())};
    return {groove.top() + handle.height() / 2.0, qreal(groove.height() - handle.height())};
}

int QCustomSlider::valueAt(const QPointF &pos) const
{
    const Travel travel = handleTravel();
    if (travel.length <= 0 || maximum() <= minimum())
        return minimum();
    const qreal along = orientation() == Qt::Horizontal ? pos.x() : pos.y();
    const qreal ratio = qBound<qreal>(0, (along - travel.start) / travel.length, 1);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const qreal fromStart = option.upsideDown ? 1 - ratio : ratio;
    // In 64 bits: the span of a full int range does not fit an int.
    const qint64 span = qint64(maximum()) - minimum();
    return int(minimum() + qint64(qRound64(fromStart * span)));
}

void QCustomSlider::follow(int type, const QPointF &pos)
{
    const int value = valueAt(pos);
    setValue(value);
    Q_EMIT customSliderClicked(type, value);
}

void QCustomSlider::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (mDragging)
        return; // a second button during a gesture changes nothing
    // A gesture supersedes wheel or key steps still settling: its Release reports the end.
    mSettle.stop();
    mDragging = true;
    setSliderDown(true);
    follow(Press, event->position());
}

void QCustomSlider::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (mDragging)
        follow(Move, event->position());
}

void QCustomSlider::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!mDragging || event->buttons() != Qt::NoButton)
        return;
    mDragging = false;
    const int value = valueAt(event->position());
    setValue(value);
    setSliderDown(false);
    Q_EMIT customSliderClicked(Release, value);
}

void QCustomSlider::wheelEvent(QWheelEvent *event)
{
    const int before = value();
    QSlider::wheelEvent(event);
    stepped(before);
}

void QCustomSlider::keyPressEvent(QKeyEvent *event)
{
    const int before = value();
    QSlider::keyPressEvent(event);
    stepped(before);
}

void QCustomSlider::stepped(int before)
{
    if (value() == before || mDragging)
        return;
    Q_EMIT customSliderClicked(Move, value());
    mSettle.start();
}

void QCustomSlider::settleNow()
{
    if (mSettle.isActive())
        settle();
}

void QCustomSlider::settle()
{
    mSettle.stop();
    Q_EMIT customSliderClicked(Release, value());
}

void QCustomSlider::focusOutEvent(QFocusEvent *event)
{
    if (mSettle.isActive())
        settle();
    QSlider::focusOutEvent(event);
}

void QCustomSlider::paintEvent(QPaintEvent *event)
{
    // The style sheet's background and border for the whole widget, then the slider itself.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.end();
    QSlider::paintEvent(event);
}
