#include "link/HidPlatformMonitor.h"

#include <QDebug>

#if defined(Q_OS_LINUX)
#include "link/UdevHidMonitor.h"
#endif

HidPlatformMonitor *HidPlatformMonitor::create(QObject *parent)
{
#if defined(Q_OS_LINUX)
    return UdevHidMonitor::start(parent);
#else
    Q_UNUSED(parent);
    qDebug() << "=== HidPlatformMonitor 此平台没有HID设备通知 ===";
    return nullptr;
#endif
}
