#include "gui/qt_ui_loop.h"
#include "gui_test_support.h"
#include "platform/clock.h"

#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace dealcast::gui {
namespace {

class QtUiLoopTest : public ::testing::Test {
protected:
    const platform::Clock& clock = platform::systemClock();
    QtUiLoop loop{clock};

    // Ends a run() that a broken loop would never end.
    void guard(int ms = 5000)
    {
        QTimer::singleShot(ms, [this] { loop.quit(-1); });
    }
};

TEST_F(QtUiLoopTest, WorkPostedFromAnyThreadRunsOnTheUiThreadInOrder)
{
    std::vector<int> order;
    std::atomic<bool> onUiThread{true};
    std::thread other([&] {
        EXPECT_FALSE(loop.isUiThread());
        for (int i = 0; i < 3; ++i)
            loop.post([&, i] {
                onUiThread = onUiThread && loop.isUiThread();
                order.push_back(i);
            });
        loop.post([] { throw std::runtime_error("a failing task does not end the loop"); });
        loop.post([&] { loop.quit(7); });
    });
    other.join();
    guard();
    EXPECT_EQ(loop.run(), 7);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(onUiThread);
}

TEST_F(QtUiLoopTest, TimersRepeatDoNotReenterAndStopFromTheirHandler)
{
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    int id = 0;
    id = loop.startTimer(5, [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        ++ticks;
        // A handler that waits keeps the loop going, but its own timer does not fire inside it.
        loop.processEventsUntil(clock.deadlineAfter(15));
        if (ticks == 3) {
            EXPECT_TRUE(loop.stopTimer(id));
            loop.post([&] { loop.quit(0); });
        }
        --depth;
    });
    guard();
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(loop.stopTimer(id));
    EXPECT_FALSE(loop.setTimerPeriod(id, 10));
}

TEST_F(QtUiLoopTest, TimersStartedAndStoppedFromAWorker)
{
    std::atomic<int> ticks{0};
    int id = 0;
    std::thread([&] { id = loop.startTimer(3, [&] { ++ticks; }); }).join();
    ASSERT_GT(id, 0);
    ASSERT_TRUE(test::processUntil([&] { return ticks >= 2; }));
    std::thread([&] {
        EXPECT_TRUE(loop.setTimerPeriod(id, 2));
        EXPECT_TRUE(loop.stopTimer(id));
    }).join();
    QCoreApplication::processEvents();
    const int after = ticks;
    loop.processEventsUntil(clock.deadlineAfter(30));
    EXPECT_EQ(ticks, after);
}

TEST_F(QtUiLoopTest, ProcessEventsUntilWaitsForItsDeadlineAndEndsOnQuit)
{
    const auto start = clock.monotonic();
    EXPECT_TRUE(loop.processEventsUntil(clock.deadlineAfter(40)));
    EXPECT_GE(clock.monotonic() - start, std::chrono::milliseconds(40));

    bool waitResult = true;
    loop.post([&] {
        QTimer::singleShot(20, [&] { loop.quit(3); });
        const auto waitStart = clock.monotonic();
        waitResult = loop.processEventsUntil(clock.deadlineAfter(5000));
        EXPECT_LT(clock.monotonic() - waitStart, std::chrono::seconds(2));
    });
    guard();
    EXPECT_EQ(loop.run(), 3);
    EXPECT_FALSE(waitResult);
}

TEST_F(QtUiLoopTest, ResponsiveWaitOnTheUiThreadKeepsPostedWorkRunning)
{
    bool ran = false;
    loop.post([&] { ran = true; });
    platform::ResponsiveWait(30);
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace dealcast::gui
