#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace dealcast::platform {
class EditBox;
}

namespace dealcast::conversion {

// Lets the id set be asked with a string_view without building a string per lookup.
struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const noexcept { return std::hash<std::string_view>{}(id); }
};
using IdSet = std::unordered_set<std::string, IdHash, std::equal_to<>>;

// The item ids already sent, so a product is not sent twice: one id per line in the main window's hidden box
// "编辑框_过滤重复", each line ending in "\r\n", mirrored whole in itemid.txt.
//
// An id counts only as a whole line, so item 123 is never taken for a part of 41234. A hash set of the
// lines answers contains() in constant time however long the store grows; it follows the box, and is
// rebuilt from the box's text whenever something else changed the box (the start-up restore, a user edit).
// Every operation is one step with respect to the others: the sending worker and the single-item worker
// may use the same filter at once.
class DuplicateFilter {
public:
    // `store` is the hidden box and outlives the filter; `file` is itemid.txt (empty: the box alone).
    DuplicateFilter(platform::EditBox& store, std::filesystem::path file);
    DuplicateFilter(const DuplicateFilter&) = delete;
    DuplicateFilter& operator=(const DuplicateFilter&) = delete;

    // True when a line of the store is exactly the id (blanks around a line do not count).
    bool contains(std::string_view itemId) const;

    // Adds the id as the store's last line and writes the store's whole text to the file, replacing it in one
    // step. An id that is empty or holds a line break is refused (false, nothing changes). False also when
    // the file could not be written; the box keeps the id then, and the next append or save writes it.
    bool append(std::string_view itemId);

    // Empties the box and writes an empty file; false when the file could not be written.
    bool clear();

    // Distinct ids in the store.
    std::size_t size() const;
    const std::filesystem::path& file() const { return m_file; }

    // The distinct ids of a store text, line by line (a file edited by hand may end lines in "\n" alone).
    static IdSet idsOf(std::string_view text);

private:
    // Brings the set in step with the box; m_mutex held.
    void syncLocked() const;
    void rebuildLocked(std::string_view text, std::uint64_t revision) const;

    platform::EditBox& m_store;
    const std::filesystem::path m_file;

    mutable std::mutex m_mutex;
    mutable IdSet m_ids;
    // The box revision the set reflects; the box starts at revision 0 with its designed (empty) text.
    mutable std::uint64_t m_revision = UINT64_MAX;
    // False when the box's text ends in the middle of a line (a file saved without its last line break).
    mutable bool m_endsWithBreak = true;
};

}  // namespace dealcast::conversion
