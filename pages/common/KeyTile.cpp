#include "pages/common/KeyTile.h"

#include "pages/common/KeyboardPicture.h"

#include <QEvent>
#include <QPainter>

KeyTile::KeyTile(QWidget *parent) : QLabel(parent)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

QString KeyTile::objectNameFor(uchar item)
{
    return QStringLiteral("keyTile%1").arg(item);
}

void KeyTile::setLegend(const KeyLegend &legend)
{
    mLayout.legend = legend;
    setText(legend.text());
    relayout();
    setToolTip(mLayout.legend.toolTip());
    update();
}

void KeyTile::setUnit(qreal unit)
{
    if (qFuzzyCompare(unit, mUnit))
        return;
    mUnit = unit;
    relayout();
    update();
}

void KeyTile::setSelected(bool selected)
{
    if (mLook.selected == selected)
        return;
    mLook.selected = selected;
    update();
}

void KeyTile::setFaceColor(const QColor &color)
{
    mLook.face = color;
    update();
}

void KeyTile::setOff(bool off)
{
    mLook.off = off;
    update();
}

KeycapColors KeyTile::colors() const
{
    for (QWidget *up = parentWidget(); up; up = up->parentWidget()) {
        if (const auto *picture = qobject_cast<const KeyboardPicture *>(up))
            return picture->colors();
    }
    return KeycapColors();
}

void KeyTile::relayout()
{
    const qreal unit = mUnit > 0 ? mUnit : height();
    const KeyLegend legend = mLayout.legend;
    mLayout = KeycapPainter::layoutLegend(legend, rect(), unit, font(), legendBox());
}

void KeyTile::refreshLegend()
{
    relayout();
    update();
}

KeycapLook KeyTile::currentLook() const
{
    KeycapLook look = mLook;
    look.hovered = underMouse() && isEnabled() && !mLook.selected;
    look.disabled = !isEnabled();
    return look;
}

void KeyTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    KeycapPainter::paintKeycap(painter, rect(), mUnit > 0 ? mUnit : height(), colors(), currentLook(), mLayout);
}

void KeyTile::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    relayout();
}

void KeyTile::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    update();
}

void KeyTile::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    update();
}

void KeyTile::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    // A new style sheet brings another font or another theme's icons.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        relayout();
    if (event->type() == QEvent::EnabledChange)
        update();
}
