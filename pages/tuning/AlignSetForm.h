#pragma once
#include <QWidget>

// The calibration page (stack index 7): sensor calibration with live key depths.
// The main window creates it once and drives it through the operations below; the page's
// controls are still to come, so for now they have nothing to draw.
class AlignSetForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr uchar Source = 9; // source byte of the page's requests

    explicit AlignSetForm(QWidget *parent = nullptr);

    // The page becomes the current page, or the profile was read again while it is: redraw it
    // from the keyboard model.
    void repaintInterface();
    // The page stops being the current page: live calibration reporting ends, with a request
    // to the keyboard.
    void exitInterface();
    // Ends live calibration reporting when it is on; only with send the keyboard is asked to
    // switch it off. Called before profile and transfer operations (true) and on unplugging (false).
    void exitAlign(bool send);

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private:
    bool mReporting = false; // live depth reports are on
};
