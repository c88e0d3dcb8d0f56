#include "emulator/EmulatedHidBus.h"

#include "emulator/EmulatedKeyboard.h"

#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

using Clock = std::chrono::steady_clock;

// The handle hidapi hands out: opaque to the program.
struct hid_device_ {
    std::shared_ptr<EmulatedHidBus::Port> port;
    QByteArray path;
    bool nonblocking = false;
    bool closed = false;
    std::wstring lastError;
};

struct EmulatedHidBus::Port {
    EmulatedHidInterface info;
    std::shared_ptr<EmulatedKeyboard> keyboard;
    EmulatedHidFaults faults;
    bool attached = true;
    struct Pending {
        QByteArray bytes;
        Clock::time_point readyAt;
    };
    std::deque<Pending> input; // ordered by readyAt
};

namespace {
char *copyText(const QByteArray &text)
{
    char *copy = static_cast<char *>(std::malloc(size_t(text.size()) + 1));
    std::memcpy(copy, text.constData(), size_t(text.size()) + 1);
    return copy;
}

wchar_t *copyWide(const QString &text)
{
    if (text.isNull())
        return nullptr;
    const std::wstring wide = text.toStdWString();
    auto *copy = static_cast<wchar_t *>(std::malloc((wide.size() + 1) * sizeof(wchar_t)));
    std::wmemcpy(copy, wide.c_str(), wide.size() + 1);
    return copy;
}
} // namespace

EmulatedHidBus::EmulatedHidBus() = default;
EmulatedHidBus::~EmulatedHidBus() = default;

EmulatedHidBus &EmulatedHidBus::instance()
{
    static EmulatedHidBus bus;
    return bus;
}

void EmulatedHidBus::reset()
{
    std::lock_guard<std::mutex> lock(mMutex);
    for (const auto &port : mPorts)
        port->attached = false;
    mPorts.clear();
    mStats.clear();
    mHandles.clear();
    mGlobalError.clear();
    mEnumerations = mInits = mExits = 0;
    mChanged.notify_all();
}

EmulatedHidInterface EmulatedHidBus::keyboardInterface(int reportSize, const QByteArray &tag)
{
    EmulatedHidInterface info;
    const bool wide = reportSize == 128;
    info.vendorId = KeyboardVendorId;
    info.productId = KeyboardProductId;
    info.usagePage = wide ? 0xFF00 : 0xFF02;
    info.usage = wide ? 1 : 2;
    info.reportSize = reportSize;
    info.interfaceNumber = wide ? 1 : 2;
    info.manufacturer = QStringLiteral("Quill");
    info.product = QStringLiteral("Quill HE104");
    info.path = "/dev/hidraw-emulated/" + tag + "-" + QByteArray::number(reportSize);
    return info;
}

void EmulatedHidBus::attach(const EmulatedHidInterface &info, std::shared_ptr<EmulatedKeyboard> keyboard)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (auto old = findPort(info.path))
        unplugLocked(old);
    auto port = std::make_shared<Port>();
    port->info = info;
    port->keyboard = std::move(keyboard);
    mPorts.push_back(port);
    mChanged.notify_all();
}

QList<QByteArray> EmulatedHidBus::attachKeyboard(std::shared_ptr<EmulatedKeyboard> keyboard,
                                                 const QList<int> &reportSizes, const QByteArray &tag)
{
    QList<QByteArray> paths;
    for (int size : reportSizes) {
        const EmulatedHidInterface info = keyboardInterface(size, tag);
        attach(info, keyboard);
        paths.append(info.path);
    }
    return paths;
}

bool EmulatedHidBus::detach(const QByteArray &path)
{
    std::lock_guard<std::mutex> lock(mMutex);
    auto port = findPort(path);
    if (!port)
        return false;
    unplugLocked(port);
    return true;
}

bool EmulatedHidBus::isAttached(const QByteArray &path) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return findPort(path) != nullptr;
}

void EmulatedHidBus::setFaults(const QByteArray &path, const EmulatedHidFaults &faults)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (auto port = findPort(path))
        port->faults = faults;
    mChanged.notify_all();
}

EmulatedHidFaults EmulatedHidBus::faults(const QByteArray &path) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    auto port = findPort(path);
    return port ? port->faults : EmulatedHidFaults();
}

void EmulatedHidBus::pushInputReport(const QByteArray &path, const QByteArray &report, int delayMs)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (auto port = findPort(path))
        queueLocked(*port, report, delayMs);
}

int EmulatedHidBus::pendingInputReports(const QByteArray &path) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    auto port = findPort(path);
    return port ? int(port->input.size()) : 0;
}

int EmulatedHidBus::readCount(const QByteArray &path) const
{
    return statsOf(path).reads;
}

int EmulatedHidBus::writeCount(const QByteArray &path) const
{
    return statsOf(path).writes;
}

int EmulatedHidBus::rejectedWriteCount(const QByteArray &path) const
{
    return statsOf(path).rejectedWrites;
}

int EmulatedHidBus::openCount(const QByteArray &path) const
{
    return statsOf(path).opens;
}

QList<QByteArray> EmulatedHidBus::writtenReports(const QByteArray &path) const
{
    return statsOf(path).written;
}

EmulatedHidBus::Stats EmulatedHidBus::statsOf(const QByteArray &path) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    auto it = mStats.find(path);
    return it == mStats.end() ? Stats() : it->second;
}

int EmulatedHidBus::enumerateCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mEnumerations;
}

int EmulatedHidBus::initCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mInits;
}

int EmulatedHidBus::exitCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mExits;
}

int EmulatedHidBus::openHandleCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    int open = 0;
    for (const auto &handle : mHandles)
        open += handle->closed ? 0 : 1;
    return open;
}

std::shared_ptr<EmulatedHidBus::Port> EmulatedHidBus::findPort(const QByteArray &path) const
{
    for (const auto &port : mPorts) {
        if (port->info.path == path)
            return port;
    }
    return nullptr;
}

void EmulatedHidBus::unplugLocked(const std::shared_ptr<Port> &port)
{
    port->attached = false;
    port->input.clear();
    for (auto it = mPorts.begin(); it != mPorts.end(); ++it) {
        if (*it == port) {
            mPorts.erase(it);
            break;
        }
    }
    mChanged.notify_all();
}

void EmulatedHidBus::setRecordWrites(bool record)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mRecordWrites = record;
}

void EmulatedHidBus::setReplyLatency(std::chrono::microseconds latency)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mReplyLatency = latency;
}

void EmulatedHidBus::queueLocked(Port &port, const QByteArray &report, int delayMs, std::chrono::microseconds extra)
{
    const Clock::time_point readyAt = Clock::now() + std::chrono::milliseconds(delayMs) + extra;
    auto at = port.input.end();
    while (at != port.input.begin() && std::prev(at)->readyAt > readyAt)
        --at;
    port.input.insert(at, Port::Pending{report, readyAt});
    mChanged.notify_all();
}

int EmulatedHidBus::failLocked(hid_device *device, const QString &reason)
{
    device->lastError = reason.toStdWString();
    return -1;
}

hid_device_info *EmulatedHidBus::enumerate(unsigned short vendorId, unsigned short productId)
{
    std::lock_guard<std::mutex> lock(mMutex);
    ++mEnumerations;
    hid_device_info *head = nullptr;
    hid_device_info **tail = &head;
    for (const auto &port : mPorts) {
        const EmulatedHidInterface &info = port->info;
        if ((vendorId && vendorId != info.vendorId) || (productId && productId != info.productId))
            continue;
        auto *entry = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        entry->path = copyText(info.path);
        entry->vendor_id = info.vendorId;
        entry->product_id = info.productId;
        entry->release_number = info.releaseNumber;
        entry->manufacturer_string = copyWide(info.manufacturer);
        entry->product_string = copyWide(info.product);
        entry->usage_page = info.usagePage;
        entry->usage = info.usage;
        entry->interface_number = info.interfaceNumber;
        entry->bus_type = HID_API_BUS_USB;
        *tail = entry;
        tail = &entry->next;
    }
    return head;
}

void EmulatedHidBus::freeEnumeration(hid_device_info *devices)
{
    while (devices) {
        hid_device_info *next = devices->next;
        std::free(devices->path);
        std::free(devices->serial_number);
        std::free(devices->manufacturer_string);
        std::free(devices->product_string);
        std::free(devices);
        devices = next;
    }
}

hid_device *EmulatedHidBus::open(const char *path)
{
    std::lock_guard<std::mutex> lock(mMutex);
    const QByteArray key(path ? path : "");
    auto port = findPort(key);
    // errno as the hidraw library leaves it after its failed open().
    if (!port) {
        mGlobalError = L"No such device";
        errno = ENOENT;
        return nullptr;
    }
    ++mStats[key].opens;
    if (port->faults.openFails) {
        mGlobalError = L"Permission denied (emulated open failure)";
        errno = EACCES;
        return nullptr;
    }
    if (port->faults.openBusy) {
        mGlobalError = L"Device or resource busy (emulated open failure)";
        errno = EBUSY;
        return nullptr;
    }
    auto handle = std::make_unique<hid_device>();
    handle->port = port;
    handle->path = key;
    mHandles.push_back(std::move(handle));
    mGlobalError.clear();
    return mHandles.back().get();
}

void EmulatedHidBus::close(hid_device *device)
{
    if (!device)
        return;
    std::lock_guard<std::mutex> lock(mMutex);
    device->closed = true;
    // A closed handle keeps only its few bytes (until reset), not the interface and keyboard
    // behind it, so that a long run of plug cycles does not pile up keyboards.
    device->port.reset();
    mChanged.notify_all();
}

int EmulatedHidBus::setNonblocking(hid_device *device, int nonblock)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (device->closed || !device->port->attached)
        return failLocked(device, QStringLiteral("device not available"));
    if (device->port->faults.nonblockingFails)
        return failLocked(device, QStringLiteral("cannot change blocking mode (emulated failure)"));
    device->nonblocking = nonblock != 0;
    return 0;
}

int EmulatedHidBus::write(hid_device *device, const unsigned char *data, size_t length)
{
    std::shared_ptr<EmulatedKeyboard> keyboard;
    std::shared_ptr<Port> port;
    QByteArray frame;
    int frameSize = 0;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        Stats &stats = mStats[device->path];
        ++stats.writes;
        port = device->port;
        if (device->closed || !port->attached)
            return failLocked(device, QStringLiteral("device disconnected"));
        if (port->faults.writeFails)
            return failLocked(device, QStringLiteral("write failed (emulated failure)"));
        frameSize = port->info.reportSize;
        if (length != size_t(frameSize) + 1) {
            ++stats.rejectedWrites;
            return failLocked(device, QStringLiteral("report of %1 bytes where %2 are expected (report id + %3-byte report)")
                                          .arg(length)
                                          .arg(frameSize + 1)
                                          .arg(frameSize));
        }
        if (data[0] != 0) {
            ++stats.rejectedWrites;
            return failLocked(device, QStringLiteral("report id %1 instead of 0").arg(data[0]));
        }
        if (mRecordWrites)
            stats.written.append(QByteArray(reinterpret_cast<const char *>(data), int(length)));
        if (port->faults.unplugAfterWrites > 0 && --port->faults.unplugAfterWrites == 0) {
            unplugLocked(port);
            return int(length);
        }
        if (!port->faults.silent)
            keyboard = port->keyboard;
        frame = QByteArray(reinterpret_cast<const char *>(data) + 1, frameSize);
    }
    if (keyboard) {
        // The keyboard works outside the bus lock; it answers on the interface it was asked on.
        const QList<EmulatedReport> replies = keyboard->handleOutputFrame(frame, frameSize);
        std::lock_guard<std::mutex> lock(mMutex);
        if (port->attached) {
            for (const EmulatedReport &reply : replies)
                queueLocked(*port, reply.bytes, reply.delayMs, mReplyLatency);
        }
    }
    return int(length);
}

int EmulatedHidBus::read(hid_device *device, unsigned char *data, size_t length, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mMutex);
    ++mStats[device->path].reads;
    if (timeoutMs == -2)
        timeoutMs = device->nonblocking ? 0 : -1;
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (device->closed)
            return failLocked(device, QStringLiteral("device disconnected"));
        const std::shared_ptr<Port> &port = device->port;
        if (!port->attached)
            return failLocked(device, QStringLiteral("device disconnected"));
        if (port->faults.readFails)
            return failLocked(device, QStringLiteral("read failed (emulated failure)"));
        const Clock::time_point now = Clock::now();
        if (!port->input.empty() && port->input.front().readyAt <= now) {
            const QByteArray report = port->input.front().bytes;
            port->input.pop_front();
            const size_t count = std::min(length, size_t(report.size()));
            std::memcpy(data, report.constData(), count);
            return int(count);
        }
        if (now >= deadline)
            return 0;
        // A reader that has been asked to stop gets its time-out now rather than at the end of
        // the wait, so that tests do not sit out half a second per closed link. (A real device
        // would make it wait; the reader copes with both.)
        if (QThread::currentThread()->isInterruptionRequested())
            return 0;
        Clock::time_point wakeAt = std::min(deadline, now + std::chrono::milliseconds(10));
        if (!port->input.empty())
            wakeAt = std::min(wakeAt, port->input.front().readyAt);
        mChanged.wait_until(lock, wakeAt);
    }
}

const wchar_t *EmulatedHidBus::error(hid_device *device)
{
    std::lock_guard<std::mutex> lock(mMutex);
    const std::wstring &text = device ? device->lastError : mGlobalError;
    return text.empty() ? L"Success" : text.c_str();
}

int EmulatedHidBus::init()
{
    std::lock_guard<std::mutex> lock(mMutex);
    ++mInits;
    return 0;
}

int EmulatedHidBus::exit()
{
    std::lock_guard<std::mutex> lock(mMutex);
    ++mExits;
    return 0;
}
