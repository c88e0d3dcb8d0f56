#include "app/FirewareManageForm.h"

bool gEntryBootFirewareFlag = false;

FirewareManageForm::FirewareManageForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FirewareManageForm"));
    refreshLanguageUi();
}

void FirewareManageForm::repaintInterface()
{
    gEntryBootFirewareFlag = true;
}

void FirewareManageForm::exitInterface()
{
}

void FirewareManageForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
