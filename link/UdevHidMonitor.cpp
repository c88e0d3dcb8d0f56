#include "link/UdevHidMonitor.h"

#include <QDebug>
#include <QSocketNotifier>

#include <libudev.h>

UdevHidMonitor *UdevHidMonitor::start(QObject *parent)
{
    udev *context = udev_new();
    if (!context) {
        qDebug() << "=== UdevHidMonitor 无法创建udev ===";
        return nullptr;
    }
    udev_monitor *monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        qDebug() << "=== UdevHidMonitor 无法监听hidraw设备 ===";
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return new UdevHidMonitor(context, monitor, parent);
}

UdevHidMonitor::UdevHidMonitor(udev *context, udev_monitor *monitor, QObject *parent)
    : HidPlatformMonitor(parent), mUdev(context), mMonitor(monitor)
{
    mNotifier = new QSocketNotifier(udev_monitor_get_fd(mMonitor), QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &UdevHidMonitor::readEvents);
}

UdevHidMonitor::~UdevHidMonitor()
{
    delete mNotifier;
    udev_monitor_unref(mMonitor);
    udev_unref(mUdev);
}

void UdevHidMonitor::readEvents()
{
    // The monitor's socket does not block: take every event that is waiting, in order.
    while (udev_device *device = udev_monitor_receive_device(mMonitor)) {
        const QByteArray action(udev_device_get_action(device));
        const char *node = udev_device_get_devnode(device);
        const QByteArray path(node ? node : "");
        udev_device_unref(device);
        Notice notice = Notice::Changed;
        if (action == "add")
            notice = Notice::Added;
        else if (action == "remove")
            notice = Notice::Removed;
        emit hidNotice(notice, path);
    }
}
