#include "platform/timer_control.h"

#include <algorithm>

namespace dealcast::platform {

TimerControl::TimerControl(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_interval(std::max(0, declaredNumber(decl, 0)))
{
}

int TimerControl::interval() const
{
    std::lock_guard lock(m_mutex);
    return m_interval;
}

void TimerControl::setInterval(int ms)
{
    ms = std::max(0, ms);
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_interval == ms)
            return;
        m_interval = ms;
        change = makeChange(ChangeKind::Interval);
        change.value = ms;
    }
    publish(change);
}

}  // namespace dealcast::platform
