#include "pages/keys/HighKeyPicture.h"

#include "pages/common/QLightKeyLabel.h"

#include "model/KeyCodeTables.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/common/KeyLegend.h"
#include "pages/common/KeyTile.h"

#include <QDebug>
#include <QMouseEvent>

HighKeyPicture::HighKeyPicture(QWidget *parent) : KeyboardPicture(parent)
{
    resize(932, 344);
    setMinimumSize(932, 344);
}

HighKeyPicture::~HighKeyPicture() = default;

void HighKeyPicture::initializeKeyboard()
{
    mPicked = nullptr;
    mTiles.clear();
    qDeleteAll(mItems.keys());
    mItems.clear();
    if (!gKeyboardConfig || gKeyboardConfig->keyPositionMap.isEmpty()) {
        update();
        return;
    }
    const KeyPositionMap &positions = gKeyboardConfig->keyPositionMap;
    setKeyPositions(positions);
    for (auto it = positions.cbegin(); it != positions.cend(); ++it) {
        if (!it.value() || !it.value()->flag)
            continue;
        const uchar item = it.key();
        auto *tile = new QLightKeyLabel(this);
        if (!placeTile(item, tile)) {
            delete tile;
            continue;
        }
        mItems.insert(tile, item);
        tile->show();
        const auto key = binding(item);
        if (!key) {
            // Nothing to show or to bind: the tile stays blank and a press on it does nothing.
            qInfo().noquote() << QStringLiteral("=== %1 按键没有功能 keyItem={%2} ===")
                                     .arg(QString::fromLatin1(metaObject()->className()))
                                     .arg(item);
            continue;
        }
        tile->setLegend(KeyLegend::forFunction(key->type, key->hValue, key->lValue));
        mTiles.append(tile);
    }
    tilesBuilt();
    update();
}

uchar HighKeyPicture::getSelectKeyItem() const
{
    return mPicked ? itemOf(mPicked) : uchar(KeyboardConfigUtil::NoItem);
}

uchar HighKeyPicture::togglePick(KeyTile *tile)
{
    if (mPicked == tile) {
        tile->setSelected(false);
        mPicked = nullptr;
    } else {
        if (mPicked)
            mPicked->setSelected(false);
        tile->setSelected(true);
        mPicked = tile;
    }
    return getSelectKeyItem();
}

void HighKeyPicture::clearPick()
{
    if (mPicked)
        mPicked->setSelected(false);
    mPicked = nullptr;
}

QSharedPointer<KEYBOARD_KEY_INFO> HighKeyPicture::binding(uchar item)
{
    return gKeyboardConfig ? gKeyboardConfig->getKeyboardKeyInfo(0, item) : QSharedPointer<KEYBOARD_KEY_INFO>();
}

bool HighKeyPicture::isFactoryKeyboardKey(uchar item)
{
    const auto key = binding(item);
    const auto factory = gKeyboardConfig ? gKeyboardConfig->getKeyboardDefaultKeyInfo(item, 0)
                                         : QSharedPointer<PRODUCT_DEFAULT_KEY>();
    // A key without a factory record cannot be told apart from a reassigned one: it stays out.
    return key && factory && key->type == KeyTypeKeyboard && factory->type == KeyTypeKeyboard &&
           key->hValue == factory->hValue && key->lValue == factory->lValue;
}

void HighKeyPicture::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    for (auto it = mItems.cbegin(); it != mItems.cend(); ++it) {
        auto *tile = const_cast<KeyTile *>(it.key());
        if (!tile->isEnabled() || !tile->geometry().contains(pos))
            continue;
        const auto key = binding(it.value());
        if (key) {
            const KEYBOARD_KEY_INFO copy = *key;
            pressTile(it.value(), tile, copy);
        }
        break;
    }
    KeyboardPicture::mousePressEvent(event);
}
