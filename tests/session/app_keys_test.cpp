#include "session/app_keys.h"
#include "support/fixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>

namespace dealcast::session {
namespace {

TEST(AppKeys, BuiltInListHoldsTwentyNineWellFormedPairs)
{
    const auto keys = loadAppKeys({});
    ASSERT_EQ(keys.size(), 29u);
    const std::regex pair("[0-9]{8}\\|[0-9a-f]{32}");
    for (const auto& key : keys)
        EXPECT_TRUE(std::regex_match(key, pair)) << key;
    EXPECT_EQ(appKeyOf(keys.front()), "20000001");
}

TEST(AppKeys, AFileInTheDataFolderReplacesTheBuiltInListWhenItHoldsKeys)
{
    test::TempDir dir;
    const auto write = [&](const std::string& text) { std::ofstream(dir.path() / kAppKeysFileName) << text; };

    write("\xEF\xBB\xBF{\"list\":[{\"appkey\":\"12345678\",\"appsecret\":\"s1\"},{\"appsecret\":\"orphan\"},"
          "{\"appkey\":87654321,\"appsecret\":\"s2\"}]}");
    EXPECT_EQ(loadAppKeys(dir.path()), (std::vector<std::string>{"12345678|s1", "87654321|s2"}));

    for (const char* unusable : {"", "<html>not found</html>", "{\"list\":[]}", "{\"list\":[{\"appsecret\":\"x\"}]}"}) {
        write(unusable);
        EXPECT_EQ(loadAppKeys(dir.path()).size(), 29u) << unusable;
    }
}

}  // namespace
}  // namespace dealcast::session
