#include "platform/clock.h"
#include "platform/virtual_clock.h"

#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace dealcast::platform {
namespace {

using namespace std::chrono;

Clock::WallTime utc(year_month_day day, hours h, minutes m = {}, seconds s = {}, milliseconds ms = {})
{
    return Clock::WallTime(sys_days(day) + h + m + s + ms);
}

TEST(VirtualClock, LocalTimeIsWallTimeShiftedByTheFixedOffset)
{
    struct Case {
        Clock::WallTime wall;
        minutes offset;
        LocalTime expected;
    };
    const Case cases[] = {
        // The default start: Monday morning in the +8 zone.
        {utc(2024y / 1 / 1, 0h), 8h, {2024, 1, 1, 8, 0, 0, 0, 1}},
        // The offset carries the date over the year boundary.
        {utc(2023y / 12 / 31, 16h, 30min, 15s, 250ms), 8h, {2024, 1, 1, 0, 30, 15, 250, 1}},
        // A negative offset lands on a leap day, a Thursday.
        {utc(2024y / 3 / 1, 2h), -5h, {2024, 2, 29, 21, 0, 0, 0, 4}},
        {utc(2024y / 3 / 1, 2h, 0min, 0s, 5ms), 0h, {2024, 3, 1, 2, 0, 0, 5, 5}},
    };
    for (const auto& c : cases) {
        const VirtualClock clock(c.wall, c.offset);
        const LocalTime t = clock.localTime();
        const LocalTime& e = c.expected;
        EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, t.weekday}),
                  (std::array{e.year, e.month, e.day, e.hour, e.minute, e.second, e.millisecond, e.weekday}))
            << "offset " << c.offset.count();
    }
    EXPECT_EQ(VirtualClock().now(), utc(2024y / 1 / 1, 0h));
}

TEST(VirtualClock, SetLocalTimeSetsTheWallTimeThroughTheOffset)
{
    VirtualClock clock;
    const auto mono = clock.monotonic();
    clock.setLocalTime({2024, 2, 29, 23, 59, 59, 5, 0});
    EXPECT_EQ(clock.now(), utc(2024y / 2 / 29, 15h, 59min, 59s, 5ms));
    EXPECT_EQ(clock.localTime().weekday, 4);
    EXPECT_EQ(clock.monotonic(), mono) << "setting the wall time is not a passage of time";
}

TEST(VirtualClock, AdvanceMovesWallAndMonotonicTimeTogetherAndNeverBack)
{
    VirtualClock clock;
    const auto wall = clock.now();
    const auto mono = clock.monotonic();
    clock.advance(1500);
    clock.advance(-700);
    clock.advance(0);
    EXPECT_EQ(clock.now() - wall, 1500ms);
    EXPECT_EQ(clock.monotonic() - mono, 1500ms);
}

TEST(VirtualClock, AdvanceFromManyThreadsLosesNoTime)
{
    VirtualClock clock;
    const auto mono = clock.monotonic();
    {
        std::jthread a([&] {
            for (int i = 0; i < 1000; ++i)
                clock.advance(1);
        });
        std::jthread b([&] {
            for (int i = 0; i < 1000; ++i)
                clock.advance(1);
        });
    }
    EXPECT_EQ(clock.monotonic() - mono, 2000ms);
}

TEST(VirtualClock, AWaitMovesTheClockToItsDeadlineAtOnceUnlessWoken)
{
    VirtualClock clock;
    std::mutex mutex;
    std::condition_variable cv;
    std::unique_lock lock(mutex);
    const auto start = clock.monotonic();
    const auto realStart = steady_clock::now();

    EXPECT_FALSE(clock.waitUntil(lock, cv, start + 300s, [] { return false; }));
    EXPECT_EQ(clock.monotonic() - start, 300s);

    EXPECT_FALSE(clock.waitUntil(lock, cv, start + 10s, [] { return false; }));
    EXPECT_EQ(clock.monotonic() - start, 300s) << "a deadline in the past does not turn the clock back";

    EXPECT_TRUE(clock.waitUntil(lock, cv, start + 900s, [] { return true; }));
    EXPECT_EQ(clock.monotonic() - start, 300s) << "a wait that is already woken lets no time pass";

    EXPECT_LT(steady_clock::now() - realStart, 1s);
}

// Waits with no deadline block for real on both kinds of clock until another thread wakes them; on a
// virtual clock they must not run the time line off to infinity.
TEST(Clock, AWaitWithoutDeadlineEndsOnlyWhenWoken)
{
    VirtualClock virtualClock;
    for (const Clock* clock : {static_cast<const Clock*>(&virtualClock), static_cast<const Clock*>(&systemClock())}) {
        std::mutex mutex;
        std::condition_variable cv;
        bool woken = false;
        const auto before = virtualClock.monotonic();
        std::jthread waker([&] {
            std::lock_guard lock(mutex);
            woken = true;
            cv.notify_all();
        });
        std::unique_lock lock(mutex);
        EXPECT_TRUE(clock->waitUntil(lock, cv, Clock::kNoDeadline, [&] { return woken; }));
        EXPECT_EQ(virtualClock.monotonic(), before);
    }
}

TEST(SystemClock, AWaitIsWokenEarlyByANotification)
{
    const Clock& clock = systemClock();
    std::mutex mutex;
    std::condition_variable cv;
    bool woken = false;
    const auto start = clock.monotonic();
    std::jthread waker([&] {
        std::lock_guard lock(mutex);
        woken = true;
        cv.notify_all();
    });
    std::unique_lock lock(mutex);
    while (!woken && clock.monotonic() < start + 60s)
        clock.waitUntil(lock, cv, start + 60s, [&] { return woken; });
    EXPECT_TRUE(woken);
    EXPECT_LT(clock.monotonic() - start, 5s);
}

TEST(Clock, DeadlinesSaturateInsteadOfOverflowing)
{
    const VirtualClock clock;
    const auto now = clock.monotonic();
    EXPECT_EQ(clock.deadlineAfter(std::numeric_limits<std::int64_t>::max()), Clock::kNoDeadline);
    EXPECT_EQ(clock.deadlineAfter(-5), now);
    EXPECT_EQ(clock.deadlineAfter(250), now + 250ms);
    EXPECT_EQ(Clock::later(Clock::Monotonic::max() - 1s, 5000), Clock::kNoDeadline);
}

}  // namespace
}  // namespace dealcast::platform
