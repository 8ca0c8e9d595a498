#include "platform/clock.h"

#include <ctime>

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
        return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec,         static_cast<int>(ms < 0 ? ms + 1000 : ms), tm.tm_wday};
    }
};

}  // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

}  // namespace dealcast::platform
