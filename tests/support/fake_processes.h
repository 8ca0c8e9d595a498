#pragma once

#include "platform/processes.h"

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace dealcast::test {

// Records what the program starts instead of starting it, and answers process and window questions from
// what the test declared.
class FakeProcesses final : public platform::Processes {
public:
    bool start(const std::filesystem::path& program, const std::vector<std::string>& arguments = {}) override
    {
        std::lock_guard lock(m_mutex);
        m_started.push_back({program.string(), arguments});
        return m_startSucceeds;
    }
    bool isRunning(std::string_view name) const override
    {
        std::lock_guard lock(m_mutex);
        return m_running.count(std::string(name)) > 0;
    }
    bool hasTopLevelWindow(std::string_view windowClass, std::string_view title) const override
    {
        std::lock_guard lock(m_mutex);
        return m_windows.count({std::string(windowClass), std::string(title)}) > 0;
    }

    void setStartSucceeds(bool ok) { m_startSucceeds = ok; }
    void addRunning(std::string name) { m_running.insert(std::move(name)); }
    void addWindow(std::string windowClass, std::string title) { m_windows.insert({std::move(windowClass), std::move(title)}); }
    std::vector<std::pair<std::string, std::vector<std::string>>> started() const
    {
        std::lock_guard lock(m_mutex);
        return m_started;
    }

private:
    mutable std::mutex m_mutex;
    bool m_startSucceeds = true;
    std::set<std::string> m_running;
    std::set<std::pair<std::string, std::string>> m_windows;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_started;
};

}  // namespace dealcast::test
