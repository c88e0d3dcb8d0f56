#pragma once
// The base of every keyboard picture and key picker: it lays the product's keys out at its own
// size, draws the case (or the product's own background picture) under its tiles, and carries the
// theme's keycap colours, which the style sheets set as properties ("qproperty-capColor" ...).
//
// Painting is done in two steps: the style's plain-widget primitive (so that the style sheet's
// background and border apply), then the case; the tiles are child widgets on top.

#include "pages/common/KeyboardLayout.h"
#include "pages/common/KeycapColors.h"

#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class KeyTile;

class KeyboardPicture : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor capColor MEMBER mCap NOTIFY colorsChanged)
    Q_PROPERTY(QColor capSideColor MEMBER mCapSide NOTIFY colorsChanged)
    Q_PROPERTY(QColor legendColor MEMBER mLegend NOTIFY colorsChanged)
    Q_PROPERTY(QColor disabledLegendColor MEMBER mDisabledLegend NOTIFY colorsChanged)
    Q_PROPERTY(QColor hoverColor MEMBER mHover NOTIFY colorsChanged)
    Q_PROPERTY(QColor borderColor MEMBER mBorder NOTIFY colorsChanged)
    Q_PROPERTY(QColor haloColor MEMBER mHalo NOTIFY colorsChanged)
    Q_PROPERTY(QColor caseColor MEMBER mCase NOTIFY colorsChanged)
    Q_PROPERTY(QColor caseEdgeColor MEMBER mCaseEdge NOTIFY colorsChanged)
    Q_PROPERTY(QColor plateColor MEMBER mPlate NOTIFY colorsChanged)
    Q_PROPERTY(QColor shadowColor MEMBER mShadow NOTIFY colorsChanged)
    Q_PROPERTY(bool caseVisible MEMBER mCaseVisible NOTIFY colorsChanged)
public:
    explicit KeyboardPicture(QWidget *parent = nullptr);

    KeycapColors colors() const;
    // Lays the drawn keys of positions out inside the picture (less its contents margins); tiles
    // placed with placeTile follow it. The same table again changes nothing.
    void setKeyPositions(const KeyPositionMap &positions);
    // Lays out the keys of the keyboard model and returns its key-position map; null (and the
    // picture repainted empty) while the model has none.
    const KeyPositionMap *layoutModelKeys();
    const KeyboardLayout &keyLayout() const { return mLayout; }
    // Puts a tile on the key's rectangle, now and after every resize; false (and no tile shown)
    // for a key the layout does not draw.
    bool placeTile(uchar item, KeyTile *tile);
    // The tile of a key item among the picture's children, or null.
    KeyTile *tile(uchar item) const;
    // The visible tile whose rectangle (edges included) holds a point of the picture, or null.
    KeyTile *tileAt(const QPoint &pos) const;
    // Places a page's picture in the page's keyboard area as every page does: for a product with
    // exactly 68 key positions at 865 x 290 and (30, 27), for any other at its own size at (0, 0).
    void placeOnPage();

    // The product's own picture of its case for the current theme
    // ("<data folder>/<product folder>/<light|dark>/keyboard_bg.png"), or an empty text when the
    // product's resource package has none.
    static QString backgroundPicturePath();

Q_SIGNALS:
    void colorsChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();
    void repaintAll();
    QPixmap casePixmap();

    KeyPositionMap mPositions;
    KeyboardLayout mLayout;
    QMap<uchar, QPointer<KeyTile>> mPlaced;
    QPixmap mCaseCache;
    QString mCaseKey;
    QString mBackground;
    bool mCaseVisible = true;

    QColor mCap, mCapSide, mLegend, mDisabledLegend, mHover, mBorder, mHalo, mCase, mCaseEdge, mPlate, mShadow;
};
