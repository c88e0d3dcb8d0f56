#pragma once
// The colour slider of the lighting page: a track painted as a gradient from a start colour to an
// end colour (the page sets black to the chosen colour, so the slider darkens it) and a handle
// filled with the colour under it. Values run 0 to 100; it reports its steps like every slider of
// the pages (QCustomSlider), so the page can show the colour while it moves and send it once.

#include "pages/common/QCustomSlider.h"

#include <QColor>

class QColorSlider : public QCustomSlider
{
    Q_OBJECT
public:
    explicit QColorSlider(QWidget *parent = nullptr);

    // Sets both ends of the gradient; the value stays.
    void setColorRange(QColor start, QColor end);
    QColor startColor() const { return mStartColor; }
    QColor endColor() const { return mEndColor; }
    // The colour at a value of the slider.
    QColor getCurrentColors(int value) const;
    // The colour a fraction t of the way from the start to the end colour, each channel rounded
    // half away from zero; invalid for t outside 0 to 1.
    QColor interpolateColors(double t) const;

protected:
    Travel handleTravel() const override;
    void paintEvent(QPaintEvent *event) override;

private:
    qreal handleRadius() const;

    QColor mStartColor{Qt::black};
    QColor mEndColor{Qt::white};
};
