#pragma once
// The base of the two keyboard pictures of advanced keys: the page's picture, on which the key to
// bind is chosen, and the second-key picker of the RS, OKS and SOCD dialogs. Both show every drawn
// key with its normal-layer function (a key bound to an advanced key with its kind's badge), hold
// at most one picked key, and leave what a press on an enabled tile does to the derived picture.
// They read the keyboard model while building and on a press, and never change it.
//
// A press lands on the picture (the tiles let it through); the tile under the pointer is found
// among the picture's children.

#include "model/KeyboardRecords.h"
#include "pages/common/KeyboardPicture.h"

#include <QHash>
#include <QList>

class KeyTile;

class HighKeyPicture : public KeyboardPicture
{
    Q_OBJECT
public:
    explicit HighKeyPicture(QWidget *parent = nullptr);
    ~HighKeyPicture() override;

    // Deletes the old tiles and builds one per drawn key from the keyboard model.
    void initializeKeyboard();
    // The picked key; 255 when none is picked.
    uchar getSelectKeyItem() const;
    // The tiles of keys that have a normal-layer function, in key order.
    const QList<KeyTile *> &tiles() const { return mTiles; }
    // The key item of one of the picture's tiles; 255 for anything else.
    uchar itemOf(const KeyTile *tile) const { return mItems.value(tile, 255); }

protected:
    // A press on the enabled tile of a key that has a normal-layer function.
    virtual void pressTile(uchar item, KeyTile *tile, const KEYBOARD_KEY_INFO &binding) = 0;
    // The tiles were built: apply the picture's enabling rule.
    virtual void tilesBuilt() {}

    // Picks the tile, lets it go when it is the picked one, or moves the pick to it from another
    // tile. Returns the picked key afterwards (255 when none).
    uchar togglePick(KeyTile *tile);
    void clearPick();
    // The key's normal-layer function, or null.
    static QSharedPointer<KEYBOARD_KEY_INFO> binding(uchar item);
    // Whether the key still carries its factory function and that is an ordinary keyboard key.
    static bool isFactoryKeyboardKey(uchar item);

    void mousePressEvent(QMouseEvent *event) override;

private:
    QList<KeyTile *> mTiles;
    QHash<const KeyTile *, uchar> mItems;
    KeyTile *mPicked = nullptr;
};
