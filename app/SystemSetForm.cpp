#include "app/SystemSetForm.h"

SystemSetForm::SystemSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SystemSetForm"));
    refreshLanguageUi();
}

void SystemSetForm::repaintInterface(int index)
{
    mFromIndex = index;
}

void SystemSetForm::exitInterface()
{
}

int SystemSetForm::fromIndex() const
{
    return mFromIndex;
}

void SystemSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
