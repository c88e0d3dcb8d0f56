#include "app/HidAccessCheck.h"

#include "link/UsbHidUtil.h"

#include <cerrno>
#include <unistd.h>

bool HidAccessCheck::openDenied(const QByteArray &path, int error)
{
    if (error == EACCES || error == EPERM)
        return true;
    // The library may have overwritten errno on its way out; the node itself tells.
    return ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString HidAccessCheck::deniedInterfacePath()
{
    for (const HID_DEVICE_FILTER &row : gHidDeviceList) {
        hid_device_info *devices = hid_enumerate(row.vendorId, row.productId);
        QString denied;
        for (const hid_device_info *entry = devices; entry && denied.isEmpty(); entry = entry->next) {
            if (entry->usage != row.usage || entry->usage_page != row.usagePage || !entry->path)
                continue;
            errno = 0;
            if (hid_device *device = hid_open_path(entry->path)) {
                hid_close(device);
                continue;
            }
            if (openDenied(entry->path, errno))
                denied = QString::fromUtf8(entry->path);
        }
        if (devices)
            hid_free_enumeration(devices);
        if (!denied.isEmpty())
            return denied;
    }
    return QString();
}

QString HidAccessCheck::deniedMessage(const QString &path)
{
    return tr("没有权限打开键盘设备 %1。请运行 scripts/udev-rule.sh 安装 udev 规则，然后重新插入键盘。").arg(path);
}
