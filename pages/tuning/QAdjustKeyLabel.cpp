#include "pages/tuning/QAdjustKeyLabel.h"

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

void QAdjustKeyLabel::setAdjustColor(const QColor &color)
{
    mAdjustColor = color;
    update();
}

KeycapLook QAdjustKeyLabel::currentLook() const
{
    KeycapLook look = KeyTile::currentLook();
    look.hovered = false;
    look.disabled = false;
    if (mStatus == StatusPassed)
        look.face = mPassColor;
    look.level = depthLevel();
    look.levelColor = mAdjustColor;
    return look;
}
