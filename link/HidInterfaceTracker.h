#pragma once
// The hot-plug watcher's memory of the attached HID interfaces: it compares each new enumeration
// with the previous one and reports which interfaces of the supported keyboard came or went.
// Plain code without platform calls beside the enumeration, so tests can drive it.

#include <QByteArray>
#include <QList>

class HidInterfaceTracker
{
public:
    // One enumerated HID interface (one top-level collection of a device node).
    struct Entry {
        QByteArray path;
        quint16 vendorId = 0;
        quint16 productId = 0;
        quint16 usagePage = 0;
        quint16 usage = 0;
        bool operator==(const Entry &other) const;
        bool isLegal() const;
    };
    // Legal interfaces that arrived and that left.
    struct Changes {
        QList<Entry> added;
        QList<Entry> removed;
    };

    // Every HID interface attached now, from the HID library's enumeration.
    static QList<Entry> enumerate();

    // Takes the given enumeration as the known state without reporting anything.
    void reset(const QList<Entry> &now);
    // Reports the legal interfaces present in now but not before, and before but not now, and
    // keeps now as the known state.
    Changes update(const QList<Entry> &now);
    // The device node at path has gone: its interfaces are reported removed and forgotten, even
    // when a new enumeration would show the node again (a quick unplug and replug).
    Changes forget(const QByteArray &path);

    const QList<Entry> &known() const { return mKnown; }

private:
    static QList<Entry> legalOnly(const QList<Entry> &entries);

    QList<Entry> mKnown;
};
