#include "pages/keys/MacroSetForm.h"

MacroSetForm::MacroSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MacroSetForm"));
    refreshLanguageUi();
}

void MacroSetForm::repaintInterface()
{
}

void MacroSetForm::exitInterface()
{
}

void MacroSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
