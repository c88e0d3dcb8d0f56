#pragma once
// The selectable key tile of the lighting picture, the advanced-key picture and the second-key
// picker: a keycap that stands for one key item and can be selected (orange rim and mark). On
// the lighting picture it also shows the key's own colour on its top face; the other pictures
// leave it uncoloured.

#include "pages/common/KeyTile.h"

class QLightKeyLabel : public KeyTile
{
    Q_OBJECT
public:
    explicit QLightKeyLabel(QWidget *parent = nullptr);

    void setItemIndex(const uchar &index) { mItemIndex = index; }
    // The key item; 255 until set.
    uchar getItemIndex() const { return mItemIndex; }

    void setSelectStatus(bool selected) { setSelected(selected); }
    void invertSelectStatus() { setSelected(!isSelected()); }
    bool getSelectStatus() const { return isSelected(); }

    // The key's colour on the top face (opaque; the legend turns black or white to stay readable);
    // an invalid colour clears it.
    void setColor(const QColor &color);
    // The colour set last; invalid while the tile is uncoloured.
    QColor getColor() const { return faceColor(); }
    bool hasColor() const { return faceColor().isValid(); }
    // Back to the theme's keycap.
    void clearColor() { setFaceColor(QColor()); }

private:
    uchar mItemIndex = 255;
};
