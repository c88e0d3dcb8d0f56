#include "pages/tuning/PerformanceSetForm.h"

PerformanceSetForm::PerformanceSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PerformanceSetForm"));
    refreshLanguageUi();
}

void PerformanceSetForm::repaintInterface()
{
}

void PerformanceSetForm::exitInterface()
{
}

void PerformanceSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
