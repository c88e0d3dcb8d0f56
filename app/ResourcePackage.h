#pragma once
#include "storage/DownloadLimits.h"

#include <QString>

#include <functional>

// A product's resource package: a zip archive whose entries are the files of the product's folder
// in the data folder (pictures, firmware image). Installing it checks the archive's directory
// first (no absolute path, no "..", no symbolic link, and within the bounds below), unpacks into a
// staging folder beside the target (<data>/.unpack-XXXXXX) and only then moves the folder into
// place, so a failure leaves no half-filled product folder. The files and folders are made as this
// user makes new ones: the modes the archive records are not applied. Installs into a data folder
// run one at a time, also across the instances of the program that share it: they hold a lock file
// in the data folder, which one left by a crashed instance does not keep.
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

    // Unpacks archivePath into dataDir/folderName, after waiting for another instance's install
    // into dataDir to end and clearing what installs cut short left there (clearStaging). False
    // with a reason in error when the archive cannot be read, holds an unsafe or no entry, exceeds a
    // bound, or the folder cannot be put in place. May run on a worker thread; asked to stop
    // (QThread::requestInterruption), it stops waiting or unpacking and fails, leaving what was in
    // place.
    static bool install(const QString &archivePath, const QString &dataDir, const QString &folderName,
                        QString *error = nullptr);

    // Clears the staging folders that installs cut short left in dataDir (the program stopped
    // while unpacking, or between moving the product folder aside and the new one in): a product
    // folder moved aside goes back when nothing has taken its place, the rest goes. The program
    // calls it at start. While an install into dataDir runs, in this process or another instance,
    // it does nothing: that install cleared first, and its own staging folder must stay.
    static void clearStaging(const QString &dataDir);

    // How install renames the folders it swaps (QDir::rename); a test's replacement makes a step
    // fail. An empty function restores it.
    using Renamer = std::function<bool(const QString &from, const QString &to)>;
    static void setRenamer(Renamer renamer);

    // Whether the archive may be unpacked: it opens, holds at least one entry and every entry is
    // safe (see isSafeEntryName, no symbolic link) and within the bounds above. False with a reason
    // in error otherwise. The application update's package is held to the same.
    static bool checkArchive(const QString &archivePath, QString *error = nullptr);

    // Whether an entry name stays inside the folder it is unpacked into.
    static bool isSafeEntryName(const QString &name);
    // Whether a product folder name is a single plain path component, and not a hidden one: those
    // in the data folder are the installs' own (their lock file and staging folders).
    static bool isSafeFolderName(const QString &name);
};
