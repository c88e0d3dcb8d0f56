#include "pages/tuning/QImageScene.h"

#include "model/SystemConfigUtil.h"
#include "pages/common/KeycapPainter.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

QImageScene::QImageScene(QWidget *parent) : QWidget(parent)
{
    setFixedSize(PictureWidth, PictureHeight);
}

void QImageScene::setOffsetY(int y)
{
    if (y == mOffsetY)
        return;
    mOffsetY = y;
    update();
}

int QImageScene::markerOffset(int travel, int triggerMin, int triggerMax)
{
    const int range = triggerMax - triggerMin;
    if (range <= 0)
        return 0;
    return qBound(0, (travel - triggerMin) * MarkerTravel / range, MarkerTravel);
}

QPixmap QImageScene::picture(const char *name) const
{
    QString folder = gSystemConfig ? gSystemConfig->getImagePath() : QString();
    if (folder.isEmpty())
        folder = QStringLiteral(":/images/images/light/");
    // Cached by KeycapPainter per file, size and pixel ratio.
    return KeycapPainter::icon(folder + QLatin1String(name), QSizeF(PictureWidth, PictureHeight), devicePixelRatioF());
}

void QImageScene::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.drawPixmap(0, 0, picture("trigger_bottom.png"));
    painter.drawPixmap(0, mOffsetY, picture("trigger_index.png"));
    painter.drawPixmap(0, 0, picture("trigger_back.png"));
    painter.end();
    QWidget::paintEvent(event);
}

void QImageScene::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Another theme brings its own pictures.
    if (event->type() == QEvent::StyleChange)
        update();
}
