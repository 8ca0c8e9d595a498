#include "platform/virtual_clock.h"

namespace dealcast::platform {
namespace {

using namespace std::chrono;

constexpr sys_days kDefaultStart = year{2024} / January / 1;

}  // namespace

VirtualClock::VirtualClock()
    : VirtualClock(WallTime(kDefaultStart))
{
}

VirtualClock::VirtualClock(WallTime start, minutes utcOffset)
    : m_wall(start)
    , m_mono(Monotonic(hours(1)))
    , m_offset(utcOffset)
{
}

Clock::WallTime VirtualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_wall;
}

Clock::Monotonic VirtualClock::monotonic() const
{
    std::lock_guard lock(m_mutex);
    return m_mono;
}

LocalTime VirtualClock::localTime() const
{
    WallTime wall;
    minutes offset;
    {
        std::lock_guard lock(m_mutex);
        wall = m_wall;
        offset = m_offset;
    }
    const auto local = time_point_cast<milliseconds>(wall) + offset;
    const sys_days day = floor<days>(local);
    const year_month_day ymd(day);
    const hh_mm_ss hms(local - day);
    return LocalTime{int(ymd.year()),
                     int(unsigned(ymd.month())),
                     int(unsigned(ymd.day())),
                     int(hms.hours().count()),
                     int(hms.minutes().count()),
                     int(hms.seconds().count()),
                     int(hms.subseconds().count()),
                     int(weekday(day).c_encoding())};
}

bool VirtualClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                             const std::function<bool()>& wake) const
{
    if (wake())
        return true;
    if (deadline == kNoDeadline) {
        cv.wait(lock, wake);
        return true;
    }
    {
        std::lock_guard own(m_mutex);
        moveToLocked(deadline);
    }
    return wake();
}

void VirtualClock::advance(std::int64_t ms)
{
    std::lock_guard lock(m_mutex);
    moveToLocked(later(m_mono, ms));
}

void VirtualClock::moveToLocked(Monotonic target) const
{
    // kNoDeadline is "never": nothing can move the time line there.
    if (target <= m_mono || target == kNoDeadline)
        return;
    const auto step = duration_cast<system_clock::duration>(target - m_mono);
    m_mono = target;
    m_wall = step < WallTime::max() - m_wall ? m_wall + step : WallTime::max();
}

void VirtualClock::setNow(WallTime wall)
{
    std::lock_guard lock(m_mutex);
    m_wall = wall;
}

void VirtualClock::setLocalTime(const LocalTime& local)
{
    const sys_days day = year{local.year} / month{unsigned(local.month)} / unsigned(local.day);
    const auto localWall =
        day + hours(local.hour) + minutes(local.minute) + seconds(local.second) + milliseconds(local.millisecond);
    std::lock_guard lock(m_mutex);
    m_wall = WallTime(localWall - m_offset);
}

void VirtualClock::setUtcOffset(minutes offset)
{
    std::lock_guard lock(m_mutex);
    m_offset = offset;
}

minutes VirtualClock::utcOffset() const
{
    std::lock_guard lock(m_mutex);
    return m_offset;
}

}  // namespace dealcast::platform
