#include "link/UsbHidUtil.h"
#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"

#include <QtTest>

// HID access against the emulated bus: the legal test, enumeration, and which interface the link
// opens with which frame size.
class TestUsbHidUtil : public QObject
{
    Q_OBJECT
private:
    EmulatedHidBus &bus = EmulatedHidBus::instance();

    static EmulatedHidInterface otherInterface(const QByteArray &path, quint16 usagePage, quint16 usage,
                                               quint16 vendorId = 0x5E2D, quint16 productId = 0x4E93)
    {
        EmulatedHidInterface info;
        info.path = path;
        info.vendorId = vendorId;
        info.productId = productId;
        info.usagePage = usagePage;
        info.usage = usage;
        info.reportSize = 8;
        return info;
    }

private Q_SLOTS:
    void init()
    {
        bus.reset();
        global_setUsbFrameSize(128);
    }

    void tableRows()
    {
        QCOMPARE(gHidDeviceList.size(), 2);
        const HID_DEVICE_FILTER &wide = gHidDeviceList[0];
        const HID_DEVICE_FILTER &narrow = gHidDeviceList[1];
        QCOMPARE(wide.vendorId, quint16(0x5E2D));
        QCOMPARE(wide.productId, quint16(0x4E93));
        QCOMPARE(wide.usage, quint16(1));
        QCOMPARE(wide.usagePage, quint16(0xFF00));
        QCOMPARE(wide.reportSize, 128);
        QCOMPARE(narrow.usage, quint16(2));
        QCOMPARE(narrow.usagePage, quint16(0xFF02));
        QCOMPARE(narrow.reportSize, 64);
        QCOMPARE(wide.interface, 2u);
        QVERIFY(wide.name.isEmpty());
    }

    void legalTestNeedsAllFourValues()
    {
        QVERIFY(UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E93, 0x0001, 0xFF00));
        QVERIFY(UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E93, 0x0002, 0xFF02));
        // Usage and usage page swapped.
        QVERIFY(!UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E93, 0xFF00, 0x0001));
        // Usage of one row with the usage page of the other.
        QVERIFY(!UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E93, 0x0001, 0xFF02));
        QVERIFY(!UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E93, 0x0002, 0xFF00));
        QVERIFY(!UsbHidUtil::checkLegalUsbDevice(0x5E2E, 0x4E93, 0x0001, 0xFF00));
        QVERIFY(!UsbHidUtil::checkLegalUsbDevice(0x5E2D, 0x4E94, 0x0001, 0xFF00));
    }

    void initialFrameSizes()
    {
        QCOMPARE(gUsbFrameMaxsize.load(), 128);
        QCOMPARE(gUsbFrameEffectSize.load(), 122);
    }

    void frameSizeSetterKeepsThePairTogether()
    {
        QVERIFY(global_setUsbFrameSize(64));
        QCOMPARE(gUsbFrameMaxsize.load(), 64);
        QCOMPARE(gUsbFrameEffectSize.load(), 58);
        // Sizes the buffers cannot hold are refused and change nothing.
        QVERIFY(!global_setUsbFrameSize(129));
        QVERIFY(!global_setUsbFrameSize(6));
        QVERIFY(!global_setUsbFrameSize(0));
        QCOMPARE(gUsbFrameMaxsize.load(), 64);
        QCOMPARE(gUsbFrameEffectSize.load(), 58);
    }

    void enumerationListsAndCountsLegalInterfacesOnly()
    {
        UsbHidUtil util;
        bus.attach(otherInterface("/dev/hidraw-emulated/mouse", 0x0001, 0x0002, 0x046D, 0xC077));
        bus.attach(otherInterface("/dev/hidraw-emulated/kbd-desktop", 0x0001, 0x0006));
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        QCOMPARE(util.getEffectUsbDeviceTotal(), 2);
        QCOMPARE(util.getLegalUsbDevice(), 2);

        auto marker = QSharedPointer<DEVICE_INFO>::create();
        QList<QSharedPointer<DEVICE_INFO>> list{marker};
        util.getUsbDeviceList(list);
        // Appended after what was there, in enumeration order (128-byte interface attached first).
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0], marker);
        QCOMPARE(list[1]->path, QString("/dev/hidraw-emulated/kbd-128"));
        QCOMPARE(list[1]->vendorId, quint16(0x5E2D));
        QCOMPARE(list[1]->productId, quint16(0x4E93));
        QCOMPARE(list[1]->interface, 1);
        QCOMPARE(list[1]->version, 0x0105);
        QCOMPARE(list[1]->manufacturer, QString("Quill"));
        QCOMPARE(list[1]->productStr, QString("Quill HE104"));
        QCOMPARE(list[1]->serialNumber, quint16(0));
        QCOMPARE(list[2]->path, QString("/dev/hidraw-emulated/kbd-64"));
        QCOMPARE(list[2]->interface, 2);
    }

    void enumerationNarrowedByIds()
    {
        UsbHidUtil util;
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        QList<QSharedPointer<DEVICE_INFO>> list;
        util.getUsbDeviceList(0x1234, 0x5678, list);
        QVERIFY(list.isEmpty());
        util.getUsbDeviceList(0x5E2D, 0, list);
        QCOMPARE(list.size(), 2);
    }

    void missingStringsGiveEmptyTexts()
    {
        EmulatedHidInterface info = EmulatedHidBus::keyboardInterface(64);
        info.manufacturer = QString();
        info.product = QString();
        bus.attach(info);
        QList<QSharedPointer<DEVICE_INFO>> list;
        UsbHidUtil().getUsbDeviceList(list);
        QCOMPARE(list.size(), 1);
        QVERIFY(list[0]->manufacturer.isEmpty());
        QVERIFY(list[0]->productStr.isEmpty());
    }

    void nothingAttached()
    {
        UsbHidUtil util;
        QCOMPARE(util.getEffectUsbDeviceTotal(), 0);
        const auto kept = QSharedPointer<DEVICE_INFO>::create();
        QList<QSharedPointer<DEVICE_INFO>> list{kept};
        util.getUsbDeviceList(list);
        QCOMPARE(list, QList<QSharedPointer<DEVICE_INFO>>{kept});
    }

    void prefersThe128ByteInterface()
    {
        // Attached in the other order: the table's order decides, not the enumeration's.
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {64, 128});
        global_setUsbFrameSize(64);
        hid_device *device = UsbHidUtil::openPreferredUsbDevice();
        QVERIFY(device);
        QCOMPARE(gUsbFrameMaxsize.load(), 128);
        QCOMPARE(gUsbFrameEffectSize.load(), 122);
        QCOMPARE(bus.openCount(paths[1]), 1);
        QCOMPARE(bus.openCount(paths[0]), 0);
        // Opened in blocking mode: a plain read waits for the report that comes 60 ms later.
        bus.pushInputReport(paths[1], QByteArray("\xFA\x01", 2), 60);
        unsigned char report[129] = {};
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(hid_read(device, report, sizeof report), 2);
        QVERIFY(clock.elapsed() >= 50);
        hid_close(device);
        QCOMPARE(bus.openHandleCount(), 0);
    }

    void fallsBackToThe64ByteInterface()
    {
        bus.attach(otherInterface("/dev/hidraw-emulated/kbd-desktop", 0x0001, 0x0006));
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {64});
        hid_device *device = UsbHidUtil::openPreferredUsbDevice();
        QVERIFY(device);
        QCOMPARE(gUsbFrameMaxsize.load(), 64);
        QCOMPARE(gUsbFrameEffectSize.load(), 58);
        QCOMPARE(bus.openCount("/dev/hidraw-emulated/kbd-desktop"), 0);
        hid_close(device);
    }

    void fallbackOrder_data()
    {
        QTest::addColumn<bool>("refuseBlocking");
        QTest::addColumn<bool>("secondKeyboard");
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<QByteArray>("untried");
        QTest::addColumn<int>("frameSize");
        const QByteArray a = "/dev/hidraw-emulated/a-";
        const QByteArray b = "/dev/hidraw-emulated/b-";
        // Failing to open moves on to the next interface of the same row.
        QTest::newRow("128 does not open") << false << false << a + "64" << QByteArray() << 64;
        QTest::newRow("next 128 of the row") << false << true << b + "128" << b + "64" << 128;
        // Refusing blocking mode leaves the whole row.
        QTest::newRow("128 refuses blocking") << true << false << a + "64" << QByteArray() << 64;
        QTest::newRow("row left after refusal") << true << true << b + "64" << b + "128" << 64;
    }

    void fallbackOrder()
    {
        QFETCH(bool, refuseBlocking);
        QFETCH(bool, secondKeyboard);
        QFETCH(QByteArray, opened);
        QFETCH(QByteArray, untried);
        QFETCH(int, frameSize);
        const QList<QByteArray> first =
            bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), secondKeyboard ? QList<int>{128} : QList<int>{128, 64}, "a");
        if (secondKeyboard)
            bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128, 64}, "b");
        EmulatedHidFaults faults;
        faults.openFails = !refuseBlocking;
        faults.nonblockingFails = refuseBlocking;
        bus.setFaults(first[0], faults);

        hid_device *device = UsbHidUtil::openPreferredUsbDevice();
        QVERIFY(device);
        QCOMPARE(bus.openCount(first[0]), 1);
        QCOMPARE(bus.openCount(opened), 1);
        if (!untried.isEmpty())
            QCOMPARE(bus.openCount(untried), 0);
        QCOMPARE(bus.openHandleCount(), 1); // a handle that refused blocking mode was closed again
        QCOMPARE(gUsbFrameMaxsize.load(), frameSize);
        QCOMPARE(gUsbFrameEffectSize.load(), frameSize - 6);
        hid_close(device);
    }

    void wrongUsagePageIsNeverOpened()
    {
        // The right ids, but neither vendor collection.
        bus.attach(otherInterface("/dev/hidraw-emulated/a", 0xFF01, 0x0001));
        bus.attach(otherInterface("/dev/hidraw-emulated/b", 0xFF02, 0x0001));
        bus.attach(otherInterface("/dev/hidraw-emulated/c", 0xFF00, 0x0002));
        global_setUsbFrameSize(64);
        QCOMPARE(UsbHidUtil::openPreferredUsbDevice(), nullptr);
        QCOMPARE(bus.openCount("/dev/hidraw-emulated/a") + bus.openCount("/dev/hidraw-emulated/b")
                     + bus.openCount("/dev/hidraw-emulated/c"),
                 0);
        QCOMPARE(UsbHidUtil().getEffectUsbDeviceTotal(), 0);
        // Nothing opened: the frame sizes stay those of the last link.
        QCOMPARE(gUsbFrameMaxsize.load(), 64);
        QCOMPARE(gUsbFrameEffectSize.load(), 58);
    }

    void openFailureIsReportedAsNull()
    {
        const QList<QByteArray> paths = bus.attachKeyboard(std::make_shared<EmulatedKeyboard>());
        EmulatedHidFaults faults;
        faults.openFails = true;
        for (const QByteArray &path : paths)
            bus.setFaults(path, faults);
        QCOMPARE(UsbHidUtil::openPreferredUsbDevice(), nullptr);
        QCOMPARE(bus.openCount(paths[0]), 1);
        QCOMPARE(bus.openCount(paths[1]), 1);
        QCOMPARE(bus.openHandleCount(), 0);
        QCOMPARE(gUsbFrameMaxsize.load(), 128);
    }

    void globalServiceIsSharedPointer()
    {
        QVERIFY(gUsbHidUtil.isNull());
        gUsbHidUtil.reset(new UsbHidUtil);
        bus.attachKeyboard(std::make_shared<EmulatedKeyboard>(), {128});
        QCOMPARE(gUsbHidUtil->getEffectUsbDeviceTotal(), 1);
        gUsbHidUtil.reset();
    }
};

QTEST_GUILESS_MAIN(TestUsbHidUtil)
#include "tst_usbhidutil.moc"
