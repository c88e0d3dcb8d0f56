// The colour wheel (what a press reports, where its edge lies, the marker), the colour slider
// (its colours, a range change keeps the value, the handle inside the track) and the colour as
// text (every colour text the framework reads, committed on Return only; channels outside 0 to 255
// and text that names no colour refused).

#include "pages/keys/ColorTextFields.h"
#include "pages/keys/QColorPalette.h"
#include "pages/keys/QColorSlider.h"
#include "tests/pages/PageRig.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {
bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}
} // namespace

class TestColorWheel : public QObject
{
    Q_OBJECT
private:
    // A 180 x 180 wheel: its square is 170 wide at (5, 5), so its centre is (89, 89) and a press
    // counts when at most 85 pixels away from it.
    std::unique_ptr<QColorPalette> wheel;

    QColor shownAt(const QPoint &point) { return wheel->grab().toImage().pixelColor(point); }

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
        wheel.reset(new QColorPalette);
        wheel->resize(180, 180);
        wheel->show();
        QVERIFY(QTest::qWaitForWindowExposed(wheel.get()));
    }

    void cleanup() { wheel.reset(); }

    void pressReportsTheColourShown_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("hue"); // invalid: nothing reported
        QTest::newRow("right: red") << QPoint(150, 89) << QColor(255, 0, 0);
        QTest::newRow("top: between yellow and green") << QPoint(89, 28) << QColor(128, 255, 0);
        QTest::newRow("left: cyan") << QPoint(28, 89) << QColor(0, 255, 255);
        QTest::newRow("bottom: between blue and magenta") << QPoint(89, 150) << QColor(128, 0, 255);
        QTest::newRow("right edge, exactly 85 away") << QPoint(174, 89) << QColor();
        QTest::newRow("top edge, exactly 85 away") << QPoint(89, 4) << QColor();
    }

    void pressReportsTheColourShown()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, hue);
        QSignalSpy picked(wheel.get(), &QColorPalette::select_color);
        // Repainting a corner only (a notice closing over it) leaves the wheel where it is.
        wheel->repaint(0, 0, 40, 40);
        QTest::mousePress(wheel.get(), Qt::LeftButton, {}, point);
        QCOMPARE(picked.size(), 1);
        const QColor color = picked.first().first().value<QColor>();
        QCOMPARE(color.alpha(), 255);
        // Exactly the pixel the wheel shows there (with its marker around, not on it).
        QCOMPARE(color, shownAt(point));
        if (hue.isValid())
            QVERIFY2(near(color, hue, 4), qPrintable(color.name()));
    }

    void onePixelPastTheEdgeReportsNothing()
    {
        QSignalSpy picked(wheel.get(), &QColorPalette::select_color);
        for (const QPoint &point : {QPoint(175, 89), QPoint(89, 3), QPoint(3, 89), QPoint(89, 175), QPoint(2, 2)})
            QTest::mousePress(wheel.get(), Qt::LeftButton, {}, point);
        QCOMPARE(picked.size(), 0);
    }

    void markerFollowsPressesUntilAResize()
    {
        // A press outside the circle: its marker (white strokes 7 to 10 pixels away) shows at the
        // next repaint; the pixel pressed stays uncovered.
        const QPoint outside(170, 12);
        const QPoint stroke = outside - QPoint(8, 0);
        QVERIFY(shownAt(stroke) != QColor(Qt::white));
        QTest::mousePress(wheel.get(), Qt::LeftButton, {}, outside);
        QCOMPARE(shownAt(stroke), QColor(Qt::white));
        QCOMPARE(shownAt(outside + QPoint(0, 8)), QColor(Qt::white));
        QVERIFY(shownAt(outside) != QColor(Qt::white));
        wheel->resize(181, 181);
        QVERIFY(shownAt(stroke) != QColor(Qt::white));
    }

    void sliderColours()
    {
        QColorSlider slider;
        slider.resize(240, 20);
        QCOMPARE(slider.value(), 100);
        QCOMPARE(slider.getCurrentColors(50), QColor(128, 128, 128)); // black to white at first
        slider.setValue(30);
        QSignalSpy moved(&slider, &QSlider::valueChanged);
        slider.setColorRange(Qt::black, QColor(255, 100, 3));
        QCOMPARE(slider.value(), 30);
        QCOMPARE(moved.size(), 0);
        QCOMPARE(slider.getCurrentColors(0), QColor(0, 0, 0));
        QCOMPARE(slider.getCurrentColors(50), QColor(128, 50, 2)); // halves rounded up
        QCOMPARE(slider.getCurrentColors(50).alpha(), 255);
        QCOMPARE(slider.getCurrentColors(100), QColor(255, 100, 3));
        QVERIFY(!slider.interpolateColors(1.01).isValid());
    }

    void sliderHandleStaysInsideOnTheRight()
    {
        QColorSlider slider;
        slider.resize(240, 20);
        slider.setColorRange(Qt::black, Qt::white);
        slider.show();
        QVERIFY(QTest::qWaitForWindowActive(&slider));
        slider.clearFocus();
        // At 100 the handle (radius 10) is centred 10 pixels in from the right: white, ringed black.
        const QImage image = slider.grab().toImage();
        QCOMPARE(image.pixelColor(230, 10), QColor(Qt::white));
        QVERIFY(image.pixelColor(220, 10).lightness() < 60);
        // Keyboard focus draws nothing more.
        slider.setFocus();
        QTRY_VERIFY(slider.hasFocus());
        QCOMPARE(slider.grab().toImage(), image);
    }

    void colourText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("#rrggbb") << "#ff7d00" << QColor(255, 125, 0);
        QTest::newRow("#rgb") << "#f70" << QColor(255, 119, 0);
        QTest::newRow("a colour name") << "red" << QColor(255, 0, 0);
        QTest::newRow("a name in capitals") << "DarkOrange" << QColor(255, 140, 0);
        QTest::newRow("with transparency, taken opaque") << "#80102030" << QColor(16, 32, 48);
        QTest::newRow("no number sign") << "FF7D00" << QColor();
        QTest::newRow("five digits") << "#ff7d0" << QColor();
        QTest::newRow("not hexadecimal") << "#gg0000" << QColor();
        QTest::newRow("empty") << "" << QColor();
    }

    void colourText()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QCOMPARE(ColorTextFields::parseColor(text), color);
    }

    void channelText()
    {
        const QList<QPair<QString, int>> cases{{"0", 0}, {"255", 255}, {" 7 ", 7}, {"256", -1},
                                               {"-1", -1}, {"12a", 0}, {"", 0}};
        for (const auto &[text, value] : cases)
            QCOMPARE(ColorTextFields::parseChannel(text), value);
    }

    void fieldsFollowEachOtherAndRefuseBadText()
    {
        QWidget window;
        QLineEdit hex(&window), red(&window), green(&window), blue(&window);
        ColorTextFields fields(&hex, &red, &green, &blue);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy entered(&fields, &ColorTextFields::colorEntered);
        fields.showColor(QColor(1, 2, 3));
        const auto all = [&] { return QStringList({hex.text(), red.text(), green.text(), blue.text()}); };
        QCOMPARE(all(), QStringList({"#010203", "1", "2", "3"}));

        const auto type = [](QLineEdit &field, const QString &text, Qt::Key key = Qt::Key_Return) {
            field.setFocus();
            field.selectAll();
            QTest::keyClicks(&field, text);
            QTest::keyClick(&field, key);
        };
        type(hex, "#f70"); // the typed text stays
        QCOMPARE(all(), QStringList({"#f70", "255", "119", "0"}));
        type(green, "200");
        QCOMPARE(hex.text(), QStringLiteral("#ffc800"));
        type(blue, "300"); // refused: all fields back to the colour shown
        QCOMPARE(all(), QStringList({"#ffc800", "255", "200", "0"}));
        type(hex, "zz");
        QCOMPARE(hex.text(), QStringLiteral("#ffc800"));
        QCOMPARE(entered.size(), 2);
        // Escape is an ordinary key, and leaving a field commits nothing: the text typed stays.
        type(red, "9", Qt::Key_Escape);
        hex.setFocus();
        QTRY_VERIFY(hex.hasFocus());
        QCOMPARE(all(), QStringList({"#ffc800", "9", "200", "0"}));
        QCOMPARE(entered.size(), 2);
        type(blue, "x"); // no number counts as 0
        QCOMPARE(all(), QStringList({"#09c800", "9", "200", "x"}));
        type(hex, "navy");
        QCOMPARE(all(), QStringList({"navy", "0", "0", "128"}));
        QTest::keyClick(&hex, Qt::Key_Return); // Return reports the colour again
        QCOMPARE(entered.size(), 5);
        QCOMPARE(entered.last().first().value<QColor>(), QColor(0, 0, 128));
        QCOMPARE(fields.color(), QColor(0, 0, 128));
    }
};

QTEST_MAIN(TestColorWheel)
#include "tst_colorwheel.moc"
