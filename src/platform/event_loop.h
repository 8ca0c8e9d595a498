#pragma once

#include "platform/ui_loop.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace dealcast::platform {

// The core's own UI loop, for headless runs and tests. Its UI thread is the thread that created it until
// run() is called, and from then on the thread that called run(). While run() or processEventsUntil() is
// active on it, that thread's wait context names this loop and its clock.
// Posted work costs no virtual time: on a virtual clock a task that keeps posting itself holds a wait at
// the current instant for as long as it does so.
class EventLoop final : public UiLoop {
public:
    using ErrorHandler = std::function<void(const std::string& message)>;

    explicit EventLoop(const Clock& clock);
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    void post(Task task) override;
    int startTimer(std::int64_t periodMs, Task onTimeout) override;
    bool stopTimer(int id) override;
    bool setTimerPeriod(int id, std::int64_t periodMs) override;
    bool isUiThread() const override;
    bool processEventsUntil(Clock::Monotonic deadline) override;
    int run() override;
    void quit(int code = 0) override;
    const Clock& clock() const override { return m_clock; }

    // Told about an exception that escaped a posted task or a timer handler; the loop goes on either way.
    void setErrorHandler(ErrorHandler handler);

private:
    struct Timer {
        std::int64_t periodMs = 1;
        Clock::Monotonic due;
        std::shared_ptr<Task> onTimeout;
        bool firing = false;
    };

    bool runOnePostedLocked(std::unique_lock<std::mutex>& lock);
    bool fireOneTimerLocked(std::unique_lock<std::mutex>& lock, Clock::Monotonic deadline);
    Clock::Monotonic nextTimerDueLocked() const;
    void invoke(const Task& task);
    void wakeLocked();

    const Clock& m_clock;
    std::atomic<std::thread::id> m_uiThread;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Task> m_posted;
    std::map<int, Timer> m_timers;
    int m_nextTimerId = 1;
    std::uint64_t m_changes = 0;  // bumped by every timer change, so a blocked loop recomputes its wake-up
    int m_runDepth = 0;
    bool m_quit = false;
    int m_exitCode = 0;
    ErrorHandler m_onError;
};

}  // namespace dealcast::platform
