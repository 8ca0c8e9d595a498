#pragma once

#include "platform/control.h"

namespace dealcast::platform {

// Caption, enabled and visible are all a button holds; its click is an event.
class Button : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Button;

    using Control::Control;
};

}  // namespace dealcast::platform
