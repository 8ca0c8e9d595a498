#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>

namespace dealcast::platform {

// The user-interface thread's event loop as the core sees it. Window events, posted work and timers all run
// on that one thread, one at a time. The core has its own implementation (EventLoop); the desktop front-end
// provides one on its toolkit's loop.
//
// Every function may be called from any thread, unless it says otherwise; handlers always run on the UI
// thread.
class UiLoop {
public:
    using Task = std::function<void()>;

    virtual ~UiLoop() = default;

    // Runs `task` on the UI thread after the work posted before it.
    virtual void post(Task task) = 0;

    // A periodic timer: `onTimeout` runs on the UI thread every `periodMs` (1 ms to ten years) from now.
    // A timer that falls behind (a long handler, a jump of the clock) fires once, not once per missed
    // period, and keeps its phase: it next fires at the first period boundary after the late firing.
    // A timer never fires again while its own handler is still running (a handler that waits
    // processes events but does not re-enter itself). Returns an id > 0.
    virtual int startTimer(std::int64_t periodMs, Task onTimeout) = 0;
    // False when no such timer runs. A handler may stop its own timer.
    virtual bool stopTimer(int id) = 0;
    // Sets the period and restarts the interval from now. False when no such timer runs.
    virtual bool setTimerPeriod(int id, std::int64_t periodMs) = 0;

    virtual bool isUiThread() const = 0;

    // UI thread only. Runs posted work and due timers until `deadline` (on clock()), blocking in between.
    // With a virtual clock it fires due timers in deadline order, moving the clock to each, and ends with
    // the clock at the deadline. Returns false, early, when the loop is asked to quit, or when called on
    // another thread (then it does nothing).
    virtual bool processEventsUntil(Clock::Monotonic deadline) = 0;

    // UI thread only. Processes events until quit(); returns its code.
    virtual int run() = 0;
    // Ends run() (and any wait inside it) with `code`. Ignored when run() is not active.
    virtual void quit(int code = 0) = 0;

    // The clock the loop's deadlines and timers count on.
    virtual const Clock& clock() const = 0;
};

}  // namespace dealcast::platform
