#pragma once

#include "platform/control.h"

namespace dealcast::platform {

// A captioned frame around other controls. Disabling it disables what it holds (Control::effectivelyEnabled).
class GroupBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::GroupBox;

    using Control::Control;
};

}  // namespace dealcast::platform
