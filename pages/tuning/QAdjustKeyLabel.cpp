#include "pages/tuning/QAdjustKeyLabel.h"

#include <QPainter>

QAdjustKeyLabel::QAdjustKeyLabel(uchar item, QWidget *parent)
    : KeyTile(parent), mItem(item), mPassColor(59, 167, 118), mAdjustColor(204, 153, 102)
{
    setObjectName(objectNameFor(item));
    setAttribute(Qt::WA_Hover, false);
}

void QAdjustKeyLabel::setKeyStatus(uchar status)
{
    if (mStatus == status)
        return;
    mStatus = status;
    update();
}

void QAdjustKeyLabel::setDownDepth(const int &depth)
{
    if (mDownDepth == depth)
        return;
    mDownDepth = depth;
    update();
}

void QAdjustKeyLabel::setFullTravel(int travel)
{
    mFullTravel = travel;
    update();
}

qreal QAdjustKeyLabel::depthLevel() const
{
    if (mDownDepth <= 0)
        return 0;
    if (mFullTravel <= 0)
        return 1;
    // Deeper than the full travel (a sensor that reads past the end) still fills the bar once.
    return qMin<qreal>(1, qreal(mDownDepth) / mFullTravel);
}

void QAdjustKeyLabel::setPassColor(const QColor &color)
{
    mPassColor = color;
    update();
}

void QAdjustKeyLabel::setFailColor(const QColor &color)
{
    mFailColor = color;
    update();
}

void QAdjustKeyLabel::setAdjustColor(const QColor &color)
{
    mAdjustColor = color;
    update();
}

void QAdjustKeyLabel::setBackColor(const QColor &color)
{
    mBackColor = color;
    update();
}

void QAdjustKeyLabel::setBorderRadius(int radius)
{
    mBorderRadius = radius;
    update();
}

KeycapLook QAdjustKeyLabel::currentLook() const
{
    KeycapLook look = KeyTile::currentLook();
    look.hovered = false;
    look.disabled = false;
    // Not yet set and not passed look alike.
    look.face = mStatus == StatusPassed ? mPassColor : mFailColor;
    look.level = depthLevel();
    look.levelColor = mAdjustColor;
    return look;
}

void QAdjustKeyLabel::paintEvent(QPaintEvent *event)
{
    KeyTile::paintEvent(event);
    if (!mBackColor.isValid() || mBorderRadius <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(mBackColor, mBorderRadius, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawRoundedRect(QRectF(rect()), mBorderRadius, mBorderRadius);
}
