#include "pages/tuning/SliderGestures.h"

SliderGestures::SliderGestures(PerformanceSlider *slider, QObject *parent) : QObject(parent), mSlider(slider)
{
    connect(slider, &PerformanceSlider::customSliderClicked, this, &SliderGestures::gesture);
}

void SliderGestures::step(int delta)
{
    if (!mSlider)
        return;
    mSlider->cancelSettle();
    mSlider->setValue(qBound(mSlider->minimum(), mSlider->value() + delta, mSlider->maximum()));
    Q_EMIT gesture(2, mSlider->value());
}

void SliderGestures::flush()
{
    if (mSlider)
        mSlider->settleNow();
}

void SliderGestures::cancel()
{
    if (mSlider)
        mSlider->cancelSettle();
}
