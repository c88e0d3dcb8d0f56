#include "pages/keys/QColorPalette.h"

#include <QConicalGradient>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
// Space between the wheel and the widget's edge, on each side.
constexpr int kInset = 5;
// The marker's strokes run from kMarkerGap to kMarkerReach pixels away from the press point,
// which stays uncovered (the colour under it is the one picked).
constexpr int kMarkerGap = 7;
constexpr int kMarkerReach = 10;
} // namespace

QColorPalette::QColorPalette(QWidget *parent)
    : QWidget(parent), mColorList{Qt::red, Qt::yellow, Qt::green, Qt::cyan, Qt::blue, Qt::magenta}
{
}

bool QColorPalette::isPointInCir(const QPoint &point, const QRect &rect) const
{
    const QPoint centre((rect.left() + rect.right()) / 2, (rect.top() + rect.bottom()) / 2);
    const QPoint d = point - centre;
    return std::sqrt(double(d.x()) * d.x() + double(d.y()) * d.y()) <= double(rect.width() / 2);
}

void QColorPalette::mousePressEvent(QMouseEvent *event)
{
    mPressPoint = event->position().toPoint();
    // Before the first paint there is no wheel to hit.
    if (mCircleRect.isValid() && isPointInCir(mPressPoint, mCircleRect)) {
        // The colour is what the wheel shows under the pointer.
        QPixmap shown(size());
        render(&shown, QPoint(0, 0));
        const QImage image = shown.toImage();
        if (!shown.isNull() && !image.isNull()) {
            QColor color = image.pixelColor(mPressPoint);
            color.setAlpha(255);
            Q_EMIT select_color(color);
        }
        update();
    }
    QWidget::mousePressEvent(event);
}

void QColorPalette::resizeEvent(QResizeEvent *event)
{
    mPressPoint = QPoint(0, 0);
    QWidget::resizeEvent(event);
}

const QPixmap &QColorPalette::wheelPixmap()
{
    const qreal ratio = devicePixelRatioF();
    if (!mWheel.isNull() && mWheel.deviceIndependentSize() == QSizeF(size()) &&
        qFuzzyCompare(mWheel.devicePixelRatio(), ratio))
        return mWheel;
    mWheel = QPixmap((QSizeF(size()) * ratio).toSize());
    mWheel.setDevicePixelRatio(ratio);
    mWheel.fill(Qt::transparent);
    QConicalGradient gradient(0, 0, 0);
    for (int i = 0; i < mColorList.size(); ++i)
        gradient.setColorAt(i * 60 / 360.0, mColorList.at(i));
    gradient.setColorAt(1.0, mColorList.first());
    QPainter painter(&mWheel);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect();
    painter.translate((area.left() + area.right()) / 2, (area.top() + area.bottom()) / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(QRect(-mRadius, -mRadius, 2 * mRadius, 2 * mRadius));
    return mWheel;
}

void QColorPalette::paintEvent(QPaintEvent *event)
{
    // The wheel always fills the whole widget, also when only a part of it is repainted.
    const int w = width();
    const int h = height();
    const int d = qMin(w, h) / 2;
    mRadius = d - kInset;
    const int side = 2 * d - 2 * kInset;
    mCircleRect = QRect((w - side) / 2, (h - side) / 2, side, side);

    QPainter painter(this);
    if (mRadius > 0)
        painter.drawPixmap(QPoint(0, 0), wheelPixmap());
    if (!mPressPoint.isNull()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 3));
        const QPoint p = mPressPoint;
        painter.drawLine(p + QPoint(-kMarkerReach, 0), p + QPoint(-kMarkerGap, 0));
        painter.drawLine(p + QPoint(kMarkerGap, 0), p + QPoint(kMarkerReach, 0));
        painter.drawLine(p + QPoint(0, -kMarkerReach), p + QPoint(0, -kMarkerGap));
        painter.drawLine(p + QPoint(0, kMarkerGap), p + QPoint(0, kMarkerReach));
    }
    painter.end();
    QWidget::paintEvent(event);
}
