#include "settings/text_file.h"
#include "support/fixtures.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace dealcast::settings {
namespace {

namespace fs = std::filesystem;

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Makes writes past `bytes` fail with EFBIG, as a full disk would, for the lifetime of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

TEST(AtomicWrite, ReplacesTheFileAndCreatesMissingFolders)
{
    test::TempDir dir;
    const fs::path file = dir.path() / "data" / "sub" / "setsoft.ini";
    ASSERT_TRUE(writeFileAtomically(file, "first"));
    ASSERT_TRUE(writeFileAtomically(file, "second, longer"));
    EXPECT_EQ(test::readFileBytes(file), "second, longer");
    ASSERT_TRUE(writeFileAtomically(file, ""));
    EXPECT_EQ(readFileBytes(file), std::optional<std::string>(""));
    EXPECT_EQ(entriesIn(file.parent_path()), 1u);  // no temporary file left
}

TEST(AtomicWrite, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    test::TempDir dir;
    const fs::path file = dir.path() / "ListGoods.txt";
    ASSERT_TRUE(writeFileAtomically(file, "old content"));
    {
        FileSizeLimit limit(16);
        EXPECT_FALSE(writeFileAtomically(file, std::string(4096, 'x')));
    }
    EXPECT_EQ(test::readFileBytes(file), "old content");
    EXPECT_EQ(entriesIn(dir.path()), 1u);

    // A target that cannot be replaced by a file, and a folder that cannot be made.
    fs::create_directories(dir.path() / "taken" / "inner");
    EXPECT_FALSE(writeFileAtomically(dir.path() / "taken", "x"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "taken" / "inner"));
    EXPECT_FALSE(writeFileAtomically(file / "below-a-file.txt", "x"));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(AtomicWrite, KeepsPermissionsAndWritesThroughSymbolicLinks)
{
    test::TempDir dir;
    const fs::path fresh = dir.path() / "config.ini";
    ASSERT_TRUE(writeFileAtomically(fresh, "token"));
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(fresh, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeFileAtomically(fresh, "token 2"));
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const fs::path link = dir.path() / "link.ini";
    fs::create_symlink(fresh, link);
    ASSERT_TRUE(writeFileAtomically(link, "through the link"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readFileBytes(fresh), "through the link");
}

TEST(TextFile, ConvertsGbkAtTheBoundaryAndReadsUtf8WithByteOrderMark)
{
    test::TempDir dir;
    const fs::path file = dir.path() / "WXGroup.txt";
    EXPECT_FALSE(readTextFile(file).has_value());
    EXPECT_FALSE(readFileBytes(dir.path()).has_value());  // a folder is not a file

    ASSERT_TRUE(writeTextFile(file, "群A\r\n"));
    EXPECT_EQ(test::readFileBytes(file), "\xC8\xBA\x41\r\n");
    EXPECT_EQ(readTextFile(file), std::optional<std::string>("群A\r\n"));

    ASSERT_TRUE(writeFileAtomically(file, "\xEF\xBB\xBF群A"));
    EXPECT_EQ(readTextFile(file), std::optional<std::string>("群A"));
}

}  // namespace
}  // namespace dealcast::settings
