#include "app/run_log.h"
#include "platform/clock.h"
#include "platform/edit_box.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace dealcast::app {
namespace {

class FixedClock final : public platform::Clock {
public:
    explicit FixedClock(platform::LocalTime time)
        : m_time(time)
    {
    }
    WallTime now() const override { return {}; }
    Monotonic monotonic() const override { return {}; }
    platform::LocalTime localTime() const override { return m_time; }

private:
    platform::LocalTime m_time;
};

platform::LocalTime at(int hour, int minute, int second)
{
    platform::LocalTime t;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

TEST(RunLog, StampsEachLineWithTwoDigitLocalTime)
{
    struct Case {
        platform::LocalTime time;
        std::string message, expected;
    };
    const Case cases[] = {
        {at(9, 5, 7), "系统启动完毕", "[09:05:07] >>>> 系统启动完毕\r\n"},
        {at(23, 59, 0), "", "[23:59:00] >>>> \r\n"},            // empty message: the stamp only
        {at(0, 0, 0), "a\r\nb", "[00:00:00] >>>> a\r\nb\r\n"},  // the message goes in unchanged
        {at(10, 30, 45), " ", "[10:30:45] >>>>  \r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunLog::formatLine(c.time, c.message), c.expected);
}

TEST(RunLog, AppendsToTheLogBox)
{
    platform::EditBox box({.name = "编辑框_运行日志", .kind = platform::ControlKind::EditBox, .value = "*"}, nullptr);
    FixedClock clock(at(9, 5, 7));
    RunLog log(box, clock);
    log.write("配置已保存！");
    log.write("");
    EXPECT_EQ(box.text(), "*[09:05:07] >>>> 配置已保存！\r\n[09:05:07] >>>> \r\n");
}

TEST(RunLog, LinesFromTwoThreadsNeverMix)
{
    platform::EditBox box({.name = "编辑框_运行日志", .kind = platform::ControlKind::EditBox}, nullptr);
    FixedClock clock(at(12, 0, 0));
    RunLog log(box, clock);
    constexpr int kLines = 5000;
    auto writer = [&](char who) {
        for (int i = 0; i < kLines; ++i)
            log.write(std::string(1, who) + std::to_string(i) + std::string(40, who));
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    const std::string text = box.text();
    std::set<std::string> seen;
    std::size_t pos = 0;
    int lines = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(pos, end - pos);
        ASSERT_TRUE(line.starts_with("[12:00:00] >>>> ")) << line;
        const std::string message = line.substr(16);
        const char who = message[0];
        const std::size_t digits = message.find_first_not_of("0123456789", 1);
        ASSERT_EQ(message.substr(digits), std::string(40, who)) << line;
        EXPECT_TRUE(seen.insert(message).second) << line;
        pos = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 2 * kLines);
}

}  // namespace
}  // namespace dealcast::app
