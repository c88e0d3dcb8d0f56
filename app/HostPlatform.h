#pragma once

// The desktop system the program runs on, where a step has to be done the system's own way
// (installing an update, starting with the system).
class HostPlatform
{
public:
    enum Kind { Linux, MacOS };
    static Kind current();
};
