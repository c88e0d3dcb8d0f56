#pragma once
// The keyboard picture of the calibration page: one display-only tile (QAdjustKeyLabel) per drawn
// key of the product, labelled with the key's normal-layer function. The page feeds it the
// keyboard's calibration state of each key and the live depths the keyboard reports; a key
// counts as passed once it has been pressed to the product's full travel, and stays so until the
// picture is built anew.

#include "model/KeyboardRecords.h"
#include "pages/common/KeyboardPicture.h"

#include <QList>
#include <QSharedPointer>

class QAdjustKeyLabel;

// The calibration status of one key, as the picture shows it.
struct ALIGN_STRUCT {
    uchar keyItem = 0;
    uchar status = 0;
};

class QAlignKeyboardWidget : public KeyboardPicture
{
    Q_OBJECT
public:
    explicit QAlignKeyboardWidget(QWidget *parent = nullptr);
    ~QAlignKeyboardWidget() override;

    // Builds the tiles from the keyboard model, every key in status 0 and at rest.
    void initializeKeyboard();

    // Sets the status of the key's tile; keys without a tile are ignored.
    void setKeyStatus(const uchar &keyItem, const uchar &status);
    // Applies one whole live report: every tile takes the depth of the first entry for its key,
    // or 0 when the report has none; a depth of the full travel or more marks the key passed.
    void setListKeyDepth(const QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> &list);
    // The same for the tile of one key.
    void setKeyDepth(const uchar &keyItem, const int &depth);
    // Key and status of every tile that follows the reports, in key order.
    QList<QSharedPointer<ALIGN_STRUCT>> getAllKeyStatus() const;

    // The tiles that follow the reports (keys with a normal-layer function), in key order.
    const QList<QAdjustKeyLabel *> &tiles() const { return mLabelList; }
    QAdjustKeyLabel *adjustTile(uchar keyItem) const;

private:
    // The product's full travel (0.01 mm), 0 when unknown.
    static int fullTravel();
    static void applyDepth(QAdjustKeyLabel *tile, int depth);

    QList<QAdjustKeyLabel *> mLabelList;
};
