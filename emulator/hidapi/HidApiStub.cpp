// Stand-in for the HID library in test programs: every hid_* function the program calls is
// answered by the emulated devices of EmulatedHidBus. Linked into tests only.

#include "emulator/EmulatedHidBus.h"

#include <hidapi/hidapi.h>

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void)
{
    return EmulatedHidBus::instance().init();
}

int HID_API_EXPORT HID_API_CALL hid_exit(void)
{
    return EmulatedHidBus::instance().exit();
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    return EmulatedHidBus::instance().enumerate(vendor_id, product_id);
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info *devs)
{
    EmulatedHidBus::instance().freeEnumeration(devs);
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open_path(const char *path)
{
    return EmulatedHidBus::instance().open(path);
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device *dev)
{
    EmulatedHidBus::instance().close(dev);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device *dev, int nonblock)
{
    return EmulatedHidBus::instance().setNonblocking(dev, nonblock);
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    return EmulatedHidBus::instance().write(dev, data, length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return EmulatedHidBus::instance().read(dev, data, length, milliseconds < 0 ? -1 : milliseconds);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return EmulatedHidBus::instance().read(dev, data, length, -2);
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device *dev)
{
    return EmulatedHidBus::instance().error(dev);
}

} // extern "C"
