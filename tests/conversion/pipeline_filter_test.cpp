#include "conversion/duplicate_filter.h"
#include "platform/edit_box.h"
#include "settings/item_id_file.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace dealcast::test {
namespace {

using conversion::DuplicateFilter;

class DuplicateFilterTest : public ::testing::Test {
protected:
    TempDir dir;
    platform::EditBox box{platform::ControlDecl{.name = "编辑框_过滤重复",
                                                .kind = platform::ControlKind::EditBox,
                                                .flags = platform::kMultiLine},
                          nullptr};
    DuplicateFilter filter{box, dir.path() / "itemid.txt"};
};

TEST_F(DuplicateFilterTest, MembershipIsByWholeLines)
{
    box.setText("41234\r\n600000000001\r\n 77 \r\n");
    EXPECT_TRUE(filter.contains("41234"));
    EXPECT_TRUE(filter.contains("600000000001"));
    EXPECT_TRUE(filter.contains("77"));
    for (const char* other : {"123", "4123", "1234", "41234\r\n600000000001", "", "\r\n", "7"})
        EXPECT_FALSE(filter.contains(other)) << other;
    EXPECT_EQ(filter.size(), 3u);
}

TEST_F(DuplicateFilterTest, AppendWritesTheBoxAndTheWholeFile)
{
    EXPECT_TRUE(filter.append("111"));
    EXPECT_TRUE(filter.append("222"));
    EXPECT_EQ(box.text(), "111\r\n222\r\n");
    EXPECT_EQ(readFileBytes(filter.file()), "111\r\n222\r\n");
    EXPECT_EQ(settings::ItemIdFile::load(filter.file()), box.text());

    // Ids that cannot be one line are refused and change nothing.
    EXPECT_FALSE(filter.append(""));
    EXPECT_FALSE(filter.append("3\r\n4"));
    EXPECT_EQ(box.text(), "111\r\n222\r\n");

    EXPECT_TRUE(filter.clear());
    EXPECT_EQ(box.text(), "");
    EXPECT_FALSE(filter.contains("111"));
    EXPECT_TRUE(std::filesystem::exists(filter.file()));
    EXPECT_EQ(readFileBytes(filter.file()), "");
}

TEST_F(DuplicateFilterTest, FollowsTheBoxWhenSomethingElseChangesIt)
{
    EXPECT_TRUE(filter.append("111"));
    // The start-up restore of a file saved by hand: "\n" line ends and no break after the last line.
    box.setText("555\n666");
    EXPECT_FALSE(filter.contains("111"));
    EXPECT_TRUE(filter.contains("555"));
    EXPECT_TRUE(filter.contains("666"));
    // The new id is not glued onto the last one.
    EXPECT_TRUE(filter.append("777"));
    EXPECT_EQ(box.text(), "555\n666\r\n777\r\n");
    EXPECT_TRUE(filter.contains("666"));
    EXPECT_TRUE(filter.contains("777"));
}

TEST_F(DuplicateFilterTest, AFailedFileWriteIsReportedAndTheIdKept)
{
    std::filesystem::create_directories(dir.path() / "blocked");
    DuplicateFilter blocked(box, dir.path() / "blocked");  // a folder where the file should be
    EXPECT_FALSE(blocked.append("111"));
    EXPECT_TRUE(blocked.contains("111"));
}

TEST_F(DuplicateFilterTest, ConcurrentAppendsAndLookupsLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kEach = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::string id = std::to_string(t * 1000 + i);
                filter.append(id);
                EXPECT_TRUE(filter.contains(id));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(filter.size(), std::size_t{kThreads * kEach});
    const auto ids = DuplicateFilter::idsOf(readFileBytes(filter.file()));
    EXPECT_EQ(ids.size(), std::size_t{kThreads * kEach});
}

}  // namespace
}  // namespace dealcast::test
