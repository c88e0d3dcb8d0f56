#pragma once
// A key tile of the performance picture: the key's legend in the middle of its face, its
// actuation point in the top-left corner and its rapid-trigger press and release sensitivities
// (whether rapid trigger is on or off) in the bottom-left and bottom-right corners, in
// millimetres with two decimals. The tooltip says whether rapid trigger and continuous rapid
// trigger are on.
//
// The values are read from the keyboard model when the key item is set; a key without a travel
// record shows none.

#include "model/KeyboardRecords.h"
#include "pages/common/KeyTile.h"

class QNatureLabel : public KeyTile
{
    Q_OBJECT
public:
    explicit QNatureLabel(QWidget *parent = nullptr);

    // A travel in 0.01 mm as shown on the page: millimetres with exactly two decimals in the
    // default locale (150 is "1.50" where the decimal sign is a point).
    static QString valueText(int value);

    // Stands for the key item from now on: reads its travel record and shows its values.
    void setItemIndex(const uchar &item);
    uchar getItemIndex() const { return mItemIndex; }
    bool hasTravel() const { return mHasTravel; }

    // Visibility of the actuation value, and of the two rapid-trigger values.
    void setTopDisplayStatus(bool shown);
    void setBottomDisplayStatus(bool shown);

    void setSelectStatus(bool selected) { setSelected(selected); }
    void invertSelectStatus() { setSelected(!isSelected()); }
    bool getSelectStatus() const { return isSelected(); }

    // The values the tile shows now, as drawn, empty where it shows none (top-left, bottom-left,
    // bottom-right).
    QString topText() const;
    QString bottomLeftText() const;
    QString bottomRightText() const;
    // The font of the two values at the bottom, as fitted to the tile.
    QFont bottomFont() const { return valueLayout().bottomFont; }

protected:
    QRectF legendBox() const override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Where the values go and in what fonts, for the tile's size and key unit. Where the two
    // rapid-trigger values do not fit side by side (keys about one unit wide), their font is
    // made smaller; the values keep their two decimals.
    struct ValueLayout {
        QSize size;
        qreal unit = -1;
        QFont topFont;
        QFont bottomFont;
        QRectF top;
        QRectF bottom;
    };
    const ValueLayout &valueLayout() const;
    bool showsBottom() const { return mBottomShown && mHasTravel; }

    uchar mItemIndex = 255;
    bool mHasTravel = false;
    KEYBOARD_TRIGGER_INFO mTravel;
    bool mTopShown = true;
    bool mBottomShown = true;
    mutable ValueLayout mValues;
};
