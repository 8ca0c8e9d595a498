#include "platform/clock.h"
#include "web/encoding.h"
#include "web/text.h"

#include <gtest/gtest.h>

namespace dealcast::web {
namespace {

TEST(Between, CutsTheFirstPairAndExpandsTheQuoteMarker)
{
    struct Case {
        std::string_view text, start, end, expected;
    };
    const Case cases[] = {
        {"var x = {\"cip\": \"1.2.3.4\", \"cname\": \"北京\"}", "cip#引号: #引号", "#引号", "1.2.3.4"},
        {"a<b>c</b><b>d</b>", "<b>", "</b>", "c"},
        {"start only <b>no end", "<b>", "</b>", ""},  // start found, end missing
        {"no start </b>", "<b>", "</b>", ""},
        {"<b></b>", "<b>", "</b>", ""},
        {"Case <B>x</B>", "<b>", "</b>", ""},  // case-sensitive
        {"end before </b> start <b>x</b>", "<b>", "</b>", "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(between(c.text, c.start, c.end), c.expected) << c.text;
}

TEST(UrlEncode, KeepsOnlyTheSafeSetAndEncodesTheRestUpperCase)
{
    EXPECT_EQ(urlEncode("a b/c", true, true), "a%20b%2Fc");
    EXPECT_EQ(urlEncode("Az09-._~", true, true), "Az09-.%5F%7E");
    EXPECT_EQ(urlEncode("ab", false, true), "%61%62");
    EXPECT_EQ(urlEncode("", true, true), "");
    EXPECT_EQ(urlEncode("中", true, true), "%E4%B8%AD");
    EXPECT_EQ(urlEncode("中", true, false), "%D6%D0");  // GBK bytes
}

TEST(UrlDecode, DecodesPercentPairsAndReadsUtf8)
{
    EXPECT_EQ(urlDecode("%E4%B8%AD%e6%96%87"), "中文");
    EXPECT_EQ(urlDecode("a+b%2"), "a+b%2");  // "+" and a cut-off escape stay
    EXPECT_EQ(urlDecode("%zz%41"), "%zzA");
    EXPECT_EQ(urlDecode("%FF"), "?");  // not UTF-8
    EXPECT_EQ(urlDecode(urlEncode("店铺 nick_名", true, true)), "店铺 nick_名");
}

TEST(Encoding, RoundTripsGbkAndMarksWhatGbkCannotHold)
{
    const std::string utf8 = "淘宝联盟 coupon ￥12.5";
    const std::string gbk = utf8ToGbk(utf8);
    EXPECT_NE(gbk, utf8);
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    EXPECT_EQ(utf8ToGbk("a😀b"), "a?b");     // no GBK form
    EXPECT_EQ(utf8ToGbk("a\xFF" "b"), "a?b");  // not UTF-8
    EXPECT_EQ(gbkToUtf8("a\x81"), "a?");       // lead byte cut off at the end
    EXPECT_EQ(sanitizeUtf8("ok\xC0\xAFok"), "ok??ok");
    EXPECT_TRUE(isValidUtf8("中文"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // surrogate
}

class FixedClock final : public platform::Clock {
public:
    explicit FixedClock(long long unixMs) : m_ms(unixMs) {}
    WallTime now() const override { return WallTime(std::chrono::milliseconds(m_ms)); }
    Monotonic monotonic() const override { return Monotonic(std::chrono::milliseconds(m_ms)); }
    platform::LocalTime localTime() const override { return {}; }

private:
    long long m_ms;
};

TEST(TimeStamp, IsUnixMillisecondsWithThreeDigitFraction)
{
    const FixedClock clock(1'765'432'100'005);
    EXPECT_EQ(timeStamp(clock), "1765432100005");
    EXPECT_EQ(timeStamp(clock, true), "1765432100");
}

}  // namespace
}  // namespace dealcast::web
