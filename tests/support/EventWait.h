#pragma once
#include <functional>

// Waiting for a condition while the event loop runs. QTest::qWaitFor sleeps 10 ms between its
// passes over the events; a test that trades hundreds of frames with the emulated keyboard would
// spend most of its time in those sleeps. This wait goes on as soon as an event comes.
namespace EventWait {
// True once done() holds, false when timeoutMs passed first. Objects deleted later are deleted
// on the way, as QTest::qWaitFor does.
bool until(const std::function<bool()> &done, int timeoutMs);
} // namespace EventWait
