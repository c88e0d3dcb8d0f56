#pragma once
// Every change the user makes to a travel slider, as one kind of gesture: (type, value) with type
// 0 press, 1 move, 2 release, where a release is when the page sends the value to the keyboard.
// A mouse gesture is reported step by step as the slider reports it. A wheel turn or a key press
// (arrows, Page Up/Down, Home, End) is reported as a move at once and as a release once the user
// pauses for PauseMs, so such a change reaches the keyboard too, in one request per pause.
// Values set from code are not reported.

#include "pages/common/QCustomSlider.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

// The slider class of the performance page.
using PerformanceSlider = QCustomSlider;

class SliderGestures : public QObject
{
    Q_OBJECT
public:
    static constexpr int PauseMs = 300;

    explicit SliderGestures(PerformanceSlider *slider, QObject *parent = nullptr);

    // A step of the buttons beside the slider: moves it by delta within its range and reports the
    // change as a release.
    void step(int delta);
    // A wheel or key change still waiting for its pause is released now.
    void flush();
    // A wheel or key change still waiting for its pause is dropped.
    void cancel();
    bool isPending() const { return mPause.isActive(); }

Q_SIGNALS:
    void gesture(int type, int value);

private:
    void onAction(int action);
    void onValueChanged(int value);

    QPointer<PerformanceSlider> mSlider;
    QTimer mPause;
    bool mStepping = false;
};
