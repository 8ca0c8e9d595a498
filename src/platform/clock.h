#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace dealcast::platform {

// Broken-down local time, as the run log and the schedules read it.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 4;  // 0 = Sunday
};

// The one source of time for the whole core. Nothing else reads the system clock or sleeps, so tests can
// run hours of pacing in virtual time.
class Clock {
public:
    using WallTime = std::chrono::system_clock::time_point;
    using Monotonic = std::chrono::steady_clock::time_point;

    // A deadline of Monotonic::max() means "no deadline": only the wake condition ends the wait.
    static constexpr Monotonic kNoDeadline = Monotonic::max();

    virtual ~Clock() = default;

    virtual WallTime now() const = 0;
    virtual Monotonic monotonic() const = 0;
    virtual LocalTime localTime() const = 0;

    // The one blocking primitive of the core. Called with `lock` held on the mutex that guards what `wake`
    // reads; returns when `wake()` holds (checked first), when this clock reaches `deadline`, or spuriously,
    // and returns `wake()`. Callers re-check their own deadline in a loop. Whoever changes the state that
    // `wake` reads notifies `cv` under the same mutex.
    // The default blocks in real time for the rest of the interval as this clock counts it; a virtual clock
    // moves itself to the deadline instead and returns at once.
    virtual bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                           const std::function<bool()>& wake) const;

    // Waits until the deadline with nothing that can wake it early.
    void blockUntil(Monotonic deadline) const;

    // monotonic() + ms, saturated: a huge or overflowing interval becomes kNoDeadline; a negative one, now.
    Monotonic deadlineAfter(std::int64_t ms) const { return later(monotonic(), ms); }
    static Monotonic later(Monotonic from, std::int64_t ms);
};

// The real clock of this machine (local time from the process's time zone).
Clock& systemClock();

}  // namespace dealcast::platform
