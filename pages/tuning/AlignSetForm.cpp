#include "pages/tuning/AlignSetForm.h"

AlignSetForm::AlignSetForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AlignSetForm"));
    refreshLanguageUi();
}

void AlignSetForm::repaintInterface()
{
}

void AlignSetForm::exitInterface()
{
}

void AlignSetForm::exitAlign(bool send)
{
    Q_UNUSED(send);
}

void AlignSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
