// The performance page against the emulated keyboard: what it shows on entry and on its tiles,
// the exact requests of each user action (at both frame sizes), the model equal to the keyboard
// once it confirms, and what a reply of another requester, a failed request or a change made
// while another waits does.

#include "emulator/EmulatedTriggerCommands.h"
#include "model/KeyboardConfigUtil.h"
#include "pages/tuning/PerformanceSetForm.h"
#include "pages/tuning/QImageScene.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "pages/tuning/QNatureLabel.h"
#include "tests/pages/PageRig.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {
constexpr quint16 He104 = SampleProductDatabase::He104Serial;
constexpr quint16 He68 = SampleProductDatabase::He68Serial;
constexpr uchar SetTrigger = 0x26;
constexpr uchar SetQuick = 0x27;
constexpr uchar SetAll = 0x28;
constexpr uchar SetParams = 0x50;
// Keys of the 104-key sample: W, A, S, D and Space (a second sensor, 104, shares its place) come
// tuned with rapid trigger, Q and E without it; Esc (key 0) deep.
constexpr uchar Q = 38, W = 39, E = 40, A = 59, S = 60, D = 61, Space = 94;

constexpr auto hex = &PageRig::hex;

void tuned(EmulatedKeyboardState &state)
{
    EmulatedTriggerCommands::tuneForPlay(state.profile());
    state.params.deadDown = 35;
    state.params.deadUp = 12;
    state.params.sportsMode = true;
    state.params.shakeLevel = 1;
    state.params.currentLayer = 2;
}
} // namespace

class TestPerformanceSetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    PerformanceSetForm *page = nullptr;

    void open(int frameSize = 128, const std::function<void(EmulatedKeyboardState &)> &prepare = tuned,
              quint16 serial = He104)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(serial, prepare, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<PerformanceSetForm>(6);
    }
    const Ui_PerformanceSetForm &ui() const { return page->form(); }
    QNatureLabel *tile(uchar key) const { return page->keyboard()->label(key); }

    void select(const QList<int> &keys)
    {
        for (int key : keys)
            QVERIFY(PageRig::clickTile(page->keyboard(), uchar(key)));
    }
    void click(const char *name) { QVERIFY2(PageRig::clickButton(page, QLatin1String(name)), name); }
    void drag(QWidget *slider, int fromX, int toX)
    {
        const int y = slider->height() / 2;
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(fromX, y));
        QTest::mouseMove(slider, QPoint((fromX + toX) / 2, y));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(toX, y));
    }
    void settle() { QTRY_VERIFY_WITH_TIMEOUT(!page->isBusy(), 5000); }

    // The first key whose travel differs between the model and the keyboard, or an empty text.
    QString travelDifferences() const
    {
        const QMap<uchar, KEYBOARD_TRIGGER_INFO> &keyboard = rig->profile().triggers;
        if (gKeyboardConfig->keyboardTriggerMap.keys() != keyboard.keys())
            return QStringLiteral("different keys");
        for (const KEYBOARD_TRIGGER_INFO &key : keyboard) {
            const KEYBOARD_TRIGGER_INFO &held = *gKeyboardConfig->keyboardTriggerMap.value(key.keyItem);
            if (held.trigger != key.trigger || held.model != key.model || held.quick != key.quick
                || held.quickTrigger != key.quickTrigger || held.resetTrigger != key.resetTrigger)
                return QStringLiteral("key %1").arg(key.keyItem);
        }
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        page = nullptr;
        rig.reset();
    }

    void valueTextAndMarker_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("limits");
        QTest::addColumn<int>("marker");
        QTest::newRow("shortest") << QLocale::c() << 10 << "0.10" << QList<int>{10, 400} << 0;
        QTest::newRow("middle, truncated") << QLocale::c() << 195 << "1.95" << QList<int>{10, 400} << 11;
        QTest::newRow("longest") << QLocale::c() << 400 << "4.00" << QList<int>{10, 400} << 25;
        QTest::newRow("decimal comma") << QLocale(QLocale::German) << 150 << "1,50" << QList<int>{0, 300} << 12;
        QTest::newRow("no range") << QLocale::c() << 200 << "2.00" << QList<int>{200, 200} << 0;
    }

    void valueTextAndMarker()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, value);
        QFETCH(QString, text);
        QFETCH(QList<int>, limits);
        QFETCH(int, marker);
        QLocale::setDefault(locale);
        QCOMPARE(QNatureLabel::valueText(value), text);
        QCOMPARE(QImageScene::markerOffset(value, limits[0], limits[1]), marker);
    }

    void entry_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<QList<int>>("limits"); // triggerMin, triggerMax, qttMin, qttMax
        QTest::addColumn<QStringList>("labels"); // actuation, press, release
        QTest::addColumn<int>("marker");
        QTest::addColumn<QRect>("picture");
        QTest::newRow("104 keys") << He104 << QList<int>{10, 400, 1, 250} << QStringList{"1.95", "1.24", "1.24"} << 11
                                  << QRect(0, 0, 932, 344);
        QTest::newRow("68 keys, half width clamped")
            << He68 << QList<int>{10, 400, 30, 40} << QStringList{"1.95", "0.30", "1.24"} << 11 << QRect(30, 27, 865, 290);
        QTest::newRow("no actuation range") << He104 << QList<int>{200, 200, 1, 250}
                                            << QStringList{"2.00", "1.24", "1.24"} << 0 << QRect(0, 0, 932, 344);
    }

    void entry()
    {
        QFETCH(quint16, serial);
        QFETCH(QList<int>, limits);
        QFETCH(QStringList, labels);
        QFETCH(int, marker);
        QFETCH(QRect, picture);
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(serial, tuned));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        PRODUCT_INFO &product = *gKeyboardConfig->productInfo;
        product.triggerMin = quint16(limits[0]);
        product.triggerMax = quint16(limits[1]);
        product.qttMin = quint16(limits[2]);
        product.qttMax = quint16(limits[3]);
        const int mark = rig->mark();
        page = rig->showPage<PerformanceSetForm>(6);
        QCOMPARE(QStringList({ui().triSliderLabel->text(), ui().quickSliderLabel->text(), ui().resetSliderLabel->text()}),
                 labels);
        QCOMPARE(ui().triggerImage->offsetY(), marker);
        QCOMPARE(page->keyboard()->geometry(), picture);
        for (QWidget *control : {static_cast<QWidget *>(ui().triggerSlider), static_cast<QWidget *>(ui().triggerAddBtn),
                                 static_cast<QWidget *>(ui().quickCheckBox), static_cast<QWidget *>(ui().quickSlider),
                                 static_cast<QWidget *>(ui().continueCheckBox)})
            QVERIFY(!control->isEnabled());
        // The whole-keyboard rows show the keyboard's choices; the hidden rows stay hidden.
        QVERIFY(ui().shakeMiddleBtn->isChecked() && !ui().shakeLowBtn->isCheckable());
        QVERIFY(ui().widget_10->isVisible() && !ui().widget_12->isVisible() && !ui().widget_14->isVisible());
        QCOMPARE(rig->mark(), mark); // showing sends nothing
    }

    void tilesAndSelection()
    {
        open(128, [](EmulatedKeyboardState &state) {
            tuned(state);
            state.profile().triggers.remove(E); // a key without a travel record
        });
        QNatureKeyboardWidget *picture = page->keyboard();
        QCOMPARE(tile(W)->topText(), QStringLiteral("0.60"));
        QCOMPARE(tile(W)->bottomLeftText(), QStringLiteral("0.15"));
        QCOMPARE(tile(W)->bottomRightText(), QStringLiteral("0.20"));
        QVERIFY(tile(W)->toolTip().contains(QStringLiteral("快速触发模式:已开启")));
        // Rapid trigger off: the sensitivities show all the same.
        const auto q = gKeyboardConfig->getKeyboardTriggerInfo(Q);
        QVERIFY(!q->model);
        QCOMPARE(tile(Q)->bottomRightText(), QNatureLabel::valueText(q->resetTrigger));
        // On a key one unit wide both values fit side by side, their font made smaller.
        const QFontMetricsF metrics(tile(W)->bottomFont());
        QVERIFY(metrics.horizontalAdvance(tile(W)->bottomLeftText()) + metrics.horizontalAdvance(tile(W)->bottomRightText())
                < tile(W)->width());
        QVERIFY(tile(E) && tile(E)->topText().isEmpty());

        // The key without a record alone leaves the controls idle.
        select({E});
        QVERIFY(!ui().triggerSlider->isEnabled());
        // Clicking one of several selected keys lets it go; the controls show a selected key.
        select({W, Q, W});
        QCOMPARE(picture->getSelectKey(), (QList<uchar>{Q, E}));
        QCOMPARE(ui().triSliderLabel->text(), QStringLiteral("1.50"));
        QVERIFY(!ui().quickSlider->isEnabled());
        // A press that trembles within the tile keeps its toggle; a drag selects what it passes.
        QTest::mousePress(picture, Qt::LeftButton, {}, tile(W)->geometry().center());
        QTest::mouseMove(picture, tile(W)->geometry().center() + QPoint(1, 0));
        QTest::mouseMove(picture, tile(Q)->geometry().center());
        QTest::mouseRelease(picture, Qt::LeftButton, {}, tile(Q)->geometry().center());
        QCOMPARE(picture->getSelectKey(), (QList<uchar>{Q, W, E}));

        // Right after an entry, select all shows key 0, Esc.
        page->repaintInterface();
        QVERIFY(picture->getSelectKey().isEmpty());
        click("selectAllBtn");
        QCOMPARE(ui().triSliderLabel->text(), QStringLiteral("2.50"));
        click("invertBtn");
        QVERIFY(picture->getSelectKey().isEmpty());
        QVERIFY(!ui().triggerSlider->isEnabled());

        click("triDisplayBtn");
        click("quickDisplayBtn");
        QVERIFY(tile(W)->topText().isEmpty() && tile(W)->bottomLeftText().isEmpty());
        page->repaintInterface();
        QVERIFY(tile(W)->topText().isEmpty() && !ui().triDisplayBtn->isChecked());
    }

    void perKeyRequests_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("action");
        QTest::addColumn<uchar>("order");
        QTest::addColumn<QList<QByteArray>>("frames");
        for (int size : {128, 64}) {
            const QByteArray at = " at " + QByteArray::number(size);
            QTest::newRow("actuation +, one key" + at) << size << QList<int>{W} << "triggerAddBtn" << SetTrigger
                                                      << hex({"3d0027"});
            QTest::newRow("actuation slider to its start, a selection" + at)
                << size << QList<int>{W, A, S, D} << "triggerSlider" << SetTrigger << hex({"0a00273b3c3d"});
            QTest::newRow("Space takes both sensors" + at) << size << QList<int>{Space} << "triggerDecBtn" << SetTrigger
                                                          << hex({"4f005e68"});
            QTest::newRow("rapid trigger on, each key keeps its own" + at)
                << size << QList<int>{W, Q} << "quickCheckBox" << SetQuick << hex({"260001001e001e00270001000f001400"});
            QTest::newRow("press sensitivity leaves rapid trigger off" + at)
                << size << QList<int>{E, W} << "quickAddBtn" << SetQuick << hex({"270001001000140028000000100"
                                                                                   "01e00"});
            QTest::newRow("release slider to its end, both sensors" + at)
                << size << QList<int>{Space} << "resetSlider" << SetQuick
                << hex({"5e0001011900fa00680001011900fa00"});
            QTest::newRow("continuous rapid trigger" + at) << size << QList<int>{W} << "continueCheckBox" << SetQuick
                                                          << hex({"270001010f001400"});
        }
    }

    void perKeyRequests()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<int>, keys);
        QFETCH(QString, action);
        QFETCH(uchar, order);
        QFETCH(QList<QByteArray>, frames);
        open(frameSize);
        select(keys);
        QList<uchar> selected(keys.cbegin(), keys.cend());
        std::sort(selected.begin(), selected.end());
        const int mark = rig->mark();
        if (action.endsWith(QLatin1String("Slider"))) {
            auto *slider = page->findChild<QWidget *>(action);
            drag(slider, 0, action == QLatin1String("triggerSlider") ? -20 : slider->width() + 20);
        } else {
            click(action.toLatin1().constData());
        }
        settle();
        QCOMPARE(rig->payloads(order, mark), frames);
        QCOMPARE(rig->payloads(order == SetTrigger ? SetQuick : SetTrigger, mark), QList<QByteArray>());
        QCOMPARE(travelDifferences(), QString());
        QCOMPARE(page->keyboard()->getSelectKey(), selected); // kept through the rebuild
        const KEYBOARD_TRIGGER_INFO &first = *gKeyboardConfig->getKeyboardTriggerInfo(selected.first());
        QCOMPARE(tile(selected.first())->topText(), QNatureLabel::valueText(first.trigger));
    }

    void allKeys_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QList<QByteArray>>("actuation");
        QTest::addColumn<int>("quickFrames");
        const char *keys0to55 = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
                                "202122232425262728292a2b2c2d2e2f3031323334353637";
        const char *keys56to104 = "38393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758"
                                  "595a5b5c5d5e5f606162636465666768";
        QTest::newRow("128") << 128 << QList<QByteArray>{QByteArray::fromHex(QByteArray("f900") + keys0to55 + keys56to104)}
                             << 7;
        QTest::newRow("64") << 64
                            << QList<QByteArray>{QByteArray::fromHex(QByteArray("f900") + keys0to55),
                                                 QByteArray::fromHex(QByteArray("f900") + keys56to104)}
                            << 15;
    }

    void allKeys()
    {
        QFETCH(int, frameSize);
        QFETCH(QList<QByteArray>, actuation);
        QFETCH(int, quickFrames);
        open(frameSize);
        click("selectAllBtn");
        const int mark = rig->mark();
        click("triggerDecBtn"); // Esc's 2.50 less one step, for every key
        settle();
        click("quickCheckBox"); // on for every key, each with its own sensitivities
        settle();
        QCOMPARE(rig->payloads(SetTrigger, mark), actuation);
        QCOMPARE(rig->payloads(SetQuick, mark).size(), quickFrames);
        QCOMPARE(rig->payloads(SetAll, mark), QList<QByteArray>());
        QCOMPARE(travelDifferences(), QString());
        QCOMPARE(rig->profile().triggers.value(W).quickTrigger, quint16(15));
        QCOMPARE(page->keyboard()->getSelectKey().size(), page->keyboard()->tileCount());
    }

    void wholeKeyboard_data()
    {
        QTest::addColumn<bool>("fixedRates");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<QString>("checked"); // the rate or debounce button checked afterwards
        // Hidden fields (dead zones 0.35 and 0.12 mm, competition mode on) go back as read.
        QTest::newRow("1K") << false << "rate1Btn" << hex({"ff002300" "0c00030100010" "2ffffffffffffffffff"}) << "rate1Btn";
        QTest::newRow("debounce high") << false << "shakeHighBtn" << hex({"ff0023000c0000020001" "02ffffffffffffffffff"})
                                       << "shakeHighBtn";
        QTest::newRow("the current rate again") << false << "rate8Btn" << QList<QByteArray>() << "rate8Btn";
        QTest::newRow("bottom-out, rates hidden") << true << "brokenCheckBox"
                                                  << hex({"ff0123000c0000010001" "02ffffffffffffffffff"}) << "rate8Btn";
    }

    void wholeKeyboard()
    {
        QFETCH(bool, fixedRates);
        QFETCH(QString, button);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(QString, checked);
        open(128, [fixedRates](EmulatedKeyboardState &state) {
            tuned(state);
            state.identity.flags = fixedRates ? 1 : 0;
        });
        QCOMPARE(ui().widget_10->isVisible(), !fixedRates);
        const int mark = rig->mark();
        click(button.toLatin1().constData());
        settle();
        QCOMPARE(rig->payloads(SetParams, mark), frames);
        const KEYBOARD_PARAMS &held = *gKeyboardConfig->keyboardParams;
        const KEYBOARD_PARAMS &keyboard = rig->keyboard().state().params;
        QCOMPARE(QList<int>({held.touchOptimize, held.deadDown, held.deadUp, held.pollingRate, held.shakeLevel,
                             held.sportsMode, held.currentLayer}),
                 QList<int>({keyboard.touchOptimize, keyboard.deadDown, keyboard.deadUp, keyboard.pollingRate,
                             keyboard.shakeLevel, keyboard.sportsMode, keyboard.currentLayer}));
        const QList<QToolButton *> choices = page->findChildren<QToolButton *>(QRegularExpression("^(rate|shake)"));
        QStringList shown;
        for (QToolButton *choice : choices) {
            if (choice->isChecked() && choice->objectName().startsWith(checked.left(4)))
                shown.append(choice->objectName());
        }
        QCOMPARE(shown, QStringList{checked});
    }

    void changesMadeWhileOneWaits()
    {
        open();
        ReplyFault late;
        late.kind = ReplyFault::Delay;
        late.value = 50; // within the reply interval: no resend
        late.onlyCode = 0xA7;
        late.times = 2;
        rig->keyboard().addReplyFault(late);
        ReplyFault lateParams = late;
        lateParams.onlyCode = 0xD0;
        rig->keyboard().addReplyFault(lateParams);
        const int mark = rig->mark();
        // Rapid trigger on for Q, then its press sensitivity up before the keyboard confirmed.
        select({Q});
        click("quickCheckBox");
        click("quickAddBtn");
        click("rate1Btn");
        click("shakeHighBtn");
        // A last frame of another requester, or a first frame of this page's, finishes nothing.
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_quick_trigger_config(UsbCommunicateUtil::SourceKeyPage, 1, 1);
        Q_EMIT gUsbCommunicateUtil->usb_receive_set_quick_trigger_config(UsbCommunicateUtil::SourcePerformancePage, 1, 2);
        QVERIFY(page->isBusy());
        settle();
        QCOMPARE(rig->payloads(SetQuick, mark), hex({"260001001e001e00", "260001001f001e00"}));
        QCOMPARE(rig->payloads(SetParams, mark), hex({"ff0023000c0003020001" "02ffffffffffffffffff"}));
        QCOMPARE(travelDifferences(), QString());
        QVERIFY(ui().rate1Btn->isChecked() && ui().shakeHighBtn->isChecked());
    }

    void anotherRequestersReplyChangesNothing()
    {
        open();
        select({W});
        KEYBOARD_TRIGGER_INFO info;
        info.trigger = 300;
        QVERIFY(rig->awaitReply(&UsbCommunicateUtil::usb_receive_set_trigger_config, [&] {
            gUsbCommunicateUtil->usb_set_trigger_config(UsbCommunicateUtil::SourceKeyPage, false, info, {W});
        }));
        QCOMPARE(gKeyboardConfig->getKeyboardTriggerInfo(W)->trigger, quint16(60));
        QCOMPARE(tile(W)->topText(), QStringLiteral("0.60"));
        QCOMPARE(page->keyboard()->getSelectKey(), QList<uchar>{W});
    }

    void unconfirmedChangeReturnsToTheKeyboardsValues_data()
    {
        QTest::addColumn<bool>("silent"); // no answer at all, or the write itself fails
        QTest::addColumn<QString>("button");
        QTest::newRow("rate, unanswered") << true << "rate1Btn";
        QTest::newRow("rate, write fails") << false << "rate1Btn";
        QTest::newRow("actuation, unanswered") << true << "triggerAddBtn";
    }

    void unconfirmedChangeReturnsToTheKeyboardsValues()
    {
        QFETCH(bool, silent);
        QFETCH(QString, button);
        open();
        PageRig::expectTimeouts();
        select({W});
        EmulatedHidFaults faults;
        faults.silent = silent;
        faults.writeFails = !silent;
        rig->setFaults(faults);
        click(button.toLatin1().constData());
        settle();
        QCOMPARE(PageRig::toasts(page), QStringList{QStringLiteral("键盘没有确认修改，已恢复为键盘中的设置")});
        QVERIFY(ui().rate8Btn->isChecked() && !ui().rate1Btn->isCheckable());
        QCOMPARE(ui().triSliderLabel->text(), QStringLiteral("0.60"));
        QCOMPARE(tile(W)->topText(), QStringLiteral("0.60"));

        // Once the link works again, the same click goes through.
        rig->setFaults(EmulatedHidFaults());
        const int mark = rig->mark();
        click(button.toLatin1().constData());
        settle();
        QCOMPARE(rig->payloads(button.startsWith(QLatin1String("rate")) ? SetParams : SetTrigger, mark).size(), 1);
        QCOMPARE(travelDifferences(), QString());
    }

    void wheelAndKeysReachTheKeyboard()
    {
        open();
        select({W});
        PerformanceSlider *slider = ui().triggerSlider;
        const int mark = rig->mark();
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(ui().triSliderLabel->text(), QStringLiteral("0.62"));
        QCOMPARE(rig->payloads(SetTrigger, mark), QList<QByteArray>()); // not before the pause
        QTRY_COMPARE(rig->payloads(SetTrigger, mark), hex({"3e0027"}));
        settle();

        // A wheel turn, then a click on another key before the pause: the turn goes to W first.
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        const int turned = slider->value();
        QVERIFY(turned > 62);
        QCOMPARE(ui().triSliderLabel->text(), QNatureLabel::valueText(turned));
        select({A});
        settle();
        QCOMPARE(rig->payloads(SetTrigger, mark).value(1), QByteArray(1, char(turned)) + QByteArray::fromHex("0027"));
        QCOMPARE(travelDifferences(), QString());
    }

    void promptWithoutAKey()
    {
        open();
        QTest::mouseClick(ui().triggerSlider, Qt::LeftButton);
        QTest::mouseClick(page->keyboard(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(PageRig::toasts(page), QStringList{QStringLiteral("请先选择要设置的按键")});
    }
};

QTEST_MAIN(TestPerformanceSetForm)
#include "tst_performancesetform.moc"
