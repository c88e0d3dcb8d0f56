// The colour wheel (hit test, colour at known points, drags, hue kept through greys) and the
// colour as text (hexadecimal and R, G, B fields agree both ways; bad text is refused).

#include "pages/keys/ColorTextFields.h"
#include "pages/keys/QColorPalette.h"
#include "tests/pages/PageRig.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class TestColorWheel : public QObject
{
    Q_OBJECT
private:
    // A 180 x 180 wheel: centre (90, 90), radius 82.
    std::unique_ptr<QColorPalette> wheel;

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
        wheel.reset(new QColorPalette);
        wheel->resize(180, 180);
        wheel->show();
        QCOMPARE(wheel->radius(), 82.0);
    }

    void cleanup() { wheel.reset(); }

    void clickPicksTheColourUnderThePointer_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("picked"); // invalid: nothing picked
        QTest::newRow("rim, right: red") << QPoint(172, 90) << QColor(255, 0, 0);
        QTest::newRow("rim, top: hue 90, a half rounded up") << QPoint(90, 8) << QColor(128, 255, 0);
        QTest::newRow("rim, left: cyan") << QPoint(8, 90) << QColor(0, 255, 255);
        QTest::newRow("rim, bottom: hue 270") << QPoint(90, 172) << QColor(128, 0, 255);
        QTest::newRow("half way right") << QPoint(131, 90) << QColor(255, 128, 128);
        QTest::newRow("centre: white") << QPoint(90, 90) << QColor(255, 255, 255);
        QTest::newRow("a pixel outside") << QPoint(173, 90) << QColor();
        QTest::newRow("corner") << QPoint(2, 2) << QColor();
    }

    void clickPicksTheColourUnderThePointer()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, picked);
        QSignalSpy chosen(wheel.get(), &QColorPalette::select_color);
        QTest::mouseClick(wheel.get(), Qt::LeftButton, {}, point);
        QCOMPARE(chosen.size(), picked.isValid() ? 1 : 0);
        QCOMPARE(wheel->hasMarker(), picked.isValid());
        if (!picked.isValid())
            return;
        QCOMPARE(chosen.first().first().value<QColor>(), picked);
        // The wheel shows what it picks (inside its antialiased rim).
        if (QLineF(point, wheel->centre()).length() > wheel->radius() - 1)
            return;
        const QColor shown = wheel->grab().toImage().pixelColor(point);
        for (int channel : {shown.red() - picked.red(), shown.green() - picked.green(), shown.blue() - picked.blue()})
            QVERIFY2(qAbs(channel) <= 3, qPrintable(shown.name()));
    }

    void dragTracksAndTakesTheRimOutside()
    {
        QSignalSpy tracking(wheel.get(), &QColorPalette::color_tracking);
        QSignalSpy chosen(wheel.get(), &QColorPalette::select_color);
        QTest::mousePress(wheel.get(), Qt::LeftButton, {}, QPoint(90, 90));
        QTest::mouseMove(wheel.get(), QPoint(131, 90));
        QTest::mouseRelease(wheel.get(), Qt::LeftButton, {}, QPoint(179, 90));
        QCOMPARE(tracking.size(), 2);
        QCOMPARE(tracking.last().first().value<QColor>(), QColor(255, 128, 128));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().value<QColor>(), QColor(255, 0, 0));
    }

    void hueSurvivesGreys()
    {
        const QList<QPair<QColor, qreal>> shown{{QColor(0, 0, 255), 240}, {QColor(128, 128, 128), 240},
                                                {QColor(0, 0, 0), 240},  {QColor(255, 255, 255), 240},
                                                {QColor(0, 255, 0), 120}, {QColor(0, 40, 0), 120}};
        for (const auto &[color, hue] : shown) {
            wheel->setColor(color);
            QCOMPARE(qRound(wheel->hue()), int(hue));
        }
        QCOMPARE(wheel->saturation(), 1.0); // dark green is still fully saturated
        wheel->setColor(QColor());
        QVERIFY(!wheel->hasMarker());
    }

    void hexText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("#rrggbb") << "#ff7d00" << QColor(255, 125, 0);
        QTest::newRow("no number sign, upper case") << "FF7D00" << QColor(255, 125, 0);
        QTest::newRow("#rgb") << "#f70" << QColor(255, 119, 0);
        QTest::newRow("spaces around") << " abc " << QColor(170, 187, 204);
        QTest::newRow("five digits") << "#ff7d0" << QColor();
        QTest::newRow("not hexadecimal") << "#gg0000" << QColor();
        QTest::newRow("a colour name") << "red" << QColor();
        QTest::newRow("empty") << "" << QColor();
    }

    void hexText()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QCOMPARE(ColorTextFields::parseHex(text), color);
    }

    void channelText()
    {
        const QList<QPair<QString, int>> cases{{"0", 0}, {"255", 255}, {" 7 ", 7}, {"256", -1},
                                               {"-1", -1}, {"12a", -1}, {"", -1}};
        for (const auto &[text, value] : cases)
            QCOMPARE(ColorTextFields::parseChannel(text), value);
    }

    void fieldsAgreeBothWaysAndRefuseBadText()
    {
        QWidget window;
        QLineEdit hex(&window), red(&window), green(&window), blue(&window);
        ColorTextFields fields(&hex, &red, &green, &blue);
        window.show();
        QSignalSpy entered(&fields, &ColorTextFields::colorEntered);
        fields.showColor(QColor(1, 2, 3));
        QCOMPARE(QStringList({hex.text(), red.text(), green.text(), blue.text()}),
                 QStringList({"#010203", "1", "2", "3"}));

        const auto type = [](QLineEdit &field, const QString &text, Qt::Key key = Qt::Key_Return) {
            field.setFocus();
            field.selectAll();
            QTest::keyClicks(&field, text);
            QTest::keyClick(&field, key);
        };
        type(hex, "#f70");
        QCOMPARE(QStringList({hex.text(), red.text(), green.text(), blue.text()}),
                 QStringList({"#ff7700", "255", "119", "0"}));
        type(green, "200");
        QCOMPARE(hex.text(), QStringLiteral("#ffc800"));
        type(blue, "300"); // refused: all fields back to the colour shown
        QCOMPARE(blue.text(), QStringLiteral("0"));
        type(hex, "zz");
        QCOMPARE(hex.text(), QStringLiteral("#ffc800"));
        type(red, "9", Qt::Key_Escape);
        QCOMPARE(red.text(), QStringLiteral("255"));
        QCOMPARE(entered.size(), 2);
        QCOMPARE(entered.last().first().value<QColor>(), QColor(255, 200, 0));
        QCOMPARE(fields.color(), QColor(255, 200, 0));
    }
};

QTEST_MAIN(TestColorWheel)
#include "tst_colorwheel.moc"
