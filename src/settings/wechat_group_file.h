#pragma once

#include "settings/list_rows.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace dealcast::settings {

// "WXGroup.txt": the WeChat group names of the group list (its column 1), one a line.
class WechatGroupFile {
public:
    // Column 1 of every row, joined by "\r\n", no line end after the last. A line break inside a name would
    // split it into two groups on the next start, so it is stored as a blank.
    static std::string encode(const ListRows& rows);

    // One row per non-empty line: column 0 is the line's 1-based position in the file (empty lines count),
    // column 1 the line. Lines may end in "\r\n" or "\n".
    static ListRows decode(std::string_view text);

    static ListRows load(const std::filesystem::path& path);  // missing file: no rows
    static bool save(const std::filesystem::path& path, const ListRows& rows);
};

}  // namespace dealcast::settings
