#include "observed_clock.h"
#include "platform/responsive_wait.h"
#include "platform/virtual_clock.h"
#include "platform/worker.h"

#include <atomic>
#include <gtest/gtest.h>
#include <latch>
#include <stdexcept>
#include <thread>
#include <vector>

namespace dealcast::platform {
namespace {

using namespace std::chrono;
using test::ObservedRealClock;

// Watching a real thread reach a state: polls briefly, gives up after a generous bound.
template <typename Pred> bool eventually(Pred pred)
{
    const auto limit = steady_clock::now() + 5s;
    while (!pred()) {
        if (steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

constexpr auto kPrompt = 200ms;  // "at once" for a real thread, with room for a loaded machine

TEST(Worker, LongWaitsOnAVirtualClockCostNoRealTime)
{
    VirtualClock clock;
    const auto start = clock.monotonic();
    Worker worker(clock, "pacing");
    std::vector<std::int64_t> seen;
    const auto realStart = steady_clock::now();

    ASSERT_TRUE(worker.start([&] {
        ResponsiveWait(300'000);
        seen.push_back(duration_cast<seconds>(clock.monotonic() - start).count());
        wait(5, 2);
        seen.push_back(duration_cast<seconds>(clock.monotonic() - start).count());
    }));
    worker.join();

    EXPECT_EQ(seen, (std::vector<std::int64_t>{300, 600}));
    EXPECT_LT(steady_clock::now() - realStart, 2s);
    EXPECT_FALSE(worker.isRunning());
}

TEST(Worker, PauseFreezesAtTheNextWaitAndResumeGoesOnWithTheRestOfIt)
{
    VirtualClock clock;
    const auto start = clock.monotonic();
    Worker worker(clock, "sending");
    std::latch paused(1);
    std::atomic<int> steps{0};

    ASSERT_TRUE(worker.start([&] {
        paused.wait();
        for (int i = 0; i < 3; ++i) {
            ++steps;
            ResponsiveWait(2000);
        }
    }));
    worker.pause();
    EXPECT_TRUE(worker.isPaused());
    paused.count_down();

    ASSERT_TRUE(eventually([&] { return worker.isFrozen(); }));
    EXPECT_EQ(steps.load(), 1);
    EXPECT_EQ(clock.monotonic(), start) << "a frozen wait moves no time on by itself";

    clock.advance(10'000);  // the user takes ten seconds to press continue
    worker.resume();
    worker.join();
    EXPECT_EQ(steps.load(), 3);
    EXPECT_EQ(clock.monotonic() - start, 16s) << "the interval cut by the pause is served in full after it";
    EXPECT_FALSE(worker.isPaused());
}

TEST(Worker, StopEndsALongRealWaitPromptly)
{
    const ObservedRealClock clock;
    Worker worker(clock, "login");
    bool afterWait = false;
    ASSERT_TRUE(worker.start([&] {
        ResponsiveWait(60'000);
        afterWait = true;
    }));
    clock.awaitBlocking();

    const auto start = steady_clock::now();
    worker.stop();
    worker.join();
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    EXPECT_FALSE(afterWait);
    EXPECT_FALSE(worker.isRunning());
}

TEST(Worker, StopEndsAFrozenWorker)
{
    Worker worker(systemClock(), "sending");
    bool unwound = false;
    ASSERT_TRUE(worker.start([&] {
        struct Guard {
            bool& flag;
            ~Guard() { flag = true; }
        } guard{unwound};
        for (;;)
            worker.checkpoint();  // a busy loop is still a place to freeze and stop
    }));
    worker.pause();
    ASSERT_TRUE(eventually([&] { return worker.isFrozen(); }));

    const auto start = steady_clock::now();
    worker.stop();
    worker.join();
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    EXPECT_TRUE(unwound) << "the body's locals are destroyed on the way out";
    EXPECT_FALSE(worker.isPaused());
    EXPECT_FALSE(worker.isFrozen());
}

TEST(Worker, AnEscapingExceptionIsReportedAndTheWorkerCanStartAgain)
{
    VirtualClock clock;
    Worker worker(clock, "collect");
    std::vector<std::string> reports;
    worker.setErrorHandler([&](const std::string& message) { reports.push_back(message); });

    std::latch release(1);
    ASSERT_TRUE(worker.start([&] {
        release.wait();
        throw std::runtime_error("page layout changed");
    }));
    EXPECT_FALSE(worker.start([] {})) << "a running worker refuses a second body";
    release.count_down();
    worker.join();

    ASSERT_TRUE(worker.start([] { throw 7; }));
    worker.join();

    EXPECT_EQ(reports, (std::vector<std::string>{"collect: page layout changed", "collect: unknown exception"}));
    EXPECT_FALSE(worker.isRunning());
}

TEST(Worker, TheBodyFindsItsWorkerAndAStopQueryThatOutlivesIt)
{
    VirtualClock clock;
    std::function<bool()> query;
    Worker* seenInside = nullptr;
    {
        Worker worker(clock, "details");
        std::latch looked(1);
        std::latch stopped(1);
        ASSERT_TRUE(worker.start([&] {
            seenInside = Worker::current();
            query = Worker::currentStopQuery();
            looked.count_down();
            stopped.wait();
        }));
        looked.wait();
        EXPECT_EQ(seenInside, &worker);
        EXPECT_FALSE(query());
        worker.stop();
        EXPECT_TRUE(query());
        stopped.count_down();
    }
    EXPECT_TRUE(query()) << "a query held past its worker says stop";
    EXPECT_EQ(Worker::current(), nullptr);
    EXPECT_FALSE(Worker::currentStopQuery()());
}

TEST(Worker, DestroyingARunningWorkerStopsAndJoinsIt)
{
    const ObservedRealClock clock;
    std::atomic<bool> afterWait{false};
    auto start = steady_clock::now();
    {
        Worker worker(clock, "follow");
        ASSERT_TRUE(worker.start([&] {
            ResponsiveWait(60'000);
            afterWait = true;
        }));
        clock.awaitBlocking();
        start = steady_clock::now();
    }
    EXPECT_LT(steady_clock::now() - start, kPrompt);
    EXPECT_FALSE(afterWait.load());
}

}  // namespace
}  // namespace dealcast::platform
