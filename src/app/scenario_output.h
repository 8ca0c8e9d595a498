#pragma once

#include <mutex>
#include <ostream>
#include <string_view>

namespace dealcast::app {

// The one output of a scenario run. The interpreter, the dialogs and the run-log echo write to it from the UI
// thread and from workers alike; each line goes out whole and is flushed at once, so a reader following the
// output sees every line as it happens and lines of different threads never mix.
class ScenarioOutput {
public:
    // The stream outlives this object.
    explicit ScenarioOutput(std::ostream& out);
    ScenarioOutput(const ScenarioOutput&) = delete;
    ScenarioOutput& operator=(const ScenarioOutput&) = delete;

    // Writes `line` and a line break.
    void writeLine(std::string_view line);

private:
    std::mutex m_mutex;
    std::ostream& m_out;
};

}  // namespace dealcast::app
