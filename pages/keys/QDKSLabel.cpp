#include "pages/keys/QDKSLabel.h"

#include "model/SystemConfigUtil.h"

#include <QMouseEvent>

QDKSLabel::QDKSLabel(QWidget *parent) : QLabel(parent)
{
    QString folder = gSystemConfig ? gSystemConfig->getImagePath() : QString();
    if (folder.isEmpty())
        folder = QStringLiteral(":/images/images/light/");
    mSelectPixmap = QPixmap(folder + QStringLiteral("dks_select.png"));
    mUnselectPixmap = QPixmap(folder + QStringLiteral("dks_unselect.png"));
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setPixmap(mUnselectPixmap);
}

void QDKSLabel::setSelectStatus(bool select)
{
    mSelectStatus = select;
    setPixmap(select ? mSelectPixmap : mUnselectPixmap);
    update();
}

void QDKSLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        setSelectStatus(!mSelectStatus);
        if (mSelectStatus)
            Q_EMIT label_clicked();
    }
    QLabel::mousePressEvent(event);
}
