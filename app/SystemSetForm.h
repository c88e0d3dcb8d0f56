#pragma once
#include <QWidget>

// The settings page (stack index 1): application version and update, start with the system,
// close to tray, language. The main window creates it once and drives it through the operations
// below; the page's controls are still to come.
class SystemSetForm : public QWidget
{
    Q_OBJECT
public:
    explicit SystemSetForm(QWidget *parent = nullptr);

    // The page is shown; index is the stack index of the page it was opened from, the page that
    // "back" returns to.
    void repaintInterface(int index);
    void exitInterface();
    // The index last handed to repaintInterface (-1 before the page was first shown).
    int fromIndex() const;

public Q_SLOTS:
    // The language changed: re-apply the page's translated texts.
    void refreshLanguageUi();

private:
    int mFromIndex = -1;
};
