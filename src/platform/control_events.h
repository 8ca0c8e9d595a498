#pragma once

#include <functional>
#include <string>

namespace dealcast::platform {

enum class EventType {
    Clicked,
    Changed,
    ItemChosen,
    DoubleClick,
    FocusGained,
    Key,
    MenuItem,
    TimerTick,
    Feedback,  // raised by the program itself to have work done on the UI thread
};

enum KeyModifier : unsigned {
    kShift = 1u << 0,
    kCtrl = 1u << 1,
    kAlt = 1u << 2,
};

struct EventArgs {
    std::string control{};  // filled in by WindowModel::raise
    int index = -1;         // chosen item, row or menu item
    int keyCode = 0;        // virtual-key numbering: letters as upper-case ASCII, Enter 13, Delete 46
    unsigned modifiers = 0;
    std::string text{};
};

using EventHandler = std::function<void(const EventArgs&)>;

}  // namespace dealcast::platform
