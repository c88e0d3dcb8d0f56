#include "pages/common/KeycapPainter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QtMath>

#include <algorithm>
#include <cmath>

const char *const KeycapPainter::SelectMarkPath = ":/images/images/light/light_key_select.png";

namespace {
constexpr qreal kMinLegendPixels = 8;
// Least contrast of a legend with its face (WCAG's ratio for text), and of a disabled one.
constexpr qreal kLegendContrast = 4.5;
constexpr qreal kDisabledLegendContrast = 3.0;

qreal capRadius(qreal unit)
{
    return qMax<qreal>(2.5, 0.09 * unit);
}

// The body and top face of a keycap of one size and state, cached as a pixmap per device ratio.
QPixmap keycapBody(const QSizeF &size, qreal unit, const KeycapColors &colors, const KeycapLook &look, qreal ratio)
{
    const QColor face = KeycapPainter::topFaceColor(colors, look);
    const QColor side = look.face.isValid() ? look.face.darker(125) : colors.capSide;
    const QString key = QStringLiteral("quill-cap|%1x%2|%3|%4|%5|%6|%7|%8|%9")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(unit)
                            .arg(face.rgba())
                            .arg(side.rgba())
                            .arg(colors.border.rgba())
                            .arg(look.off ? 1 : 0)
                            .arg(look.disabled ? 1 : 0)
                            .arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;

    pixmap = QPixmap((size * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = capRadius(unit);

    QLinearGradient sideFill(body.topLeft(), body.bottomLeft());
    sideFill.setColorAt(0, side.lighter(106));
    sideFill.setColorAt(1, side.darker(112));
    p.setPen(QPen(look.off ? colors.border.lighter(130) : colors.border, 1));
    p.setBrush(sideFill);
    p.drawRoundedRect(body, radius, radius);

    const QRectF top = KeycapPainter::faceRect(QRectF(QPointF(0, 0), size), unit);
    QLinearGradient faceFill(top.topLeft(), top.bottomLeft());
    faceFill.setColorAt(0, face.lighter(103));
    faceFill.setColorAt(1, face);
    p.setPen(Qt::NoPen);
    p.setBrush(faceFill);
    p.drawRoundedRect(top, radius * 0.8, radius * 0.8);
    // A faint highlight along the face's upper edge.
    p.setPen(QPen(QColor(255, 255, 255, look.face.isValid() ? 50 : 90), 1));
    p.drawLine(QPointF(top.left() + radius, top.top() + 0.5), QPointF(top.right() - radius, top.top() + 0.5));
    if (look.off) {
        p.setPen(QPen(colors.border.lighter(140), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(top.adjusted(1, 1, -1, -1), radius * 0.7, radius * 0.7);
    }
    p.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void paintSelection(QPainter &p, const QRectF &rect, qreal unit, const KeycapColors &colors)
{
    const qreal radius = capRadius(unit);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colors.selection, 1.5));
    p.drawRoundedRect(rect.adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
    QColor halo = colors.halo;
    halo.setAlpha(200);
    p.setPen(QPen(halo, 1));
    p.drawRoundedRect(rect.adjusted(2, 2, -2, -2), radius * 0.8, radius * 0.8);

    const qreal mark = qBound<qreal>(8, 0.32 * unit, 12);
    const QPixmap pixmap = KeycapPainter::icon(QString::fromLatin1(KeycapPainter::SelectMarkPath), QSizeF(mark, mark),
                                               p.device() ? p.device()->devicePixelRatioF() : 1.0);
    if (!pixmap.isNull())
        p.drawPixmap(QPointF(rect.right() - mark - 1, rect.top() + 1), pixmap);
}
} // namespace

QRectF KeycapPainter::faceRect(const QRectF &rect, qreal unit)
{
    return rect.adjusted(0.10 * unit, 0.05 * unit, -0.10 * unit, -0.15 * unit);
}

LegendLayout KeycapPainter::layoutLegend(const KeyLegend &legend, const QRectF &rect, qreal unit, const QFont &base,
                                         const QRectF &box)
{
    LegendLayout layout;
    layout.legend = legend;
    layout.box = box;
    const QRectF area = box.isEmpty() ? faceRect(rect, unit) : box;
    if (legend.kind() == KeyLegend::Icon && QFile::exists(legend.iconPath())) {
        const qreal side = qMax<qreal>(6, std::min({area.width() * 0.8, area.height() * 0.8, 0.62 * unit}));
        layout.iconPath = legend.iconPath();
        layout.iconSize = QSizeF(side, side);
        return layout;
    }
    if (legend.text().isEmpty())
        return layout;

    const bool narrow = rect.width() < 1.5 * unit;
    layout.lines = legend.lines(narrow);
    QFont font = base;
    font.setWeight(QFont::Medium);
    qreal pixels = qMax(kMinLegendPixels, qRound(0.25 * unit * 2) / 2.0);
    // In a box, two symbols one above the other that do not fit its height leave the plain one.
    const auto fitBox = [&layout, &box](const QFont &f) {
        if (!box.isEmpty() && layout.lines.size() > 1 && QFontMetricsF(f).height() * layout.lines.size() > box.height())
            layout.lines = QStringList{layout.lines.last()};
    };
    if (!box.isEmpty())
        pixels = qMax(kMinLegendPixels, qMin(pixels, std::floor(box.height() * 0.8)));
    const qreal room = area.width() - 0.08 * unit;
    const auto widest = [&layout](const QFont &f) {
        const QFontMetricsF metrics(f);
        qreal width = 0;
        for (const QString &line : layout.lines)
            width = qMax(width, metrics.horizontalAdvance(line));
        return width;
    };
    font.setPixelSize(qRound(pixels));
    fitBox(font);
    if (widest(font) > room && !narrow && legend.shortText() != legend.text()) {
        layout.lines = legend.lines(true);
        fitBox(font);
    }
    if (widest(font) > room && pixels > kMinLegendPixels) {
        pixels = qMax(kMinLegendPixels, pixels * 0.85);
        font.setPixelSize(qRound(pixels));
    }
    if (widest(font) > room) {
        const QFontMetricsF metrics(font);
        for (QString &line : layout.lines) {
            const QString shorter = metrics.elidedText(line, Qt::ElideRight, room);
            layout.elided = layout.elided || shorter != line;
            line = shorter;
        }
    }
    layout.font = font;
    return layout;
}

void KeycapPainter::paintKeycap(QPainter &painter, const QRectF &rect, qreal unit, const KeycapColors &colors,
                                const KeycapLook &look, const LegendLayout &legend)
{
    if (rect.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect.topLeft(), keycapBody(rect.size(), unit, colors, look, ratio));

    const QRectF face = legend.box.isEmpty() ? faceRect(rect, unit) : legend.box;
    const qreal level = qBound<qreal>(0, look.level, 1);
    if (level > 0 && look.levelColor.isValid()) {
        // The gauge grows down from the face's upper edge, inside the face's rounded outline.
        const QRectF body = faceRect(rect, unit);
        const qreal radius = capRadius(unit) * 0.8;
        QPainterPath outline;
        outline.addRoundedRect(body, radius, radius);
        QPainterPath filled;
        filled.addRect(QRectF(body.left(), body.top(), body.width(), body.height() * level));
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.levelColor);
        painter.drawPath(outline.intersected(filled));
    }
    const QColor ink = legendInk(colors, look);
    if (!legend.iconPath.isEmpty()) {
        // Icons keep their own colours on the theme's cap; a disabled one is faded.
        if (look.disabled)
            painter.setOpacity(0.55);
        const QPixmap pixmap = icon(legend.iconPath, legend.iconSize, ratio, look.face.isValid() ? ink : QColor());
        const QRectF target(QPointF(0, 0), legend.iconSize);
        painter.drawPixmap(QPointF(face.center() - target.center()), pixmap);
    } else if (!legend.lines.isEmpty()) {
        painter.setFont(legend.font);
        painter.setPen(ink);
        const QFontMetricsF metrics(legend.font);
        const qreal lineHeight = metrics.height();
        if (legend.lines.size() == 1) {
            painter.drawText(face, Qt::AlignCenter, legend.lines.first());
        } else {
            // Two legends: the shifted symbol above, the plain one below, both centred.
            const qreal gap = qMin<qreal>(face.height() - 2 * lineHeight, lineHeight * 0.15);
            const qreal top = face.center().y() - lineHeight - gap / 2;
            for (int i = 0; i < legend.lines.size() && i < 2; ++i) {
                painter.drawText(QRectF(face.left(), top + i * (lineHeight + gap), face.width(), lineHeight),
                                 Qt::AlignCenter, legend.lines.at(i));
            }
        }
    }
    painter.setOpacity(1);
    if (look.selected)
        paintSelection(painter, rect, unit, colors);
    painter.restore();
}

void KeycapPainter::paintCase(QPainter &painter, const QRectF &caseRect, const QRectF &keysRect, qreal unit,
                              const KeycapColors &colors)
{
    if (caseRect.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = 0.3 * unit;

    // A soft shadow under the case.
    painter.setPen(Qt::NoPen);
    for (int i = 4; i >= 1; --i) {
        QColor shade = colors.shadow;
        shade.setAlphaF(colors.shadow.alphaF() / (i + 1));
        painter.setBrush(shade);
        const qreal grow = i * 1.5;
        painter.drawRoundedRect(caseRect.adjusted(-grow, -grow + 0.06 * unit, grow, grow + 0.12 * unit),
                                radius + grow, radius + grow);
    }

    QLinearGradient body(caseRect.topLeft(), caseRect.bottomLeft());
    body.setColorAt(0, colors.caseColor.lighter(106));
    body.setColorAt(1, colors.caseColor.darker(104));
    painter.setBrush(body);
    painter.setPen(QPen(colors.caseEdge, 1));
    painter.drawRoundedRect(caseRect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // The lit upper edge of the case.
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.drawLine(QPointF(caseRect.left() + radius, caseRect.top() + 1.5),
                     QPointF(caseRect.right() - radius, caseRect.top() + 1.5));

    const QRectF plate = keysRect.adjusted(-0.08 * unit, -0.08 * unit, 0.08 * unit, 0.08 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.plate);
    painter.drawRoundedRect(plate, 0.12 * unit, 0.12 * unit);
    painter.restore();
}

qreal KeycapPainter::relativeLuminance(const QColor &color)
{
    const auto channel = [](qreal c) { return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

QColor KeycapPainter::legendColorOn(const QColor &face)
{
    // Above this luminance black contrasts better than white.
    return relativeLuminance(face) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
}

qreal KeycapPainter::contrastRatio(const QColor &a, const QColor &b)
{
    const qreal la = relativeLuminance(a);
    const qreal lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor KeycapPainter::topFaceColor(const KeycapColors &colors, const KeycapLook &look)
{
    if (look.face.isValid())
        return look.hovered ? look.face.lighter(112) : look.face;
    return look.hovered ? colors.hover : colors.cap;
}

QColor KeycapPainter::legendInk(const KeycapColors &colors, const KeycapLook &look)
{
    const QColor face = topFaceColor(colors, look);
    // The theme's legend where it reads well on the face; black or white by the face's luminance
    // on a key colour of its own and wherever the theme's legend would not read.
    QColor ink = look.face.isValid() ? legendColorOn(face) : colors.legend;
    if (contrastRatio(ink, face) < kLegendContrast)
        ink = legendColorOn(face);
    if (!look.disabled)
        return ink;
    // A disabled key's legend is dimmed, yet stays readable: the theme's disabled legend where it
    // keeps enough contrast, else the legend moved part of the way toward the face.
    if (!look.face.isValid() && contrastRatio(colors.disabledLegend, face) >= kDisabledLegendContrast)
        return colors.disabledLegend;
    const QColor a = ink.toRgb();
    const QColor b = face.toRgb();
    for (qreal toFace = 0.45; toFace > 0; toFace -= 0.05) {
        const QColor dimmed = QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * toFace),
                                               float(a.greenF() + (b.greenF() - a.greenF()) * toFace),
                                               float(a.blueF() + (b.blueF() - a.blueF()) * toFace));
        if (contrastRatio(dimmed, face) >= kDisabledLegendContrast)
            return dimmed;
    }
    return ink;
}

QPixmap KeycapPainter::icon(const QString &path, const QSizeF &size, qreal ratio, const QColor &tint)
{
    const QSize pixels = (size * ratio).toSize();
    if (path.isEmpty() || pixels.isEmpty())
        return QPixmap();
    const QString key = QStringLiteral("quill-icon|%1|%2x%3|%4").arg(path).arg(pixels.width()).arg(pixels.height())
                            .arg(tint.isValid() ? tint.rgba() : 0u);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QImageReader reader(path);
    reader.setScaledSize(pixels);
    QImage image = reader.read();
    if (image.isNull())
        return QPixmap();
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (tint.isValid()) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), tint);
    }
    pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}
