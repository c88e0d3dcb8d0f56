#include "pages/common/QLightKeyLabel.h"

QLightKeyLabel::QLightKeyLabel(QWidget *parent) : KeyTile(parent)
{
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
}

void QLightKeyLabel::setColor(const QColor &color)
{
    if (!color.isValid()) {
        clearColor();
        return;
    }
    const QColor rgb = color.toRgb();
    setFaceColor(QColor(rgb.red(), rgb.green(), rgb.blue()));
}
