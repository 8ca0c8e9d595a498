#pragma once

#include <cstdint>
#include <memory>

namespace dealcast::platform {

class UiLoop;
class WindowModel;

// Arms the UI loop's timers from a window's timer controls: a period set on a control (from any thread)
// starts, retimes or stops the loop timer, and each expiry raises the control's tick event on the UI thread.
class TimerDriver {
public:
    // Both outlive the driver.
    TimerDriver(WindowModel& model, UiLoop& loop);
    ~TimerDriver();
    TimerDriver(const TimerDriver&) = delete;
    TimerDriver& operator=(const TimerDriver&) = delete;

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::uint64_t m_subscription = 0;
};

}  // namespace dealcast::platform
