// The lighting page against the emulated keyboard: choosing an effect, tuning it and painting keys
// send exactly the expected frames; the model follows only confirmed replies of the page's own
// requests; showing a state sends nothing; refused and failed changes leave the page as the
// keyboard holds it. Also the picture's selection and its per-key colours.

#include "emulator/EmulatedLightingCommands.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "pages/common/QCustomSlider.h"
#include "pages/common/QLightKeyLabel.h"
#include "pages/keys/LightSetForm.h"
#include "pages/keys/QColorPalette.h"
#include "pages/keys/QColorSlider.h"
#include "pages/keys/QLightKeyboardWidget.h"
#include "tests/pages/PageRig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr quint16 He104 = SampleProductDatabase::He104Serial;
constexpr uchar SetCustom = 0x10;
constexpr uchar SetEffect = 0x13;
constexpr uchar EffectNames = 0x18;
constexpr uchar Select = 0x19;
constexpr uchar Custom = LightSetForm::CustomMode;

QList<QByteArray> hex(std::initializer_list<const char *> frames)
{
    QList<QByteArray> out;
    for (const char *frame : frames)
        out.append(QByteArray::fromHex(frame));
    return out;
}

// The bytes first to last.
QByteArray keyRun(int first, int last)
{
    QByteArray keys;
    for (int key = first; key <= last; ++key)
        keys.append(char(key));
    return keys;
}

// W red, S off, D with a brightness beyond the scale.
void prepareLights(EmulatedKeyboardState &state)
{
    EmulatedLightingCommands::fillShowcase(state);
    auto &lights = state.profile().customLight;
    lights[39].colorG = lights[39].colorB = 0;
    lights[60].light = 0;
    lights[61].light = 101;
}
} // namespace

class TestLightSetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    LightSetForm *page = nullptr;

    void open(const std::function<void(EmulatedKeyboardState &)> &prepare = prepareLights, int frameSize = 128)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(He104, prepare, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<LightSetForm>(3);
    }

    template<typename Signal>
    void confirmed(Signal signal, const std::function<void()> &action)
    {
        QVERIFY(rig->awaitReply(signal, action));
    }

    void choose(uchar mode)
    {
        confirmed(&UsbCommunicateUtil::usb_receive_select_effect_light,
                  [&] { QVERIFY(PageRig::clickButton(page, QStringLiteral("modeButton%1").arg(mode))); });
        QCOMPARE(page->effectMode(), mode);
    }

    QCustomSlider *slider(const char *name) { return page->findChild<QCustomSlider *>(QString::fromLatin1(name)); }
    QString text(const char *name) { return page->findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    bool shown(const char *name) { return page->findChild<QWidget *>(QString::fromLatin1(name))->isVisibleTo(page); }

    // A click at the far right (or left) end of a slider.
    void clickEnd(const char *name, bool right)
    {
        QCustomSlider *s = slider(name);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(right ? s->width() - 1 : 0, s->height() / 2));
    }

    QByteArray effectBytes(const KEYBOARD_EFFECT_LIGHT &effect) { return EmulatedLightingCommands::effectBytes(effect); }

    // Types red into the colour field and leaves it for the red field, which gets a new value and
    // is left too; then types the colour shown back into the colour field and presses Return.
    void enterColor()
    {
        QVERIFY(QTest::qWaitForWindowActive(page->window()));
        auto *hex = page->findChild<QLineEdit *>(QStringLiteral("colorEdit"));
        auto *red = page->findChild<QLineEdit *>(QStringLiteral("rColorEdit"));
        const auto typeInto = [](QLineEdit *field, const QString &text) {
            field->setFocus();
            QTRY_VERIFY(field->hasFocus());
            field->selectAll();
            QTest::keyClicks(field, text);
        };
        const QString shownColor = hex->text();
        typeInto(hex, QStringLiteral("red"));
        typeInto(red, QStringLiteral("9"));
        typeInto(hex, shownColor);
        QTest::keyClick(hex, Qt::Key_Return);
    }

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
    }

    void cleanup()
    {
        page = nullptr;
        rig.reset();
    }

    void chooseModes()
    {
        open();
        const int mark = rig->mark();
        QVERIFY(!shown("lightWidget") && shown("promptLabel")); // no mode until the user picks one
        choose(0); // Static: brightness and colour
        QVERIFY(shown("lightWidget") && !shown("speedWidget") && !shown("fullColorWidget") && shown("colorWidget"));
        QVERIFY(!page->keyboard()->tiles().first()->isEnabled());
        // The selection buttons still reach the locked tiles.
        const auto selectedAfter = [this](const char *button) {
            return PageRig::clickButton(page, QString::fromLatin1(button)) ? page->keyboard()->getSelectKey().size() : -1;
        };
        QCOMPARE(selectedAfter("invertBtn"), 104);
        QCOMPARE(selectedAfter("deselectAllBtn"), 0);
        QCOMPARE(selectedAfter("selectAllBtn"), 104);
        QVERIFY(PageRig::clickButton(page, QStringLiteral("modeButton0"))); // the mode shown: nothing
        QVERIFY(page->findChild<QAbstractButton *>(QStringLiteral("modeButton0"))->isChecked());
        choose(Custom);
        QVERIFY(shown("lightWidget") && !shown("speedWidget") && shown("colorWidget"));
        QVERIFY(page->keyboard()->tiles().first()->isEnabled());
        QCOMPARE(page->keyboard()->getSelectKey().size(), 104);
        QTest::qWait(100);
        QCOMPARE(rig->payloads(Select, mark), hex({"00", "ff"}));
    }

    void checkedModeReadsWhite_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("hovered");
        QTest::newRow("light") << ":/styles/styles/light.qss" << false;
        QTest::newRow("light, hovered") << ":/styles/styles/light.qss" << true;
        QTest::newRow("dark") << ":/styles/styles/dark.qss" << false;
        QTest::newRow("dark, hovered") << ":/styles/styles/dark.qss" << true;
    }

    // The chosen mode's button, as the theme's style sheet draws it, hovered or not: its text (the
    // pixel furthest from the button's ground) is white.
    void checkedModeReadsWhite()
    {
        QFETCH(QString, sheet);
        QFETCH(bool, hovered);
        open();
        choose(0);
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        auto *button = page->findChild<QToolButton *>(QStringLiteral("modeButton0"));
        QVERIFY(button->isChecked());
        button->setAttribute(Qt::WA_UnderMouse, hovered);
        const QImage image = button->grab().toImage();
        const QColor ground = image.pixelColor(6, image.height() / 2);
        const auto distance = [](const QColor &a, const QColor &b) {
            return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
        };
        // Inside the rounded border.
        const QRect inner = image.rect().adjusted(10, 4, -10, -4);
        QColor text = ground;
        for (int y = inner.top(); y <= inner.bottom(); ++y) {
            for (int x = inner.left(); x <= inner.right(); ++x) {
                if (distance(image.pixelColor(x, y), ground) > distance(text, ground))
                    text = image.pixelColor(x, y);
            }
        }
        QVERIFY2(distance(text, Qt::white) <= 30, qPrintable(text.name()));
    }

    void everyModeShownAtFullHeight_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("none chosen") << -1;
        QTest::newRow("an effect") << 0;
        QTest::newRow("custom") << int(Custom);
    }

    // The mode box holds every mode button whole, with no scroll bar, before and after a choice.
    void everyModeShownAtFullHeight()
    {
        QFETCH(int, mode);
        open();
        rig->stack().resize(1680, 1000);
        if (mode >= 0)
            choose(uchar(mode));
        auto *scroll = page->findChild<QScrollArea *>(QStringLiteral("lightEffectNameScrollArea"));
        QTRY_VERIFY(scroll->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QLayout *grid = scroll->widget()->layout();
        QVERIFY(grid->count() > 8); // three rows
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
        for (int i = 0; i < grid->count(); ++i) {
            QWidget *button = grid->itemAt(i)->widget();
            const QRect shown(button->mapTo(scroll->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(scroll->viewport()->rect().contains(shown), qPrintable(button->objectName()));
            QCOMPARE(button->height(), 40);
        }
    }

    void tuneAnEffect_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("frame"); // item, light, speed, full colour, flags, R, G, B
        // Breathing has every setting.
        QTest::newRow("brightness to the top") << 1 << "light" << QByteArray::fromHex("016432000f00aaff");
        QTest::newRow("speed to the bottom") << 1 << "speed" << QByteArray::fromHex("015001000f00aaff");
        QTest::newRow("full colour on") << 1 << "full" << QByteArray::fromHex("015032010f00aaff");
        QTest::newRow("preset colour") << 1 << "preset" << QByteArray::fromHex("015032000fff0000");
        // Leaving a field sends nothing; Return sends the colour even when it is the one shown.
        QTest::newRow("colour shown, typed and entered") << 1 << "enter" << QByteArray::fromHex("015032000f00aaff");
        QTest::newRow("the last effect named, brightness") << 9 << "light" << QByteArray::fromHex("0964320006ff00ff");
    }

    void tuneAnEffect()
    {
        QFETCH(int, effect);
        QFETCH(QString, action);
        QFETCH(QByteArray, frame);
        open();
        QCOMPARE(gKeyboardConfig->keyboardEffectLightNameMap.lastKey(), uchar(9));
        choose(uchar(effect));
        const int mark = rig->mark();
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light, [&] {
            if (action == QLatin1String("light"))
                clickEnd("lightSlider", true);
            else if (action == QLatin1String("speed"))
                clickEnd("speedSlider", false);
            else if (action == QLatin1String("full"))
                QTest::mouseClick(page->findChild<QCheckBox *>(QStringLiteral("colorCheckBox")), Qt::LeftButton);
            else if (action == QLatin1String("enter"))
                enterColor();
            else
                QVERIFY(PageRig::clickButton(page, QStringLiteral("colourColorBtn")));
        });
        QCOMPARE(rig->payloads(SetEffect, mark), QList<QByteArray>{frame});
        QCOMPARE(effectBytes(*gKeyboardConfig->getKeyboardEffectLight(uchar(effect))), frame);
        QCOMPARE(effectBytes(rig->profile().effects.value(uchar(effect))), frame);
        QCOMPARE(text("lightLabel"), QString::number(uchar(frame[1])));
        if (shown("colorWidget"))
            QCOMPARE(page->findChild<QLineEdit *>(QStringLiteral("colorEdit"))->text(),
                     QColor(uchar(frame[5]), uchar(frame[6]), uchar(frame[7])).name());
    }

    // The colour slider sends every value it takes, darkening the colour last shown (not the one
    // it sent itself, once confirmed); the wheel sends the colour it picks as it is; showing an
    // effect moves neither and sends nothing.
    void colourSliderAndWheel()
    {
        open();
        choose(1); // Breathing, (0, 170, 255)
        auto *slide = page->findChild<QColorSlider *>(QStringLiteral("slideColor"));
        auto *wheel = page->findChild<QColorPalette *>(QStringLiteral("circlePlate"));
        const int mark = rig->mark();
        // 90 %, then 80 % of the effect's colour.
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light, [&] { QTest::keyClick(slide, Qt::Key_PageDown); });
        QCOMPARE(slide->value(), 90);
        QCOMPARE(page->findChild<QLineEdit *>(QStringLiteral("colorEdit"))->text(), QStringLiteral("#0099e6"));
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light, [&] { QTest::keyClick(slide, Qt::Key_PageDown); });

        QSignalSpy picked(wheel, &QColorPalette::select_color);
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light, [&] {
            QTest::mousePress(wheel, Qt::LeftButton, {}, wheel->rect().center() + QPoint(30, -30));
        });
        QCOMPARE(picked.size(), 1);
        const QColor color = picked.first().first().value<QColor>();
        QCOMPARE(slide->value(), 80);
        QCOMPARE(slide->endColor(), color);
        const QByteArray wheelFrame = QByteArray::fromHex("015032000f") + QByteArray::fromHex(color.name().mid(1).toLatin1());
        QCOMPARE(rig->payloads(SetEffect, mark),
                 (QList<QByteArray>{QByteArray::fromHex("015032000f0099e6"), QByteArray::fromHex("015032000f0088cc"), wheelFrame}));

        choose(3);
        QCOMPARE(slide->value(), 80);
        QCOMPARE(slide->endColor(), QColor(QString::fromLatin1("#783cff")));
        QTest::qWait(100);
        QCOMPARE(rig->payloads(SetEffect, mark).size(), 3);
    }

    void paintKeys_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("tiles"); // empty: select all
        QTest::addColumn<QList<QByteArray>>("frames");
        const QByteArray head = QByteArray::fromHex("32ff0000"); // brightness 50, red
        QTest::newRow("all keys, 128-byte frames") << 128 << QList<int>() << QList<QByteArray>{head + keyRun(0, 104)};
        QTest::newRow("all keys, 64-byte frames")
            << 64 << QList<int>() << QList<QByteArray>{head + keyRun(0, 53), head + keyRun(54, 104)};
        QTest::newRow("Space takes its second sensor along") << 128 << QList<int>{94, 38}
                                                             << hex({"32ff0000265e68"});
    }

    void paintKeys()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, tiles);
        QFETCH(QList<QByteArray>, frames);
        open(prepareLights, frameSize);
        choose(Custom);
        if (tiles.isEmpty())
            QVERIFY(PageRig::clickButton(page, QStringLiteral("selectAllBtn")));
        for (int key : tiles)
            QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
        const int mark = rig->mark();
        confirmed(&UsbCommunicateUtil::usb_receive_set_custom_light,
                  [&] { QVERIFY(PageRig::clickButton(page, QStringLiteral("colourColorBtn"))); });
        QCOMPARE(rig->payloads(SetCustom, mark), frames);
        for (const QByteArray &sent : frames) {
            for (char key : sent.mid(4)) {
                const auto light = gKeyboardConfig->getKeyboardCustomLight(uchar(key));
                const KEYBOARD_CUSTOM_LIGHT held = rig->profile().customLight.value(uchar(key));
                QCOMPARE(QList<int>({light->light, light->colorR, light->colorG, light->colorB}),
                         QList<int>({50, 255, 0, 0}));
                QCOMPARE(QList<int>({held.light, held.colorR, held.colorG, held.colorB}), QList<int>({50, 255, 0, 0}));
                if (auto *tile = qobject_cast<QLightKeyLabel *>(page->keyboard()->tile(uchar(key)))) {
                    QCOMPARE(tile->getColor(), QColor(255, 0, 0));
                    QVERIFY(tile->getSelectStatus()); // the selection stays for the next change
                }
            }
        }
    }

    void customLightNeedsKeysAndAColour()
    {
        open();
        choose(Custom);
        const int mark = rig->mark();
        clickEnd("lightSlider", true);
        QCOMPARE(PageRig::toasts(page), QStringList{QStringLiteral("请先选择要设置的按键，再修改亮度或颜色！")});
        QCOMPARE(slider("lightSlider")->value(), 50); // back to what was confirmed
        QCOMPARE(text("lightLabel"), QStringLiteral("50"));

        // No colour chosen yet: keys sharing one colour keep it; never black.
        QVERIFY(PageRig::clickTile(page->keyboard(), 59));
        QVERIFY(PageRig::clickTile(page->keyboard(), 62));
        confirmed(&UsbCommunicateUtil::usb_receive_set_custom_light, [&] { clickEnd("lightSlider", true); });
        QCOMPARE(rig->payloads(SetCustom, mark), hex({"64ffffff3b3e"}));

        // Keys of different colours need a colour first.
        QVERIFY(PageRig::clickTile(page->keyboard(), 39));
        clickEnd("lightSlider", false);
        QCOMPARE(PageRig::toasts(page).last(), QStringLiteral("请先选择颜色，再修改亮度！"));
        QCOMPARE(slider("lightSlider")->value(), 100);
        QTest::qWait(100);
        QCOMPARE(rig->payloads(SetCustom, mark).size(), 1);
    }

    void showingAnEffectSendsNothing()
    {
        open([](EmulatedKeyboardState &state) {
            prepareLights(state);
            state.profile().effects[1].fullColor = 1;
        });
        const int mark = rig->mark();
        choose(1);
        auto *box = page->findChild<QCheckBox *>(QStringLiteral("colorCheckBox"));
        QVERIFY(box->isChecked());
        choose(2); // Spectrum has no full-colour option
        QVERIFY(!box->isChecked());
        choose(1);
        QTest::qWait(100);
        QCOMPARE(rig->payloads(SetEffect, mark), QList<QByteArray>());
        QCOMPARE(rig->payloads(Select, mark), hex({"01", "02", "01"}));
    }

    void failedRequestShowsWhatTheKeyboardHolds()
    {
        open();
        choose(1);
        EmulatedHidFaults faults;
        faults.writeFails = true;
        rig->setFaults(faults);
        clickEnd("lightSlider", true);
        QTRY_COMPARE(PageRig::toasts(page), QStringList{QStringLiteral("灯光设置失败")});
        QCOMPARE(slider("lightSlider")->value(), 80);
        QCOMPARE(text("lightLabel"), QStringLiteral("80"));
        QCOMPARE(gKeyboardConfig->getKeyboardEffectLight(1)->light, uchar(80));
        QVERIFY(PageRig::clickButton(page, QStringLiteral("modeButton2")));
        QTRY_COMPARE(PageRig::toasts(page).size(), 2);
        QCOMPARE(page->effectMode(), uchar(1));
        QVERIFY(page->findChild<QAbstractButton *>(QStringLiteral("modeButton1"))->isChecked());

        rig->setFaults(EmulatedHidFaults());
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light, [&] { clickEnd("lightSlider", true); });
        QCOMPARE(gKeyboardConfig->getKeyboardEffectLight(1)->light, uchar(100));
    }

    void anotherSourcesReplyChangesNothing()
    {
        open();
        choose(1);
        static constexpr uchar other = UsbCommunicateUtil::SourceMainWindow;
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_select_effect_light,
                                [] { gUsbCommunicateUtil->usb_select_effect_light(other, false, 3); }));
        KEYBOARD_EFFECT_LIGHT dim = *gKeyboardConfig->getKeyboardEffectLight(1);
        dim.light = 10;
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_effect_light,
                                [&] { gUsbCommunicateUtil->usb_set_effect_light(other, false, dim); }));
        QCOMPARE(page->effectMode(), uchar(1));
        QCOMPARE(gKeyboardConfig->getKeyboardEffectLight(1)->light, uchar(80));
        QCOMPARE(text("lightLabel"), QStringLiteral("80"));
    }

    void languageChangeAsksForTheNames_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("breathing");
        QTest::newRow("English") << int(SystemConfigUtil::English) << QByteArray::fromHex("00") << "Breathing";
        QTest::newRow("Vietnamese") << int(SystemConfigUtil::Vietnamese) << QByteArray::fromHex("07") << "Hơi thở";
        QTest::newRow("Chinese") << int(SystemConfigUtil::Chinese) << QByteArray::fromHex("01") << "呼吸";
    }

    void languageChangeAsksForTheNames()
    {
        QFETCH(int, language);
        QFETCH(QByteArray, request);
        QFETCH(QString, breathing);
        open();
        choose(1);
        const int mark = rig->mark();
        const auto buttonTexts = [this] {
            QStringList texts;
            for (int mode : {1, int(Custom)})
                texts << page->findChild<QAbstractButton *>(QStringLiteral("modeButton%1").arg(mode))->text();
            return texts;
        };
        const QStringList before = buttonTexts();
        confirmed(&UsbCommunicateUtil::usb_receive_set_effect_light_language, [&] {
            gSystemConfig->setLanuage(language, qApp);
            page->refreshLanguageUi();
        });
        // Ten names come in two frames, each asked for in the new language.
        QCOMPARE(rig->payloads(EffectNames, mark), (QList<QByteArray>{request, request}));
        QCOMPARE(text("lightPromptLabel"), QCoreApplication::translate("LightSetForm", "亮度"));
        // The mode buttons keep their texts, and the mode stays shown, until the page is entered next.
        QTest::qWait(50);
        QCOMPARE(buttonTexts(), before);
        QVERIFY(page->findChild<QAbstractButton *>(QStringLiteral("modeButton1"))->isChecked());
        page->repaintInterface();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the old buttons
        QCOMPARE(buttonTexts(), QStringList({breathing, QCoreApplication::translate("LightSetForm", "自定义")}));
    }

    void noEffectNamesLeaveCustomLightingOnly()
    {
        open([](EmulatedKeyboardState &state) {
            prepareLights(state);
            state.effectNames.clear();
            state.effectNamesByLanguage.clear();
        });
        QVERIFY(gKeyboardConfig->keyboardEffectLightNameMap.isEmpty());
        QCOMPARE(page->findChildren<QAbstractButton *>(QRegularExpression(QStringLiteral("^modeButton"))).size(), 1);
        // An effect the keyboard did not name cannot be tuned.
        confirmed(&UsbCommunicateUtil::usb_receive_select_effect_light,
                  [] { gUsbCommunicateUtil->usb_select_effect_light(UsbCommunicateUtil::SourceLightPage, false, 1); });
        const int mark = rig->mark();
        clickEnd("lightSlider", true);
        QCOMPARE(slider("lightSlider")->value(), 80);
        choose(Custom);
        QVERIFY(PageRig::clickTile(page->keyboard(), 0));
        confirmed(&UsbCommunicateUtil::usb_receive_set_custom_light,
                  [&] { QVERIFY(PageRig::clickButton(page, QStringLiteral("blueColorBtn"))); });
        QCOMPARE(rig->payloads(SetCustom, mark), hex({"500000ff00"}));
        QCOMPARE(rig->payloads(SetEffect, mark), QList<QByteArray>());
    }

    void pictureSelectsAndShowsTheModelsColours()
    {
        open();
        QLightKeyboardWidget *picture = page->keyboard();
        QCOMPARE(picture->tiles().size(), 104);
        const auto tile = [picture](int key) { return qobject_cast<QLightKeyLabel *>(picture->tile(uchar(key))); };
        QCOMPARE(tile(39)->getColor(), QColor(255, 0, 0));
        QCOMPARE(tile(59)->getColor(), QColor(255, 255, 255));
        QVERIFY(tile(60)->isOff() && !tile(60)->hasColor());
        QVERIFY(!tile(61)->isOff() && !tile(61)->hasColor());

        const auto at = [&](int key) { return tile(key)->geometry().center(); };
        QTest::mouseClick(picture, Qt::LeftButton, {}, at(39));
        QCOMPARE(picture->getSelectKey(), QList<uchar>{39});
        // A drag from outside every tile selects what it passes; a press that deselects, then a
        // move inside the same tile, selects it again.
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(2, 2));
        for (int key : {38, 39, 40})
            QTest::mouseMove(picture, at(key));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, at(40));
        QCOMPARE(picture->getSelectKey(), (QList<uchar>{38, 39, 40}));
        QTest::mousePress(picture, Qt::LeftButton, {}, at(40));
        QCOMPARE(picture->getSelectKey(), (QList<uchar>{38, 39}));
        QTest::mouseMove(picture, at(40) + QPoint(2, 0));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, at(40));
        QCOMPARE(picture->getSelectKey(), (QList<uchar>{38, 39, 40}));
        QTest::mouseMove(picture, at(41)); // no button held
        QCOMPARE(picture->getSelectKey().size(), 3);

        picture->invertAllKey();
        QCOMPARE(picture->getSelectKey().size(), 101);
        picture->setKeyboardEnable(false);
        QTest::mouseClick(picture, Qt::LeftButton, {}, at(38)); // locked tiles ignore the mouse
        QCOMPARE(picture->getSelectKey().size(), 101);
        picture->selectAllKey();
        QCOMPARE(picture->getSelectKey().size(), 104);
        picture->deselectAllKey();
        QVERIFY(picture->getSelectKey().isEmpty());
    }
};

QTEST_MAIN(TestLightSetForm)
#include "tst_lightsetform.moc"
