#include "pages/tuning/QNatureKeyboardWidget.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyLegend.h"
#include "pages/tuning/QNatureLabel.h"

#include <QDebug>
#include <QMouseEvent>

#include <cmath>

QNatureKeyboardWidget::QNatureKeyboardWidget(QWidget *parent) : KeyboardPicture(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("QNatureKeyboardWidget"));
    resize(932, 344);
    setMinimumSize(932, 344);
    for (int which = TriggerValue; which <= ResetValue; ++which)
        mValueColors[which] = defaultValueColor(which);
    qInfo().noquote() << "=== QNatureKeyboardWidget 初始化 ===";
}

QNatureKeyboardWidget::~QNatureKeyboardWidget()
{
    qInfo().noquote() << "=== QNatureKeyboardWidget 销毁 ===";
}

void QNatureKeyboardWidget::initializeKeyboard()
{
    mMousePress = false;
    mPressedTile = nullptr;
    mLastSelectKey = 0;
    QMap<uchar, QNatureLabel *> old;
    old.swap(mLabelMap);
    const KeyPositionMap positions = gKeyboardConfig ? gKeyboardConfig->keyPositionMap : KeyPositionMap();
    setKeyPositions(positions);
    const int count = int(positions.size());
    for (int k = 0; k < count && k < 256; ++k) {
        const uchar item = uchar(k);
        const auto position = positions.value(item);
        if (!position || !position->flag)
            continue;
        const auto key = gKeyboardConfig->getKeyboardKeyInfo(0, item);
        if (!key)
            continue;
        const KeyLegend legend = KeyLegend::forFunction(key->type, key->hValue, key->lValue);
        if (legend.isBlank())
            continue;
        QNatureLabel *tile = old.take(item);
        if (!tile)
            tile = new QNatureLabel(this);
        if (!placeTile(item, tile)) {
            delete tile;
            continue;
        }
        tile->setLegend(legend);
        tile->setTopDisplayStatus(mTriggerShown);
        tile->setBottomDisplayStatus(mQuickShown);
        tile->setItemIndex(item);
        tile->setSelectStatus(false);
        tile->show();
        mLabelMap.insert(item, tile);
    }
    qDeleteAll(old);
    update();
}

void QNatureKeyboardWidget::selectAllKey()
{
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->setSelectStatus(true);
}

void QNatureKeyboardWidget::invertAllKey()
{
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->invertSelectStatus();
}

void QNatureKeyboardWidget::deselectAllKey()
{
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->setSelectStatus(false);
}

void QNatureKeyboardWidget::setSelectKey(const QList<uchar> &keys)
{
    for (uchar item : keys) {
        if (QNatureLabel *tile = mLabelMap.value(item))
            tile->setSelectStatus(true);
    }
}

QList<uchar> QNatureKeyboardWidget::getSelectKey() const
{
    QList<uchar> keys;
    for (auto it = mLabelMap.cbegin(); it != mLabelMap.cend(); ++it) {
        if (it.value()->getSelectStatus())
            keys.append(it.key());
    }
    return keys;
}

void QNatureKeyboardWidget::setTriggerDisplayStatus(bool shown)
{
    mTriggerShown = shown;
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->setTopDisplayStatus(shown);
}

void QNatureKeyboardWidget::setQuickTriggerDisplayStatus(bool shown)
{
    mQuickShown = shown;
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->setBottomDisplayStatus(shown);
}

QColor QNatureKeyboardWidget::defaultValueColor(int which)
{
    switch (which) {
    case QuickValue:
        return QColor(22, 93, 25);
    case ResetValue:
        return QColor(0, 180, 42);
    default:
        return QColor(255, 105, 0);
    }
}

QColor QNatureKeyboardWidget::valueColor(int which) const
{
    return which >= TriggerValue && which <= ResetValue ? mValueColors[which] : QColor();
}

void QNatureKeyboardWidget::setValueColor(int which, const QColor &color)
{
    mValueColors[which] = color;
    for (QNatureLabel *tile : std::as_const(mLabelMap))
        tile->update();
}

QNatureLabel *QNatureKeyboardWidget::labelAt(const QPointF &position) const
{
    const QPoint point(int(std::round(position.x())), int(std::round(position.y())));
    for (QNatureLabel *tile : mLabelMap) {
        if (tile->geometry().contains(point))
            return tile;
    }
    return nullptr;
}

void QNatureKeyboardWidget::mousePressEvent(QMouseEvent *event)
{
    qInfo().noquote() << "=== QNatureLabel mousePressEvent ===";
    Q_EMIT selection_pressed();
    mMousePress = true;
    mPressedTile = labelAt(event->position());
    if (mPressedTile) {
        mPressedTile->invertSelectStatus();
        mLastSelectKey = mPressedTile->getItemIndex();
    }
    KeyboardPicture::mousePressEvent(event);
    // The gesture is the picture's: it goes on to its end here, and nothing behind hears of it.
    event->accept();
}

void QNatureKeyboardWidget::mouseMoveEvent(QMouseEvent *event)
{
    // A drag selects every tile it passes; a pointer that trembles within the pressed tile
    // leaves the click's toggle alone.
    QNatureLabel *tile = mMousePress ? labelAt(event->position()) : nullptr;
    if (tile && tile != mPressedTile) {
        mPressedTile = nullptr;
        tile->setSelectStatus(true);
        mLastSelectKey = tile->getItemIndex();
    }
    KeyboardPicture::mouseMoveEvent(event);
    event->accept();
}

void QNatureKeyboardWidget::mouseReleaseEvent(QMouseEvent *event)
{
    qInfo().noquote() << "=== QNatureLabel mouseReleaseEvent ===";
    mMousePress = false;
    mPressedTile = nullptr;
    Q_EMIT keyboard_select();
    KeyboardPicture::mouseReleaseEvent(event);
    event->accept();
}
