#pragma once
// Modal dialogs, message boxes and file dialogs of the pages go through here, so that a test can
// answer them without a modal loop: it installs a runner or a prompter, the program never does.
//
// The dialogs that ask or edit are listed while they run, so that all of them can be closed at
// once when the keyboard the pages work on goes (cancelAll): a caller then gets a cancelled
// answer, and acts on nothing but an accepted one. A notice (message) is not: it tells a result
// the user has to see, and stays until the user closes it.

#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

class PageDialogs
{
public:
    using DialogRunner = std::function<int(QDialog *dialog)>;
    using MessagePrompter = std::function<QMessageBox::StandardButton(
        QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
        QMessageBox::StandardButtons buttons)>;
    // save false: a file to open; true: a file to write.
    using FilePrompter = std::function<QString(QWidget *parent, bool save, const QString &caption,
                                               const QString &folder, const QString &filter)>;

    // Runs the dialog modally (QDialog::exec) and returns its result.
    static int exec(QDialog *dialog);
    // A modal message box; returns the button chosen.
    static QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                               const QString &text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // A modal question with two buttons of the given texts; true when the first was chosen. A
    // test's prompter is asked with the buttons Yes and No and answers with Yes for the first.
    static bool ask(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                    const QString &yesText, const QString &noText);
    static QString openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);
    static QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);

    // Closes every dialog, question and file dialog running through here as cancelled, the
    // innermost first: exec gives Rejected, ask false and the file dialogs an empty path, whatever
    // the dialog itself ends with; notices stay open. Each caller goes on once this has returned and
    // the loops it nests in have ended.
    static void cancelAll();

    // Replacements for tests; an empty function restores the real dialogs.
    static void setDialogRunner(DialogRunner runner);
    static void setMessagePrompter(MessagePrompter prompter);
    static void setFilePrompter(FilePrompter prompter);
};
