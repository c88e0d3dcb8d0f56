#pragma once
// A walk through everything the program shows, as a user meets it, in the main window against the
// emulated keyboard: every page in its states, the dialogs and prompt windows they open, the
// progress dialogs and toasts they show. Each place is handed to a viewer with the windows then
// visible; a window that shows up between places (a toast, a progress dialog) is handed over the
// moment it appears. The main window is small with its content laid out at its smallest size, or
// at its first size as the program opens it.
//
// The places are the list in PageWalk.cpp, in the order a user meets them. A page added to the
// program is walked by adding it there.

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class AppFixture;
class MainWindow;
class QDialog;
class QWidget;

class PageWalk : public QObject
{
public:
    // A text a window shows: drawn on the widget (a label's or button's text, a tile's legend) or
    // not (a tooltip, a window title, a list or menu item, a placeholder).
    struct ShownText {
        QWidget *widget;
        const char *what;
        QString text;
        bool drawn;
    };
    // Every text of the windows' visible widgets, plain (without markup).
    static QList<ShownText> shownTexts(const QList<QWidget *> &windows);
    // Where a widget is within its window: object names (or classes) from the window down.
    static QString pathOf(const QWidget *widget);

    using Viewer = std::function<void(const QString &place, const QList<QWidget *> &windows)>;

    enum class Size { Smallest, First };

    explicit PageWalk(AppFixture &app);
    ~PageWalk() override;

    // Opens the main window (in the settings' language), switches to language (numbered as
    // SystemConfigUtil numbers them) on the settings page and walks every place, handing each to
    // viewer, with the window at size. Returns early when the running test has failed.
    void walk(int language, const Viewer &viewer, Size size = Size::Smallest);

    // The caption and filter of every file dialog asked for on the way.
    const QStringList &fileDialogTexts() const { return mFileTexts; }

    // For the places: the window, the place shown now, and the visible windows handed over.
    MainWindow *window() const { return mWindow.get(); }
    AppFixture &app() { return mApp; }
    // Hands the place to the viewer with the visible windows and any others given.
    void show(const QString &place, const QList<QWidget *> &others = {});
    // The window shows the page at a stack index after a click on a navigation button.
    void goTo(const char *button, int index);
    // Clicks the window's button and waits until the transfer it starts is over: the progress
    // dialog the click shows has closed.
    void transfer(const char *button);
    // The pages' dialogs answered so far.
    int dialogsAnswered() const { return mDialogsAnswered; }
    // On the settings page: a check for a new version finds one; its question is shown and declined.
    void checkForUpdate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int answerDialog(QDialog *dialog);
    void layOutSmallest();

    AppFixture &mApp;
    std::unique_ptr<MainWindow> mWindow;
    Viewer mViewer;
    Size mSize = Size::Smallest;
    QString mPlace;
    QStringList mFileTexts;
    QString mFileAnswer;
    int mDialogsAnswered = 0;
};
