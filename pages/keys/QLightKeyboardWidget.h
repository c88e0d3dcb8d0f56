#pragma once
// The keyboard picture of the lighting page: one selectable tile per drawn key, each showing the
// key's binding on the normal layer and its per-key colour on the keycap. A press on a tile
// toggles it; dragging with the button held selects every tile passed over (moves only select).
// The page asks for the selected keys when it needs them and recolours the tiles from the
// keyboard model after the keyboard confirmed a change; the picture sends nothing itself.

#include "pages/common/KeyboardPicture.h"

#include <QList>

class QLightKeyLabel;

class QLightKeyboardWidget : public KeyboardPicture
{
    Q_OBJECT
public:
    explicit QLightKeyboardWidget(QWidget *parent = nullptr);
    ~QLightKeyboardWidget() override;

    // Builds the tiles from the keyboard model.
    void initializeKeyboard();
    // Shows each tile's per-key colour as the keyboard model holds it; the selection stays.
    void refreshKeyColors();

    void selectAllKey();
    void invertAllKey();
    void deselectAllKey();
    // Lets the user select tiles, or not; select all, invert and deselect still reach them.
    void setKeyboardEnable(bool enable);
    // The selected key items, ascending.
    QList<uchar> getSelectKey() const;
    // The tiles, in key order.
    const QList<QLightKeyLabel *> &tiles() const { return mLabelList; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLightKeyLabel *selectableTileAt(const QPointF &pos) const;
    static void showColor(QLightKeyLabel *tile);

    QList<QLightKeyLabel *> mLabelList;
    bool mPressed = false;
    bool mEnabled = true;
};
