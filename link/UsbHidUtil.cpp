#include "link/UsbHidUtil.h"

#include <QDebug>
#include <QString>

const QList<HID_DEVICE_FILTER> gHidDeviceList = {
    {0x5E2D, 0x4E93, 2, 0x0001, 0xFF00, 128, QByteArray()},
    {0x5E2D, 0x4E93, 2, 0x0002, 0xFF02, 64, QByteArray()},
};

std::atomic<int> gUsbFrameMaxsize{128};
std::atomic<int> gUsbFrameEffectSize{128 - kUsbFrameHeadSize};

QSharedPointer<UsbHidUtil> gUsbHidUtil;

bool global_setUsbFrameSize(int frameSize)
{
    if (frameSize <= kUsbFrameHeadSize || frameSize > kUsbFrameSizeLimit)
        return false;
    gUsbFrameMaxsize = frameSize;
    gUsbFrameEffectSize = frameSize - kUsbFrameHeadSize;
    return true;
}

namespace {
QString fromWide(const wchar_t *text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

} // namespace

UsbHidUtil::UsbHidUtil(QObject *parent) : QObject(parent)
{
    qDebug() << "=== UsbHidUtil USB初始化 ===";
}

UsbHidUtil::~UsbHidUtil()
{
    qDebug() << "=== UsbHidUtil USB销毁 ===";
}

bool UsbHidUtil::checkLegalUsbDevice(ushort vendorId, ushort productId, ushort usage, ushort usagePage)
{
    for (const HID_DEVICE_FILTER &row : gHidDeviceList) {
        if (row.vendorId == vendorId && row.productId == productId && row.usage == usage
            && row.usagePage == usagePage)
            return true;
    }
    return false;
}

int UsbHidUtil::countLegal(const hid_device_info *devices)
{
    int total = 0;
    // The rows differ in usage and usage page, so an interface matches one row at most.
    for (const hid_device_info *entry = devices; entry; entry = entry->next) {
        if (checkLegalUsbDevice(entry->vendor_id, entry->product_id, entry->usage, entry->usage_page))
            ++total;
    }
    return total;
}

int UsbHidUtil::getEffectUsbDeviceTotal() const
{
    hid_device_info *devices = hid_enumerate(0, 0);
    if (!devices)
        return 0;
    const int total = countLegal(devices);
    hid_free_enumeration(devices);
    return total;
}

hid_device *UsbHidUtil::openPreferredUsbDevice()
{
    for (const HID_DEVICE_FILTER &row : gHidDeviceList) {
        hid_device_info *devices = hid_enumerate(row.vendorId, row.productId);
        hid_device *opened = nullptr;
        for (const hid_device_info *entry = devices; entry; entry = entry->next) {
            if (entry->usage != row.usage || entry->usage_page != row.usagePage)
                continue;
            hid_device *device = hid_open_path(entry->path);
            if (!device)
                continue;
            if (hid_set_nonblocking(device, 0) == 0) {
                opened = device;
            } else {
                qDebug().noquote() << QStringLiteral("=== UsbCommunicateUtil 设置阻塞失败,错误原因:{ %1 } ===")
                                          .arg(fromWide(hid_error(device)));
                hid_close(device);
            }
            break;
        }
        if (devices)
            hid_free_enumeration(devices);
        if (opened) {
            global_setUsbFrameSize(row.reportSize);
            return opened;
        }
    }
    return nullptr;
}
