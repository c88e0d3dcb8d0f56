#pragma once
#include <QString>

// Where the program finds the files that live beside it ("data/" in the application's folder).
// Tests point the data folder at a temporary folder so that nothing is written into the tree.
class AppPaths
{
public:
    // Folder holding the executable.
    static QString appDir();
    // The data folder: the override when set, else $QUILLOMATRIX_DATA_DIR, else appDir() + "/data".
    static QString dataDir();
    // Overrides the data folder for the rest of the run; an empty text removes the override.
    static void setDataDir(const QString &path);
};
