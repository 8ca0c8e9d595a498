#pragma once

#include "platform/control.h"

namespace dealcast::platform {

class CheckBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::CheckBox;

    CheckBox(const ControlDecl& decl, ChangeSink* sink);

    bool checked() const;
    void setChecked(bool checked);

private:
    bool m_checked;
};

}  // namespace dealcast::platform
