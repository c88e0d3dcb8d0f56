#include "pages/keys/HighKeyForm.h"

HighKeyForm::HighKeyForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HighKeyForm"));
    refreshLanguageUi();
}

void HighKeyForm::repaintInterface()
{
}

void HighKeyForm::exitInterface()
{
}

void HighKeyForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
