#pragma once
// Every change the user makes to a travel slider, as one kind of gesture: (type, value) with type
// 0 press, 1 move, 2 release, where a release is when the page sends the value to the keyboard.
// The slider reports mouse gestures step by step, and wheel turns and key presses as moves
// followed by one release once the user pauses; the buttons beside the slider add steps of their
// own. Values set from code are not reported.

#include "pages/common/QCustomSlider.h"

#include <QObject>
#include <QPointer>

// The slider class of the performance page.
using PerformanceSlider = QCustomSlider;

class SliderGestures : public QObject
{
    Q_OBJECT
public:
    explicit SliderGestures(PerformanceSlider *slider, QObject *parent = nullptr);

    // A step of the buttons beside the slider: moves it by delta within its range and reports the
    // change as a release.
    void step(int delta);
    // A wheel or key change still waiting for its pause is released now.
    void flush();
    // A wheel or key change still waiting for its pause is dropped.
    void cancel();
    bool isPending() const { return mSlider && mSlider->isSettling(); }

Q_SIGNALS:
    void gesture(int type, int value);

private:
    QPointer<PerformanceSlider> mSlider;
};
