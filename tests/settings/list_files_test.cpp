#include "settings/goods_list_file.h"
#include "settings/item_id_file.h"
#include "settings/wechat_group_file.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

namespace dealcast::settings {
namespace {

TEST(WechatGroupFile, JoinsNamesAndNumbersRowsByTheirLineInTheFile)
{
    EXPECT_EQ(WechatGroupFile::encode({{"1", "群A"}, {"2", "two\r\nlines"}, {"3", "群C"}}), "群A\r\ntwo  lines\r\n群C");
    EXPECT_EQ(WechatGroupFile::encode({}), "");

    EXPECT_EQ(WechatGroupFile::decode("群A\r\n\r\n群C\r\n"), (ListRows{{"1", "群A"}, {"3", "群C"}}));
    EXPECT_EQ(WechatGroupFile::decode("\n群B\nlast"), (ListRows{{"2", "群B"}, {"3", "last"}}));
    EXPECT_EQ(WechatGroupFile::decode(""), ListRows{});

    test::TempDir dir;
    const auto file = dir.path() / "WXGroup.txt";
    EXPECT_EQ(WechatGroupFile::load(file), ListRows{});
    ASSERT_TRUE(WechatGroupFile::save(file, {{"1", "群A"}}));
    EXPECT_EQ(test::readFileBytes(file), "\xC8\xBA\x41");
    EXPECT_EQ(WechatGroupFile::load(file), (ListRows{{"1", "群A"}}));
}

TEST(GoodsListFile, WritesRecordsOfFieldsEachEndedByAmpersands)
{
    const ListRows rows = {{"1", "https://a.example/item?id=1", "待发", "单品"},
                           {"2", "line 1\r\nline 2", "待发", "跟发"}};
    EXPECT_EQ(GoodsListFile::encode(rows),
              "https://a.example/item?id=1&&待发&&单品&&||\r\nline 1\r\nline 2&&待发&&跟发&&");
    EXPECT_EQ(GoodsListFile::decode(GoodsListFile::encode(rows)), rows);
    EXPECT_EQ(GoodsListFile::encode({}), "");
    EXPECT_EQ(GoodsListFile::decode(""), ListRows{});
}

TEST(GoodsListFile, EmptyFieldsAndShortRecordsKeepTheirColumns)
{
    EXPECT_EQ(GoodsListFile::decode("text&&&&单品&&"), (ListRows{{"1", "text", "", "单品"}}));
    EXPECT_EQ(GoodsListFile::decode("&&待发&&监控&&"), (ListRows{{"1", "", "待发", "监控"}}));
    EXPECT_EQ(GoodsListFile::decode("only text&&"), (ListRows{{"1", "only text", "", ""}}));
    EXPECT_EQ(GoodsListFile::decode("a&&b"), (ListRows{{"1", "a", "b", ""}}));
    // An empty record still takes its place in the numbering.
    EXPECT_EQ(GoodsListFile::decode("a&&待发&&采集&&||\r\n&&||\r\nb&&待发&&联盟&&"),
              (ListRows{{"1", "a", "待发", "采集"}, {"2", "", "", ""}, {"3", "b", "待发", "联盟"}}));
}

TEST(GoodsListFile, ProductTextsHoldingSeparatorsComeBackWhole)
{
    const std::string_view texts[] = {
        "满199&&减100",
        "ends with &",
        "&& at both ends &&",
        "A||B  || 券后价",
        "||\r\nlooks like a record start",
        "\r\nstarts with a line break",
        "&&&&&&",
    };
    ListRows rows;
    for (auto text : texts)
        rows.push_back({std::to_string(rows.size() + 1), std::string(text), "待发", "单品"});
    rows.push_back({std::to_string(rows.size() + 1), "", "待发", ""});

    const ListRows once = GoodsListFile::decode(GoodsListFile::encode(rows));
    EXPECT_EQ(once, rows);
    EXPECT_EQ(GoodsListFile::decode(GoodsListFile::encode(once)), rows);  // no drift across restarts

    test::TempDir dir;
    const auto file = dir.path() / "ListGoods.txt";
    ASSERT_TRUE(GoodsListFile::save(file, rows));
    EXPECT_EQ(GoodsListFile::load(file), rows);
}

TEST(ItemIdFile, KeepsTheWholeTextAndClearsToAZeroLengthFile)
{
    test::TempDir dir;
    const auto file = dir.path() / "itemid.txt";
    EXPECT_EQ(ItemIdFile::load(file), "");
    ASSERT_TRUE(ItemIdFile::save(file, "560123456789\r\n601234567890\r\n"));
    EXPECT_EQ(ItemIdFile::load(file), "560123456789\r\n601234567890\r\n");
    ASSERT_TRUE(ItemIdFile::clear(file));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    EXPECT_EQ(ItemIdFile::load(file), "");
}

}  // namespace
}  // namespace dealcast::settings
