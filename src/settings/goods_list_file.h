#pragma once

#include "settings/list_rows.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace dealcast::settings {

// "ListGoods.txt": the rows of the pending-send list. A record holds the texts of columns 1 up to the last
// column, each followed by "&&"; records are joined by "||\r\n". Column 0 (the running number) is not stored.
//
// A product text is free text and may itself hold "&&", "||" or end in "&". Reading a record from the right
// keeps such a text whole in column 1 instead of spilling it into the state and source columns: the later
// columns hold fixed words, so the last separators of a record are the real ones. Records end where "&&" is
// followed by "||\r\n", so a lone "||" inside a text does not split it either. Files stay as they always
// were; only a text holding the record end "&&||\r\n" itself would still be split.
class GoodsListFile {
public:
    // Columns of the pending-send list, including column 0.
    static constexpr std::size_t kSendQueueColumns = 4;

    static std::string encode(const ListRows& rows, std::size_t columnCount = kSendQueueColumns);

    // One row per non-empty record, column 0 being the record's 1-based position in the file; every row has
    // `columnCount` columns, an empty field leaving its column empty. A record with fewer fields than columns
    // fills columns from 1 on.
    static ListRows decode(std::string_view text, std::size_t columnCount = kSendQueueColumns);

    static ListRows load(const std::filesystem::path& path, std::size_t columnCount = kSendQueueColumns);
    static bool save(const std::filesystem::path& path, const ListRows& rows,
                     std::size_t columnCount = kSendQueueColumns);
};

}  // namespace dealcast::settings
