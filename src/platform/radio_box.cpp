#include "platform/radio_box.h"

namespace dealcast::platform {

RadioBox* RadioGroup::checkedBox() const
{
    std::lock_guard lock(m_mutex);
    return m_checked;
}

RadioBox::RadioBox(const ControlDecl& decl, ChangeSink* sink, RadioGroup& group)
    : Control(decl, sink)
    , m_group(group)
{
    std::lock_guard lock(m_group.m_mutex);
    m_group.m_members.push_back(this);
    if (declaredChecked(decl))
        m_group.m_checked = this;
}

bool RadioBox::checked() const
{
    std::lock_guard lock(m_group.m_mutex);
    return m_group.m_checked == this;
}

void RadioBox::setChecked(bool checked)
{
    Change mine;
    Change previous;
    RadioBox* unchecked = nullptr;
    {
        std::lock_guard lock(m_group.m_mutex);
        if ((m_group.m_checked == this) == checked)
            return;
        if (checked) {
            unchecked = m_group.m_checked;
            m_group.m_checked = this;
            if (unchecked != nullptr) {
                previous = unchecked->makeChange(ChangeKind::Checked);
                previous.flag = false;
            }
        } else {
            m_group.m_checked = nullptr;
        }
        mine = makeChange(ChangeKind::Checked);
        mine.flag = checked;
    }
    if (unchecked != nullptr)
        unchecked->publish(previous);
    publish(mine);
}

}  // namespace dealcast::platform
