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
    mSelectedEffect = -1;
}

void LightSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
