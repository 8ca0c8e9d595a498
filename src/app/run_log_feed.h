#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace dealcast::platform {
class EditBox;
class WindowModel;
}  // namespace dealcast::platform

namespace dealcast::app {

class ScenarioOutput;

// Follows the run-log box as it grows and hands over each complete line written to it from now on, in the
// order the box took them, without its line break. Text already in the box (its initial "*", lines written
// earlier) is not handed over. Appends from any thread are followed from the box's change notifications, so
// nothing polls or copies the whole log; when the box's text is replaced as a whole, an unfinished line is
// dropped and following starts afresh.
class RunLogFeed {
public:
    // Called on the writing thread, one line at a time and in order; it must not write to the box itself.
    using LineHandler = std::function<void(std::string_view line)>;

    // The model and its box outlive the feed.
    RunLogFeed(platform::WindowModel& model, const platform::EditBox& box, LineHandler onLine);
    // The echo of a headless run: every line goes to `output` as it is written.
    RunLogFeed(platform::WindowModel& model, const platform::EditBox& box, ScenarioOutput& output);
    // No handler call is under way or begins once this returns.
    ~RunLogFeed();
    RunLogFeed(const RunLogFeed&) = delete;
    RunLogFeed& operator=(const RunLogFeed&) = delete;

private:
    struct State;
    platform::WindowModel& m_model;
    std::shared_ptr<State> m_state;
    std::uint64_t m_subscription = 0;
};

}  // namespace dealcast::app
