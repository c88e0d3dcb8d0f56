#pragma once
#include <QWidget>

// The firmware page (stack index 9), from which a product's firmware image is written into the
// attached keyboard. The main window creates it once and drives it through the operations below;
// the product tiles and the flashing are still to come.
class FirewareManageForm : public QWidget
{
    Q_OBJECT
public:
    explicit FirewareManageForm(QWidget *parent = nullptr);

    // The page is shown: from now on the device page leaves the device link alone.
    void repaintInterface();
    // The page stops being the current page.
    void exitInterface();

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();
};

// Set once the firmware page has been shown and never cleared: while set, the device page neither
// opens nor closes the device link (the flashing opens the keyboard by itself).
extern bool gEntryBootFirewareFlag;
