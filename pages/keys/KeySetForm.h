#pragma once
#include <QWidget>

// The key assignment page (stack index 2): the bindings of both key layers on a picture of the keyboard.
// The main window creates it once and drives it through the operations below; the page's
// controls are still to come, so for now they have nothing to draw.
class KeySetForm : public QWidget
{
    Q_OBJECT
public:
    explicit KeySetForm(QWidget *parent = nullptr);

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model.
    void repaintInterface();
    // The page stops being the current page: the shared prompt window goes away with it.
    void exitInterface();

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();
};
