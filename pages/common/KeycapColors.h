#pragma once
// The colours of a keyboard picture, set per theme from the style sheet (see KeyboardPicture).

#include <QColor>

struct KeycapColors {
    QColor cap{250, 251, 252};            // top face
    QColor capSide{214, 218, 225};        // side and shadow of the keycap
    QColor legend{29, 33, 41};
    QColor disabledLegend{169, 174, 184};
    QColor hover{255, 255, 255};          // top face under the pointer
    QColor border{201, 205, 212};         // rim of a keycap that is not selected
    QColor selection{255, 136, 38};       // rim of the selected keycap
    QColor halo{255, 255, 255};           // thin line inside the selection rim
    QColor caseColor{229, 231, 235};
    QColor caseEdge{201, 205, 212};
    QColor plate{206, 210, 217};
    QColor shadow{0, 0, 0, 40};
};

// How one keycap is drawn.
struct KeycapLook {
    bool hovered = false;
    bool selected = false;
    bool disabled = false;
    bool off = false;    // a key whose light is off: outlined so it stays visible
    QColor face;         // a colour of the key's own (lighting); invalid: the theme's cap colour
    qreal level = 0;     // share of the top face filled from its upper edge, 0 to 1 (a gauge)
    QColor levelColor;   // colour of that fill
};
