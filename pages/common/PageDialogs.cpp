#include "pages/common/PageDialogs.h"

#include <QDialog>
#include <QFileDialog>
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
} // namespace

int PageDialogs::exec(QDialog *dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    return runner() ? runner()(dialog) : dialog->exec();
}

QMessageBox::StandardButton PageDialogs::message(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                 const QString &text, QMessageBox::StandardButtons buttons)
{
    if (messages())
        return messages()(parent, icon, title, text, buttons);
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
    box.exec();
    return box.clickedButton() == yes;
}

QString PageDialogs::openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (files())
        return files()(parent, false, caption, folder, filter);
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString PageDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (files())
        return files()(parent, true, caption, folder, filter);
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
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
