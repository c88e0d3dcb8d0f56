#include "tests/support/TestDataDir.h"

#include "model/AppPaths.h"

TestDataDir::TestDataDir()
{
    AppPaths::setDataDir(path());
}

TestDataDir::~TestDataDir()
{
    AppPaths::setDataDir(QString());
}

QString TestDataDir::path() const
{
    return mDir.path() + QStringLiteral("/data");
}

QString TestDataDir::root() const
{
    return mDir.path();
}
