#include "platform/responsive_wait.h"

#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "platform/worker.h"

#include <limits>

namespace dealcast::platform {
namespace {

thread_local WaitContext t_context;

}  // namespace

const WaitContext& currentWaitContext()
{
    return t_context;
}

WaitContextScope::WaitContextScope(const WaitContext& context)
    : m_previous(t_context)
{
    WaitContext next = context;
    if (!next.clock)
        next.clock = m_previous.clock;
    if (!next.loop)
        next.loop = m_previous.loop;
    if (!next.worker)
        next.worker = m_previous.worker;
    t_context = next;
}

WaitContextScope::~WaitContextScope()
{
    t_context = m_previous;
}

void ResponsiveWait(std::int64_t ms)
{
    const WaitContext context = t_context;
    if (context.worker) {
        context.worker->waitFor(ms);
        return;
    }
    if (context.loop && context.loop->isUiThread()) {
        context.loop->processEventsUntil(context.loop->clock().deadlineAfter(ms));
        return;
    }
    if (ms <= 0)
        return;
    const Clock& clock = context.clock ? *context.clock : systemClock();
    clock.blockUntil(clock.deadlineAfter(ms));
}

void wait(std::int64_t amount, int unit)
{
    std::int64_t factor = 1;
    if (unit == 2)
        factor = 60'000;
    else if (unit == 3)
        factor = 3'600'000;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const std::int64_t ms = amount <= 0 ? 0 : amount > kMax / factor ? kMax : amount * factor;
    ResponsiveWait(ms);
}

}  // namespace dealcast::platform
