#include "pages/tuning/QAlignKeyboardWidget.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyLegend.h"
#include "pages/tuning/QAdjustKeyLabel.h"

#include <QDebug>
#include <QHash>

QAlignKeyboardWidget::QAlignKeyboardWidget(QWidget *parent) : KeyboardPicture(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("QAlignKeyboardWidget"));
    resize(923, 344);
    setMinimumSize(923, 344);
    setWindowTitle(QStringLiteral("Form"));
    qInfo().noquote() << "=== QAlignKeyboardWidget 初始化 ===";
}

QAlignKeyboardWidget::~QAlignKeyboardWidget()
{
    qInfo().noquote() << "=== QAlignKeyboardWidget 销毁 ===";
}

int QAlignKeyboardWidget::fullTravel()
{
    return gKeyboardConfig && gKeyboardConfig->productInfo ? int(gKeyboardConfig->productInfo->triggerMax) : 0;
}

void QAlignKeyboardWidget::initializeKeyboard()
{
    // Every tile goes, also those of keys without a function, which are not in the list.
    qDeleteAll(findChildren<KeyTile *>(QString(), Qt::FindDirectChildrenOnly));
    mLabelList.clear();
    if (!gKeyboardConfig || gKeyboardConfig->keyPositionMap.isEmpty()) {
        update();
        return;
    }
    const KeyPositionMap &positions = gKeyboardConfig->keyPositionMap;
    setKeyPositions(positions);
    const int travel = fullTravel();
    for (auto it = positions.cbegin(); it != positions.cend(); ++it) {
        if (!it.value() || !it.value()->flag)
            continue;
        const uchar item = it.key();
        auto *tile = new QAdjustKeyLabel(item, this);
        if (!placeTile(item, tile)) {
            delete tile;
            continue;
        }
        tile->setFullTravel(travel);
        tile->show();
        const auto key = gKeyboardConfig->getKeyboardKeyInfo(0, item);
        if (!key) {
            // Nothing to label it with: the tile stays blank and is never updated.
            qInfo().noquote() << QStringLiteral("=== QAlignKeyboardWidget 按键没有功能 keyItem={%1} ===").arg(item);
            continue;
        }
        tile->setLegend(KeyLegend::forFunction(key->type, key->hValue, key->lValue));
        mLabelList.append(tile);
    }
    update();
}

QAdjustKeyLabel *QAlignKeyboardWidget::adjustTile(uchar keyItem) const
{
    for (QAdjustKeyLabel *tile : mLabelList) {
        if (tile->getItem() == keyItem)
            return tile;
    }
    return nullptr;
}

void QAlignKeyboardWidget::setKeyStatus(const uchar &keyItem, const uchar &status)
{
    if (QAdjustKeyLabel *tile = adjustTile(keyItem))
        tile->setKeyStatus(status);
}

void QAlignKeyboardWidget::applyDepth(QAdjustKeyLabel *tile, int depth)
{
    const int travel = fullTravel();
    // Without a known full travel any press counts as a full one.
    const bool full = travel > 0 ? depth >= travel : depth > 0;
    if (full)
        tile->setKeyStatus(QAdjustKeyLabel::StatusPassed);
    tile->setDownDepth(depth);
}

void QAlignKeyboardWidget::setListKeyDepth(const QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> &list)
{
    QHash<uchar, int> depths;
    for (const auto &entry : list) {
        if (entry && !depths.contains(entry->keyItem))
            depths.insert(entry->keyItem, entry->value);
    }
    for (QAdjustKeyLabel *tile : std::as_const(mLabelList)) {
        const auto found = depths.constFind(tile->getItem());
        if (found != depths.cend())
            applyDepth(tile, found.value());
        else
            tile->setDownDepth(0);
    }
}

void QAlignKeyboardWidget::setKeyDepth(const uchar &keyItem, const int &depth)
{
    if (QAdjustKeyLabel *tile = adjustTile(keyItem))
        applyDepth(tile, depth);
}

QList<QSharedPointer<ALIGN_STRUCT>> QAlignKeyboardWidget::getAllKeyStatus() const
{
    QList<QSharedPointer<ALIGN_STRUCT>> out;
    for (const QAdjustKeyLabel *tile : mLabelList)
        out.append(QSharedPointer<ALIGN_STRUCT>(new ALIGN_STRUCT{tile->getItem(), tile->getKeyStatus()}));
    return out;
}
