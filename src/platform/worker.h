#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace dealcast::platform {

class Clock;

// A thread of its own for one long piece of work (a login, a collection, the sending loop) that the UI
// can pause, resume and stop at any point.
//
// The body cooperates without knowing it: every ResponsiveWait on the worker's thread is a point where a
// pause freezes it and a stop ends it. A stop unwinds the body from the wait it sits in (destructors run,
// so whatever the body holds is released) by an exception of the worker's own that only the thread entry
// catches; a body that swallows everything with catch (...) is stopped again at its next wait. Any other
// exception that escapes the body is reported to the error handler and ends the worker, never the process.
class Worker {
public:
    using ErrorHandler = std::function<void(const std::string& message)>;

    Worker(const Clock& clock, std::string name);
    // Stops the worker and waits for its thread. Never destroy a worker from its own thread.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Called on the worker's thread with the text of an exception that escaped the body. Set before start().
    void setErrorHandler(ErrorHandler handler);

    // Runs `body` on a new thread. False, and nothing happens, while a previous body is still running
    // (also while a stopped one is still unwinding).
    bool start(std::function<void()> body);

    // Freezes the worker at its next wait or checkpoint, or at once when it is waiting now. No effect
    // when the worker is not running.
    void pause();
    // Lets a paused worker go on from where it froze.
    void resume();
    // Ends the worker promptly wherever it is: a wait in progress or a freeze is woken and the body
    // unwinds. Does not wait for the thread; join() does.
    void stop();
    // Waits until the thread has ended. False, without waiting, on the worker's own thread.
    bool join();

    bool isRunning() const { return m_running.load(); }
    // A pause was asked for and not yet lifted (the worker may not have reached a wait yet).
    bool isPaused() const { return m_paused.load(); }
    // The worker's thread is sitting frozen in a wait or checkpoint.
    bool isFrozen() const { return m_frozen.load(); }
    bool stopRequested() const { return m_stop->load(); }
    // A cheap query for code that polls from inside a blocking call (a download's progress callback).
    // It stays valid after the worker is gone, and then answers true.
    std::function<bool()> stopQuery() const;

    const std::string& name() const { return m_name; }
    const Clock& clock() const { return m_clock; }

    // Worker's own thread only (elsewhere: a plain wait on the clock, and no checkpoint).
    void waitFor(std::int64_t ms);
    void checkpoint();

    // The worker whose thread calls this, or nullptr.
    static Worker* current();
    // current()'s stopQuery(), or a query that always answers false on a thread that is not a worker's.
    static std::function<bool()> currentStopQuery();

private:
    void threadMain(const std::function<void()>& body);
    bool onOwnThread() const;
    void throwIfStoppedLocked();
    void freezeLocked(std::unique_lock<std::mutex>& lock);

    const Clock& m_clock;
    const std::string m_name;
    ErrorHandler m_onError;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_frozen{false};
    std::atomic<bool> m_running{false};

    std::mutex m_threadMutex;  // start() and join() on different threads
    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
};

}  // namespace dealcast::platform
