#pragma once
#include <QCoreApplication>
#include <QString>

// Tells a keyboard that is not there from one this user may not open. On Linux the keyboard's
// interfaces are /dev/hidraw* nodes, which a normal user can open only with a udev rule
// (scripts/udev-rule.sh writes one); without it the interface is enumerated but does not open.
class HidAccessCheck
{
    Q_DECLARE_TR_FUNCTIONS(HidAccessCheck)
public:
    // Whether an interface whose hid_open_path just failed (error: errno right after the call)
    // failed for lack of permission.
    static bool openDenied(const QByteArray &path, int error);
    // Tries the attached interfaces of the HID interface table; the path of the first one this
    // user may not open, or an empty text when none is refused for lack of permission.
    static QString deniedInterfacePath();
    // What the user is told: the node that cannot be opened and how to allow it.
    static QString deniedMessage(const QString &path);
};
