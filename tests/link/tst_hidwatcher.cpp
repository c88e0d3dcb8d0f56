#include "link/HidInterfaceTracker.h"
#include "link/HidWatcher.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"

#include <QSignalSpy>
#include <QtTest>

using Entry = HidInterfaceTracker::Entry;

namespace {
Entry wide(const QByteArray &path = "/dev/hidraw3")
{
    return {path, 0x5E2D, 0x4E93, 0xFF00, 0x0001};
}
Entry narrow(const QByteArray &path = "/dev/hidraw4")
{
    return {path, 0x5E2D, 0x4E93, 0xFF02, 0x0002};
}
Entry desktop(const QByteArray &path = "/dev/hidraw2")
{
    return {path, 0x5E2D, 0x4E93, 0x0001, 0x0006};
}
Entry mouse(const QByteArray &path = "/dev/hidraw1")
{
    return {path, 0x046D, 0xC077, 0x0001, 0x0002};
}
} // namespace

// Hot-plug: the enumeration diff that decides what is reported, and the watcher's signals.
class TestHidWatcher : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();

private Q_SLOTS:
    void init() { bus.reset(); }

    void pluggingTheKeyboardAddsBothVendorInterfaces()
    {
        HidInterfaceTracker tracker;
        tracker.reset({mouse()});
        const auto changes = tracker.update({mouse(), desktop(), wide(), narrow()});
        QCOMPARE(changes.added, (QList<Entry>{wide(), narrow()}));
        QVERIFY(changes.removed.isEmpty());
        QCOMPARE(tracker.known().size(), 4);
    }

    void pullingItOutRemovesThem()
    {
        HidInterfaceTracker tracker;
        tracker.reset({mouse(), desktop(), wide(), narrow()});
        const auto changes = tracker.update({mouse()});
        QVERIFY(changes.added.isEmpty());
        QCOMPARE(changes.removed, (QList<Entry>{wide(), narrow()}));
    }

    void otherDevicesAndCollectionsAreIgnored()
    {
        HidInterfaceTracker tracker;
        const Entry swapped{"/dev/hidraw9", 0x5E2D, 0x4E93, 0x0001, 0xFF00};
        const Entry crossed{"/dev/hidraw8", 0x5E2D, 0x4E93, 0xFF02, 0x0001};
        auto changes = tracker.update({mouse(), desktop(), swapped, crossed});
        QVERIFY(changes.added.isEmpty());
        changes = tracker.update({});
        QVERIFY(changes.removed.isEmpty());
    }

    void unchangedEnumerationReportsNothing()
    {
        HidInterfaceTracker tracker;
        tracker.reset({wide(), narrow()});
        const auto changes = tracker.update({narrow(), wide()});
        QVERIFY(changes.added.isEmpty());
        QVERIFY(changes.removed.isEmpty());
    }

    void interfaceMovedToAnotherNodeIsRemovedAndAdded()
    {
        HidInterfaceTracker tracker;
        tracker.reset({wide("/dev/hidraw3")});
        const auto changes = tracker.update({wide("/dev/hidraw5")});
        QCOMPARE(changes.removed, QList<Entry>{wide("/dev/hidraw3")});
        QCOMPARE(changes.added, QList<Entry>{wide("/dev/hidraw5")});
    }

    void secondKeyboardCountsSeparately()
    {
        HidInterfaceTracker tracker;
        tracker.reset({wide("/dev/hidraw3")});
        // Same identity on another node; repeated entries are counted one by one.
        auto changes = tracker.update({wide("/dev/hidraw3"), wide("/dev/hidraw6"), wide("/dev/hidraw6")});
        QCOMPARE(changes.added.size(), 2);
        changes = tracker.update({wide("/dev/hidraw3"), wide("/dev/hidraw6")});
        QCOMPARE(changes.removed, QList<Entry>{wide("/dev/hidraw6")});
    }

    void removedNodeIsForgottenEvenIfBackAlready()
    {
        HidInterfaceTracker tracker;
        tracker.reset({mouse(), wide(), narrow()});
        auto changes = tracker.forget(wide().path);
        QCOMPARE(changes.removed, QList<Entry>{wide()});
        // The node was quickly replugged: the next enumeration shows it again, as an arrival.
        changes = tracker.update({mouse(), wide(), narrow()});
        QCOMPARE(changes.added, QList<Entry>{wide()});
        QVERIFY(changes.removed.isEmpty());
        // Forgetting a node that holds only other devices reports nothing.
        QVERIFY(tracker.forget(mouse().path).removed.isEmpty());
        QVERIFY(tracker.forget("/dev/hidraw77").removed.isEmpty());
    }

    void enumerationReadsTheHidLibrary()
    {
        EmulatedHidInterface other = EmulatedHidBus::keyboardInterface(64);
        other.path = "/dev/hidraw-emulated/desktop";
        other.usagePage = 0x0001;
        other.usage = 0x0006;
        bus.attach(other);
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128});
        const QList<Entry> entries = HidInterfaceTracker::enumerate();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].path, other.path);
        QCOMPARE(entries[0].usagePage, quint16(0x0001));
        QVERIFY(!entries[0].isLegal());
        QVERIFY(entries[1].isLegal());
        QCOMPARE(entries[1].usagePage, quint16(0xFF00));
        QCOMPARE(entries[1].usage, quint16(1));
    }

    void watcherSignalsArrivalsAndRemovals()
    {
        // A keyboard present when the watcher starts is known, not announced.
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64}, "first");
        HidWatcher watcher;
        QSignalSpy connected(&watcher, &HidWatcher::deviceConnected);
        QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);
        watcher.rescan();
        QCOMPARE(connected.size(), 0);
        QCOMPARE(disconnected.size(), 0);

        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64}, "second");
        EmulatedHidInterface mouseInterface;
        mouseInterface.path = "/dev/hidraw-emulated/mouse";
        mouseInterface.vendorId = 0x046D;
        mouseInterface.productId = 0xC077;
        mouseInterface.usagePage = 1;
        mouseInterface.usage = 2;
        bus.attach(mouseInterface);
        watcher.rescan();
        QCOMPARE(connected.size(), 2);
        QCOMPARE(connected[0][0].toString(), QString("Unknown HID Device"));
        QCOMPARE(disconnected.size(), 0);

        bus.detach(paths[0]);
        bus.detach(paths[1]);
        bus.detach(mouseInterface.path);
        watcher.rescan();
        QCOMPARE(disconnected.size(), 2);
        QCOMPARE(disconnected[1][0].toString(), QString("HID Device Removed"));
        QCOMPARE(connected.size(), 2);
    }

    void watcherIgnoresOtherDevices()
    {
        HidWatcher watcher;
        QSignalSpy connected(&watcher, &HidWatcher::deviceConnected);
        QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);
        EmulatedHidInterface desktopInterface = EmulatedHidBus::keyboardInterface(64);
        desktopInterface.path = "/dev/hidraw-emulated/desktop";
        desktopInterface.usagePage = 0x0001;
        desktopInterface.usage = 0x0006;
        bus.attach(desktopInterface);
        watcher.rescan();
        bus.detach(desktopInterface.path);
        watcher.rescan();
        QCOMPARE(connected.size(), 0);
        QCOMPARE(disconnected.size(), 0);
    }

    void platformNoticesLeadToAnEnumeration()
    {
        auto *monitor = new HidPlatformMonitor;
        HidWatcher watcher(nullptr, monitor);
        QVERIFY(watcher.isWatching());
        QSignalSpy connected(&watcher, &HidWatcher::deviceConnected);
        QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64});
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Added, paths[0]);
        QCOMPARE(connected.size(), 2);

        // The 64-byte node was removed and is already back when the notice is handled: it still
        // counts as gone and come again.
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Removed, paths[1]);
        QCOMPARE(disconnected.size(), 1);
        QCOMPARE(connected.size(), 3);

        bus.detach(paths[0]);
        emit monitor->hidNotice(HidPlatformMonitor::Notice::Changed, QByteArray());
        QCOMPARE(disconnected.size(), 2);
        QCOMPARE(connected.size(), 3);
    }

    void withoutPlatformServiceNothingWatches()
    {
        HidWatcher watcher(nullptr, nullptr);
        QVERIFY(!watcher.isWatching());
    }

    void idleWatcherDoesNotEnumerate()
    {
        HidWatcher watcher(nullptr);
        const int enumerations = bus.enumerateCount();
        QTest::qWait(300);
        // No polling: without a notice from the system nothing is enumerated.
        QCOMPARE(bus.enumerateCount(), enumerations);
    }
};

QTEST_GUILESS_MAIN(TestHidWatcher)
#include "tst_hidwatcher.moc"
