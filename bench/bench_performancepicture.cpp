// Measures the performance page's picture for the 104-key sample keyboard: how long the page takes,
// once the keyboard has confirmed a change of actuation, to copy it into the model and rebuild
// its picture from the model with the selection kept (time per rebuild and per tile), and how long
// the picture then takes to paint. A rebuild and its paint together have to fit in one frame at
// 60 Hz (16.7 ms); the program fails when the median does not.
//
//   build/bench/bench_performancepicture [runs]

#include "emulator/EmulatedTriggerCommands.h"
#include "pages/tuning/PerformanceSetForm.h"
#include "pages/tuning/QNatureKeyboardWidget.h"
#include "tests/pages/PageRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr double kFrameMs = 1000.0 / 60;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type >= QtWarningMsg && !message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 50;

    PageRig rig(SampleProductDatabase::He104Serial,
                [](EmulatedKeyboardState &state) { EmulatedTriggerCommands::tuneForPlay(state.profile()); });
    if (!rig.ready()) {
        std::fprintf(stderr, "the sample keyboard was not read: %s\n", qPrintable(rig.error()));
        return 1;
    }
    // The page's own handling of the confirmation sits between these two: connected before and
    // after the page is made, they run right before and right after it.
    QElapsedTimer clock;
    qint64 started = 0;
    std::vector<double> rebuildMs;
    QObject::connect(gUsbCommunicateUtil.data(), &UsbCommunicateUtil::usb_receive_set_trigger_config,
                     [&](uchar, int, int) { started = clock.nsecsElapsed(); });
    clock.start();
    auto *page = rig.showPage<PerformanceSetForm>(6);
    // A picture of its own, for the cost of making every tile (the page's picture makes its
    // tiles once and refills them on every rebuild).
    const double firstBuildMs = [page] {
        QNatureKeyboardWidget fresh(page);
        QElapsedTimer first;
        first.start();
        fresh.initializeKeyboard();
        return first.nsecsElapsed() / 1e6;
    }();
    QObject::connect(gUsbCommunicateUtil.data(), &UsbCommunicateUtil::usb_receive_set_trigger_config,
                     [&](uchar, int, int) { rebuildMs.push_back((clock.nsecsElapsed() - started) / 1e6); });

    QNatureKeyboardWidget *picture = page->keyboard();
    for (int key : {39, 59, 60, 61})
        PageRig::clickTile(picture, uchar(key));
    std::vector<double> paintMs;
    for (int i = 0; i < runs; ++i) {
        PageRig::clickButton(page, i % 2 ? QStringLiteral("triggerDecBtn") : QStringLiteral("triggerAddBtn"));
        if (!QTest::qWaitFor([page] { return !page->isBusy(); }, 3000)) {
            std::fprintf(stderr, "the keyboard did not confirm change %d\n", i + 1);
            return 1;
        }
        QElapsedTimer paint;
        paint.start();
        const QPixmap shown = picture->grab();
        paintMs.push_back(paint.nsecsElapsed() / 1e6);
    }

    const int tiles = picture->tileCount();
    const double rebuild = median(rebuildMs);
    const double paint = median(paintMs);
    QTextStream out(stdout);
    out << "performance picture, 104-key sample (" << tiles << " tiles), median of " << runs
        << " confirmed changes\n";
    out << QString::asprintf("first build (tiles made)           %7.2f ms  %6.1f us per tile\n", firstBuildMs,
                             firstBuildMs * 1000 / tiles);
    out << QString::asprintf("rebuild after a confirmed change   %7.2f ms  %6.1f us per tile  (slowest %.2f ms)\n",
                             rebuild, rebuild * 1000 / tiles, *std::max_element(rebuildMs.begin(), rebuildMs.end()));
    out << QString::asprintf("paint of the rebuilt picture       %7.2f ms  %6.1f us per tile\n", paint,
                             paint * 1000 / tiles);
    out << QString::asprintf("rebuild and paint                  %7.2f ms  of a %.1f ms frame at 60 Hz\n",
                             rebuild + paint, kFrameMs);
    const bool fits = rebuild + paint <= kFrameMs;
    out << (fits ? "within one frame\n" : "OVER one frame\n");
    out.flush();
    return fits ? 0 : 1;
}
