#pragma once
// The keyboard picture of the advanced-key page. The user picks the key a new binding is made for
// (at most one, a second press lets it go); a press on a key already bound to an advanced key asks
// the page to open that binding instead. For RS, OKS and SOCD only keys that can be paired are
// enabled: keys bound to an advanced key, and keys that still carry their factory keyboard key.

#include "pages/keys/HighKeyPicture.h"

class QHighKeyboardWidget : public HighKeyPicture
{
    Q_OBJECT
public:
    explicit QHighKeyboardWidget(int kind, QWidget *parent = nullptr);
    ~QHighKeyboardWidget() override;

    // Shows the page's kind: lets the pick go and applies the kind's enabling rule.
    void setHighKeyType(int kind);
    int highKeyType() const { return mKind; }

Q_SIGNALS:
    // A press on a key bound to an advanced key.
    void keyboard_select(const uchar &mItem);

protected:
    void pressTile(uchar item, KeyTile *tile, const KEYBOARD_KEY_INFO &binding) override;
    void tilesBuilt() override;

private:
    void applyKind();

    int mKind;
};
