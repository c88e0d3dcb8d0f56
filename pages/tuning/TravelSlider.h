#pragma once
// A slider whose value jumps to the point under the pointer on a press, follows the pointer while
// a button is held and is set once more on the release; each step is reported by
// customSliderClicked (type 0 press, 1 move, 2 release, value). The wheel and the keyboard move
// it as a plain slider does, without that signal (SliderGestures turns those into gestures).
//
// The performance page reaches it only through the alias PerformanceSlider (SliderGestures.h).

#include <QSlider>

class TravelSlider : public QSlider
{
    Q_OBJECT
public:
    explicit TravelSlider(QWidget *parent = nullptr);

Q_SIGNALS:
    void customSliderClicked(int type, int value);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Sets the value under the pointer and reports it as a step of the given type.
    void positionAt(const QPointF &position, int type);
};
