#include "link/HidWatcher.h"

#include <QDebug>

HidWatcher::HidWatcher(QObject *parent) : HidWatcher(parent, HidPlatformMonitor::create(nullptr))
{
}

HidWatcher::HidWatcher(QObject *parent, HidPlatformMonitor *monitor) : QObject(parent), mMonitor(monitor)
{
    qDebug() << "=== HidWatcher HID设备平台检测对象创建 ===";
    if (mMonitor) {
        mMonitor->setParent(this);
        connect(mMonitor, &HidPlatformMonitor::hidNotice, this, &HidWatcher::onNotice);
    }
    mTracker.reset(HidInterfaceTracker::enumerate());
}

HidWatcher::~HidWatcher()
{
    delete mMonitor;
    qDebug() << "=== HidWatcher HID设备平台检测对象销毁 ===";
}

bool HidWatcher::isWatching() const
{
    return mMonitor != nullptr;
}

void HidWatcher::rescan()
{
    report(mTracker.update(HidInterfaceTracker::enumerate()));
}

void HidWatcher::onNotice(HidPlatformMonitor::Notice notice, const QByteArray &path)
{
    // A node that was removed counts as gone even if it is back by the time we enumerate.
    if (notice == HidPlatformMonitor::Notice::Removed && !path.isEmpty())
        report(mTracker.forget(path));
    rescan();
}

void HidWatcher::report(const HidInterfaceTracker::Changes &changes)
{
    for (qsizetype i = 0; i < changes.removed.size(); ++i)
        emit deviceDisconnected(QStringLiteral("HID Device Removed"));
    for (qsizetype i = 0; i < changes.added.size(); ++i)
        emit deviceConnected(QStringLiteral("Unknown HID Device"));
}
