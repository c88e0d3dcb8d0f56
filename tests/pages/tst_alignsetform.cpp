// The calibration page against the emulated keyboard: a calibration from start to store, live
// depths that span several report frames, leaving at any point, refusals and a lost store; and
// the depth bar and the styled look of one tile.

#include "emulator/EmulatedCalibrationCommands.h"
#include "pages/common/KeycapPainter.h"
#include "pages/tuning/AlignSetForm.h"
#include "pages/tuning/QAdjustKeyLabel.h"
#include "pages/tuning/QAlignKeyboardWidget.h"
#include "tests/pages/PageRig.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {
constexpr quint16 He104 = SampleProductDatabase::He104Serial;
constexpr uchar GetState = EmulatedCalibrationCommands::GetState;
constexpr uchar SetReport = EmulatedCalibrationCommands::SetReport;
constexpr uchar Save = EmulatedCalibrationCommands::Save;
const QByteArray On = QByteArray::fromHex("01");
const QByteArray Off = QByteArray::fromHex("00");
constexpr int kWaitMs = 5000;
} // namespace

class TestAlignSetForm : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PageRig> rig;
    AlignSetForm *page = nullptr;

    void open(quint16 serial = He104, int frameSize = 128)
    {
        rig.reset(); // the old rig goes before the new one is built
        rig.reset(new PageRig(serial, [](EmulatedKeyboardState &state) { state.calibration.state.insert(5, 1); }, frameSize));
        QVERIFY2(rig->ready(), qPrintable(rig->error()));
        page = rig->showPage<AlignSetForm>(7);
    }
    EmulatedCalibration &keyboard() { return rig->keyboard().state().calibration; }
    QAdjustKeyLabel *tile(uchar key) { return page->keyboard()->adjustTile(key); }
    bool shown(const char *name) { return page->findChild<QWidget *>(QLatin1String(name))->isVisible(); }
    void startCalibrating()
    {
        QVERIFY(PageRig::clickButton(page, QStringLiteral("alignStartButton")));
        QTRY_COMPARE(page->phase(), AlignSetForm::Calibrating);
    }
    // Holds keys at depths on the keyboard and lets it send its live report.
    void press(const QMap<uchar, int> &depths)
    {
        for (auto it = depths.cbegin(); it != depths.cend(); ++it)
            EmulatedCalibrationCommands::pressKey(rig->keyboard().state(), it.key(), quint16(it.value()));
        rig->sendInput(EmulatedCalibrationCommands::liveReports(rig->keyboard().state(), rig->frameSize()));
    }

private Q_SLOTS:
    void init() { PageRig::failOnWarnings(); }
    void cleanup()
    {
        page = nullptr;
        rig.reset();
    }

    void pictureAndIdleLayout_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("68 keys") << SampleProductDatabase::He68Serial << QRect(30, 27, 865, 290);
        QTest::newRow("104 keys") << He104 << QRect(0, 0, 923, 344);
    }
    void pictureAndIdleLayout()
    {
        QFETCH(quint16, serial);
        QFETCH(QRect, geometry);
        open(serial);
        QCOMPARE(page->keyboard()->geometry(), geometry);
        QVERIFY(shown("alignStartButton"));
        for (const char *hidden : {"alignSaveButton", "describeLabel", "openAdcButton", "closeAdcButton"})
            QVERIFY2(!shown(hidden), hidden);
    }

    void calibrate_data()
    {
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<int>("stateFrames");
        QTest::newRow("128-byte frames") << 128 << 1;
        QTest::newRow("64-byte frames") << 64 << 2;
    }
    void calibrate()
    {
        QFETCH(int, frameSize);
        QFETCH(int, stateFrames);
        open(He104, frameSize);
        const int mark = rig->mark();
        startCalibrating();
        QVERIFY(shown("alignSaveButton") && shown("describeLabel") && !shown("alignStartButton"));
        QCOMPARE(tile(5)->getKeyStatus(), QAdjustKeyLabel::StatusPassed);
        QCOMPARE(tile(6)->getKeyStatus(), QAdjustKeyLabel::StatusNotPassed);

        // Forty keys down, more than one report frame holds: key 10 fully, key 11 half way.
        QMap<uchar, int> depths;
        for (uchar key = 10; key < 50; ++key)
            depths[key] = key == 10 ? 400 : key == 11 ? 200 : 100;
        press(depths);
        QTRY_COMPARE(tile(49)->getDownDepth(), 100);
        for (auto it = depths.cbegin(); it != depths.cend(); ++it)
            QCOMPARE(tile(it.key())->getDownDepth(), it.value());
        QCOMPARE(tile(10)->getKeyStatus(), QAdjustKeyLabel::StatusPassed);
        QCOMPARE(tile(11)->getKeyStatus(), QAdjustKeyLabel::StatusNotPassed);
        QCOMPARE(tile(11)->depthLevel(), 0.5);

        // All keys up: the bars drop, the pass stays.
        for (int &depth : depths)
            depth = 0;
        press(depths);
        QTRY_COMPARE(tile(10)->getDownDepth(), 0);
        QCOMPARE(tile(49)->getDownDepth(), 0);
        QCOMPARE(tile(10)->getKeyStatus(), QAdjustKeyLabel::StatusPassed);

        // Saving: the report goes off, and the store follows the keyboard's confirmation after the
        // pause. Timed on the keyboard: from the switch, before it answers, to the store request.
        struct Times {
            QElapsedTimer clock;
            std::atomic<qint64> switched{-1};
            std::atomic<qint64> stored{-1};
        };
        const auto times = std::make_shared<Times>();
        times->clock.start();
        for (uchar order : {SetReport, Save}) {
            const KeyboardCommandHandler handler = rig->keyboard().handler(order);
            rig->keyboard().setHandler(order, [handler, times, order](EmulatedKeyboardState &state, const KeyboardRequest &request,
                                                                    KeyboardReplies &replies) {
                (order == Save ? times->stored : times->switched) = times->clock.nsecsElapsed();
                handler(state, request, replies);
            });
        }
        QVERIFY(PageRig::clickButton(page, QStringLiteral("alignSaveButton")));
        QTRY_COMPARE(keyboard().saves, 1);
        const qint64 pause = times->stored - times->switched;
        QVERIFY2(times->switched >= 0 && pause >= AlignSetForm::SavePauseMs * 1000000LL, qPrintable(QString::number(pause)));
        QTRY_COMPARE(page->phase(), AlignSetForm::Idle);
        QVERIFY(shown("alignStartButton"));
        QCOMPARE(rig->payloads(GetState, mark), QList<QByteArray>(stateFrames, QByteArray()));
        QCOMPARE(rig->payloads(SetReport, mark), (QList<QByteArray>{On, Off}));
        QCOMPARE(rig->payloads(Save, mark), QList<QByteArray>{QByteArray()});
        QVERIFY(PageRig::toasts(page).isEmpty());
    }

    void leaveMidway_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("how");
        QTest::addColumn<QList<QByteArray>>("switches");
        QTest::newRow("page left before the keyboard answered") << false << 0 << QList<QByteArray>{};
        QTest::newRow("page left while calibrating") << true << 0 << QList<QByteArray>{On, Off};
        QTest::newRow("profile operation while calibrating") << true << 1 << QList<QByteArray>{On, Off};
        QTest::newRow("unplugged while calibrating") << true << 2 << QList<QByteArray>{On};
    }
    void leaveMidway()
    {
        QFETCH(bool, answered);
        QFETCH(int, how);
        QFETCH(QList<QByteArray>, switches);
        open();
        const int mark = rig->mark();
        if (answered)
            startCalibrating();
        else
            QVERIFY(PageRig::clickButton(page, QStringLiteral("alignStartButton")));
        if (how == 0)
            page->exitInterface();
        else
            page->exitAlign(how == 1);
        QCOMPARE(page->isCalibrating(), false);
        // The calibration has ended: a switch-off sent on leaving has had its answer.
        EVENTWAIT_COMPARE(page->phase(), AlignSetForm::Idle, kWaitMs);
        // Late answers neither switch the report on again nor store anything.
        QTest::qWait(3 * AlignSetForm::SavePauseMs);
        QCOMPARE(rig->payloads(SetReport, mark), switches);
        QCOMPARE(keyboard().saves, 0);
        QCOMPARE(page->phase(), AlignSetForm::Idle);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("onRefused");
        QTest::addColumn<bool>("offRefused");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<int>("phase");
        QTest::newRow("report refused") << true << false << "打开校准失败" << int(AlignSetForm::Idle);
        QTest::newRow("switching off refused") << false << true << "保存校准失败" << int(AlignSetForm::Calibrating);
        QTest::newRow("store unanswered") << false << false << "保存校准失败" << int(AlignSetForm::Idle);
    }
    void failures()
    {
        QFETCH(bool, onRefused);
        QFETCH(bool, offRefused);
        QFETCH(QString, toast);
        QFETCH(int, phase);
        open();
        PageRig::expectTimeouts();
        keyboard().switchAnswer = onRefused ? 1 : 0;
        if (!onRefused) {
            startCalibrating();
            keyboard().switchAnswer = offRefused ? 1 : 0;
            rig->keyboard().addReplyFault({ReplyFault::Drop, 0, 0xD4, UsbCommunicateUtil::MaxSends});
            QVERIFY(PageRig::clickButton(page, QStringLiteral("alignSaveButton")));
        } else {
            QVERIFY(PageRig::clickButton(page, QStringLiteral("alignStartButton")));
        }
        QTRY_COMPARE(PageRig::toasts(page), QStringList{toast});
        QCOMPARE(int(page->phase()), phase);
        QCOMPARE(shown("alignStartButton"), phase == AlignSetForm::Idle);
    }

    void depthBar_data()
    {
        QTest::addColumn<int>("travel");
        QTest::addColumn<int>("depth");
        QTest::addColumn<qreal>("level");
        QTest::newRow("at rest") << 400 << 0 << 0.0;
        QTest::newRow("half way") << 400 << 200 << 0.5;
        QTest::newRow("past the full travel") << 400 << 900 << 1.0;
        QTest::newRow("no full travel known") << 0 << 50 << 1.0;
    }
    void depthBar()
    {
        QFETCH(int, travel);
        QFETCH(int, depth);
        QFETCH(qreal, level);
        QAdjustKeyLabel tile(0);
        tile.resize(54, 54);
        tile.setFullTravel(travel);
        tile.setDownDepth(depth);
        QCOMPARE(tile.depthLevel(), level);
        // The bar fills the face from its upper edge.
        const QRectF face = KeycapPainter::faceRect(tile.rect(), tile.height());
        const QImage image = tile.grab().toImage();
        QCOMPARE(image.pixelColor(QPointF(face.center().x(), face.top() + 2).toPoint()) == tile.getAdjustColor(), level > 0);
    }

    void tileLookFromEitherSheet_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("light") << ":/styles/styles/light.qss";
        QTest::newRow("dark") << ":/styles/styles/dark.qss";
    }
    // Each sheet gives a tile its face colours, its bar colour and its frame: a key not passed
    // shows the fail colour, a passed one the pass colour, the frame lies over the tile's edge.
    void tileLookFromEitherSheet()
    {
        QFETCH(QString, sheet);
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        const auto unstyled = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        QAdjustKeyLabel tile(0);
        tile.resize(54, 54);
        tile.ensurePolished();
        QVERIFY(tile.getAdjustColor().isValid() && tile.getBorderRadius() > 0);
        const auto faceShows = [&tile](const QColor &colour) {
            const QRectF face = KeycapPainter::faceRect(tile.rect(), tile.height());
            const QColor shown = tile.grab().toImage().pixelColor(QPointF(face.center().x(), face.bottom() - 2).toPoint());
            return colour.isValid() && qAbs(shown.red() - colour.red()) + qAbs(shown.green() - colour.green())
                                               + qAbs(shown.blue() - colour.blue()) <= 9;
        };
        QVERIFY(faceShows(tile.getFailColor()));
        tile.setKeyStatus(QAdjustKeyLabel::StatusPassed);
        QVERIFY(faceShows(tile.getPassColor()));
        QCOMPARE(tile.grab().toImage().pixelColor(tile.width() / 2, 0), tile.getBackColor());
    }
};

QTEST_MAIN(TestAlignSetForm)
#include "tst_alignsetform.moc"
