#include "platform/clock.h"
#include "settings/authorization_file.h"
#include "settings/ini_file.h"
#include "settings/schedule_file.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

namespace dealcast::settings {
namespace {

TEST(DateTimeText, CutsTheTimeShortWhenItsTailIsZero)
{
    const std::pair<TimeOfDay, std::string_view> cases[] = {
        {{8, 30, 15}, "8时30分15秒"}, {{8, 0, 15}, "8时0分15秒"}, {{8, 30, 0}, "8时30分"},
        {{22, 0, 0}, "22时"},         {{0, 0, 0}, "0时"},         {{0, 5, 0}, "0时5分"},
    };
    for (const auto& [time, text] : cases) {
        EXPECT_EQ(formatTimeOfDay(time), text);
        EXPECT_EQ(parseTimeOfDay(text), time) << text;
    }
    EXPECT_EQ(formatDateTime({2017, 2, 21, {9, 5, 7}}), "2017年2月21日9时5分7秒");
}

TEST(DateTimeText, ReadsWhatItWritesAndNothingMalformed)
{
    EXPECT_EQ(parseTimeOfDay(" 8:30 "), (TimeOfDay{8, 30, 0}));
    EXPECT_EQ(parseTimeOfDay("23:59:59"), (TimeOfDay{23, 59, 59}));
    for (std::string_view bad : {"", "8", "24时", "8时60分", "8时30分60秒", "8时15秒", "8时30", "八时", "8时30分x",
                                 "-1时", "8:", "123时", "8:30:15:00"})
        EXPECT_FALSE(parseTimeOfDay(bad).has_value()) << bad;

    EXPECT_EQ(parseDateTime("2017年2月21日8时30分"), (DateTime{2017, 2, 21, {8, 30, 0}}));
    EXPECT_EQ(parseDateTime("2017年2月21日"), (DateTime{2017, 2, 21, {0, 0, 0}}));
    EXPECT_EQ(parseDateTime("2024年2月29日 23:05"), (DateTime{2024, 2, 29, {23, 5, 0}}));
    for (std::string_view bad : {"2023年2月29日", "2017年13月1日", "2017年4月31日8时", "2017年2月21", "2017-02-21 8:30",
                                 "2017年2月21日8时30分 later", "年月日"})
        EXPECT_FALSE(parseDateTime(bad).has_value()) << bad;

    platform::LocalTime local;
    local.year = 2020, local.month = 5, local.day = 6, local.hour = 7, local.minute = 8, local.second = 9;
    const DateTime now = toDateTime(local);
    EXPECT_EQ(parseDateTime(formatDateTime(now)), now);
}

TEST(ScheduleFile, StoresTimesAndGreetingsAndKeepsGreetingsWhenTurnedOff)
{
    test::TempDir dir;
    const ScheduleFile file(ScheduleFile::pathIn(dir.path()));
    EXPECT_EQ(file.path(), dir.path() / "data" / "config.ini");
    const ScheduleSettings missing = file.load();
    EXPECT_FALSE(missing.startTime || missing.endTime || missing.greetings);

    ScheduleSettings settings{TimeOfDay{8, 30, 0}, TimeOfDay{0, 0, 0}, true, "早上好", "今天就到这里。\r\n晚安咯！"};
    ASSERT_TRUE(file.save(settings));
    const IniFile ini = IniFile::load(file.path());
    EXPECT_EQ(ini.value("开始时间", "开始时间"), "8时30分");
    EXPECT_EQ(ini.value("结束时间", "结束时间"), "0时");
    EXPECT_EQ(ini.value("尾巴", "尾巴"), "真");
    EXPECT_EQ(ini.value("结束语", "结束语"), "今天就到这里。><br><晚安咯！");

    const ScheduleSettings loaded = file.load();
    EXPECT_EQ(loaded.startTime, settings.startTime);
    EXPECT_EQ(loaded.endTime, settings.endTime);
    EXPECT_TRUE(loaded.greetings);
    EXPECT_EQ(loaded.openingMessage, "早上好");
    EXPECT_EQ(loaded.closingMessage, settings.closingMessage);

    ASSERT_TRUE(file.save({TimeOfDay{9, 0, 0}, std::nullopt, false, "ignored", "ignored"}));
    const ScheduleSettings off = file.load();
    EXPECT_FALSE(off.greetings);
    EXPECT_FALSE(off.endTime.has_value());
    EXPECT_EQ(off.openingMessage, "早上好");
    EXPECT_EQ(off.closingMessage, settings.closingMessage);
}

TEST(ScheduleFile, AnUnreadableTimeIsNoTime)
{
    test::TempDir dir;
    const ScheduleFile file(ScheduleFile::pathIn(dir.path()));
    IniFile ini;
    ini.setValue("开始时间", "开始时间", "八点半");
    ini.setValue("结束时间", "结束时间", "22时");
    ini.setValue("尾巴", "尾巴", "是");
    ASSERT_TRUE(ini.save(file.path()));
    const ScheduleSettings loaded = file.load();
    EXPECT_FALSE(loaded.startTime.has_value());
    EXPECT_EQ(loaded.endTime, (TimeOfDay{22, 0, 0}));
    EXPECT_FALSE(loaded.greetings);  // only "真" turns the greetings on
}

TEST(AuthorizationFile, RoundTripsAndKeepsOtherContent)
{
    test::TempDir dir;
    const AuthorizationFile file(dir.path() / "machine" / "config.ini");
    const Authorization missing = file.load();
    EXPECT_TRUE(missing.accessToken.empty() && missing.accessName.empty() && !missing.accessTime);

    ASSERT_TRUE(IniFile::parse("[other]\r\nkept=yes\r\n").save(file.path()));
    const Authorization grant{"6201f12a9ZZbd", DateTime{2017, 2, 21, {9, 5, 7}}, "店铺小二"};
    ASSERT_TRUE(file.save(grant));
    const IniFile ini = IniFile::load(file.path());
    EXPECT_EQ(ini.value("access_time", "access_time"), "2017年2月21日9时5分7秒");
    EXPECT_EQ(ini.value("other", "kept"), "yes");

    const Authorization loaded = file.load();
    EXPECT_EQ(loaded.accessToken, grant.accessToken);
    EXPECT_EQ(loaded.accessTime, grant.accessTime);
    EXPECT_EQ(loaded.accessName, grant.accessName);

    IniFile edited = ini;
    edited.setValue("access_time", "access_time", "2017/2/21 9:05");
    ASSERT_TRUE(edited.save(file.path()));
    EXPECT_FALSE(file.load().accessTime.has_value());
}

}  // namespace
}  // namespace dealcast::settings
