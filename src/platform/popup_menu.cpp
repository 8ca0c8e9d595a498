#include "platform/popup_menu.h"

namespace dealcast::platform {

PopupMenu::PopupMenu(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
{
    for (const std::string& text : decl.items)
        m_items.push_back({text, true});
}

std::vector<MenuItem> PopupMenu::items() const
{
    std::lock_guard lock(m_mutex);
    return m_items;
}

int PopupMenu::itemCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

void PopupMenu::setItems(std::vector<MenuItem> items)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (items == m_items)
            return;
        m_items = std::move(items);
        change = makeChange(ChangeKind::MenuItems);
    }
    publish(change);
}

bool PopupMenu::setItemEnabled(int index, bool enabled)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= static_cast<int>(m_items.size()))
            return false;
        MenuItem& item = m_items[static_cast<std::size_t>(index)];
        if (item.enabled == enabled)
            return true;
        item.enabled = enabled;
        change = makeChange(ChangeKind::MenuItemEnabled);
        change.index = index;
        change.flag = enabled;
    }
    publish(change);
    return true;
}

bool PopupMenu::itemEnabled(int index) const
{
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < static_cast<int>(m_items.size()) && m_items[static_cast<std::size_t>(index)].enabled;
}

void PopupMenu::popup()
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        change = makeChange(ChangeKind::Popup);
    }
    publish(change);
}

}  // namespace dealcast::platform
