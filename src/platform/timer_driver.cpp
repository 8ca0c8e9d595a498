#include "platform/timer_driver.h"

#include "platform/timer_control.h"
#include "platform/ui_loop.h"
#include "platform/window_model.h"

#include <map>
#include <mutex>
#include <string>

namespace dealcast::platform {

struct TimerDriver::State {
    State(WindowModel& m, UiLoop& l) : model(m), loop(l) {}

    WindowModel& model;
    UiLoop& loop;
    std::mutex mutex;                   // guards ids; loop timers are only touched on the UI thread
    std::map<std::string, int> ids;     // control name -> loop timer id
    bool closed = false;

    // Runs on the UI thread: brings the loop timer of one control in line with its period.
    void apply(const std::string& name, int period, const std::shared_ptr<State>& self)
    {
        std::lock_guard lock(mutex);
        if (closed)
            return;
        const auto it = ids.find(name);
        if (period <= 0) {
            if (it != ids.end()) {
                loop.stopTimer(it->second);
                ids.erase(it);
            }
            return;
        }
        if (it != ids.end()) {
            loop.setTimerPeriod(it->second, period);
            return;
        }
        std::weak_ptr<State> weak = self;
        ids[name] = loop.startTimer(period, [weak, name] {
            if (const auto state = weak.lock())
                state->model.raise(name, EventType::TimerTick);
        });
    }
};

TimerDriver::TimerDriver(WindowModel& model, UiLoop& loop)
    : m_state(std::make_shared<State>(model, loop))
{
    std::weak_ptr<State> weak = m_state;
    m_subscription = model.subscribe([weak](const Change& change) {
        if (change.kind != ChangeKind::Interval || change.control == nullptr)
            return;
        const auto state = weak.lock();
        if (!state)
            return;
        const std::string name = change.control->name();
        const int period = static_cast<int>(change.value);
        state->loop.post([weak, name, period] {
            if (const auto s = weak.lock())
                s->apply(name, period, s);
        });
    });
    // Timers declared with a period run from the start.
    for (TimerControl* timer : model.all<TimerControl>()) {
        if (timer->interval() > 0) {
            const std::string name = timer->name();
            const int period = timer->interval();
            loop.post([weak, name, period] {
                if (const auto s = weak.lock())
                    s->apply(name, period, s);
            });
        }
    }
}

TimerDriver::~TimerDriver()
{
    m_state->model.unsubscribe(m_subscription);
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
    for (const auto& [name, id] : m_state->ids)
        m_state->loop.stopTimer(id);
    m_state->ids.clear();
}

}  // namespace dealcast::platform
