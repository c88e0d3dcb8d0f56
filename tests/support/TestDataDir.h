#pragma once
#include "model/AppPaths.h"

#include <QTemporaryDir>

// Points the program's data folder at a fresh temporary folder for the lifetime of the object.
class TestDataDir
{
public:
    TestDataDir() { AppPaths::setDataDir(path()); }
    ~TestDataDir() { AppPaths::setDataDir(QString()); }
    // The data folder ("<temp>/data"); not created, as on a first start.
    QString path() const { return mDir.path() + QStringLiteral("/data"); }
    // The temporary folder that holds it.
    QString root() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
};
