#pragma once
// The pages' access to the tooltip texts and the shared prompt window. The tooltip texts are read
// through gToolTipUtil on every use (it is replaced when the language changes); without texts or
// without a prompt window nothing is shown.

#include <QString>

class QWidget;

class TipText
{
public:
    // The text stored under key; empty when there is none.
    static QString text(const QString &key);
    // Sets the widget's tooltip to the text stored under key.
    static void apply(QWidget *widget, const QString &key);
    // Shows the shared prompt window above target with the text stored under key.
    static void showPrompt(QWidget *target, const QString &key);
    static void hidePrompt();
};
