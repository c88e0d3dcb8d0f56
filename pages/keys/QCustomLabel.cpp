#include "pages/keys/QCustomLabel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QToolTip>

QCustomLabel::QCustomLabel(const uchar &item, QWidget *parent) : KeyTile(parent), mItem(item)
{
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
}

bool QCustomLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !isEnabled()) {
        QToolTip::showText(QPoint(), QString());
        return true;
    }
    return KeyTile::eventFilter(watched, event);
}

void QCustomLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT label_clicked(mItem);
    KeyTile::mousePressEvent(event);
}
