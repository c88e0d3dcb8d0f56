#include "pages/common/KeyboardLayout.h"

#include <QtMath>

namespace {
// The most common key height of the table: the height of a 1u key.
qreal commonHeight(const QList<QSharedPointer<KEY_POSITION>> &drawn)
{
    QMap<int, int> counts;
    for (const auto &key : drawn)
        ++counts[key->height];
    int best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return best;
}
} // namespace

KeyboardLayout::KeyboardLayout(const KeyPositionMap &positions, const QRectF &area)
{
    QList<QSharedPointer<KEY_POSITION>> drawn;
    QRectF source;
    for (const auto &key : positions) {
        if (!key || !key->flag || key->width <= 0 || key->height <= 0)
            continue;
        drawn.append(key);
        source |= QRectF(key->left, key->top, key->width, key->height);
    }
    if (drawn.isEmpty() || area.isEmpty())
        return;

    const qreal margin = CaseMargin * commonHeight(drawn);
    const QRectF withCase = source.adjusted(-margin, -margin, margin, margin);
    mScale = qMin(area.width() / withCase.width(), area.height() / withCase.height());
    const QPointF offset = area.center() - withCase.center() * mScale;
    const auto map = [this, offset](const QRectF &r) {
        return QRectF(offset + r.topLeft() * mScale, r.size() * mScale);
    };
    mKeysRect = map(source);
    mCaseRect = map(withCase);
    mUnit = commonHeight(drawn) * mScale;
    for (const auto &key : drawn) {
        const QRectF r = map(QRectF(key->left, key->top, key->width, key->height));
        const int left = qRound(r.left());
        const int top = qRound(r.top());
        mRects.insert(key->keyItem, QRect(left, top, qRound(r.right()) - left, qRound(r.bottom()) - top));
    }
}

QList<uchar> KeyboardLayout::keysSharingPosition(const KeyPositionMap &positions, uchar keyItem)
{
    QList<uchar> keys{keyItem};
    const auto own = positions.value(keyItem);
    if (!own)
        return keys;
    for (const auto &key : positions) {
        if (key && key->keyItem != keyItem && key->posItem == own->posItem)
            keys.append(key->keyItem);
    }
    return keys;
}
