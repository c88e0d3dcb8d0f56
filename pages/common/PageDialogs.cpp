#include "pages/common/PageDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QPointer>
#include <QPushButton>

namespace {
PageDialogs::DialogRunner &runner()
{
    static PageDialogs::DialogRunner instance;
    return instance;
}

PageDialogs::MessagePrompter &messages()
{
    static PageDialogs::MessagePrompter instance;
    return instance;
}

PageDialogs::FilePrompter &files()
{
    static PageDialogs::FilePrompter instance;
    return instance;
}

// A dialog running through here, and whether cancelAll closed it.
struct Running {
    QPointer<QDialog> dialog;
    bool cancelled = false;
};

// The dialogs running now, the innermost last.
QList<Running *> &running()
{
    static QList<Running *> instance;
    return instance;
}

// Runs the dialog modally (through the test's runner when byRunner and one is installed) while it
// is listed; false when cancelAll closed it meanwhile, else its result in *result.
bool run(QDialog *dialog, bool byRunner, int *result)
{
    Running entry{dialog};
    running().append(&entry);
    *result = byRunner && runner() ? runner()(dialog) : dialog->exec();
    running().removeOne(&entry);
    return !entry.cancelled;
}

// A file to open or to write, chosen in a modal file dialog; an empty path when none was.
QString chooseFile(QWidget *parent, bool save, const QString &caption, const QString &folder, const QString &filter)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    int result = QDialog::Rejected;
    if (!run(&dialog, false, &result) || result != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
} // namespace

int PageDialogs::exec(QDialog *dialog)
{
    int result = QDialog::Rejected;
    if (!dialog || !run(dialog, true, &result))
        return QDialog::Rejected;
    return result;
}

QMessageBox::StandardButton PageDialogs::message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                 const QString &text, QMessageBox::StandardButtons buttons)
{
    if (messages())
        return messages()(parent, icon, title, text, buttons);
    // A notice tells the user a result: it stays until the user closes it, keyboard or not.
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    return QMessageBox::StandardButton(box.exec());
}

bool PageDialogs::ask(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                      const QString &yesText, const QString &noText)
{
    if (messages())
        return messages()(parent, icon, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    QPushButton *yes = box.addButton(yesText, QMessageBox::YesRole);
    box.addButton(noText, QMessageBox::NoRole);
    int result = 0;
    return run(&box, false, &result) && box.clickedButton() == yes;
}

QString PageDialogs::openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (files())
        return files()(parent, false, caption, folder, filter);
    return chooseFile(parent, false, caption, folder, filter);
}

QString PageDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (files())
        return files()(parent, true, caption, folder, filter);
    return chooseFile(parent, true, caption, folder, filter);
}

void PageDialogs::cancelAll()
{
    // An outer dialog's loop ends only once the loops nested in it have ended.
    const QList<Running *> shown = running();
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        (*it)->cancelled = true;
        if ((*it)->dialog)
            (*it)->dialog->reject();
    }
}

void PageDialogs::setDialogRunner(DialogRunner r)
{
    runner() = std::move(r);
}

void PageDialogs::setMessagePrompter(MessagePrompter prompter)
{
    messages() = std::move(prompter);
}

void PageDialogs::setFilePrompter(FilePrompter prompter)
{
    files() = std::move(prompter);
}
