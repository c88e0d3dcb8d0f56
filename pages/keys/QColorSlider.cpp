#include "pages/keys/QColorSlider.h"

#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>

namespace {
constexpr qreal kCornerRadius = 10;
constexpr int kHandlePen = 2;
} // namespace

QColorSlider::QColorSlider(QWidget *parent) : QSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setMinimum(mMinimum);
    setMaximum(mMaximum);
    setValue(mMaximum);
    setSingleStep(1);
    setTickPosition(QSlider::TicksBelow);
}

void QColorSlider::setColorRange(QColor start, QColor end)
{
    mStartColor = start;
    mEndColor = end;
    update();
}

QColor QColorSlider::getCurrentColors(int value) const
{
    return interpolateColors(double(value - mMinimum) / mRange);
}

QColor QColorSlider::interpolateColors(double t) const
{
    const QColor a = mStartColor.toRgb();
    const QColor b = mEndColor.toRgb();
    const auto channel = [t](int from, int to) { return from + int(std::lround((to - from) * t)); };
    const int channels[4] = {channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                             channel(a.alpha(), b.alpha())};
    for (int c : channels) {
        if (c < 0 || c > 255)
            return QColor();
    }
    return QColor(channels[0], channels[1], channels[2], channels[3]);
}

void QColorSlider::resizeEvent(QResizeEvent *event)
{
    mHandleRadius = height() / 2;
    mTrackWidth = width();
    QSlider::resizeEvent(event);
}

void QColorSlider::paintEvent(QPaintEvent *)
{
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient gradient(0, 0, w - 1, 0);
    gradient.setColorAt(0, mStartColor);
    gradient.setColorAt(1, mEndColor);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRect(0, 0, w, h), kCornerRadius, kCornerRadius);

    // The handle stays inside the track on the right; at the minimum its centre is the left edge.
    const double t = double(value() - mMinimum) / mRange;
    const int x = int(mTrackWidth * t);
    const int cx = x + mHandleRadius < mTrackWidth ? x : mTrackWidth - mHandleRadius;
    const int cy = h / 2;
    painter.setBrush(interpolateColors(t));
    painter.setPen(QPen(Qt::black, kHandlePen));
    painter.drawEllipse(QRect(cx - mHandleRadius, cy - mHandleRadius, 2 * mHandleRadius, 2 * mHandleRadius));
}
