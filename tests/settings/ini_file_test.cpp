#include "settings/ini_file.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

namespace dealcast::settings {
namespace {

// "\n"-only lines, a byte-order mark, comments, blank lines and text before the first section.
constexpr std::string_view kFixture = "\xEF\xBB\xBF"
                                      "; saved settings\n"
                                      "stray=before any section\n"
                                      "[编辑框]\n"
                                      "  编辑框_微信模板 =  [标题] 券后[券后价]  \n"
                                      "Key_Mixed=one\n"
                                      "; 编辑框_注释=not a key\n"
                                      "\n"
                                      "[选择框]\n"
                                      "选择框_过滤重复商品=真\n"
                                      "[编辑框]\n"
                                      "编辑框_第二段=ignored\n";

TEST(IniFile, ReadsCaseInsensitiveTrimmedValuesAndMissingOnesAsEmpty)
{
    const IniFile ini = IniFile::parse(kFixture);
    struct Case {
        std::string_view section, key, expected;
    };
    const Case cases[] = {
        {"编辑框", "编辑框_微信模板", "[标题] 券后[券后价]"},
        {" 编辑框 ", "编辑框_微信模板 ", "[标题] 券后[券后价]"},
        {"编辑框", "key_mixed", "one"},
        {"编辑框", "KEY_MIXED", "one"},
        {"选择框", "选择框_过滤重复商品", "真"},
        {"编辑框", "编辑框_第二段", ""},  // only the first section of a name counts
        {"编辑框", "; 编辑框_注释", ""},  // a comment is not a key
        {"编辑框", "stray", ""},          // lines before the first section belong to none
        {"单选框", "单选框_随机", ""},
        {"编辑框", "编辑框_不存在", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.value(c.section, c.key), c.expected) << c.section << " / " << c.key;
}

TEST(IniFile, EditsInPlaceAndKeepsEveryOtherLine)
{
    IniFile ini = IniFile::parse(kFixture);
    EXPECT_TRUE(ini.setValue("编辑框", "KEY_MIXED", "two"));    // replaced in place
    EXPECT_TRUE(ini.setValue("编辑框", "编辑框_新", "added"));  // after the section's last line
    EXPECT_TRUE(ini.setValue("选择框", "选择框_过滤重复商品", "假"));
    EXPECT_TRUE(ini.setValue("单选框", "单选框_随机", "真"));  // new section at the end
    EXPECT_EQ(ini.serialize(), "; saved settings\r\n"
                               "stray=before any section\r\n"
                               "[编辑框]\r\n"
                               "  编辑框_微信模板 =  [标题] 券后[券后价]  \r\n"
                               "KEY_MIXED=two\r\n"
                               "; 编辑框_注释=not a key\r\n"
                               "编辑框_新=added\r\n"
                               "\r\n"
                               "[选择框]\r\n"
                               "选择框_过滤重复商品=假\r\n"
                               "[编辑框]\r\n"
                               "编辑框_第二段=ignored\r\n"
                               "[单选框]\r\n"
                               "单选框_随机=真\r\n");
    EXPECT_EQ(IniFile::parse(ini.serialize()).serialize(), ini.serialize());
}

TEST(IniFile, StoresGbkWithCrLfAndNoByteOrderMark)
{
    test::TempDir dir;
    const auto file = dir.path() / "data" / "setsoft.ini";
    IniFile ini = IniFile::load(file);  // missing file: empty
    EXPECT_EQ(ini.value("编辑框", "编辑框_微信模板"), "");
    ini.setValue("编辑框", "编辑框_微信模板", "你好");
    ASSERT_TRUE(ini.save(file));
    EXPECT_EQ(test::readFileBytes(file),
              "\x5B\xB1\xE0\xBC\xAD\xBF\xF2\x5D\r\n"
              "\xB1\xE0\xBC\xAD\xBF\xF2\x5F\xCE\xA2\xD0\xC5\xC4\xA3\xB0\xE5\x3D\xC4\xE3\xBA\xC3\r\n");
    EXPECT_EQ(IniFile::load(file).value("编辑框", "编辑框_微信模板"), "你好");
}

TEST(IniFile, KeepsEveryValueOnItsOwnLine)
{
    IniFile ini;
    ASSERT_TRUE(ini.setValue("s", "k", "a\r\nb\nc\rd"));
    ASSERT_TRUE(ini.setValue("s", "next", "intact"));
    EXPECT_EQ(ini.serialize(), "[s]\r\nk=a><br><b><br><c><br><d\r\nnext=intact\r\n");
    EXPECT_EQ(decodeLineBreaks(ini.value("s", "k")), "a\r\nb\r\nc\r\nd");

    // Names the format cannot hold are refused and change nothing.
    const std::pair<std::string_view, std::string_view> refused[] = {
        {"", "k"}, {"s", " "}, {"a]b", "k"}, {"s\nt", "k"}, {"s", "k=v"}, {"s", "k\rx"}, {"s", "[k]"}, {"s", ";k"},
    };
    for (const auto& [section, key] : refused)
        EXPECT_FALSE(ini.setValue(section, key, "v")) << section << " / " << key;
    EXPECT_EQ(ini.serialize(), "[s]\r\nk=a><br><b><br><c><br><d\r\nnext=intact\r\n");
}

}  // namespace
}  // namespace dealcast::settings
