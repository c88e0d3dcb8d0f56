#pragma once
// The keyboard picture of the key assignment page: one tile per drawn key of the product, showing
// the key's binding on one layer. A click selects one key (its tile goes blank and the selection
// prompt appears above it, every other tile is locked); a click on the selected key lets it go.
// The picture reads the keyboard model once, when built; the page builds a new picture after
// every confirmed change.

#include "pages/common/KeyboardPicture.h"

#include <QList>

class QCustomLabel;

class QKeyKeyboardWidget : public KeyboardPicture
{
    Q_OBJECT
public:
    explicit QKeyKeyboardWidget(uchar layer, QWidget *parent = nullptr);
    ~QKeyKeyboardWidget() override;

    // Builds the tiles from the keyboard model.
    void initializeKeyboard();

    uchar layer() const { return mLayer; }
    bool isKeySelected() const { return mSelectFlag; }
    // The selected key item; 255 after a deselection.
    uchar selectedKey() const { return mSelectItem; }
    // The tiles that react to clicks, in key order.
    const QList<QCustomLabel *> &tiles() const { return mLabelList; }

    void displaySelectPrompt(bool show, QWidget *target);

private Q_SLOTS:
    void custom_label_clicked(uchar item);

private:
    // Shows the binding of the tile's key (blank when it has none); true when the key is bound to
    // an advanced key of a kind that cannot be reassigned here (RS, OKS, SOCD).
    bool showBinding(QCustomLabel *tile);

    uchar mLayer;
    bool mSelectFlag = false;
    uchar mSelectItem = 0;
    QList<QCustomLabel *> mLabelList;
};
