#pragma once

#include "platform/responsive_wait.h"
#include "platform/ui_loop.h"

#include <QObject>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>

class QEventLoop;
class QTimer;

namespace dealcast::gui {

// The UI loop of the desktop program on Qt's event loop. Create it on the GUI thread after the QApplication;
// that thread is its UI thread and keeps this loop and its clock as its wait context for the loop's lifetime,
// so a ResponsiveWait in a handler keeps the window alive.
class QtUiLoop final : public QObject, public platform::UiLoop {
    Q_OBJECT
public:
    explicit QtUiLoop(const platform::Clock& clock);
    ~QtUiLoop() override;

    void post(Task task) override;
    int startTimer(std::int64_t periodMs, Task onTimeout) override;
    bool stopTimer(int id) override;
    bool setTimerPeriod(int id, std::int64_t periodMs) override;
    bool isUiThread() const override;
    bool processEventsUntil(platform::Clock::Monotonic deadline) override;
    int run() override;
    void quit(int code = 0) override;
    const platform::Clock& clock() const override { return m_clock; }

private:
    struct Timer {
        std::int64_t periodMs = 1;
        platform::Clock::Monotonic due;
        std::shared_ptr<Task> onTimeout;
        QTimer* qtimer = nullptr;
        bool firing = false;
    };

    // GUI thread only.
    void createTimer(int id, std::int64_t periodMs, std::shared_ptr<Task> onTimeout);
    void destroyTimer(int id);
    void retime(int id, std::int64_t periodMs);
    void arm(Timer& timer);
    void expired(int id);
    void onUiThread(Task task);
    void runOnePosted();
    static void invoke(const Task& task, const char* what);

    const platform::Clock& m_clock;
    platform::WaitContextScope m_waitScope;

    // Posted work waits here, in order; each post also queues one Qt event that runs the front task. A
    // standard mutex hands the tasks over, so what a poster wrote before posting is seen by the task.
    std::mutex m_postMutex;
    std::deque<Task> m_posted;

    mutable std::mutex m_idMutex;
    std::set<int> m_liveIds;  // timers started and not stopped, as callers on any thread see them
    int m_nextId = 1;

    std::map<int, Timer> m_timers;  // GUI thread only
    QEventLoop* m_runLoop = nullptr;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_quit{false};
    std::atomic<int> m_exitCode{0};
};

}  // namespace dealcast::gui
