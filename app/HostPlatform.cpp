#include "app/HostPlatform.h"

#include <QtGlobal>

HostPlatform::Kind HostPlatform::current()
{
#ifdef Q_OS_MACOS
    return MacOS;
#else
    return Linux;
#endif
}
