#include "platform/window_host.h"

namespace dealcast::platform {

void NullWindowHost::show(WindowModel& window, bool)
{
    const std::lock_guard lock(m_mutex);
    m_visible.insert(&window);
}

void NullWindowHost::hide(WindowModel& window)
{
    const std::lock_guard lock(m_mutex);
    m_visible.erase(&window);
}

bool NullWindowHost::isVisible(const WindowModel& window) const
{
    const std::lock_guard lock(m_mutex);
    return m_visible.contains(&window);
}

}  // namespace dealcast::platform
