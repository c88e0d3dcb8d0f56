#pragma once
// The keyboard picture of the performance page: one QNatureLabel per drawn key, showing the key's
// travel values, on which the user selects any number of keys. A press on a tile toggles it, a
// drag selects every further tile it passes, and every release ends the gesture with
// keyboard_select().
//
// The picture reads the keyboard model only in initializeKeyboard(); the page calls it after
// every confirmed change, so the tiles always show what the keyboard holds. A rebuild keeps the
// tiles of keys that are still drawn (it only refills them) and leaves no key selected.

#include "pages/common/KeyboardPicture.h"

#include <QList>
#include <QMap>

class QNatureLabel;

class QNatureKeyboardWidget : public KeyboardPicture
{
    Q_OBJECT
    // Colours of the values on the tiles, per theme from the style sheet.
    Q_PROPERTY(QColor triggerValueColor READ triggerValueColor WRITE setTriggerValueColor)
    Q_PROPERTY(QColor quickValueColor READ quickValueColor WRITE setQuickValueColor)
    Q_PROPERTY(QColor resetValueColor READ resetValueColor WRITE setResetValueColor)
public:
    enum Value { TriggerValue, QuickValue, ResetValue };

    explicit QNatureKeyboardWidget(QWidget *parent = nullptr);
    ~QNatureKeyboardWidget() override;

    // Builds the tiles from the keyboard model; no key is selected afterwards.
    void initializeKeyboard();

    void selectAllKey();
    void invertAllKey();
    void deselectAllKey();
    // Selects the listed keys that have a tile; the others keep their state.
    void setSelectKey(const QList<uchar> &keys);
    // The selected keys, ascending.
    QList<uchar> getSelectKey() const;
    // The key last clicked or dragged over; 0 after a rebuild.
    uchar getLastSelectKey() const { return mLastSelectKey; }

    void setTriggerDisplayStatus(bool shown);
    void setQuickTriggerDisplayStatus(bool shown);

    QNatureLabel *label(uchar item) const { return mLabelMap.value(item); }
    int tileCount() const { return int(mLabelMap.size()); }

    QColor valueColor(int which) const;
    static QColor defaultValueColor(int which);
    QColor triggerValueColor() const { return mValueColors[TriggerValue]; }
    QColor quickValueColor() const { return mValueColors[QuickValue]; }
    QColor resetValueColor() const { return mValueColors[ResetValue]; }
    void setTriggerValueColor(const QColor &color) { setValueColor(TriggerValue, color); }
    void setQuickValueColor(const QColor &color) { setValueColor(QuickValue, color); }
    void setResetValueColor(const QColor &color) { setValueColor(ResetValue, color); }

Q_SIGNALS:
    // A mouse gesture on the picture begins; the selection has not changed yet.
    void selection_pressed();
    // A mouse gesture on the picture ended (also when it touched no tile).
    void keyboard_select();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The tile under a point of the picture, or null.
    QNatureLabel *labelAt(const QPointF &position) const;
    void setValueColor(int which, const QColor &color);

    QMap<uchar, QNatureLabel *> mLabelMap;
    bool mMousePress = false;
    QNatureLabel *mPressedTile = nullptr; // until the drag leaves it
    uchar mLastSelectKey = 0;
    bool mTriggerShown = true;
    bool mQuickShown = true;
    QColor mValueColors[3];
};
