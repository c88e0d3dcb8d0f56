#include "pages/keys/KeySetForm.h"

#include "app/CustomToolTip.h"

KeySetForm::KeySetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KeySetForm"));
    refreshLanguageUi();
}

void KeySetForm::repaintInterface()
{
}

void KeySetForm::exitInterface()
{
    if (gCustomToolTip)
        gCustomToolTip->hideTip();
}

void KeySetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
