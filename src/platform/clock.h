#pragma once

#include <chrono>

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

// The one source of time for the whole core. Nothing else reads the system clock, so tests can run
// hours of pacing in virtual time.
class Clock {
public:
    using WallTime = std::chrono::system_clock::time_point;
    using Monotonic = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual WallTime now() const = 0;
    virtual Monotonic monotonic() const = 0;
    virtual LocalTime localTime() const = 0;
};

// The real clock of this machine (local time from the process's time zone).
Clock& systemClock();

}  // namespace dealcast::platform
