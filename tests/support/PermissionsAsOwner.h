#pragma once

// While it lives, the thread that made it is held to the permissions of files and folders as
// their owner is, also when it runs as root: root's overrides of them are dropped from the
// thread's effective capabilities and given back at the end, so that a folder its owner may not
// write keeps its entries for root too. held() tells whether the thread is held to them.
class PermissionsAsOwner
{
public:
    PermissionsAsOwner();
    ~PermissionsAsOwner();
    PermissionsAsOwner(const PermissionsAsOwner &) = delete;
    PermissionsAsOwner &operator=(const PermissionsAsOwner &) = delete;

    bool held() const;

private:
    bool mDropped = false;
    unsigned mEffective = 0; // the first word of the effective set before
};
