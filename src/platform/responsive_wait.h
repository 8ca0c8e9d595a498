#pragma once

#include <cstdint>

namespace dealcast::platform {

class Clock;
class UiLoop;
class Worker;

// What a wait on this thread has to honour. Each thread has its own; the Worker and the UI loop install
// theirs on their own threads, from the clock and objects they were given, so code deep in the core waits
// correctly without being handed anything.
struct WaitContext {
    const Clock* clock = nullptr;
    UiLoop* loop = nullptr;    // set on the UI thread
    Worker* worker = nullptr;  // set on a worker's thread
};

// The calling thread's context (all empty on a thread nobody set up).
const WaitContext& currentWaitContext();

// Installs a context on the calling thread for the object's lifetime and restores the previous one after.
// Fields left empty are taken from the previous context, so a loop run inside a worker keeps the worker.
class WaitContextScope {
public:
    explicit WaitContextScope(const WaitContext& context);
    ~WaitContextScope();
    WaitContextScope(const WaitContextScope&) = delete;
    WaitContextScope& operator=(const WaitContextScope&) = delete;

private:
    WaitContext m_previous;
};

// Waits `ms` milliseconds in the way the calling thread allows:
// - on a worker's thread it honours the worker: a pause freezes it (the rest of the interval is kept for
//   after resume) and a stop ends the worker at once by unwinding its body;
// - on the UI thread it keeps running posted work, window events and timers until the time is up (it
//   returns early when the loop quits);
// - on any other thread it simply blocks on the context's clock, or on the system clock when the thread
//   has no context at all.
// A zero or negative `ms` waits for nothing but still does the rest: a worker stops or freezes here if
// asked to, and the UI thread handles what is already pending.
// Never call it from a destructor or from a callback that a C library calls: a stopped worker leaves the
// wait by unwinding.
void ResponsiveWait(std::int64_t ms);

// ResponsiveWait with a unit: 1 = milliseconds (also for any unknown unit), 2 = minutes, 3 = hours.
// A product too large to represent waits for ever (until a stop or quit ends it).
void wait(std::int64_t amount, int unit = 1);

}  // namespace dealcast::platform
