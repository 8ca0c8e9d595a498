#include "platform/clock.h"

#include <ctime>
#include <limits>

namespace dealcast::platform {
namespace {

class SystemClock final : public Clock {
public:
    WallTime now() const override { return std::chrono::system_clock::now(); }
    Monotonic monotonic() const override { return std::chrono::steady_clock::now(); }

    LocalTime localTime() const override
    {
        const auto t = now();
        const std::time_t secs = std::chrono::system_clock::to_time_t(t);
        std::tm tm{};
        localtime_r(&secs, &tm);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
        return LocalTime{tm.tm_year + 1900,
                         tm.tm_mon + 1,
                         tm.tm_mday,
                         tm.tm_hour,
                         tm.tm_min,
                         tm.tm_sec,
                         static_cast<int>(ms < 0 ? ms + 1000 : ms),
                         tm.tm_wday};
    }

    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                   const std::function<bool()>& wake) const override
    {
        if (deadline == kNoDeadline) {
            cv.wait(lock, wake);
            return true;
        }
        return cv.wait_until(lock, deadline, wake);
    }
};

}  // namespace

bool Clock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                      const std::function<bool()>& wake) const
{
    if (wake())
        return true;
    if (deadline == kNoDeadline) {
        cv.wait(lock, wake);
        return true;
    }
    const auto rest = deadline - monotonic();
    if (rest <= Monotonic::duration::zero())
        return wake();
    return cv.wait_for(lock, rest, wake);
}

void Clock::blockUntil(Monotonic deadline) const
{
    std::mutex mutex;
    std::condition_variable cv;
    std::unique_lock lock(mutex);
    while (monotonic() < deadline)
        waitUntil(lock, cv, deadline, [] { return false; });
}

Clock::Monotonic Clock::later(Monotonic start, std::int64_t ms)
{
    if (ms <= 0)
        return start;
    using Rep = Monotonic::duration::rep;
    constexpr auto kTicksPerMs = std::chrono::duration_cast<Monotonic::duration>(std::chrono::milliseconds(1)).count();
    const Rep room = (Monotonic::max() - start).count();
    if (ms >= room / kTicksPerMs)
        return kNoDeadline;
    return start + std::chrono::duration_cast<Monotonic::duration>(std::chrono::milliseconds(ms));
}

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

}  // namespace dealcast::platform
