#pragma once
// The slider of the editing pages. A press anywhere puts the handle's centre under the pointer,
// the handle follows the pointer while the button is held, and the release ends the gesture; the
// ends of the slider give exactly the minimum and the maximum. Every step is reported by
// customSliderClicked(type, value) with the value the step set: Press, Move, Release. Pages show
// the value on Press and Move and act on it (send it to the keyboard) on Release.
//
// Wheel and keyboard steps are reported as well, each one as a Move; once the steps pause (or the
// slider loses focus) the last value follows as a Release. So the slider never shows a value its
// page has not been told of, and a series of steps is acted on once.

#include <QSlider>
#include <QTimer>

class QCustomSlider : public QSlider
{
    Q_OBJECT
public:
    enum Step { Press = 0, Move = 1, Release = 2 };
    // Pause after a wheel or key step before the Release is reported.
    static constexpr int StepSettleMs = 400;

    explicit QCustomSlider(QWidget *parent = nullptr);

    // The value under a point of the widget (only its coordinate along the slider counts).
    int valueAt(const QPointF &pos) const;

    // Wheel or key steps whose Release still waits for the pause.
    bool isSettling() const { return mSettle.isActive(); }
    // Reports the waiting Release now (the page is about to act on something else).
    void settleNow();
    // Forgets the waiting Release (the page puts the keyboard's value back).
    void cancelSettle() { mSettle.stop(); }

Q_SIGNALS:
    void customSliderClicked(int type, int value);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Where the handle's centre travels along the slider, in widget pixels: from start over length.
    struct Travel {
        qreal start = 0;
        qreal length = 0;
    };
    Travel handleTravel() const;
    void follow(int type, const QPointF &pos);
    // A wheel or key step changed the value: report it now and the Release after a pause.
    void stepped(int before);
    void settle();

    QTimer mSettle;
    bool mDragging = false;
};
