// Measures the whole configuration read against the emulated keyboard with a simulated link
// latency per request (the time until the keyboard's answer can be read: 1 ms as at a 1 kHz
// polling rate, 0.125 ms as at 8 kHz), and prints the frames exchanged, the wall time, and its
// ratio to the floor: frames x latency, what a read that never waits for anything but the
// keyboard would take. The row with latency 0 shows the program's own cost per frame (reader
// thread hand-over, reply handling, the next write) plus the emulated keyboard's.
//
//   build/bench/bench_configread [runs]

#include "link/UsbHidUtil.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "protocol/UsbCommunicateUtil.h"
#include "storage/SyncConfigUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "model/AppPaths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/prctl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
struct Run {
    int frames = 0;
    qint64 wallNs = 0;
    bool ok = false;
};

// One full read (scope 0) over a freshly opened link.
Run readOnce(int frameSize, std::chrono::microseconds latency)
{
    EmulatedHidBus &bus = EmulatedHidBus::instance();
    bus.reset();
    bus.setReplyLatency(latency);
    const QByteArray path = bus.attachKeyboard(EmulatedKeyboard::createSample(), {frameSize}).first();

    gUsbCommunicateUtil.reset(new UsbCommunicateUtil);
    gUsbCommunicateUtil->openCommunicate(0);
    gUsbCommunicateUtil->communicateDevice();

    Run run;
    QEventLoop loop;
    SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
    QObject::connect(&read, &SyncConfigUtil::sync_config_result, &loop, [&](bool status, int value) {
        if (!status || value == 100) {
            run.ok = status;
            loop.quit();
        }
    });
    QElapsedTimer timer;
    timer.start();
    read.startSync();
    if (!read.isFinished())
        loop.exec();
    run.wallNs = timer.nsecsElapsed();
    run.frames = bus.writeCount(path);

    gUsbCommunicateUtil->closeCommunicate();
    gUsbCommunicateUtil.reset();
    return run;
}

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

int main(int argc, char *argv[])
{
    // The emulated link makes the keyboard's answer readable after a timed wait; the kernel's
    // default timer slack (50 us) would add to every one of them and be counted against the read.
    prctl(PR_SET_TIMERSLACK, 1UL);
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type >= QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;

    // Settings and databases go to a folder of their own, gone with the run.
    QTemporaryDir dataDir;
    AppPaths::setDataDir(dataDir.filePath(QStringLiteral("data")));
    gSystemConfig.reset(new SystemConfigUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);

    QTextStream out(stdout);
    out << "configuration read against the emulated keyboard, median of " << runs << " runs\n";
    out << "frame  latency_us  frames  wall_ms  floor_ms  ratio  overhead_us_per_frame\n";
    bool allOk = true;
    for (const int latencyUs : {1000, 125, 0}) {
        for (const int frameSize : {128, 64}) {
            std::vector<Run> results;
            for (int i = 0; i < runs; ++i)
                results.push_back(readOnce(frameSize, std::chrono::microseconds(latencyUs)));
            std::sort(results.begin(), results.end(), [](const Run &a, const Run &b) { return a.wallNs < b.wallNs; });
            const Run &median = results[results.size() / 2];
            allOk = allOk && std::all_of(results.begin(), results.end(), [](const Run &r) { return r.ok; });
            const double wallMs = median.wallNs / 1e6;
            const double floorMs = median.frames * latencyUs / 1e3;
            const double overheadUs = (wallMs - floorMs) * 1e3 / median.frames;
            const QString ratio = floorMs > 0 ? QString::asprintf("%5.2f", wallMs / floorMs) : QStringLiteral("    -");
            out << QString::asprintf("%5d  %10d  %6d  %7.2f  %8.2f  ", frameSize, latencyUs, median.frames, wallMs, floorMs)
                << ratio << QString::asprintf("  %21.1f\n", overheadUs);
        }
    }
    out << "peak memory: " << peakMemoryKiB() << " KiB\n";
    if (!allOk)
        out << "some reads FAILED\n";
    out.flush();

    gKeyboardConfig.reset();
    gSystemConfig.reset();
    return allOk ? 0 : 1;
}
