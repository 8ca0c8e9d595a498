#include "conversion/duplicate_filter.h"

#include "platform/edit_box.h"
#include "settings/item_id_file.h"

namespace dealcast::conversion {
namespace {

std::string_view trimmedLine(std::string_view line)
{
    constexpr std::string_view kBlanks = " \t\r";
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

DuplicateFilter::DuplicateFilter(platform::EditBox& store, std::filesystem::path file)
    : m_store(store)
    , m_file(std::move(file))
{
}

IdSet DuplicateFilter::idsOf(std::string_view text)
{
    IdSet ids;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line =
            trimmedLine(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (!line.empty())
            ids.emplace(line);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return ids;
}

void DuplicateFilter::rebuildLocked(std::string_view text, std::uint64_t revision) const
{
    m_ids = idsOf(text);
    m_endsWithBreak = text.empty() || text.back() == '\n';
    m_revision = revision;
}

void DuplicateFilter::syncLocked() const
{
    if (m_store.revision() == m_revision)
        return;
    const platform::EditBox::Snapshot snapshot = m_store.snapshot();
    rebuildLocked(snapshot.text, snapshot.revision);
}

bool DuplicateFilter::contains(std::string_view itemId) const
{
    const std::string_view id = trimmedLine(itemId);
    if (id.empty())
        return false;
    std::lock_guard lock(m_mutex);
    syncLocked();
    return m_ids.find(id) != m_ids.end();
}

bool DuplicateFilter::append(std::string_view itemId)
{
    if (itemId.empty() || itemId.find_first_of("\r\n") != std::string_view::npos)
        return false;
    std::lock_guard lock(m_mutex);
    syncLocked();
    // A store whose last line lacks its break would otherwise glue the new id onto the last one.
    std::string piece = m_endsWithBreak ? std::string() : std::string("\r\n");
    piece.append(itemId).append("\r\n");
    const std::uint64_t before = m_revision;
    m_store.append(piece);

    const platform::EditBox::Snapshot snapshot = m_store.snapshot();
    if (snapshot.revision == before + 1) {
        m_ids.emplace(trimmedLine(itemId));
        m_endsWithBreak = true;
        m_revision = snapshot.revision;
    } else {
        // Someone else changed the box in between: trust the box.
        rebuildLocked(snapshot.text, snapshot.revision);
    }
    return m_file.empty() || settings::ItemIdFile::save(m_file, snapshot.text);
}

bool DuplicateFilter::clear()
{
    std::lock_guard lock(m_mutex);
    m_store.setText({});
    const platform::EditBox::Snapshot snapshot = m_store.snapshot();
    rebuildLocked(snapshot.text, snapshot.revision);
    return m_file.empty() || settings::ItemIdFile::clear(m_file);
}

std::size_t DuplicateFilter::size() const
{
    std::lock_guard lock(m_mutex);
    syncLocked();
    return m_ids.size();
}

}  // namespace dealcast::conversion
