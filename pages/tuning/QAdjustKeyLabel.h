#pragma once
// A key tile of the calibration picture. It only shows: the key's legend, how far the key is
// pressed right now (a bar growing down from the top of the keycap's face as the key goes down),
// and whether the key counts as calibrated (the face in the pass colour). It takes no clicks and
// shows no hover.
//
// Its colours and frame come from the style sheet: "qproperty-passColor" (face of a passed key),
// "qproperty-failColor" (face of a key not passed yet), "qproperty-adjustColor" (the depth bar),
// "qproperty-backColor" and "qproperty-borderRadius" (a frame of that colour, as wide as the
// radius of its corners, over the tile's edge; none without a colour or with radius 0).

#include "pages/common/KeyTile.h"

#include <QColor>

class QAdjustKeyLabel : public KeyTile
{
    Q_OBJECT
    Q_PROPERTY(QColor passColor READ getPassColor WRITE setPassColor)
    Q_PROPERTY(QColor failColor READ getFailColor WRITE setFailColor)
    Q_PROPERTY(QColor adjustColor READ getAdjustColor WRITE setAdjustColor)
    Q_PROPERTY(QColor backColor READ getBackColor WRITE setBackColor)
    Q_PROPERTY(int borderRadius READ getBorderRadius WRITE setBorderRadius)
public:
    // Calibration status of a key.
    enum Status : uchar { StatusNotSet = 0, StatusPassed = 1, StatusNotPassed = 2 };

    explicit QAdjustKeyLabel(uchar item, QWidget *parent = nullptr);

    uchar getItem() const { return mItem; }
    void setKeyStatus(uchar status);
    uchar getKeyStatus() const { return mStatus; }
    // The key's travel now, in 0.01 mm.
    void setDownDepth(const int &depth);
    int getDownDepth() const { return mDownDepth; }
    // The travel that fills the whole bar (the product's full travel, 0.01 mm). Without one (0)
    // any press fills it.
    void setFullTravel(int travel);
    // Share of the face the bar covers now, 0 to 1.
    qreal depthLevel() const;

    QColor getPassColor() const { return mPassColor; }
    void setPassColor(const QColor &color);
    QColor getFailColor() const { return mFailColor; }
    void setFailColor(const QColor &color);
    QColor getAdjustColor() const { return mAdjustColor; }
    void setAdjustColor(const QColor &color);
    QColor getBackColor() const { return mBackColor; }
    void setBackColor(const QColor &color);
    int getBorderRadius() const { return mBorderRadius; }
    void setBorderRadius(int radius);

protected:
    KeycapLook currentLook() const override;
    void paintEvent(QPaintEvent *event) override;

private:
    uchar mItem;
    uchar mStatus = StatusNotSet;
    int mDownDepth = 0;
    int mFullTravel = 0;
    QColor mPassColor;
    QColor mFailColor;
    QColor mAdjustColor;
    QColor mBackColor;
    int mBorderRadius = 0;
};
