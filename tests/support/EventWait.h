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

// QTRY_VERIFY_WITH_TIMEOUT and QTRY_COMPARE_WITH_TIMEOUT on EventWait::until: a test waits as long
// as the condition takes, not in QTRY's 50 ms steps. The check after the wait reports a failure.
#define EVENTWAIT_VERIFY(expr, timeoutMs) \
    do { \
        (void)EventWait::until([&] { return bool(expr); }, timeoutMs); \
        QVERIFY(expr); \
    } while (false)
#define EVENTWAIT_COMPARE(actual, expected, timeoutMs) \
    do { \
        (void)EventWait::until([&] { return (actual) == (expected); }, timeoutMs); \
        QCOMPARE(actual, expected); \
    } while (false)
