#pragma once
#include <QWidget>

// The lighting page (stack index 3): the lighting mode, the preset effects and per-key colours.
// The main window creates it once and drives it through the operations below; the page's
// controls are still to come, so for now they have nothing to draw.
class LightSetForm : public QWidget
{
    Q_OBJECT
public:
    explicit LightSetForm(QWidget *parent = nullptr);

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model.
    void repaintInterface();
    // The page stops being the current page.
    void exitInterface();
    // Forgets the remembered effect choice, so that the next effect press is sent to the keyboard.
    // Called after every profile re-read.
    void resetLightSelect();

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private:
    int mSelectedEffect = -1; // the effect last chosen on the page, -1 for none
};
