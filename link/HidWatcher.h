#pragma once
// Hot-plug watcher: tells the main window when an interface of the supported keyboard arrives or
// leaves. Each notice of the platform (see HidPlatformMonitor) leads to a fresh enumeration, which
// is compared with the previous one; only legal interfaces (UsbHidUtil::checkLegalUsbDevice)
// produce signals, one per interface.

#include "link/HidInterfaceTracker.h"
#include "link/HidPlatformMonitor.h"

#include <QObject>
#include <QString>

class HidWatcher : public QObject
{
    Q_OBJECT
public:
    // Starts watching at once. The interfaces attached now are taken as known, without signals:
    // whoever needs them enumerates (UsbHidUtil).
    explicit HidWatcher(QObject *parent = nullptr);
    // Watches with the given platform back end, which it takes over (null: no notices).
    HidWatcher(QObject *parent, HidPlatformMonitor *monitor);
    ~HidWatcher() override;

    // Whether the platform delivers notices (false where there is no back end).
    bool isWatching() const;

public Q_SLOTS:
    // Enumerates now and reports the difference to the last enumeration.
    void rescan();

Q_SIGNALS:
    void deviceConnected(QString deviceInfo);
    void deviceDisconnected(QString deviceInfo);

private:
    void onNotice(HidPlatformMonitor::Notice notice, const QByteArray &path);
    void report(const HidInterfaceTracker::Changes &changes);

    HidInterfaceTracker mTracker;
    HidPlatformMonitor *mMonitor = nullptr;
};
