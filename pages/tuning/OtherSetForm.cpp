#include "pages/tuning/OtherSetForm.h"

OtherSetForm::OtherSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("OtherSetForm"));
    refreshLanguageUi();
}

void OtherSetForm::repaintInterface()
{
}

void OtherSetForm::exitInterface()
{
}

void OtherSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
