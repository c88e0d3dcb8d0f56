#pragma once
// The sample keyboard's resource package: the folder "QuillHE104" (the sample product's
// productData) with the pictures the firmware page shows for a model, drawn here, one per theme.
// As an archive its entries are relative to the product folder, as on the update server.

#include <QString>
#include <QStringList>

class SampleResourcePackage
{
public:
    static const char *const FolderName;
    // The name of the archive on the update server: "/normal/quillhe104/quillhe104.zip".
    static const char *const ServerPath;

    // Files of the package, relative to the product folder.
    static QStringList entryNames();
    // Draws the package's files into folder (created when missing).
    static bool writeFolder(const QString &folder);
    // Writes the package as a zip archive.
    static bool writeArchive(const QString &archivePath);
};
