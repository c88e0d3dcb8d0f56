#pragma once
// The HID interfaces a test has "plugged in". The hidapi stand-in (emulator/hidapi) answers
// every hid_* call from here, so the program's link code runs unchanged against emulated devices.
// Thread-safe: the reader thread blocks in reads while the test writes and plugs.

#include <QByteArray>
#include <QList>
#include <QString>

#include <hidapi/hidapi.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class EmulatedKeyboard;

// What enumeration reports of one interface.
struct EmulatedHidInterface {
    QByteArray path;
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 usagePage = 0;
    quint16 usage = 0;
    int reportSize = 64;       // bytes of one input and output report (without report id)
    int interfaceNumber = 0;
    quint16 releaseNumber = 0x0105;
    QString manufacturer;      // a null text is reported as no string at all
    QString product;
};

// Switches for failures of one interface.
struct EmulatedHidFaults {
    bool openFails = false;        // hid_open_path returns null with errno EACCES, as for a node
                                   // this user may not open
    bool openBusy = false;         // hid_open_path returns null with errno EBUSY: the node is there and
                                   // this user may open it, but it does not open now
    bool nonblockingFails = false; // hid_set_nonblocking returns -1
    bool writeFails = false;       // hid_write returns -1
    bool readFails = false;        // reads return -1 at once
    bool silent = false;           // writes are taken, nothing ever answers
    int unplugAfterWrites = -1;    // > 0: the interface is pulled out right after that many more
                                   // accepted writes (the last one is taken, its answer is lost)
};

class EmulatedHidBus
{
public:
    static constexpr quint16 KeyboardVendorId = 0x5E2D;
    static constexpr quint16 KeyboardProductId = 0x4E93;

    static EmulatedHidBus &instance();

    // Unplugs everything and forgets faults, counters, written reports and closed handles.
    // Call it only while no thread is inside a hid_* call.
    void reset();

    // The keyboard's interface with reports of reportSize bytes (128: usage page 0xFF00 usage 1,
    // interface 1; 64: usage page 0xFF02 usage 2, interface 2), at a path made from tag.
    static EmulatedHidInterface keyboardInterface(int reportSize, const QByteArray &tag = "kbd");

    // Plugs an interface in; output reports written to it go to keyboard (when given). A path
    // already attached is replaced (its open handles die).
    void attach(const EmulatedHidInterface &info, std::shared_ptr<EmulatedKeyboard> keyboard = {});
    // Plugs in the keyboard's interfaces of the given report sizes; returns their paths.
    QList<QByteArray> attachKeyboard(std::shared_ptr<EmulatedKeyboard> keyboard,
                                     const QList<int> &reportSizes = {128, 64}, const QByteArray &tag = "kbd");
    // Pulls an interface out: open handles fail every read and write from now on.
    bool detach(const QByteArray &path);
    bool isAttached(const QByteArray &path) const;

    void setFaults(const QByteArray &path, const EmulatedHidFaults &faults);

    // Time between a request written and the keyboard's answer becoming readable, as a link of a
    // given polling rate would add (0 by default; reset() keeps it).
    void setReplyLatency(std::chrono::microseconds latency);
    // Whether accepted output reports are kept for writtenReports (true by default; a long
    // fuzzing run turns it off).
    void setRecordWrites(bool record);
    EmulatedHidFaults faults(const QByteArray &path) const;

    // Queues an input report as the device would send it (no report id), readable after delayMs.
    void pushInputReport(const QByteArray &path, const QByteArray &report, int delayMs = 0);
    int pendingInputReports(const QByteArray &path) const;

    // Counters since the last reset. Reads and writes count every call on the path's handles,
    // failed ones included; rejected writes are those refused for a wrong report id or length.
    int readCount(const QByteArray &path) const;
    int writeCount(const QByteArray &path) const;
    int rejectedWriteCount(const QByteArray &path) const;
    int openCount(const QByteArray &path) const;
    int enumerateCount() const;
    int initCount() const;
    int exitCount() const;
    int openHandleCount() const;
    // Accepted output reports, report id included, oldest first.
    QList<QByteArray> writtenReports(const QByteArray &path) const;

    // The hidapi stand-in's side; see hidapi.h for the meaning of each.
    hid_device_info *enumerate(unsigned short vendorId, unsigned short productId);
    void freeEnumeration(hid_device_info *devices);
    hid_device *open(const char *path);
    void close(hid_device *device);
    int setNonblocking(hid_device *device, int nonblock);
    int write(hid_device *device, const unsigned char *data, size_t length);
    // timeoutMs < 0 waits without limit; -2 means "as set by hid_set_nonblocking".
    int read(hid_device *device, unsigned char *data, size_t length, int timeoutMs);
    const wchar_t *error(hid_device *device);
    int init();
    int exit();

    // One attached interface with its input queue (internal to the bus and its handles).
    struct Port;

private:
    struct Stats {
        int reads = 0;
        int writes = 0;
        int rejectedWrites = 0;
        int opens = 0;
        QList<QByteArray> written;
    };

    EmulatedHidBus();
    ~EmulatedHidBus();
    Stats statsOf(const QByteArray &path) const;
    std::shared_ptr<Port> findPort(const QByteArray &path) const;
    void unplugLocked(const std::shared_ptr<Port> &port);
    void queueLocked(Port &port, const QByteArray &report, int delayMs,
                     std::chrono::microseconds extra = std::chrono::microseconds(0));
    int failLocked(hid_device *device, const QString &reason);

    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<std::shared_ptr<Port>> mPorts; // attached, in plug-in order
    std::map<QByteArray, Stats> mStats;
    std::vector<std::unique_ptr<hid_device>> mHandles; // open and closed, kept until reset
    std::wstring mGlobalError;
    int mEnumerations = 0;
    int mInits = 0;
    int mExits = 0;
    std::chrono::microseconds mReplyLatency{0};
    bool mRecordWrites = true;
};
