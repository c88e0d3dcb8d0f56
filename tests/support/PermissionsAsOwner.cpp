#include "tests/support/PermissionsAsOwner.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Reading, writing and searching whatever the permissions say.
constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

// The raw calls act on the calling thread alone (libcap's wrappers would too).
bool capabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCapabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}
} // namespace

PermissionsAsOwner::PermissionsAsOwner()
{
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (!capabilities(data) || !(data[0].effective & kOverrides))
        return;
    mEffective = data[0].effective;
    data[0].effective &= ~kOverrides;
    mDropped = setCapabilities(data);
}

PermissionsAsOwner::~PermissionsAsOwner()
{
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (!mDropped || !capabilities(data))
        return;
    data[0].effective = mEffective;
    setCapabilities(data);
}

bool PermissionsAsOwner::held() const
{
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return capabilities(data) && !(data[0].effective & kOverrides);
}
