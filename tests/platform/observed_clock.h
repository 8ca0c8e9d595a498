#pragma once

#include "platform/clock.h"

#include <atomic>

namespace dealcast::platform::test {

// The real clock, telling when a thread has started to block on it, so a test can interrupt a wait that is
// really in progress instead of one that has not begun.
class ObservedRealClock final : public Clock {
public:
    WallTime now() const override { return systemClock().now(); }
    Monotonic monotonic() const override { return systemClock().monotonic(); }
    LocalTime localTime() const override { return systemClock().localTime(); }

    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Monotonic deadline,
                   const std::function<bool()>& wake) const override
    {
        if (!m_blocking.exchange(true))
            m_blocking.notify_all();
        return systemClock().waitUntil(lock, cv, deadline, wake);
    }

    void awaitBlocking() const { m_blocking.wait(false); }

private:
    mutable std::atomic<bool> m_blocking{false};
};

}  // namespace dealcast::platform::test
