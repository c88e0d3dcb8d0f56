#pragma once
#include <QtGlobal>

// How much the program takes from the update server, per kind of file: far above any real file,
// so that a server sending without end cannot fill the disk or the memory. A transfer past its
// bound, or past the length it announced, is refused.
struct DownloadLimits {
    static constexpr qint64 MiB = 1024 * 1024;

    static constexpr qint64 ProductDatabase = 256 * MiB;
    static constexpr qint64 ResourcePackage = 256 * MiB;
    static constexpr qint64 FirewareImage = 16 * MiB;
    static constexpr qint64 ApplicationPackage = 1024 * MiB;
    // A version description file, read into memory whole.
    static constexpr qint64 VersionDescription = MiB;
    // Characters of a version's description shown to the user; a longer one is cut at a line.
    static constexpr qsizetype ShownDescription = 64 * 1024;
};
