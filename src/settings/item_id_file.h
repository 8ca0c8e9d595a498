#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dealcast::settings {

// "itemid.txt": the duplicate filter's store, item identifiers each followed by "\r\n" in the order they were
// accepted. It is kept as one text, written whole each time.
class ItemIdFile {
public:
    static std::string load(const std::filesystem::path& path);  // missing file: empty
    static bool save(const std::filesystem::path& path, std::string_view ids);
    static bool clear(const std::filesystem::path& path);  // a zero-length file
};

}  // namespace dealcast::settings
