#include "platform/check_box.h"

namespace dealcast::platform {

CheckBox::CheckBox(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_checked(declaredChecked(decl))
{
}

bool CheckBox::checked() const
{
    std::lock_guard lock(m_mutex);
    return m_checked;
}

void CheckBox::setChecked(bool checked)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_checked == checked)
            return;
        m_checked = checked;
        change = makeChange(ChangeKind::Checked);
        change.flag = checked;
    }
    publish(change);
}

}  // namespace dealcast::platform
