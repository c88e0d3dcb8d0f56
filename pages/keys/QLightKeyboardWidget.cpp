#include "pages/keys/QLightKeyboardWidget.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyLegend.h"
#include "pages/common/QLightKeyLabel.h"

#include <QDebug>
#include <QMouseEvent>

namespace {
// Brightness of a key whose light is off; above the largest brightness a key has no colour.
constexpr uchar kLightOff = 0;
constexpr uchar kLightMax = 100;
} // namespace

QLightKeyboardWidget::QLightKeyboardWidget(QWidget *parent) : KeyboardPicture(parent)
{
    setObjectName(QStringLiteral("QLightKeyboardWidget"));
    resize(932, 344);
    setMinimumSize(932, 344);
    qInfo().noquote() << "=== QLightKeyboardWidget 初始化 ===";
}

QLightKeyboardWidget::~QLightKeyboardWidget()
{
    qInfo().noquote() << "=== QLightKeyboardWidget 销毁 ===";
}

void QLightKeyboardWidget::initializeKeyboard()
{
    qDeleteAll(mLabelList);
    mLabelList.clear();
    const KeyPositionMap *positions = layoutModelKeys();
    if (!positions)
        return;
    for (auto it = positions->cbegin(); it != positions->cend(); ++it) {
        if (!it.value() || !it.value()->flag)
            continue;
        auto *tile = new QLightKeyLabel(this);
        tile->setItemIndex(it.key());
        if (!placeTile(it.key(), tile)) {
            delete tile;
            continue;
        }
        // Every drawn key has a light, bound or not; an unbound one shows a blank keycap.
        const auto binding = gKeyboardConfig->getKeyboardKeyInfo(0, it.key());
        if (binding)
            tile->setLegend(KeyLegend::forFunction(binding->type, binding->hValue, binding->lValue));
        showColor(tile);
        tile->setEnabled(mEnabled);
        tile->show();
        mLabelList.append(tile);
    }
    update();
}

void QLightKeyboardWidget::showColor(QLightKeyLabel *tile)
{
    const auto light = gKeyboardConfig ? gKeyboardConfig->getKeyboardCustomLight(tile->getItemIndex()) : nullptr;
    if (!light || light->light > kLightMax) {
        tile->clearColor();
        tile->setOff(false);
        return;
    }
    // A key that is off keeps the theme's keycap, outlined so that it stays visible.
    tile->setOff(light->light == kLightOff);
    if (light->light == kLightOff)
        tile->clearColor();
    else
        tile->setColor(QColor(light->colorR, light->colorG, light->colorB));
}

void QLightKeyboardWidget::refreshKeyColors()
{
    for (QLightKeyLabel *tile : std::as_const(mLabelList))
        showColor(tile);
}

void QLightKeyboardWidget::selectAllKey()
{
    for (QLightKeyLabel *tile : std::as_const(mLabelList))
        tile->setSelectStatus(true);
}

void QLightKeyboardWidget::invertAllKey()
{
    for (QLightKeyLabel *tile : std::as_const(mLabelList))
        tile->invertSelectStatus();
}

void QLightKeyboardWidget::deselectAllKey()
{
    for (QLightKeyLabel *tile : std::as_const(mLabelList))
        tile->setSelectStatus(false);
}

void QLightKeyboardWidget::setKeyboardEnable(bool enable)
{
    mEnabled = enable;
    for (QLightKeyLabel *tile : std::as_const(mLabelList))
        tile->setEnabled(enable);
}

QList<uchar> QLightKeyboardWidget::getSelectKey() const
{
    QList<uchar> keys;
    for (const QLightKeyLabel *tile : mLabelList) {
        if (tile->getSelectStatus())
            keys.append(tile->getItemIndex());
    }
    return keys;
}

QLightKeyLabel *QLightKeyboardWidget::selectableTileAt(const QPointF &pos) const
{
    auto *tile = qobject_cast<QLightKeyLabel *>(tileAt(pos.toPoint()));
    return tile && tile->isEnabled() ? tile : nullptr;
}

void QLightKeyboardWidget::mousePressEvent(QMouseEvent *event)
{
    mPressed = true;
    if (QLightKeyLabel *tile = selectableTileAt(event->position()))
        tile->invertSelectStatus();
    event->accept();
}

void QLightKeyboardWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (mPressed) {
        if (QLightKeyLabel *tile = selectableTileAt(event->position()))
            tile->setSelectStatus(true);
    }
    KeyboardPicture::mouseMoveEvent(event);
}

void QLightKeyboardWidget::mouseReleaseEvent(QMouseEvent *event)
{
    mPressed = false;
    KeyboardPicture::mouseReleaseEvent(event);
}
