#include "pages/keys/LightSetForm.h"

LightSetForm::LightSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LightSetForm"));
    refreshLanguageUi();
}

void LightSetForm::repaintInterface()
{
}

void LightSetForm::exitInterface()
{
}

void LightSetForm::resetLightSelect()
{
}

void LightSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
