// The sliders of the pages: a gesture gives exact values at known points and both ends, wheel and
// key steps are reported and settle into one Release.

#include "pages/common/QCustomSlider.h"
#include "tests/pages/PageRig.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
using Steps = QList<QList<QVariant>>;

QList<QVariant> step(int type, int value)
{
    return {type, value};
}
} // namespace

class TestCustomSlider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
    }

    void gestureGivesExactValues_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("xs");     // press, move, release
        QTest::addColumn<QList<int>>("values"); // reported at each
        QTest::newRow("hold time, first and last pixel") << 10 << 1000 << 240 << QList<int>{0, 120, 239}
                                                         << QList<int>{10, 505, 1000};
        QTest::newRow("brightness, dragged past both ends") << 0 << 100 << 400 << QList<int>{399, -30, 600}
                                                            << QList<int>{100, 0, 100};
        QTest::newRow("one value") << 5 << 5 << 200 << QList<int>{0, 100, 199} << QList<int>{5, 5, 5};
    }

    void gestureGivesExactValues()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, width);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, values);
        QCustomSlider slider;
        slider.setOrientation(Qt::Horizontal);
        slider.setRange(minimum, maximum);
        slider.setValue(maximum);
        slider.resize(width, 30);
        slider.show();
        QSignalSpy steps(&slider, &QCustomSlider::customSliderClicked);
        const int y = 15;
        QTest::mouseMove(&slider, QPoint(xs[0], y)); // no button held: nothing
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(xs[0], y));
        QTest::mouseMove(&slider, QPoint(xs[1], y));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(xs[2], y));
        QCOMPARE(steps, (Steps{step(0, values[0]), step(1, values[1]), step(2, values[2])}));
        QCOMPARE(slider.value(), values[2]);
        QVERIFY(!slider.isSliderDown());
    }

    void wheelAndKeyStepsAreReportedThenSettle_data()
    {
        QTest::addColumn<bool>("wheel");
        QTest::newRow("arrow keys") << false;
        QTest::newRow("wheel") << true;
    }

    void wheelAndKeyStepsAreReportedThenSettle()
    {
        QFETCH(bool, wheel);
        QCustomSlider slider;
        slider.setOrientation(Qt::Horizontal);
        slider.setRange(0, 100);
        slider.setValue(50);
        slider.resize(300, 30);
        slider.show();
        slider.setFocus();
        QSignalSpy steps(&slider, &QCustomSlider::customSliderClicked);
        for (int i = 0; i < 2; ++i) {
            if (wheel) {
                QWheelEvent event(QPointF(150, 15), slider.mapToGlobal(QPointF(150, 15)), QPoint(), QPoint(0, 120),
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(&slider, &event);
            } else {
                QTest::keyClick(&slider, Qt::Key_Right);
            }
        }
        const int after = slider.value();
        QVERIFY(after > 50);
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps.last(), step(1, after));
        QTRY_COMPARE(steps.size(), 3);
        QCOMPARE(steps.last(), step(2, after));
        // Steps at the end of the range change nothing and report nothing.
        slider.setValue(100);
        QTest::keyClick(&slider, Qt::Key_Right);
        QTest::qWait(QCustomSlider::StepSettleMs + 100);
        QCOMPARE(steps.size(), 3);
    }

    void leavingTheSliderReportsTheSettledValueAtOnce()
    {
        QWidget window;
        auto *slider = new QCustomSlider(&window);
        slider->setOrientation(Qt::Horizontal);
        slider->setGeometry(0, 0, 300, 30);
        auto *other = new QCustomSlider(&window);
        other->setGeometry(0, 40, 300, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        slider->setFocus();
        QSignalSpy steps(slider, &QCustomSlider::customSliderClicked);
        QTest::keyClick(slider, Qt::Key_End);
        other->setFocus();
        QCOMPARE(steps, (Steps{step(1, 99), step(2, 99)}));
    }
};

QTEST_MAIN(TestCustomSlider)
#include "tst_customslider.moc"
