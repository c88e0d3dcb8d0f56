#include "link/HidInterfaceTracker.h"

#include "link/UsbHidUtil.h"

namespace {
// Entries of from that to does not hold, counting repeated entries one by one.
QList<HidInterfaceTracker::Entry> missingFrom(const QList<HidInterfaceTracker::Entry> &from,
                                              QList<HidInterfaceTracker::Entry> to)
{
    QList<HidInterfaceTracker::Entry> missing;
    for (const HidInterfaceTracker::Entry &entry : from) {
        const qsizetype at = to.indexOf(entry);
        if (at < 0)
            missing.append(entry);
        else
            to.removeAt(at);
    }
    return missing;
}
} // namespace

bool HidInterfaceTracker::Entry::operator==(const Entry &other) const
{
    return path == other.path && vendorId == other.vendorId && productId == other.productId
        && usagePage == other.usagePage && usage == other.usage;
}

bool HidInterfaceTracker::Entry::isLegal() const
{
    return UsbHidUtil::checkLegalUsbDevice(vendorId, productId, usage, usagePage);
}

QList<HidInterfaceTracker::Entry> HidInterfaceTracker::enumerate()
{
    QList<Entry> entries;
    hid_device_info *devices = hid_enumerate(0, 0);
    for (const hid_device_info *info = devices; info; info = info->next)
        entries.append({QByteArray(info->path), info->vendor_id, info->product_id, info->usage_page, info->usage});
    if (devices)
        hid_free_enumeration(devices);
    return entries;
}

void HidInterfaceTracker::reset(const QList<Entry> &now)
{
    mKnown = now;
}

HidInterfaceTracker::Changes HidInterfaceTracker::update(const QList<Entry> &now)
{
    Changes changes;
    changes.added = legalOnly(missingFrom(now, mKnown));
    changes.removed = legalOnly(missingFrom(mKnown, now));
    mKnown = now;
    return changes;
}

HidInterfaceTracker::Changes HidInterfaceTracker::forget(const QByteArray &path)
{
    Changes changes;
    QList<Entry> kept;
    for (const Entry &entry : std::as_const(mKnown)) {
        if (entry.path == path)
            changes.removed.append(entry);
        else
            kept.append(entry);
    }
    mKnown = kept;
    changes.removed = legalOnly(changes.removed);
    return changes;
}

QList<HidInterfaceTracker::Entry> HidInterfaceTracker::legalOnly(const QList<Entry> &entries)
{
    QList<Entry> legal;
    for (const Entry &entry : entries) {
        if (entry.isLegal())
            legal.append(entry);
    }
    return legal;
}
