#include "pages/keys/QKeyKeyboardWidget.h"

#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyLegend.h"
#include "pages/common/TipText.h"
#include "pages/keys/QCustomLabel.h"

#include <QDebug>

namespace {
// Advanced keys of these kinds (RS, OKS, SOCD) bind two keys and are changed on their own page.
bool isPairedHighKey(const KEYBOARD_KEY_INFO &key)
{
    if (key.type != KeyTypeHighKey || !gKeyboardConfig)
        return false;
    const uchar kind = gKeyboardConfig->getKeyboardHighKeyIcon(key.lValue);
    return kind >= 3 && kind <= 5;
}
} // namespace

QKeyKeyboardWidget::QKeyKeyboardWidget(uchar layer, QWidget *parent) : KeyboardPicture(parent), mLayer(layer)
{
    setObjectName(QStringLiteral("QKeyKeyboardWidget"));
    resize(932, 344);
    setMinimumSize(932, 344);
    qInfo().noquote() << "=== QKeyKeyboardWidget 初始化 ===";
}

QKeyKeyboardWidget::~QKeyKeyboardWidget()
{
    TipText::hidePrompt();
    qDeleteAll(mLabelList);
    qInfo().noquote() << "=== QKeyKeyboardWidget 销毁 ===";
}

void QKeyKeyboardWidget::initializeKeyboard()
{
    qDeleteAll(mLabelList);
    mLabelList.clear();
    const KeyPositionMap *layout = layoutModelKeys();
    if (!layout)
        return;
    const KeyPositionMap &positions = *layout;

    int expected = 0;
    for (auto it = positions.cbegin(); it != positions.cend(); ++it, ++expected) {
        const uchar item = it.key();
        if (item != expected) {
            qInfo().noquote() << QStringLiteral("=== QKeyKeyboardWidget 按键位置缺少 keyItem={%1}..{%2} ===")
                                     .arg(expected)
                                     .arg(item - 1);
            expected = item;
        }
        if (!it.value()) {
            qInfo().noquote() << QStringLiteral("=== QKeyKeyboardWidget 按键位置为空 keyItem={%1} ===").arg(item);
            continue;
        }
        if (!it.value()->flag)
            continue;
        auto *tile = new QCustomLabel(item, this);
        if (!placeTile(item, tile)) {
            delete tile;
            continue;
        }
        tile->show();
        if (!gKeyboardConfig->getKeyboardKeyInfo(mLayer, item)) {
            // No binding to show or change: the key stays blank and locked.
            qInfo().noquote() << QStringLiteral("=== QKeyKeyboardWidget 按键没有功能 layer={%1};keyItem={%2} ===")
                                     .arg(mLayer)
                                     .arg(item);
            tile->setEnabled(false);
            continue;
        }
        tile->setEnabled(!showBinding(tile));
        mLabelList.append(tile);
        connect(tile, &QCustomLabel::label_clicked, this, &QKeyKeyboardWidget::custom_label_clicked);
    }
    update();
}

bool QKeyKeyboardWidget::showBinding(QCustomLabel *tile)
{
    const auto key = gKeyboardConfig ? gKeyboardConfig->getKeyboardKeyInfo(mLayer, tile->item()) : nullptr;
    if (!key) {
        tile->setLegend(KeyLegend());
        return false;
    }
    tile->setLegend(KeyLegend::forFunction(key->type, key->hValue, key->lValue));
    return isPairedHighKey(*key);
}

void QKeyKeyboardWidget::custom_label_clicked(uchar item)
{
    mSelectFlag = !mSelectFlag;
    if (mSelectFlag) {
        mSelectItem = item;
        for (QCustomLabel *tile : std::as_const(mLabelList)) {
            if (tile->item() == item) {
                tile->setLegend(KeyLegend());
                tile->setSelected(true);
                displaySelectPrompt(true, tile);
            } else {
                tile->setEnabled(false);
            }
        }
    } else {
        mSelectItem = KeyboardConfigUtil::NoItem;
        for (QCustomLabel *tile : std::as_const(mLabelList)) {
            tile->setSelected(false);
            tile->setEnabled(!showBinding(tile));
        }
        displaySelectPrompt(false, nullptr);
    }
    qInfo().noquote() << QStringLiteral("=== QKeyKeyboardWidget custom_label_clicked keyItem:( %1 } ===").arg(item);
}

void QKeyKeyboardWidget::displaySelectPrompt(bool show, QWidget *target)
{
    if (show)
        TipText::showPrompt(target, QStringLiteral("QKeyKeyboardWidget/mPromptLabel"));
    else
        TipText::hidePrompt();
}
