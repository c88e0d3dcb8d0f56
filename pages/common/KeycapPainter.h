#pragma once
// The drawing of a keycap and of the keyboard case, shared by every keyboard picture and key
// picker so that all of them look alike. Every part is sized from the key's own rectangle and the
// key unit (the height of a 1u key on the picture).

#include "pages/common/KeyLegend.h"
#include "pages/common/KeycapColors.h"

#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QStringList>

class QPainter;

// A legend made ready for one keycap size: built when the size, the legend or the theme changes,
// drawn as it is on every paint.
struct LegendLayout {
    KeyLegend legend;
    QFont font;
    QStringList lines;    // text lines, elided when too wide
    QString iconPath;     // icon drawn instead of text
    QSizeF iconSize;
    bool elided = false;  // the text had to be shortened
    QRectF box;           // the area the legend is centred in; empty: the key's top face
};

class KeycapPainter
{
public:
    // The top face of a keycap inside its rectangle.
    static QRectF faceRect(const QRectF &rect, qreal unit);
    // The legend of a keycap of this rectangle: about a quarter unit high and never below 8 px;
    // the short name on a key about one unit wide, the font one step smaller when still too wide,
    // then elided. A box (a part of the face that other marks leave free) takes the legend in
    // place of the whole face: the font is kept to its height, and a two-symbol legend that does
    // not fit keeps its plain symbol.
    static LegendLayout layoutLegend(const KeyLegend &legend, const QRectF &rect, qreal unit, const QFont &base,
                                     const QRectF &box = QRectF());
    // One keycap: body, top face, legend, then the selection rim and mark.
    static void paintKeycap(QPainter &painter, const QRectF &rect, qreal unit, const KeycapColors &colors,
                            const KeycapLook &look, const LegendLayout &legend);
    // The case around the keys: shadow, body and the plate under the keys.
    static void paintCase(QPainter &painter, const QRectF &caseRect, const QRectF &keysRect, qreal unit,
                          const KeycapColors &colors);

    // Relative luminance (sRGB) of a colour, 0 to 1.
    static qreal relativeLuminance(const QColor &color);
    // Legend colour on a face of this colour: black on light faces, white on dark ones.
    static QColor legendColorOn(const QColor &face);
    // Contrast ratio of two colours (WCAG), 1 to 21.
    static qreal contrastRatio(const QColor &a, const QColor &b);
    // The colour of a keycap's top face in a look.
    static QColor topFaceColor(const KeycapColors &colors, const KeycapLook &look);
    // The legend colour of a keycap in a look: readable on its face in every theme, dimmed (but
    // still readable) on a disabled key.
    static QColor legendInk(const KeycapColors &colors, const KeycapLook &look);
    // An icon at a size and device pixel ratio, tinted when tint is valid; cached.
    static QPixmap icon(const QString &path, const QSizeF &size, qreal ratio, const QColor &tint = QColor());

    // The mark in the corner of a selected keycap.
    static const char *const SelectMarkPath;
};
