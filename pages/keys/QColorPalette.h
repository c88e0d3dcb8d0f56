#pragma once
// The colour wheel of the lighting page: the six fully saturated hues (red to the right, then
// yellow, green, cyan, blue and magenta counter-clockwise) blended around the circle. A press
// inside the circle reports the colour shown under the pointer, read back from the widget as it
// is drawn (antialiased rim included). Every press moves the marker (four short white strokes
// around the press point); a press outside the circle reports nothing, and its marker appears
// with the next repaint. A resize removes the marker.

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QColorPalette : public QWidget
{
    Q_OBJECT
public:
    explicit QColorPalette(QWidget *parent = nullptr);

    // Whether a point lies within the circle inscribed in a square: its distance from the
    // square's centre at most half the square's width.
    bool isPointInCir(const QPoint &point, const QRect &rect) const;

Q_SIGNALS:
    void select_color(QColor color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The painted wheel for the widget's size and pixel ratio, built again when either changes.
    const QPixmap &wheelPixmap();

    QList<Qt::GlobalColor> mColorList;
    // The last press; (0, 0) means no marker.
    QPoint mPressPoint;
    int mRadius = 0;
    // The square around the wheel, for the hit test; set by every paint.
    QRect mCircleRect;
    QPixmap mWheel;
};
