#include "pages/keys/QRsoKeyboardWidget.h"

#include "model/KeyCodeTables.h"
#include "pages/common/KeyTile.h"

#include <QDebug>

QRsoKeyboardWidget::QRsoKeyboardWidget(uchar firstKey, QWidget *parent) : HighKeyPicture(parent), mFirstKey(firstKey)
{
    setObjectName(QStringLiteral("QRsoKeyboardWidget"));
    setWindowTitle(QStringLiteral("Form"));
    qInfo().noquote() << "=== QRsoKeyboardWidget 初始化 ===";
}

QRsoKeyboardWidget::~QRsoKeyboardWidget()
{
    qInfo().noquote() << "=== QRsoKeyboardWidget 销毁 ===";
}

void QRsoKeyboardWidget::refreshHighKeyType()
{
    for (KeyTile *tile : tiles()) {
        const uchar item = itemOf(tile);
        const auto key = binding(item);
        if (key && key->type == KeyTypeHighKey) {
            tile->setEnabled(false);
        } else if (item == mFirstKey) {
            tile->setSelected(true);
            tile->setEnabled(false);
        } else {
            tile->setEnabled(isFactoryKeyboardKey(item));
        }
    }
    update();
}

void QRsoKeyboardWidget::setKeyboardInvalid()
{
    for (KeyTile *tile : tiles())
        tile->setEnabled(false);
}

void QRsoKeyboardWidget::pressTile(uchar, KeyTile *tile, const KEYBOARD_KEY_INFO &)
{
    const uchar picked = togglePick(tile);
    qInfo().noquote() << QStringLiteral("=== QRsoKeyboardWidget keyboard_select mItem:{ %1 } ===").arg(picked);
    Q_EMIT keyboard_select(picked);
}
