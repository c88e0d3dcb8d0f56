#include "app/SingleInstance.h"

#include <QDebug>
#include <QLocalSocket>
#include <QSharedMemory>
#include <QThread>

#include <cstring>
#include <memory>
#include <vector>

namespace {
// The segments of CheckAppRun stay attached until releaseSegments() or the end of the process.
std::vector<std::unique_ptr<QSharedMemory>> &heldSegments()
{
    static std::vector<std::unique_ptr<QSharedMemory>> segments;
    return segments;
}

// The zero-terminated text at the start of the segment, never read beyond its size.
QByteArray segmentText(const QSharedMemory &segment)
{
    const auto *data = static_cast<const char *>(segment.constData());
    if (!data || segment.size() <= 0)
        return QByteArray();
    const auto size = static_cast<size_t>(segment.size());
    const void *end = std::memchr(data, 0, size);
    return QByteArray(data, end ? static_cast<const char *>(end) - data : segment.size());
}
} // namespace

bool SingleInstance::CheckAppRun(const QString &key)
{
    auto segment = std::make_unique<QSharedMemory>(key);
    // A System V segment outlives a crashed process. Nobody is attached to such a segment, so
    // attaching and detaching removes it, while a segment of a running instance stays.
    if (segment->attach())
        segment->detach();

    const bool created = segment->create(SegmentSize, QSharedMemory::ReadWrite);
    const QSharedMemory::SharedMemoryError error = segment->error();
    bool running = false;
    if (created) {
        segment->lock();
        copyKeyToSharedMemory(segment->data(), key);
        segment->unlock();
    } else if (error == QSharedMemory::AlreadyExists) {
        // attach() takes the segment's lock itself, so the lock is taken after it.
        if (segment->attach(QSharedMemory::ReadWrite)) {
            segment->lock();
            running = segmentText(*segment) == key.toUtf8();
            segment->unlock();
        }
        if (running)
            qDebug("程序已经在运行,\n同一程序不能开启多个!");
    }
    heldSegments().push_back(std::move(segment));
    return running;
}

void SingleInstance::copyKeyToSharedMemory(void *destination, const QString &key)
{
    const QByteArray bytes = key.toUtf8();
    if (bytes.size() + 1 > SegmentSize) {
        qWarning("Key is too long for shared memory buffer!");
        return;
    }
    auto *memory = static_cast<char *>(destination);
    std::memset(memory, 0, SegmentSize);
    std::memcpy(memory, bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool SingleInstance::activateExistingInstance(const QString &serverName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    qDebug("写入网络信息");
    const qint64 length = static_cast<qint64>(std::strlen(ActivateMessage));
    bool sent = socket.write(ActivateMessage, length) == length;
    socket.flush();
    while (sent && socket.bytesToWrite() > 0)
        sent = socket.waitForBytesWritten(timeoutMs);
    // Give the bytes time to leave before this process ends.
    QThread::msleep(200);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::handOverToRunningInstance(const QString &key, const QString &serverName,
                                               int timeoutMs)
{
    if (!CheckAppRun(key))
        return false;
    // An instance that does not take the message in time is still running: nothing is shown or
    // logged, and this start ends anyway.
    activateExistingInstance(serverName, timeoutMs);
    return true;
}

void SingleInstance::releaseSegments()
{
    heldSegments().clear();
}
