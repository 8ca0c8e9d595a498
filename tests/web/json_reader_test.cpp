#include "web/json_reader.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dealcast::web {
namespace {

constexpr std::string_view kAnswer = R"({
  "data": {
    "version": "1.2.0",
    "flag": true,
    "nil": null,
    "rate": 19.9,
    "tk-rate": "30.5",
    "byIndex": {"0": "zero"},
    "pagelist": [
      {"adzoneid": 123456789012, "name": "推广位一"},
      {"adzoneid": 223456789012, "name": "推广位二", "tags": []},
      {"adzoneid": 323456789012, "name": "", "extra": {}}
    ]
  },
  "result": {"retStatus": 0}
})";

TEST(JsonReaderPaths, ReadsByPathAndTreatsAnythingMissingAsEmpty)
{
    JsonReader json;
    ASSERT_TRUE(json.parse(kAnswer));
    struct Case {
        std::string_view path;
        std::string_view text;
        std::size_t count;
        std::string_view type;
    };
    const Case cases[] = {
        {"data.version", "1.2.0", 0, "string"},
        {"data.flag", "true", 0, "boolean"},
        {"data.rate", "19.9", 0, "number"},
        {"result.retStatus", "0", 0, "number"},
        {"data.pagelist", "", 3, "array"},
        {"data.pagelist[0].adzoneid", "123456789012", 0, "number"},
        {"data.pagelist[1].name", "推广位二", 0, "string"},
        {"data.pagelist[2].name", "", 0, "string"},
        {"data.pagelist[1].tags", "[]", 0, "array"},
        {"data.pagelist[2].extra", "{}", 0, "object"},
        {"data.pagelist[1]", "", 3, "object"},
        {"data['tk-rate']", "30.5", 0, "string"},
        {"data.byIndex[0]", "zero", 0, "string"},  // an index on an object names a member
        {"data.nil", "", 0, "undefined"},
        {"data.pagelist[3]", "", 0, "undefined"},  // past the end
        {"data.pagelist[3].adzoneid", "", 0, "undefined"},
        {"data.missing.deeper", "", 0, "undefined"},  // through a missing member
        {"data.version.length", "", 0, "undefined"},
        {"data.pagelist.name", "", 0, "undefined"},  // a name on an array
        {"data.version[0]", "", 0, "undefined"},     // an index on a string
        {"data.", "", 0, "undefined"},               // malformed paths find nothing
        {".data", "", 0, "undefined"},
        {"data..version", "", 0, "undefined"},
        {"data.pagelist[", "", 0, "undefined"},
        {"data.pagelist[x]", "", 0, "undefined"},
        {"data.pagelist[-1]", "", 0, "undefined"},
        {"data.pagelist[99999999999999999999999]", "", 0, "undefined"},
        {"data.pagelist[0]x", "", 0, "undefined"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.type == "object" || c.type == "array")
            EXPECT_EQ(json.getText(c.path), json.getJson(c.path));
        else
            EXPECT_EQ(json.getText(c.path), c.text);
        EXPECT_EQ(json.count(c.path), c.count);
        EXPECT_EQ(json.typeOf(c.path), c.type);
        EXPECT_EQ(json.exists(c.path), c.type != "undefined");
    }
    EXPECT_EQ(json.getJson("data.pagelist[1].tags"), "[]");
    EXPECT_EQ(json.getJson("data.nil"), "null");
    EXPECT_EQ(json.getJson("data.missing"), "");
    EXPECT_EQ(json.getJson(""), json.toText());
    EXPECT_EQ(json.count(""), 2u);
    EXPECT_EQ(json.keys("data"), "version,flag,nil,rate,tk-rate,byIndex,pagelist,");  // order of the text
    EXPECT_EQ(json.keys("data.pagelist"), "0,1,2,");
    EXPECT_EQ(json.keys("data.version"), "");
}

TEST(JsonReaderPaths, AddressesElementsOfARootArray)
{
    JsonReader json;
    ASSERT_TRUE(json.parse(R"([{"id":"a1","n":1},{"id":"b2"}])"));
    EXPECT_EQ(json.count(""), 2u);
    EXPECT_EQ(json.getText("[1].id"), "b2");
    EXPECT_EQ(json.getText("[0].n"), "1");
    EXPECT_EQ(json.getText("[2].id"), "");
    EXPECT_EQ(json.getText("id"), "");
    EXPECT_EQ(json.typeOf(""), "array");
}

TEST(JsonReaderNumbers, ReadBackInTheirShortestFormAndIntegersStayExact)
{
    struct Case {
        std::string_view literal;
        std::string_view text;
    };
    const Case cases[] = {
        {"20.0", "20"},
        {"19.9", "19.9"},
        {"0.1", "0.1"},
        {"0.10000000000000001", "0.1"},
        {"-5.25", "-5.25"},
        {"-0.0", "0"},
        {"1E2", "100"},
        {"123e-20", "1.23e-18"},
        {"0.000001", "0.000001"},
        {"0.0000001", "1e-7"},
        {"1e21", "1e+21"},
        {"123456789012345678901", "123456789012345680000"},  // beyond 64 bits: a double, printed in full
        {"1.5e300", "1.5e+300"},
        {"123456789012", "123456789012"},
        {"9007199254740993", "9007199254740993"},  // 2^53 + 1
        {"-9223372036854775808", "-9223372036854775808"},
        {"18446744073709551615", "18446744073709551615"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.literal);
        JsonReader json;
        ASSERT_TRUE(json.parse("{\"n\":" + std::string(c.literal) + "}"));
        EXPECT_EQ(json.getText("n"), c.text);
        EXPECT_EQ(json.toText(), "{\"n\":" + std::string(c.text) + "}");
    }
}

TEST(JsonReaderNumbers, GetNumberReadsNumbersNumericTextAndTruth)
{
    JsonReader json;
    ASSERT_TRUE(json.parse(R"({"p":19.9,"i":123456789012,"s":" 19.90 ","plus":"+2","bad":"19.9元","e":"",)"
                           R"("t":true,"f":false,"o":{},"n":null})"));
    struct Case {
        std::string_view path;
        double value;
    };
    const Case cases[] = {
        {"p", 19.9},    {"i", 123456789012.0},
        {"s", 19.9},    {"plus", 2},
        {"bad", 0},     {"e", 0},
        {"t", 1},       {"f", 0},
        {"o", 0},       {"n", 0},
        {"missing", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(json.getNumber(c.path), c.value) << c.path;
}

TEST(JsonReaderText, EscapesWhatJsonNeedsAndKeepsUtf8)
{
    JsonReader json;
    ASSERT_TRUE(json.parse(R"({"s":"a\"b\\c\/d\n\t\u0001\u4e2d😀"})"));
    EXPECT_EQ(json.getText("s"), "a\"b\\c/d\n\t\x01中😀");
    EXPECT_EQ(json.toText(), R"({"s":"a\"b\\c/d\n\t\u0001中😀"})");
}

TEST(JsonReaderMembers, RepeatedNamesKeepTheFirstPlaceAndTheLastValue)
{
    JsonReader json;
    ASSERT_TRUE(json.parse(R"({"a":1,"b":2,"a":3})"));
    EXPECT_EQ(json.toText(), R"({"a":3,"b":2})");

    // Large objects look names up through an index; the same rule holds there.
    std::string text = "{";
    for (int i = 0; i < 40; ++i)
        text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "\"k3\":\"again\",\"k40\":40}";
    ASSERT_TRUE(json.parse(text));
    EXPECT_EQ(json.count(""), 41u);
    EXPECT_EQ(json.getText("k3"), "again");
    EXPECT_EQ(json.keys("").substr(0, 12), "k0,k1,k2,k3,");
}

TEST(JsonReaderChanges, SetAppendAndRemoveFollowThePathRules)
{
    JsonReader json;
    using Op = std::function<bool(JsonReader&)>;
    struct Step {
        const char* what;
        Op op;
        bool result;
        std::string_view text;
    };
    const Step steps[] = {
        {"text", [](JsonReader& j) { return j.set("name", "店铺"); }, true, R"({"name":"店铺"})"},
        {"double", [](JsonReader& j) { return j.set("price", 19.9); }, true, R"({"name":"店铺","price":19.9})"},
        {"id", [](JsonReader& j) { return j.set("id", std::int64_t{123456789012345678}); }, true,
         R"({"name":"店铺","price":19.9,"id":123456789012345678})"},
        {"replace keeps place", [](JsonReader& j) { return j.set("name", true); }, true,
         R"({"name":true,"price":19.9,"id":123456789012345678})"},
        {"remove", [](JsonReader& j) { return j.remove("price"); }, true, R"({"name":true,"id":123456789012345678})"},
        {"remove missing", [](JsonReader& j) { return j.remove("price"); }, false,
         R"({"name":true,"id":123456789012345678})"},
        {"missing parent", [](JsonReader& j) { return j.set("a.b", 1); }, false,
         R"({"name":true,"id":123456789012345678})"},
        {"append creates", [](JsonReader& j) { return j.append("list", "x"); }, true,
         R"({"name":true,"id":123456789012345678,"list":["x"]})"},
        {"append int", [](JsonReader& j) { return j.append("list", 2); }, true,
         R"({"name":true,"id":123456789012345678,"list":["x",2]})"},
        {"index at end appends", [](JsonReader& j) { return j.set("list[2]", false); }, true,
         R"({"name":true,"id":123456789012345678,"list":["x",2,false]})"},
        {"index past end", [](JsonReader& j) { return j.set("list[5]", 1); }, false,
         R"({"name":true,"id":123456789012345678,"list":["x",2,false]})"},
        {"remove element closes up", [](JsonReader& j) { return j.remove("list[0]"); }, true,
         R"({"name":true,"id":123456789012345678,"list":[2,false]})"},
        {"remove past end", [](JsonReader& j) { return j.remove("list[2]"); }, false,
         R"({"name":true,"id":123456789012345678,"list":[2,false]})"},
        {"append on a non-array replaces it", [](JsonReader& j) { return j.append("name", 1.5); }, true,
         R"({"name":[1.5],"id":123456789012345678,"list":[2,false]})"},
        {"nested set", [](JsonReader& j) { return j.set("list[0]", "a\"b\n"); }, true,
         R"({"name":[1.5],"id":123456789012345678,"list":["a\"b\n",false]})"},
        {"bad utf-8 becomes ?", [](JsonReader& j) { return j.set("k\xFF", "v\xC0"); }, true,
         R"({"name":[1.5],"id":123456789012345678,"list":["a\"b\n",false],"k?":"v?"})"},
        {"remove root", [](JsonReader& j) { return j.remove(""); }, false,
         R"({"name":[1.5],"id":123456789012345678,"list":["a\"b\n",false],"k?":"v?"})"},
        {"replace root", [](JsonReader& j) { return j.set("", std::uint64_t{18446744073709551615u}); }, true,
         "18446744073709551615"},
        {"member of a number", [](JsonReader& j) { return j.set("x", 1); }, false, "18446744073709551615"},
        {"append to root", [](JsonReader& j) { return j.append("", "x"); }, true, R"(["x"])"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.op(json), s.result);
        EXPECT_EQ(json.toText(), s.text);
    }
    json.clear();
    EXPECT_EQ(json.toText(), "{}");
}

TEST(JsonReaderLenient, ReadsScriptDataForms)
{
    struct Case {
        std::string_view text;
        std::string_view json;
    };
    const Case cases[] = {
        {"{'a':'b'}", R"({"a":"b"})"},
        {"{a:1, $b_2:[1,2,], 中文:'x',}", R"({"a":1,"$b_2":[1,2],"中文":"x"})"},
        {R"({'say':'it\'s "quoted"'})", R"({"say":"it's \"quoted\""})"},
        {"// note\n{a: /* one */ 1}\n", R"({"a":1})"},
        {"{n:+1, m:.5, k:5., h:0x1F, z:007, e:1E+2, 3:'x'}", R"({"n":1,"m":0.5,"k":5,"h":31,"z":7,"e":100,"3":"x"})"},
        {R"({'t':'\x41\u4e2d\u{1F600}\v\0\q'})", R"({"t":"A中😀\u000b\u0000q"})"},
        {"{'tab':'a\tb'}", R"({"tab":"a\tb"})"},
        {R"({"s":"\ud800 \udc00"})", R"({"s":"� �"})"},  // halves of a pair that is not one
        {"{\"s\":\"a\xFF\"}", R"({"s":"a?"})"},
        {"\xEF\xBB\xBF{'a':1}", R"({"a":1})"},
        {"'just text'", R"("just text")"},
        {"[1,2,]", "[1,2]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        JsonReader json;
        ASSERT_TRUE(json.parse(c.text));
        EXPECT_EQ(json.toText(), c.json);
    }
}

std::string nested(std::size_t depth, std::string_view open, std::string_view close, std::string_view inner = "")
{
    std::string text;
    for (std::size_t i = 0; i < depth; ++i)
        text += open;
    text += inner;
    for (std::size_t i = 0; i < depth; ++i)
        text += close;
    return text;
}

TEST(JsonReaderFailures, TextThatIsNotDataLeavesANullRootAndEmptyReads)
{
    const std::string cases[] = {
        "",
        "  \r\n",
        "null",
        " null ",
        "<html><body>502 Bad Gateway</body></html>",
        "{",
        R"({"a":1)",
        R"({"a":1}})",
        "{'a':1} x",
        "[1 2]",
        "[1,,2]",
        "{,}",
        "{a:undefined}",
        "{a:NaN}",
        "cb({a:1})",
        "{a:1/*",
        "{'a':'\\07'}",
        "{'a':'unterminated}",
        "1abc",
        R"({"n":1e400})",  // beyond the range of a double
        std::string("{\"a\":1}\0tail", 12),
        nested(JsonReader::kMaxDepth + 1, "[", "]"),
        nested(JsonReader::kMaxDepth + 1, "{'a':", "}", "1"),
        nested(200000, "[", ""),  // far too deep and unclosed: refused without exhausting the stack
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        JsonReader json;
        ASSERT_TRUE(json.parse(R"({"a":{"b":1}})"));
        EXPECT_FALSE(json.parse(text));
        EXPECT_EQ(json.toText(), "null");
        EXPECT_EQ(json.getText("a.b"), "");
        EXPECT_EQ(json.count(""), 0u);
        EXPECT_FALSE(json.exists(""));
        EXPECT_FALSE(json.set("a", 1));
    }
    JsonReader json;
    const std::string deepest = nested(JsonReader::kMaxDepth, "[", "]");
    ASSERT_TRUE(json.parse(deepest));
    EXPECT_EQ(json.toText(), deepest);
    ASSERT_TRUE(json.parse(nested(JsonReader::kMaxDepth, "{a:", "}", "1")));
    EXPECT_EQ(json.toText(), nested(JsonReader::kMaxDepth, R"({"a":)", "}", "1"));
}

TEST(JsonReaderMove, AMovedFromReaderReadsEmptyAndCanParseAgain)
{
    JsonReader a;
    ASSERT_TRUE(a.parse(R"({"x":"1"})"));
    JsonReader b(std::move(a));
    EXPECT_EQ(b.getText("x"), "1");
    EXPECT_EQ(a.getText("x"), "");  // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(a.set("x", 2));
    EXPECT_TRUE(a.parse(R"({"x":"2"})"));
    EXPECT_EQ(a.getText("x"), "2");
}

}  // namespace
}  // namespace dealcast::web
