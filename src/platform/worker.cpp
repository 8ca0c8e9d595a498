#include "platform/worker.h"

#include "platform/clock.h"
#include "platform/responsive_wait.h"

#include <algorithm>
#include <exception>
#include <pthread.h>
#include <utility>

namespace dealcast::platform {
namespace {

// Unwinds a stopped worker's body. Deliberately not a std::exception, so that a body's
// catch (const std::exception&) lets it through to the thread entry.
struct WorkerStopped {};

// Thread names are limited to 15 bytes; cut at a character boundary so tools show valid UTF-8.
std::string threadName(const std::string& name)
{
    constexpr std::size_t kMax = 15;
    if (name.size() <= kMax)
        return name;
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

}  // namespace

Worker::Worker(const Clock& clock, std::string name)
    : m_clock(clock)
    , m_name(std::move(name))
    , m_stop(std::make_shared<std::atomic<bool>>(false))
{
}

Worker::~Worker()
{
    stop();
    join();
}

void Worker::setErrorHandler(ErrorHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_onError = std::move(handler);
}

bool Worker::start(std::function<void()> body)
{
    std::lock_guard threadLock(m_threadMutex);
    if (m_running.load())
        return false;
    if (m_thread.joinable())
        m_thread.join();  // the previous body has ended; its thread is only being reaped
    {
        std::lock_guard lock(m_mutex);
        m_stop->store(false);
        m_paused.store(false);
        m_frozen.store(false);
        m_running.store(true);
        m_threadId.store({});  // the old thread's id may be handed to any new thread
    }
    m_thread = std::thread([this, body = std::move(body)] { threadMain(body); });
    return true;
}

void Worker::threadMain(const std::function<void()>& body)
{
    m_threadId.store(std::this_thread::get_id());
    pthread_setname_np(pthread_self(), threadName(m_name).c_str());
    std::string failure;
    {
        WaitContextScope scope(WaitContext{&m_clock, nullptr, this});
        try {
            body();
        } catch (const WorkerStopped&) {
        } catch (const std::exception& e) {
            failure = e.what();
            if (failure.empty())
                failure = "unnamed exception";
        } catch (...) {
            failure = "unknown exception";
        }
    }
    ErrorHandler onError;
    {
        std::lock_guard lock(m_mutex);
        onError = m_onError;
    }
    if (!failure.empty() && onError) {
        try {
            onError(m_name + ": " + failure);
        } catch (...) {
            // The report itself failed; there is nobody left to tell.
        }
    }
    std::lock_guard lock(m_mutex);
    m_frozen.store(false);
    m_paused.store(false);
    m_running.store(false);
}

void Worker::pause()
{
    std::lock_guard lock(m_mutex);
    if (!m_running.load() || m_stop->load())
        return;
    m_paused.store(true);
    m_cv.notify_all();
}

void Worker::resume()
{
    std::lock_guard lock(m_mutex);
    m_paused.store(false);
    m_cv.notify_all();
}

void Worker::stop()
{
    std::lock_guard lock(m_mutex);
    m_stop->store(true);
    m_paused.store(false);
    m_cv.notify_all();
}

bool Worker::join()
{
    if (onOwnThread())
        return false;
    std::lock_guard threadLock(m_threadMutex);
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

std::function<bool()> Worker::stopQuery() const
{
    return [flag = m_stop] { return flag->load(); };
}

bool Worker::onOwnThread() const
{
    return m_running.load() && m_threadId.load() == std::this_thread::get_id();
}

void Worker::throwIfStoppedLocked()
{
    if (m_stop->load())
        throw WorkerStopped{};
}

void Worker::freezeLocked(std::unique_lock<std::mutex>& lock)
{
    m_frozen.store(true);
    m_cv.wait(lock, [this] { return !m_paused.load() || m_stop->load(); });
    m_frozen.store(false);
}

void Worker::waitFor(std::int64_t ms)
{
    if (!onOwnThread()) {
        if (ms > 0)
            m_clock.blockUntil(m_clock.deadlineAfter(ms));
        return;
    }
    std::unique_lock lock(m_mutex);
    Clock::Monotonic deadline = m_clock.deadlineAfter(ms);
    const auto interrupted = [this] { return m_stop->load() || m_paused.load(); };
    for (;;) {
        throwIfStoppedLocked();
        if (m_paused.load()) {
            // Keep what is left of the interval: after resume the worker goes on from where it froze.
            const bool endless = deadline == Clock::kNoDeadline;
            const auto rest = endless ? Clock::Monotonic::duration::zero() : deadline - m_clock.monotonic();
            freezeLocked(lock);
            throwIfStoppedLocked();
            if (!endless)
                deadline = m_clock.monotonic() + std::max(rest, Clock::Monotonic::duration::zero());
            continue;
        }
        if (deadline != Clock::kNoDeadline && m_clock.monotonic() >= deadline)
            return;
        m_clock.waitUntil(lock, m_cv, deadline, interrupted);
    }
}

void Worker::checkpoint()
{
    if (!onOwnThread())
        return;
    std::unique_lock lock(m_mutex);
    throwIfStoppedLocked();
    if (m_paused.load()) {
        freezeLocked(lock);
        throwIfStoppedLocked();
    }
}

Worker* Worker::current()
{
    return currentWaitContext().worker;
}

std::function<bool()> Worker::currentStopQuery()
{
    if (Worker* worker = current())
        return worker->stopQuery();
    return [] { return false; };
}

}  // namespace dealcast::platform
