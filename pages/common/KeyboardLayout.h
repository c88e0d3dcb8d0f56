#pragma once
// Where the keys of a product's key-position table go on a picture of a given size: the table's
// rectangles scaled into the picture with their proportions kept and centred, the case around
// them, and the size of one key unit. Every keyboard picture places its tiles from here.

#include "model/KeyboardRecords.h"

#include <QList>
#include <QMap>
#include <QRect>
#include <QRectF>

class KeyboardLayout
{
public:
    // Space between the keys and the edge of the case, in key units.
    static constexpr qreal CaseMargin = 0.3;

    KeyboardLayout() = default;
    // Lays the drawn keys of positions out inside area. Records that are null or not drawn get no
    // rectangle; a table without drawn keys gives an empty layout.
    KeyboardLayout(const KeyPositionMap &positions, const QRectF &area);

    bool isEmpty() const { return mRects.isEmpty(); }
    // The drawn keys, by key item.
    QList<uchar> keys() const { return mRects.keys(); }
    // The key's rectangle on the picture, edges rounded to whole pixels (so the gaps between keys
    // stay even); a null rectangle for a key that is not drawn.
    QRect keyRect(uchar keyItem) const { return mRects.value(keyItem); }
    // Height of a 1u key on the picture.
    qreal unit() const { return mUnit; }
    QRectF keysRect() const { return mKeysRect; }
    QRectF caseRect() const { return mCaseRect; }
    qreal scale() const { return mScale; }

    // Every key of the table that shares keyItem's place (keyItem first), for keys with more than
    // one sensor; just keyItem when it has no record.
    static QList<uchar> keysSharingPosition(const KeyPositionMap &positions, uchar keyItem);

private:
    QMap<uchar, QRect> mRects;
    QRectF mKeysRect;
    QRectF mCaseRect;
    qreal mUnit = 0;
    qreal mScale = 1;
};
