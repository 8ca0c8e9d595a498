#include "platform/event_loop.h"

#include "platform/responsive_wait.h"
#include "platform/worker.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace dealcast::platform {
namespace {

// Keeps period arithmetic far from overflow; no timer of this program runs at more than an hour.
constexpr std::int64_t kMaxPeriodMs = 10LL * 365 * 24 * 3600 * 1000;

std::int64_t clampPeriod(std::int64_t periodMs)
{
    return std::clamp<std::int64_t>(periodMs, 1, kMaxPeriodMs);
}

}  // namespace

EventLoop::EventLoop(const Clock& clock)
    : m_clock(clock)
    , m_uiThread(std::this_thread::get_id())
{
}

EventLoop::~EventLoop() = default;

void EventLoop::setErrorHandler(ErrorHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_onError = std::move(handler);
}

void EventLoop::post(Task task)
{
    std::lock_guard lock(m_mutex);
    m_posted.push_back(std::move(task));
    m_cv.notify_all();
}

int EventLoop::startTimer(std::int64_t periodMs, Task onTimeout)
{
    std::lock_guard lock(m_mutex);
    const int id = m_nextTimerId++;
    Timer timer;
    timer.periodMs = clampPeriod(periodMs);
    timer.due = Clock::later(m_clock.monotonic(), timer.periodMs);
    timer.onTimeout = std::make_shared<Task>(std::move(onTimeout));
    m_timers.emplace(id, std::move(timer));
    wakeLocked();
    return id;
}

bool EventLoop::stopTimer(int id)
{
    std::lock_guard lock(m_mutex);
    if (m_timers.erase(id) == 0)
        return false;
    wakeLocked();
    return true;
}

bool EventLoop::setTimerPeriod(int id, std::int64_t periodMs)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return false;
    it->second.periodMs = clampPeriod(periodMs);
    it->second.due = Clock::later(m_clock.monotonic(), it->second.periodMs);
    wakeLocked();
    return true;
}

bool EventLoop::isUiThread() const
{
    return m_uiThread.load() == std::this_thread::get_id();
}

bool EventLoop::processEventsUntil(Clock::Monotonic deadline)
{
    if (!isUiThread())
        return false;
    WaitContextScope scope(WaitContext{&m_clock, this, nullptr});
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Only what is queued now: a task that posts again runs in the next round, after due timers.
        for (std::size_t n = m_posted.size(); n > 0 && !m_quit; --n)
            runOnePostedLocked(lock);
        if (m_quit)
            return false;
        if (fireOneTimerLocked(lock, deadline))
            continue;
        if (deadline != Clock::kNoDeadline && m_clock.monotonic() >= deadline)
            return true;
        const Clock::Monotonic next = std::min(deadline, nextTimerDueLocked());
        const std::uint64_t changes = m_changes;
        m_clock.waitUntil(lock, m_cv, next, [&] { return !m_posted.empty() || m_quit || m_changes != changes; });
    }
}

bool EventLoop::runOnePostedLocked(std::unique_lock<std::mutex>& lock)
{
    if (m_posted.empty())
        return false;
    Task task = std::move(m_posted.front());
    m_posted.pop_front();
    lock.unlock();
    invoke(task);
    lock.lock();
    return true;
}

bool EventLoop::fireOneTimerLocked(std::unique_lock<std::mutex>& lock, Clock::Monotonic deadline)
{
    const Clock::Monotonic now = m_clock.monotonic();
    const Clock::Monotonic limit = std::min(now, deadline);
    auto chosen = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        // Ids ascend, so among equal due times the older timer fires first.
        if (!it->second.firing && it->second.due <= limit &&
            (chosen == m_timers.end() || it->second.due < chosen->second.due))
            chosen = it;
    }
    if (chosen == m_timers.end())
        return false;

    const int id = chosen->first;
    Timer& timer = chosen->second;
    // Next due: the first period boundary after now, so a late timer fires once and keeps its phase.
    const auto period =
        std::chrono::duration_cast<Clock::Monotonic::duration>(std::chrono::milliseconds(timer.periodMs));
    timer.due += period * ((now - timer.due) / period + 1);
    timer.firing = true;
    const std::shared_ptr<Task> task = timer.onTimeout;  // survives a handler that stops its own timer

    lock.unlock();
    invoke(*task);
    lock.lock();

    if (const auto it = m_timers.find(id); it != m_timers.end())
        it->second.firing = false;
    return true;
}

Clock::Monotonic EventLoop::nextTimerDueLocked() const
{
    Clock::Monotonic next = Clock::kNoDeadline;
    for (const auto& [id, timer] : m_timers) {
        if (!timer.firing)
            next = std::min(next, timer.due);
    }
    return next;
}

void EventLoop::invoke(const Task& task)
{
    std::string failure;
    try {
        if (task)
            task();
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        // A stopped worker that runs a loop of its own unwinds through it to its thread entry.
        if (Worker::current())
            throw;
        failure = "unknown exception";
    }
    ErrorHandler onError;
    {
        std::lock_guard lock(m_mutex);
        onError = m_onError;
    }
    if (!onError)
        return;
    try {
        onError(failure);
    } catch (...) {
        // A failing report must not take the loop down with it.
    }
}

int EventLoop::run()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_runDepth > 0)
            return -1;
        m_runDepth = 1;
        m_quit = false;
        m_exitCode = 0;
        m_uiThread.store(std::this_thread::get_id());
    }
    // Also when a stopped worker's loop unwinds through here.
    struct EndOfRun {
        EventLoop& loop;
        ~EndOfRun()
        {
            std::lock_guard lock(loop.m_mutex);
            loop.m_runDepth = 0;
            loop.m_quit = false;
        }
    } endOfRun{*this};
    while (processEventsUntil(Clock::kNoDeadline)) {
    }
    std::lock_guard lock(m_mutex);
    return m_exitCode;
}

void EventLoop::quit(int code)
{
    std::lock_guard lock(m_mutex);
    if (m_runDepth == 0)
        return;
    m_quit = true;
    m_exitCode = code;
    m_cv.notify_all();
}

void EventLoop::wakeLocked()
{
    ++m_changes;
    m_cv.notify_all();
}

}  // namespace dealcast::platform
