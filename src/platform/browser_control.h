#pragma once

#include "platform/control.h"

namespace dealcast::platform {

// Where a window shows an embedded web page. The model holds no page state: the page itself is the
// platform::Browser that the window host supplies for this control.
class BrowserControl : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Browser;

    using Control::Control;
};

}  // namespace dealcast::platform
