#pragma once
// The second-key picker of the RS, OKS and SOCD dialogs: the keyboard with the binding's first key
// marked, on which the user picks the key to pair it with. Only keys that still carry their
// factory keyboard key can be picked; keys bound to an advanced key and the first key cannot.
// Every change of the pick is reported, 255 when the pick was withdrawn.

#include "pages/keys/HighKeyPicture.h"

class QRsoKeyboardWidget : public HighKeyPicture
{
    Q_OBJECT
public:
    explicit QRsoKeyboardWidget(uchar firstKey, QWidget *parent = nullptr);
    ~QRsoKeyboardWidget() override;

    // Decides for every tile whether it can be picked, and marks the first key.
    void refreshHighKeyType();
    // Disables every tile.
    void setKeyboardInvalid();
    uchar firstKey() const { return mFirstKey; }

Q_SIGNALS:
    void keyboard_select(const uchar &mItem);

protected:
    void pressTile(uchar item, KeyTile *tile, const KEYBOARD_KEY_INFO &binding) override;
    void tilesBuilt() override { refreshHighKeyType(); }

private:
    uchar mFirstKey;
};
