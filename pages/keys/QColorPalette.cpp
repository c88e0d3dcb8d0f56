#include "pages/keys/QColorPalette.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QtMath>

namespace {
// Room around the wheel for the marker.
constexpr qreal kMargin = 8;
constexpr qreal kMarkerRadius = 6;
} // namespace

QColorPalette::QColorPalette(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(180, 180);
}

QPointF QColorPalette::centre() const
{
    return QPointF(width() / 2.0, height() / 2.0);
}

qreal QColorPalette::radius() const
{
    return qMax<qreal>(0, qMin(width(), height()) / 2.0 - kMargin);
}

bool QColorPalette::isPointInCir(const QPointF &point) const
{
    const QPointF d = point - centre();
    return std::hypot(d.x(), d.y()) <= radius();
}

QColor QColorPalette::hueColor(qreal hue, qreal saturation)
{
    hue = std::fmod(hue, 360.0);
    if (hue < 0)
        hue += 360;
    const qreal s = qBound<qreal>(0, saturation, 1);
    const qreal sector = hue / 60;
    const qreal x = s * (1 - qAbs(std::fmod(sector, 2.0) - 1));
    const qreal m = 1 - s;
    qreal r = 0, g = 0, b = 0;
    switch (int(sector)) {
    case 0: r = s; g = x; break;
    case 1: r = x; g = s; break;
    case 2: g = s; b = x; break;
    case 3: g = x; b = s; break;
    case 4: r = x; b = s; break;
    default: r = s; b = x; break;
    }
    return QColor(qRound((r + m) * 255), qRound((g + m) * 255), qRound((b + m) * 255));
}

QColor QColorPalette::colorAt(const QPointF &point) const
{
    const QPointF d = point - centre();
    const qreal r = radius();
    if (r <= 0)
        return QColor();
    // Screen y grows downwards; the hues run counter-clockwise.
    const qreal hue = qRadiansToDegrees(std::atan2(-d.y(), d.x()));
    return hueColor(hue, std::hypot(d.x(), d.y()) / r);
}

void QColorPalette::setColor(const QColor &color)
{
    mMarked = color.isValid();
    if (mMarked) {
        const QColor hsv = color.toHsv();
        if (hsv.hsvHueF() >= 0)
            mHue = hsv.hsvHueF() * 360;
        mSaturation = hsv.hsvSaturationF();
    }
    update();
}

void QColorPalette::pick(const QPointF &point)
{
    const QPointF d = point - centre();
    const qreal distance = std::hypot(d.x(), d.y());
    if (distance > 0)
        mHue = std::fmod(qRadiansToDegrees(std::atan2(-d.y(), d.x())) + 360, 360);
    mSaturation = qMin<qreal>(1, distance / radius());
    mMarked = true;
    update();
}

void QColorPalette::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isPointInCir(event->position()) || radius() <= 0) {
        event->ignore();
        return;
    }
    mDragging = true;
    pick(event->position());
    Q_EMIT color_tracking(hueColor(mHue, mSaturation));
}

void QColorPalette::mouseMoveEvent(QMouseEvent *event)
{
    if (!mDragging) {
        event->ignore();
        return;
    }
    pick(event->position());
    Q_EMIT color_tracking(hueColor(mHue, mSaturation));
}

void QColorPalette::mouseReleaseEvent(QMouseEvent *event)
{
    if (!mDragging || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mDragging = false;
    pick(event->position());
    Q_EMIT select_color(hueColor(mHue, mSaturation));
}

QImage QColorPalette::wheelImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (mWheel.size() == pixels && qFuzzyCompare(mWheel.devicePixelRatio(), ratio))
        return mWheel;
    mWheel = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    mWheel.setDevicePixelRatio(ratio);
    mWheel.fill(Qt::transparent);
    const qreal r = radius();
    for (int y = 0; y < pixels.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(mWheel.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const QPointF point((x + 0.5) / ratio, (y + 0.5) / ratio);
            const QPointF d = point - centre();
            // Coverage of the pixel by the disc, for a smooth rim.
            const qreal coverage = qBound<qreal>(0, (r - std::hypot(d.x(), d.y())) * ratio + 0.5, 1);
            if (coverage <= 0)
                continue;
            QColor color = colorAt(point);
            color.setAlphaF(float(coverage));
            line[x] = qPremultiply(color.rgba());
        }
    }
    return mWheel;
}

void QColorPalette::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (radius() <= 0)
        return;
    painter.drawImage(QPointF(0, 0), wheelImage());
    if (!mMarked)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal angle = qDegreesToRadians(mHue);
    const QPointF at = centre() + QPointF(std::cos(angle), -std::sin(angle)) * mSaturation * radius();
    // A white ring with a dark edge shows on every colour of the wheel.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 150), 1));
    painter.drawEllipse(at, kMarkerRadius + 1.5, kMarkerRadius + 1.5);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(at, kMarkerRadius, kMarkerRadius);
}
