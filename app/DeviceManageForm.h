#pragma once
#include <QWidget>

class QLabel;

// The device page (stack index 0), where a keyboard gets connected. The main window creates it
// once and drives it through the operations below. The connection itself is still to come: for
// now the page shows its "open device" title and opens nothing.
class DeviceManageForm : public QWidget
{
    Q_OBJECT
public:
    explicit DeviceManageForm(QWidget *parent = nullptr);

    // Rebuilds the page; with open the link of the chosen communication type is opened. The main
    // window passes false at creation and on unplugging, true when the page is entered, a
    // supported keyboard is plugged in or the communication type changes.
    void repaintInterface(bool open);
    // The page stops being the current page.
    void exitInterface();

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private:
    QLabel *mTitleLabel = nullptr;
};
