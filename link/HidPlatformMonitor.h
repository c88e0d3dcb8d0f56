#pragma once
// The operating system's notice of HID devices coming and going, behind one small interface so
// that each platform brings its own back end. A notice only says that something changed (and,
// when the platform tells, which device node); the hot-plug watcher enumerates to find out what.

#include <QByteArray>
#include <QObject>

class HidPlatformMonitor : public QObject
{
    Q_OBJECT
public:
    enum class Notice { Added, Removed, Changed };

    using QObject::QObject;

    // The back end of this platform, started and owned by parent; null when the platform has
    // none or it cannot be started (the program then gets no hot-plug notices).
    static HidPlatformMonitor *create(QObject *parent);

Q_SIGNALS:
    // Emitted on the thread that created the monitor. path is the device node concerned, or
    // empty when the platform does not tell.
    void hidNotice(HidPlatformMonitor::Notice notice, const QByteArray &path);
};
