#pragma once
// What a user does with the mouse, for the tests that drive the whole window: a click on a named
// button (on its box, for a check box) and on a tile of a keyboard picture. A button or tile that
// is missing, hidden or disabled fails the running test.

#include <QtGlobal>

class KeyboardPicture;
class QWidget;

class UserActions
{
public:
    static void click(QWidget *root, const char *name);
    static void clickTile(KeyboardPicture *picture, uchar item);
};
