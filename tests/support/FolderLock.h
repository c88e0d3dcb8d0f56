#pragma once
#include <QString>

// Makes a folder refuse new and removed entries while the object lives: read-only permissions,
// or the immutable attribute when running as root (who ignores permissions). locked() tells
// whether that worked here; tests that need it skip otherwise.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool locked() const { return mLocked; }

private:
    void unlock();

    QString mFolder;
    bool mImmutable = false;
    bool mLocked = false;
};
