#include "support/fixtures.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace dealcast::test {

std::filesystem::path dataDir() { return DEALCAST_TESTDATA_DIR; }
std::filesystem::path sharedTestdataDir() { return DEALCAST_SHARED_TESTDATA_DIR; }

std::string readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("dealcast-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace dealcast::test
