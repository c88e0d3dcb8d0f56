#pragma once
#include <QWidget>

// The maintenance page (stack index 8): keyboard firmware, firmware data and factory reset.
// The main window creates it once and drives it through the operations below; the page's
// controls are still to come, so for now they have nothing to draw.
class OtherSetForm : public QWidget
{
    Q_OBJECT
public:
    explicit OtherSetForm(QWidget *parent = nullptr);

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model.
    void repaintInterface();
    // The page stops being the current page.
    void exitInterface();

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();
};
