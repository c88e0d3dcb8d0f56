#include "pages/keys/QColorSlider.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QColorSlider::QColorSlider(QWidget *parent) : QCustomSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setRange(0, 100);
    setValue(100);
    setSingleStep(1);
    setPageStep(10);
}

void QColorSlider::setColorRange(QColor start, QColor end)
{
    mStartColor = start;
    mEndColor = end;
    update();
}

QColor QColorSlider::getCurrentColors(int value) const
{
    const int range = maximum() - minimum();
    return interpolateColors(range > 0 ? double(value - minimum()) / range : 1.0);
}

QColor QColorSlider::interpolateColors(double t) const
{
    if (t < 0 || t > 1 || !mStartColor.isValid() || !mEndColor.isValid())
        return QColor();
    const QColor a = mStartColor.toRgb();
    const QColor b = mEndColor.toRgb();
    const auto channel = [t](int from, int to) { return qRound(from + (to - from) * t); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                  channel(a.alpha(), b.alpha()));
}

qreal QColorSlider::handleRadius() const
{
    return height() / 2.0;
}

QCustomSlider::Travel QColorSlider::handleTravel() const
{
    // The handle stays inside the track at both ends.
    return {handleRadius(), qMax<qreal>(0, width() - 2 * handleRadius())};
}

void QColorSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin<qreal>(10, track.height() / 2);
    QLinearGradient gradient(track.left() + handleRadius(), 0, track.right() - handleRadius(), 0);
    gradient.setColorAt(0, mStartColor);
    gradient.setColorAt(1, mEndColor);
    painter.setPen(isEnabled() ? QPen(palette().color(QPalette::Mid), 1) : Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(track, radius, radius);

    const Travel travel = handleTravel();
    const int range = maximum() - minimum();
    const qreal t = range > 0 ? qreal(value() - minimum()) / range : 1.0;
    const QPointF centre(travel.start + travel.length * t, height() / 2.0);
    const qreal r = handleRadius() - 1.5;
    const QColor fill = getCurrentColors(value());
    painter.setBrush(fill.isValid() ? fill : mEndColor);
    // A white ring inside a dark one shows on every colour of the track.
    painter.setPen(QPen(QColor(255, 255, 255), 2));
    painter.drawEllipse(centre, r - 1, r - 1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1));
    painter.drawEllipse(centre, r, r);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(track, radius, radius);
    }
}
