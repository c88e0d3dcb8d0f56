#pragma once
#include "storage/DownloadLimits.h"

#include <QString>

// A product's resource package: a zip archive whose entries are the files of the product's folder
// in the data folder (pictures, firmware image). Installing it checks the archive's directory
// first (no absolute path, no "..", no symbolic link, and within the bounds below), unpacks into a
// temporary folder beside the target and only then moves the folder into place, so a failure
// leaves no half-filled product folder. The files and folders are made as this user makes new
// ones: the modes the archive records are not applied.
class ResourcePackage
{
public:
    // What a package may unpack to, checked before anything is written. A product's pictures and
    // firmware image take a few megabytes in a few dozen files. An entry never unpacks to more than
    // it declares, so the declared sizes bound what is written.
    static constexpr int MaxEntries = 4096;
    static constexpr qint64 MaxUnpackedBytes = DownloadLimits::UnpackedPackage;
    // An entry of at least RatioCheckedFrom bytes that declares more than MaxCompressionRatio times
    // its stored size is no picture or firmware image but a bomb.
    static constexpr qint64 RatioCheckedFrom = 1024 * 1024;
    static constexpr int MaxCompressionRatio = 100;

    // Unpacks archivePath into dataDir/folderName. False with a reason in error when the archive
    // cannot be read, holds an unsafe or no entry, exceeds a bound, or the folder cannot be put in
    // place. May run on a worker thread; asked to stop (QThread::requestInterruption), it stops
    // unpacking and fails, leaving what was in place.
    static bool install(const QString &archivePath, const QString &dataDir, const QString &folderName,
                        QString *error = nullptr);

    // Whether the archive may be unpacked: it opens, holds at least one entry and every entry is
    // safe (see isSafeEntryName, no symbolic link) and within the bounds above. False with a reason
    // in error otherwise. The application update's package is held to the same.
    static bool checkArchive(const QString &archivePath, QString *error = nullptr);

    // Whether an entry name stays inside the folder it is unpacked into.
    static bool isSafeEntryName(const QString &name);
    // Whether a product folder name is a single plain path component.
    static bool isSafeFolderName(const QString &name);
};
