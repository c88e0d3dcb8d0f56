#pragma once
#include <QString>

// A product's resource package: a zip archive whose entries are the files of the product's folder
// in the data folder (pictures, firmware image). Installing it checks every entry first (no
// absolute path, no "..", no symbolic link), unpacks into a temporary folder beside the target and
// only then moves the folder into place, so a failure leaves no half-filled product folder.
class ResourcePackage
{
public:
    // Unpacks archivePath into dataDir/folderName. False with a reason in error when the archive
    // cannot be read, holds an unsafe or no entry, or the folder cannot be put in place.
    static bool install(const QString &archivePath, const QString &dataDir, const QString &folderName,
                        QString *error = nullptr);

    // Whether an entry name stays inside the folder it is unpacked into.
    static bool isSafeEntryName(const QString &name);
    // Whether a product folder name is a single plain path component.
    static bool isSafeFolderName(const QString &name);
};
