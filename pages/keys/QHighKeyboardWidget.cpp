#include "pages/keys/QHighKeyboardWidget.h"

#include "model/KeyCodeTables.h"
#include "pages/common/KeyTile.h"
#include "pages/keys/HighKeyLabels.h"

#include <QDebug>

QHighKeyboardWidget::QHighKeyboardWidget(int kind, QWidget *parent) : HighKeyPicture(parent), mKind(kind)
{
    setObjectName(QStringLiteral("QHighKeyboardWidget"));
    setWindowTitle(QStringLiteral("Form"));
    qInfo().noquote() << "=== QHighKeyboardWidget 初始化 ===";
}

QHighKeyboardWidget::~QHighKeyboardWidget()
{
    qInfo().noquote() << "=== QHighKeyboardWidget 销毁 ===";
}

void QHighKeyboardWidget::setHighKeyType(int kind)
{
    if (kind == mKind)
        return;
    mKind = kind;
    applyKind();
    clearPick();
    update();
}

void QHighKeyboardWidget::tilesBuilt()
{
    // A picture built while RS, OKS or SOCD is shown greys out the same keys as a kind change.
    applyKind();
}

void QHighKeyboardWidget::applyKind()
{
    if (!HighKeyLabels::isKind(mKind))
        return;
    const bool pairs = HighKeyLabels::isPairKind(mKind);
    for (KeyTile *tile : tiles()) {
        const uchar item = itemOf(tile);
        const auto key = binding(item);
        tile->setEnabled(!pairs || (key && key->type == KeyTypeHighKey) || isFactoryKeyboardKey(item));
    }
}

void QHighKeyboardWidget::pressTile(uchar item, KeyTile *tile, const KEYBOARD_KEY_INFO &binding)
{
    if (binding.type == KeyTypeHighKey) {
        Q_EMIT keyboard_select(item);
        return;
    }
    togglePick(tile);
}
