#pragma once

#include <filesystem>
#include <string>

namespace dealcast::test {

// Fixtures of this project (tests/data) and the shared public corpora.
std::filesystem::path dataDir();
std::filesystem::path sharedTestdataDir();

std::string readFileBytes(const std::filesystem::path& path);

// A fresh folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace dealcast::test
