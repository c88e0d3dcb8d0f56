#pragma once
// The title bar of every editing page: the seven navigation buttons "keyButton" to "otherButton".
// A click on another page's button switches the page stack to that page; the current page's
// button only stays checked.

#include <QWidget>

class QToolButton;
class QStackedWidget;

class PageTitleBar : public QWidget
{
    Q_OBJECT
public:
    // Stack indices of the editing pages.
    enum Page { KeyPage = 2, LightPage, HighKeyPage, MacroPage, PerformancePage, AlignPage, OtherPage };

    // The bar of the page at stack index current (KeyPage to OtherPage).
    explicit PageTitleBar(int current, QWidget *parent = nullptr);

    // Checks the current page's button again (after entering the page or clicking it).
    void checkCurrent();
    void refreshLanguageUi();
    QToolButton *button(int page) const;

    // The page stack that holds widget, or null.
    static QStackedWidget *stackOf(const QWidget *widget);
    // Switches the stack holding from to index and shows it; false without a stack.
    static bool switchPage(const QWidget *from, int index);

private:
    void onClicked(int page);

    int mCurrent;
    QList<QToolButton *> mButtons;
};
