#pragma once
#include <QString>
#include <QTemporaryDir>

// Points the program's data folder at a fresh temporary folder for the lifetime of the object.
class TestDataDir
{
public:
    TestDataDir();
    ~TestDataDir();
    // The data folder ("<temp>/data"); not created, as on a first start.
    QString path() const;
    // The temporary folder that holds it.
    QString root() const;

private:
    QTemporaryDir mDir;
};
