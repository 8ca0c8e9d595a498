#pragma once

#include "platform/clock.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace dealcast::platform {

// A clock that moves only when told to or when someone waits on it: a wait moves it to the wait's deadline
// at once, so a 300-second interval or a 2-second pause costs no real time. Local time is the wall time
// shifted by a fixed UTC offset (no daylight saving). Safe to share between threads.
//
// All threads share the one time line: a wait moves it forward for everybody, so a worker's 300-second
// wait also makes 300 seconds pass for a loop on another thread, whose periodic timers then catch up as
// they do after a busy spell.
class VirtualClock final : public Clock {
public:
    // Starts at 2024-01-01 00:00:00 UTC, which is 08:00:00 local time at the default offset.
    VirtualClock();
    explicit VirtualClock(WallTime start, std::chrono::minutes utcOffset = std::chrono::hours(8));

    WallTime now() const override;
    Monotonic monotonic() const override;
    LocalTime localTime() const override;

    // A wait without a deadline still blocks in real time until `wake` holds: only another thread can end it.
    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                   const std::function<bool()>& wake) const override;

    // Moves both the wall time and the monotonic time forward (a negative amount does nothing).
    void advance(std::int64_t ms);
    void advance(std::chrono::milliseconds amount) { advance(amount.count()); }

    // Sets the wall time only, as a change of the machine's clock would: monotonic time is not touched.
    void setNow(WallTime wall);
    // Sets the wall time so that localTime() reads the given fields, which must form a valid date (the
    // weekday is derived, not read).
    void setLocalTime(const LocalTime& local);
    void setUtcOffset(std::chrono::minutes offset);
    std::chrono::minutes utcOffset() const;

private:
    void moveToLocked(Monotonic target) const;

    mutable std::mutex m_mutex;
    // Mutable because waiting, a const operation on any clock, is what moves this one.
    mutable WallTime m_wall;
    mutable Monotonic m_mono;
    std::chrono::minutes m_offset;
};

}  // namespace dealcast::platform
