#include "pages/common/KeyboardPicture.h"

#include "model/AppPaths.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/common/KeycapPainter.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QStyleOption>

KeyboardPicture::KeyboardPicture(QWidget *parent) : QWidget(parent)
{
    const KeycapColors defaults;
    mCap = defaults.cap;
    mCapSide = defaults.capSide;
    mLegend = defaults.legend;
    mDisabledLegend = defaults.disabledLegend;
    mHover = defaults.hover;
    mBorder = defaults.border;
    mHalo = defaults.halo;
    mCase = defaults.caseColor;
    mCaseEdge = defaults.caseEdge;
    mPlate = defaults.plate;
    mShadow = defaults.shadow;
    connect(this, &KeyboardPicture::colorsChanged, this, &KeyboardPicture::repaintAll);
}

KeycapColors KeyboardPicture::colors() const
{
    KeycapColors c;
    c.cap = mCap;
    c.capSide = mCapSide;
    c.legend = mLegend;
    c.disabledLegend = mDisabledLegend;
    c.hover = mHover;
    c.border = mBorder;
    c.halo = mHalo;
    c.caseColor = mCase;
    c.caseEdge = mCaseEdge;
    c.plate = mPlate;
    c.shadow = mShadow;
    return c;
}

void KeyboardPicture::setKeyPositions(const KeyPositionMap &positions)
{
    // The same table again (a picture refilled from the model) keeps its layout and its case.
    if (positions == mPositions && !mLayout.isEmpty())
        return;
    mPositions = positions;
    relayout();
}

const KeyPositionMap *KeyboardPicture::layoutModelKeys()
{
    if (!gKeyboardConfig || gKeyboardConfig->keyPositionMap.isEmpty()) {
        update();
        return nullptr;
    }
    setKeyPositions(gKeyboardConfig->keyPositionMap);
    return &gKeyboardConfig->keyPositionMap;
}

bool KeyboardPicture::placeTile(uchar item, KeyTile *tile)
{
    if (!tile)
        return false;
    tile->setObjectName(KeyTile::objectNameFor(item));
    const QRect rect = mLayout.keyRect(item);
    if (rect.isNull()) {
        tile->hide();
        return false;
    }
    mPlaced.insert(item, tile);
    tile->setGeometry(rect);
    tile->setUnit(mLayout.unit());
    return true;
}

KeyTile *KeyboardPicture::tile(uchar item) const
{
    return findChild<KeyTile *>(KeyTile::objectNameFor(item), Qt::FindDirectChildrenOnly);
}

KeyTile *KeyboardPicture::tileAt(const QPoint &pos) const
{
    for (KeyTile *child : findChildren<KeyTile *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && child->geometry().contains(pos))
            return child;
    }
    return nullptr;
}

void KeyboardPicture::placeOnPage()
{
    if (gKeyboardConfig && gKeyboardConfig->keyPositionMap.size() == 68) {
        setMinimumSize(865, 290);
        resize(865, 290);
        move(30, 27);
    } else {
        move(0, 0);
    }
}

QString KeyboardPicture::backgroundPicturePath()
{
    if (!gKeyboardConfig || !gKeyboardConfig->productInfo || gKeyboardConfig->productInfo->productData.isEmpty())
        return QString();
    const bool dark = gSystemConfig && gSystemConfig->getTheme() == 1;
    const QString path = QDir(AppPaths::dataDir())
                             .filePath(gKeyboardConfig->productInfo->productData +
                                       (dark ? QStringLiteral("/dark/keyboard_bg.png") : QStringLiteral("/light/keyboard_bg.png")));
    return QFileInfo::exists(path) ? path : QString();
}

void KeyboardPicture::relayout()
{
    mLayout = KeyboardLayout(mPositions, QRectF(contentsRect()));
    mBackground = backgroundPicturePath();
    for (auto it = mPlaced.cbegin(); it != mPlaced.cend(); ++it) {
        if (!it.value())
            continue;
        it.value()->setGeometry(mLayout.keyRect(it.key()));
        it.value()->setUnit(mLayout.unit());
    }
    mCaseKey.clear();
    update();
}

void KeyboardPicture::repaintAll()
{
    mCaseKey.clear();
    update();
    for (KeyTile *child : findChildren<KeyTile *>(QString(), Qt::FindDirectChildrenOnly))
        child->update();
}

QPixmap KeyboardPicture::casePixmap()
{
    const qreal ratio = devicePixelRatioF();
    const QString &background = mBackground;
    const KeycapColors c = colors();
    const QString key = QStringLiteral("%1x%2|%3|%4|%5|%6|%7").arg(width()).arg(height()).arg(ratio).arg(background)
                            .arg(c.caseColor.rgba()).arg(c.plate.rgba()).arg(c.caseEdge.rgba());
    if (key == mCaseKey)
        return mCaseCache;
    mCaseKey = key;
    mCaseCache = QPixmap((QSizeF(size()) * ratio).toSize());
    mCaseCache.setDevicePixelRatio(ratio);
    mCaseCache.fill(Qt::transparent);
    QPainter painter(&mCaseCache);
    if (!background.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(mLayout.caseRect(), QImage(background));
    } else {
        KeycapPainter::paintCase(painter, mLayout.caseRect(), mLayout.keysRect(), mLayout.unit(), c);
    }
    return mCaseCache;
}

void KeyboardPicture::paintEvent(QPaintEvent *event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (mCaseVisible && !mLayout.isEmpty())
        painter.drawPixmap(0, 0, casePixmap());
    painter.end();
    QWidget::paintEvent(event);
}

void KeyboardPicture::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void KeyboardPicture::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::ContentsRectChange)
        relayout();
}
