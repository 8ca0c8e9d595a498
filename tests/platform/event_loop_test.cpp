#include "observed_clock.h"
#include "platform/event_loop.h"
#include "platform/responsive_wait.h"
#include "platform/virtual_clock.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dealcast::platform {
namespace {

using namespace std::chrono;

// Milliseconds of virtual time since `start`.
std::int64_t msSince(const Clock& clock, Clock::Monotonic start)
{
    return duration_cast<milliseconds>(clock.monotonic() - start).count();
}

TEST(EventLoop, AClickPostedBeforeAUiWaitIsHandledDuringTheWait)
{
    VirtualClock clock;
    EventLoop loop(clock);
    const auto start = clock.monotonic();
    std::vector<std::string> events;

    loop.post([&] {
        events.push_back("handler waits");
        ResponsiveWait(1000);
        events.push_back("wait over at " + std::to_string(msSince(clock, start)));
        loop.quit(7);
    });
    loop.post([&] { events.push_back("click at " + std::to_string(msSince(clock, start))); });

    EXPECT_EQ(loop.run(), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"handler waits", "click at 0", "wait over at 1000"}));
}

TEST(EventLoop, TimersFireInDeadlineOrderAsVirtualTimeAdvances)
{
    VirtualClock clock;
    EventLoop loop(clock);
    const auto start = clock.monotonic();
    std::vector<std::string> fired;
    const auto record = [&](const char* name) {
        return [&fired, &clock, start, name] { fired.push_back(name + std::to_string(msSince(clock, start))); };
    };
    loop.startTimer(300, record("A@"));
    loop.startTimer(500, record("B@"));

    EXPECT_TRUE(loop.processEventsUntil(start + 1500ms));

    // At 1500 both are due; the older timer goes first.
    EXPECT_EQ(fired,
              (std::vector<std::string>{"A@300", "B@500", "A@600", "A@900", "B@1000", "A@1200", "A@1500", "B@1500"}));
    EXPECT_EQ(msSince(clock, start), 1500);
}

TEST(EventLoop, ALateTimerFiresOnceAndKeepsItsPhase)
{
    VirtualClock clock;
    EventLoop loop(clock);
    const auto start = clock.monotonic();
    std::vector<std::int64_t> firedAt;
    loop.startTimer(100, [&] { firedAt.push_back(msSince(clock, start)); });

    clock.advance(350);  // another thread's long wait: three periods go by unserved
    loop.processEventsUntil(clock.monotonic());
    EXPECT_EQ(firedAt, (std::vector<std::int64_t>{350}));

    loop.processEventsUntil(start + 450ms);
    EXPECT_EQ(firedAt, (std::vector<std::int64_t>{350, 400}));
}

TEST(EventLoop, ATimerIsNotReenteredWhileItsHandlerWaits)
{
    VirtualClock clock;
    EventLoop loop(clock);
    const auto start = clock.monotonic();
    std::vector<std::int64_t> slowAt;
    std::vector<std::int64_t> fastDuringSlow;
    bool inSlow = false;
    bool reentered = false;

    loop.startTimer(100, [&] {
        reentered = reentered || inSlow;
        slowAt.push_back(msSince(clock, start));
        if (slowAt.size() == 1) {
            inSlow = true;
            ResponsiveWait(1000);
            inSlow = false;
        }
    });
    loop.startTimer(250, [&] {
        if (inSlow)
            fastDuringSlow.push_back(msSince(clock, start));
    });

    loop.processEventsUntil(start + 1100ms);

    EXPECT_FALSE(reentered);
    EXPECT_EQ(fastDuringSlow, (std::vector<std::int64_t>{250, 500, 750, 1000}));
    // Back from its long handler the slow timer is late: it fires once, then keeps its phase.
    EXPECT_EQ(slowAt, (std::vector<std::int64_t>{100, 1100}));
}

TEST(EventLoop, TimersCanBeStoppedAndRetimed)
{
    VirtualClock clock;
    EventLoop loop(clock);
    const auto start = clock.monotonic();
    std::vector<std::string> fired;

    int once = 0;
    once = loop.startTimer(100, [&] {
        fired.push_back("once@" + std::to_string(msSince(clock, start)));
        EXPECT_TRUE(loop.stopTimer(once));
    });
    const int slow = loop.startTimer(1000, [&] { fired.push_back("slow@" + std::to_string(msSince(clock, start))); });

    loop.processEventsUntil(start + 400ms);
    EXPECT_TRUE(loop.setTimerPeriod(slow, 200));  // restarts the interval from 400

    loop.processEventsUntil(start + 1000ms);
    EXPECT_EQ(fired, (std::vector<std::string>{"once@100", "slow@600", "slow@800", "slow@1000"}));

    EXPECT_FALSE(loop.stopTimer(once));
    EXPECT_FALSE(loop.setTimerPeriod(once, 50));
    EXPECT_FALSE(loop.stopTimer(12345));
}

TEST(EventLoop, WorkPostedFromAnotherThreadWakesAnIdleLoop)
{
    const test::ObservedRealClock clock;
    EventLoop loop(clock);
    std::thread::id ranOn;
    std::jthread other([&] {
        EXPECT_FALSE(loop.isUiThread());
        clock.awaitBlocking();
        loop.post([&] {
            ranOn = std::this_thread::get_id();
            loop.quit(3);
        });
    });
    EXPECT_EQ(loop.run(), 3);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(loop.isUiThread());
}

TEST(EventLoop, QuitEndsALongRealWaitInsideAHandler)
{
    const test::ObservedRealClock clock;
    EventLoop loop(clock);
    bool waitReturned = false;
    std::jthread quitter([&] {
        clock.awaitBlocking();
        loop.quit(1);
    });
    loop.post([&] {
        ResponsiveWait(60'000);
        waitReturned = true;
    });

    const auto start = steady_clock::now();
    EXPECT_EQ(loop.run(), 1);
    EXPECT_TRUE(waitReturned);
    EXPECT_LT(steady_clock::now() - start, 5s);
}

TEST(EventLoop, AFailingHandlerIsReportedAndTheLoopGoesOn)
{
    VirtualClock clock;
    EventLoop loop(clock);
    std::vector<std::string> reports;
    loop.setErrorHandler([&](const std::string& message) { reports.push_back(message); });
    bool laterRan = false;

    loop.post([] { throw std::runtime_error("bad click"); });
    loop.post([] { throw 42; });
    loop.post([&] { laterRan = true; });
    loop.processEventsUntil(clock.monotonic());

    EXPECT_EQ(reports, (std::vector<std::string>{"bad click", "unknown exception"}));
    EXPECT_TRUE(laterRan);
}

TEST(EventLoop, ProcessingFromAnotherThreadDoesNothing)
{
    VirtualClock clock;
    EventLoop loop(clock);
    bool ran = false;
    loop.post([&] { ran = true; });
    std::jthread([&] { EXPECT_FALSE(loop.processEventsUntil(clock.monotonic() + 1s)); }).join();
    EXPECT_FALSE(ran);
    loop.quit(5);  // not running: ignored, so the next run is not ended by it
    EXPECT_TRUE(loop.processEventsUntil(clock.monotonic()));
    EXPECT_TRUE(ran);
}

// Off the UI thread and outside workers, a wait is a plain wait on the thread's clock.
TEST(Wait, UnitsAreMillisecondsMinutesAndHours)
{
    struct Case {
        std::int64_t amount;
        int unit;
        std::int64_t expectedMs;
    };
    const Case cases[] = {
        {1500, 1, 1500}, {2, 2, 120'000}, {1, 3, 3'600'000}, {7, 9, 7}, {-5, 2, 0}, {0, 3, 0},
    };
    for (const auto& c : cases) {
        VirtualClock clock;
        const auto start = clock.monotonic();
        std::jthread([&] {
            WaitContextScope scope(WaitContext{&clock, nullptr, nullptr});
            wait(c.amount, c.unit);
        }).join();
        EXPECT_EQ(msSince(clock, start), c.expectedMs) << c.amount << " in unit " << c.unit;
    }
}

TEST(Wait, AThreadWithoutContextWaitsOnTheSystemClock)
{
    const auto start = steady_clock::now();
    ResponsiveWait(20);
    EXPECT_GE(steady_clock::now() - start, 20ms);
}

}  // namespace
}  // namespace dealcast::platform
