#pragma once

#include "platform/control.h"

#include <string>
#include <vector>

namespace dealcast::platform {

struct MenuItem {
    std::string text{};
    bool enabled = true;
    bool operator==(const MenuItem&) const = default;
};

// A context menu. popup() asks the front-end to show it; the chosen item comes back as a MenuItem event on
// the menu's name with the item's index.
class PopupMenu : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::PopupMenu;

    // Items from the declaration's items, all enabled.
    PopupMenu(const ControlDecl& decl, ChangeSink* sink);

    std::vector<MenuItem> items() const;
    int itemCount() const;
    void setItems(std::vector<MenuItem> items);
    // False for an index it does not have.
    bool setItemEnabled(int index, bool enabled);
    bool itemEnabled(int index) const;
    void popup();

private:
    std::vector<MenuItem> m_items;
};

}  // namespace dealcast::platform
