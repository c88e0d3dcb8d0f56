#pragma once
#include <QString>

// Keeps the program to one running instance: a shared-memory segment marks a running instance,
// and a second start hands over to it through its local server (see InstanceServer) and ends.
class SingleInstance
{
public:
    // Key of the shared-memory segment (the application name).
    static constexpr const char *InstanceKey = "Quillomatrix";
    // Name under which the running instance's local server listens.
    static constexpr const char *ServerName = "Qt6Quillomatrix";
    // The message a second start sends to the running instance.
    static constexpr const char *ActivateMessage = "activate";
    static constexpr int SegmentSize = 1024;
    static constexpr int HandOverTimeoutMs = 30000;

    // True when another instance of the program runs: the segment for the key exists and holds
    // the key. Otherwise this process creates the segment, writes the key into it and holds it.
    // A segment left behind by a crashed instance (attached by nobody) is removed first.
    static bool CheckAppRun(const QString &key = QString::fromLatin1(InstanceKey));
    // Writes the key as zero-terminated UTF-8 into a SegmentSize-byte segment; the rest is zeroed.
    // A key that does not fit is not written.
    static void copyKeyToSharedMemory(void *destination, const QString &key);
    // Connects to the running instance's server and sends ActivateMessage. True when the message
    // was delivered, false when nobody accepted the connection within the time.
    static bool activateExistingInstance(const QString &serverName,
                                         int timeoutMs = HandOverTimeoutMs);
    // The start-up decision: true when another instance runs, so this process ends (status 0). The
    // running instance is asked to come to the front; when it does not answer within timeoutMs this
    // process ends all the same, so that two instances never both open the keyboard. Only where no
    // instance holds the segment (nothing there, or what a crashed one left) does the start go on.
    static bool handOverToRunningInstance(const QString &key = QString::fromLatin1(InstanceKey),
                                          const QString &serverName = QString::fromLatin1(ServerName),
                                          int timeoutMs = HandOverTimeoutMs);
    // Detaches the segments CheckAppRun holds; the last one attached removes the segment.
    static void releaseSegments();
};
