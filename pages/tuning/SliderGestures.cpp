#include "pages/tuning/SliderGestures.h"

#include <QGuiApplication>

SliderGestures::SliderGestures(PerformanceSlider *slider, QObject *parent) : QObject(parent), mSlider(slider)
{
    mPause.setSingleShot(true);
    mPause.setInterval(PauseMs);
    connect(&mPause, &QTimer::timeout, this, [this] {
        if (mSlider)
            Q_EMIT gesture(2, mSlider->value());
    });
    connect(slider, &PerformanceSlider::customSliderClicked, this, [this](int type, int value) {
        // A mouse gesture ends in a release of its own, which carries the later value.
        mPause.stop();
        Q_EMIT gesture(type, value);
    });
    connect(slider, &QAbstractSlider::actionTriggered, this, &SliderGestures::onAction);
    connect(slider, &QAbstractSlider::valueChanged, this, &SliderGestures::onValueChanged);
}

void SliderGestures::onAction(int)
{
    // The slider has moved its position and sets its value right after this signal. While a
    // mouse button is held the mouse gesture reports the change itself.
    if (!mSlider || mSlider->isSliderDown() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    mStepping = mSlider->sliderPosition() != mSlider->value();
}

void SliderGestures::onValueChanged(int value)
{
    if (!mStepping)
        return;
    mStepping = false;
    Q_EMIT gesture(1, value);
    mPause.start();
}

void SliderGestures::step(int delta)
{
    mPause.stop();
    if (!mSlider)
        return;
    mSlider->setValue(qBound(mSlider->minimum(), mSlider->value() + delta, mSlider->maximum()));
    Q_EMIT gesture(2, mSlider->value());
}

void SliderGestures::flush()
{
    if (!mPause.isActive())
        return;
    mPause.stop();
    if (mSlider)
        Q_EMIT gesture(2, mSlider->value());
}

void SliderGestures::cancel()
{
    mPause.stop();
}
