#pragma once
// The colour wheel of the lighting page: hue around the circle (red to the right, then yellow,
// green, cyan, blue and magenta counter-clockwise) and saturation from white at the centre to
// the full hue at the rim. A press inside the wheel picks the colour under the pointer, a drag
// goes on picking (also when the pointer leaves the wheel: the rim is taken then), and the
// release chooses it. A press outside the wheel is ignored.
//
// The wheel keeps its colour as hue and saturation, so a grey (or white) keeps the hue it had;
// the colour of a point is computed, and the picture is drawn from the same computation.

#include <QColor>
#include <QImage>
#include <QWidget>

class QColorPalette : public QWidget
{
    Q_OBJECT
public:
    explicit QColorPalette(QWidget *parent = nullptr);

    // Whether a point lies on the wheel (its distance from the centre at most the radius).
    bool isPointInCir(const QPointF &point) const;
    // The colour at a point; a point outside the wheel gives the colour at the rim in its direction.
    QColor colorAt(const QPointF &point) const;
    // The colour of a hue (degrees, counter-clockwise from red) and a saturation (0 to 1) at full
    // value, each channel rounded half away from zero.
    static QColor hueColor(qreal hue, qreal saturation);

    QPointF centre() const;
    qreal radius() const;

    // Shows a colour's hue and saturation on the wheel (its brightness is the colour slider's);
    // a grey keeps the hue shown before. An invalid colour removes the marker.
    void setColor(const QColor &color);
    // Hue and saturation of the marker; hue 0 and no marker until a colour is set or picked.
    qreal hue() const { return mHue; }
    qreal saturation() const { return mSaturation; }
    bool hasMarker() const { return mMarked; }

Q_SIGNALS:
    // The colour under the pointer while the user presses or drags on the wheel.
    void color_tracking(QColor color);
    // The colour chosen when the user lets go.
    void select_color(QColor color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void pick(const QPointF &point);
    QImage wheelImage();

    qreal mHue = 0;
    qreal mSaturation = 0;
    bool mMarked = false;
    bool mDragging = false;
    QImage mWheel;
};
