#pragma once
// The colour slider of the lighting page: a plain slider from 0 to 100 painted as a rounded
// gradient from a start colour to an end colour (the page sets black to the chosen colour, so
// the slider darkens it), with a round handle filled with the colour at its value. Mouse, wheel
// and keys are the framework slider's own, and so is valueChanged, which the page follows.

#include <QColor>
#include <QSlider>

class QColorSlider : public QSlider
{
    Q_OBJECT
public:
    explicit QColorSlider(QWidget *parent = nullptr);

    // Sets both ends of the gradient and repaints; the value stays.
    void setColorRange(QColor start, QColor end);
    QColor startColor() const { return mStartColor; }
    QColor endColor() const { return mEndColor; }
    // The colour at a value of the slider.
    QColor getCurrentColors(int value) const;
    // The colour a fraction t of the way from the start to the end colour, each channel (alpha
    // too) rounded half away from zero; invalid when a channel leaves 0 to 255.
    QColor interpolateColors(double t) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor mStartColor{Qt::black};
    QColor mEndColor{Qt::white};
    int mHandleRadius = 1;
    // The width over which the handle moves.
    int mTrackWidth = 1;
    int mMinimum = 0;
    int mMaximum = 100;
    int mRange = 100;
};
