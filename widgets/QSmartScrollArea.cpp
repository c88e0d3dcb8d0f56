#include "widgets/QSmartScrollArea.h"

QSmartScrollArea::QSmartScrollArea(QWidget *parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    viewport()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void QSmartScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (QWidget *content = widget())
        setWidgetResizable(content->sizeHint().height() + 10 <= viewport()->height());
}
