#pragma once
// Linux back end of the HID notices: a udev monitor on the hidraw subsystem, read by the event
// loop through a socket notifier, so an idle program does nothing at all.

#include "link/HidPlatformMonitor.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

class UdevHidMonitor : public HidPlatformMonitor
{
    Q_OBJECT
public:
    // A started monitor owned by parent, or null when udev cannot be reached.
    static UdevHidMonitor *start(QObject *parent);
    ~UdevHidMonitor() override;

private:
    UdevHidMonitor(udev *context, udev_monitor *monitor, QObject *parent);
    void readEvents();

    udev *mUdev = nullptr;
    udev_monitor *mMonitor = nullptr;
    QSocketNotifier *mNotifier = nullptr;
};
