#pragma once
#include <QtGlobal>

// How much the program takes from the update server, per kind of file: far above any real file,
// so that a server sending without end cannot fill the disk or the memory. A transfer past its
// bound, or past the length it announced, is refused. The bounds are those of what then takes the
// file in: nothing is fetched that would be refused once it is here.
struct DownloadLimits {
    static constexpr qint64 MiB = 1024 * 1024;

    // A product database as the program opens it.
    static constexpr qint64 ProductDatabase = 64 * MiB;
    // What a package (a product's resources, the program's update) may unpack to; the archive
    // itself may add its own records to that.
    static constexpr qint64 UnpackedPackage = 64 * MiB;
    static constexpr qint64 ResourcePackage = UnpackedPackage + MiB;
    static constexpr qint64 ApplicationPackage = UnpackedPackage + MiB;
    static constexpr qint64 FirewareImage = 16 * MiB;
    // A version description file, read into memory whole.
    static constexpr qint64 VersionDescription = MiB;
    // Characters of a version's description shown to the user; a longer one is cut at a line.
    static constexpr qsizetype ShownDescription = 64 * 1024;
};
