#include "platform/combo_box.h"

#include <algorithm>

namespace dealcast::platform {

ComboBox::ComboBox(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
{
    for (const std::string& text : decl.items)
        m_entries.push_back({text, std::int64_t{0}});
    const int current = declaredNumber(decl, -1);
    m_current = current >= 0 && current < static_cast<int>(m_entries.size()) ? current : -1;
}

std::vector<ComboEntry> ComboBox::entries() const
{
    std::lock_guard lock(m_mutex);
    return m_entries;
}

int ComboBox::count() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_entries.size());
}

std::optional<ComboEntry> ComboBox::entry(int index) const
{
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)];
}

int ComboBox::add(std::string text, ItemValue value)
{
    Change change;
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        index = static_cast<int>(m_entries.size());
        m_entries.push_back({std::move(text), std::move(value)});
        change = makeChange(ChangeKind::Entries);
    }
    publish(change);
    return index;
}

void ComboBox::setEntries(std::vector<ComboEntry> entries, int currentIndex)
{
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        if (currentIndex < -1 || currentIndex >= static_cast<int>(entries.size()))
            currentIndex = -1;
        if (entries != m_entries) {
            m_entries = std::move(entries);
            changes.push_back(makeChange(ChangeKind::Entries));
        }
        if (currentIndex != m_current) {
            m_current = currentIndex;
            changes.emplace_back(makeChange(ChangeKind::CurrentIndex)).index = currentIndex;
        }
    }
    publish(changes);
}

void ComboBox::clear()
{
    setEntries({}, -1);
}

int ComboBox::find(std::string_view text) const
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.text == text; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

int ComboBox::findValue(const ItemValue& value) const
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.value == value; });
    return it == m_entries.end() ? -1 : static_cast<int>(it - m_entries.begin());
}

int ComboBox::currentIndex() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

bool ComboBox::setCurrentIndex(int index)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (index < -1 || index >= static_cast<int>(m_entries.size()))
            return false;
        if (index == m_current)
            return true;
        m_current = index;
        change = makeChange(ChangeKind::CurrentIndex);
        change.index = index;
    }
    publish(change);
    return true;
}

std::optional<ComboEntry> ComboBox::current() const
{
    std::lock_guard lock(m_mutex);
    if (m_current < 0)
        return std::nullopt;
    return m_entries[static_cast<std::size_t>(m_current)];
}

}  // namespace dealcast::platform
