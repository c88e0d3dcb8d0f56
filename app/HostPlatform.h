#pragma once
#include <QString>
#include <QtGlobal>

// The desktop system the program runs on, where a step has to be done the system's own way
// (installing an update, starting with the system).
class HostPlatform
{
public:
    enum Kind { Linux, MacOS };
    static Kind current();

    // Whether the file at path is a program the given system runs: a regular file (not a link) of
    // at most maxBytes whose header is, on Linux, an ELF executable of the running program's class,
    // byte order and machine, and on macOS a Mach-O executable (one architecture or universal).
    // False with the reason otherwise.
    static bool isProgramFile(const QString &path, Kind platform, qint64 maxBytes, QString *reason);
};
