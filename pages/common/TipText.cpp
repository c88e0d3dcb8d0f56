#include "pages/common/TipText.h"

#include "model/ToolTipUtil.h"
#include "widgets/CustomToolTip.h"

#include <QWidget>

QString TipText::text(const QString &key)
{
    return gToolTipUtil ? gToolTipUtil->getToolTipFromFile(key) : QString();
}

void TipText::apply(QWidget *widget, const QString &key)
{
    if (widget)
        widget->setToolTip(text(key));
}

void TipText::showPrompt(QWidget *target, const QString &key)
{
    if (gCustomToolTip && target)
        gCustomToolTip->showTip(text(key), target);
}

void TipText::hidePrompt()
{
    if (gCustomToolTip)
        gCustomToolTip->hideTip();
}
