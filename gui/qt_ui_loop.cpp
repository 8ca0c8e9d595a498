#include "gui/qt_ui_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <exception>

namespace dealcast::gui {
namespace {

constexpr std::int64_t kMaxPeriodMs = 10LL * 366 * 24 * 3600 * 1000;  // ten years

std::int64_t clampPeriod(std::int64_t ms)
{
    return std::clamp<std::int64_t>(ms, 1, kMaxPeriodMs);
}

// Milliseconds from `now` to `due`, rounded up so a timer never wakes just before its instant; capped to what
// a QTimer takes (a longer wait re-arms on waking).
int msUntil(platform::Clock::Monotonic now, platform::Clock::Monotonic due)
{
    if (due <= now)
        return 0;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(due - now).count();
    return static_cast<int>(std::min<std::int64_t>((us + 999) / 1000, INT_MAX));
}

}  // namespace

QtUiLoop::QtUiLoop(const platform::Clock& clock)
    : m_clock(clock)
    , m_waitScope(platform::WaitContext{&clock, this, nullptr})
{
}

QtUiLoop::~QtUiLoop()
{
    for (auto& [id, timer] : m_timers)
        delete timer.qtimer;
}

void QtUiLoop::invoke(const Task& task, const char* what)
{
    // Nothing thrown by the program's work may end the event loop.
    try {
        task();
    } catch (const std::exception& e) {
        qWarning("%s failed: %s", what, e.what());
    } catch (...) {
        qWarning("%s failed", what);
    }
}

void QtUiLoop::post(Task task)
{
    if (!task)
        return;
    {
        std::lock_guard lock(m_postMutex);
        m_posted.push_back(std::move(task));
    }
    QMetaObject::invokeMethod(
        this, [this] { runOnePosted(); }, Qt::QueuedConnection);
}

void QtUiLoop::runOnePosted()
{
    // As in the core's loop, work still queued when run() is asked to end waits for the next run.
    if (m_quit.load() && m_runLoop != nullptr) {
        QMetaObject::invokeMethod(
            this, [this] { runOnePosted(); }, Qt::QueuedConnection);
        return;
    }
    Task task;
    {
        std::lock_guard lock(m_postMutex);
        if (m_posted.empty())
            return;
        task = std::move(m_posted.front());
        m_posted.pop_front();
    }
    invoke(task, "posted work");
}

void QtUiLoop::onUiThread(Task task)
{
    if (isUiThread())
        task();
    else
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

int QtUiLoop::startTimer(std::int64_t periodMs, Task onTimeout)
{
    // Made before the id is taken under the lock that createTimer() takes too, so the UI thread sees it whole.
    auto shared = std::make_shared<Task>(std::move(onTimeout));
    int id = 0;
    {
        std::lock_guard lock(m_idMutex);
        id = m_nextId++;
        m_liveIds.insert(id);
    }
    const std::int64_t period = clampPeriod(periodMs);
    onUiThread([this, id, period, shared] { createTimer(id, period, shared); });
    return id;
}

bool QtUiLoop::stopTimer(int id)
{
    {
        std::lock_guard lock(m_idMutex);
        if (m_liveIds.erase(id) == 0)
            return false;
    }
    onUiThread([this, id] { destroyTimer(id); });
    return true;
}

bool QtUiLoop::setTimerPeriod(int id, std::int64_t periodMs)
{
    {
        std::lock_guard lock(m_idMutex);
        if (m_liveIds.count(id) == 0)
            return false;
    }
    const std::int64_t period = clampPeriod(periodMs);
    onUiThread([this, id, period] { retime(id, period); });
    return true;
}

bool QtUiLoop::isUiThread() const
{
    return QThread::currentThread() == thread();
}

void QtUiLoop::createTimer(int id, std::int64_t periodMs, std::shared_ptr<Task> onTimeout)
{
    {
        std::lock_guard lock(m_idMutex);
        if (m_liveIds.count(id) == 0)
            return;  // stopped before it was created
    }
    Timer& timer = m_timers[id];
    timer.periodMs = periodMs;
    timer.due = platform::Clock::later(m_clock.monotonic(), periodMs);
    timer.onTimeout = std::move(onTimeout);
    timer.qtimer = new QTimer(this);
    timer.qtimer->setSingleShot(true);
    timer.qtimer->setTimerType(Qt::PreciseTimer);
    connect(timer.qtimer, &QTimer::timeout, this, [this, id] { expired(id); });
    arm(timer);
}

void QtUiLoop::destroyTimer(int id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second.qtimer->stop();
    it->second.qtimer->deleteLater();
    m_timers.erase(it);
}

void QtUiLoop::retime(int id, std::int64_t periodMs)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second.periodMs = periodMs;
    it->second.due = platform::Clock::later(m_clock.monotonic(), periodMs);
    if (!it->second.firing)
        arm(it->second);
}

void QtUiLoop::arm(Timer& timer)
{
    timer.qtimer->start(msUntil(m_clock.monotonic(), timer.due));
}

void QtUiLoop::expired(int id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end() || it->second.firing)
        return;
    Timer& timer = it->second;
    const auto now = m_clock.monotonic();
    if (now < timer.due) {
        arm(timer);  // a long period waits in pieces
        return;
    }
    // Late firings collapse into one and the timer keeps its phase.
    const auto period = std::chrono::milliseconds(timer.periodMs);
    timer.due += period * ((now - timer.due) / period + 1);

    const std::shared_ptr<Task> task = timer.onTimeout;
    timer.firing = true;
    if (task && *task)
        invoke(*task, "timer handler");
    // The handler may have stopped its own timer (or, waiting, let it be stopped).
    it = m_timers.find(id);
    if (it != m_timers.end()) {
        it->second.firing = false;
        arm(it->second);
    }
}

bool QtUiLoop::processEventsUntil(platform::Clock::Monotonic deadline)
{
    if (!isUiThread())
        return false;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (m_quit.load()) {
            // What is already posted still runs (a worker may be waiting for it while the program ends).
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return false;
        }
        const auto now = m_clock.monotonic();
        if (now >= deadline)
            return true;
        if (deadline != platform::Clock::kNoDeadline)
            wake.start(msUntil(now, deadline));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

int QtUiLoop::run()
{
    if (!isUiThread())
        return -1;
    QEventLoop loop;
    QEventLoop* outer = m_runLoop;
    m_runLoop = &loop;
    m_quit = false;
    m_running = true;
    const int code = loop.exec();
    m_runLoop = outer;
    m_running = outer != nullptr;
    m_quit = false;
    return code;
}

void QtUiLoop::quit(int code)
{
    if (!m_running.load())
        return;
    m_exitCode = code;
    m_quit = true;
    // Also wakes a wait blocked in processEventsUntil.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_runLoop != nullptr)
                m_runLoop->exit(m_exitCode.load());
        },
        Qt::QueuedConnection);
}

}  // namespace dealcast::gui
