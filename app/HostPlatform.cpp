#include "app/HostPlatform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {
// The first bytes of a file; fewer when it is shorter or cannot be read.
QByteArray headerOf(const QString &path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

// ELF: the identification (magic, class, byte order), the type (executable or position
// independent) and the machine, compared with the running program's own header.
bool isElfLikeOurs(const QByteArray &header)
{
    constexpr int Length = 20;
    constexpr int IdentLength = 6; // magic, class, byte order
    constexpr int TypeAt = 16;
    constexpr int MachineAt = 18;
    const QByteArray ours = headerOf(QCoreApplication::applicationFilePath(), Length);
    if (header.size() < Length || ours.size() < Length || !ours.startsWith("\x7f" "ELF"))
        return false;
    if (header.left(IdentLength) != ours.left(IdentLength) || header.mid(MachineAt, 2) != ours.mid(MachineAt, 2))
        return false;
    const bool littleEndian = header.at(5) == 1;
    const int type = littleEndian ? uchar(header.at(TypeAt)) | (uchar(header.at(TypeAt + 1)) << 8)
                                  : (uchar(header.at(TypeAt)) << 8) | uchar(header.at(TypeAt + 1));
    constexpr int Executable = 2, SharedObject = 3; // a position-independent program is the latter
    return type == Executable || type == SharedObject;
}

// Mach-O: a 64-bit image of this byte order, or a universal file holding several architectures.
bool isMachO(const QByteArray &header)
{
    return header.startsWith("\xcf\xfa\xed\xfe") || header.startsWith("\xca\xfe\xba\xbe");
}
} // namespace

HostPlatform::Kind HostPlatform::current()
{
#ifdef Q_OS_MACOS
    return MacOS;
#else
    return Linux;
#endif
}

bool HostPlatform::isProgramFile(const QString &path, Kind platform, qint64 maxBytes, QString *reason)
{
    const QFileInfo file(path);
    QString why;
    if (file.isSymLink() || !file.isFile())
        why = QStringLiteral("%1 is no regular file").arg(path);
    else if (file.size() > maxBytes)
        why = QStringLiteral("%1 holds more than %2 bytes").arg(path).arg(maxBytes);
    else if (const QByteArray header = headerOf(path, 64); !(platform == MacOS ? isMachO(header) : isElfLikeOurs(header)))
        why = QStringLiteral("%1 is no program of this system").arg(path);
    if (reason)
        *reason = why;
    return why.isEmpty();
}
