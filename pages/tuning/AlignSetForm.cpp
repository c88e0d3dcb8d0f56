#include "pages/tuning/AlignSetForm.h"

#include "protocol/UsbCommunicateUtil.h"

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
    exitAlign(true);
}

void AlignSetForm::exitAlign(bool send)
{
    if (!mReporting)
        return;
    mReporting = false;
    if (send && gUsbCommunicateUtil)
        gUsbCommunicateUtil->usb_set_report_calibration(Source, true, false);
}

void AlignSetForm::refreshLanguageUi()
{
    setWindowTitle(tr("Form"));
}
