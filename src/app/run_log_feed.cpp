#include "app/run_log_feed.h"

#include "app/scenario_output.h"
#include "platform/edit_box.h"
#include "platform/window_model.h"

#include <map>
#include <mutex>
#include <string>

namespace dealcast::app {

struct RunLogFeed::State {
    struct Held {
        platform::ChangeKind kind;
        std::string text;
    };

    const platform::Control* box = nullptr;
    LineHandler onLine;
    std::mutex mutex;
    bool closed = false;
    std::uint64_t taken = 0;  // revision of the last change taken in
    // Notifications of two writers may overtake each other; the later one waits here for the earlier. Every
    // revision of a control is published, so each gap fills; a writer held up between its change and its
    // notification (preempted on a busy machine) can leave many waiting, and none may be dropped.
    std::map<std::uint64_t, Held> held;
    std::string partial;  // the unfinished last line

    void changed(const platform::Change& change)
    {
        if (change.control != box)
            return;
        std::lock_guard lock(mutex);
        if (closed || change.revision <= taken)
            return;
        if (change.revision != taken + 1) {
            held.emplace(
                change.revision,
                Held{change.kind, change.kind == platform::ChangeKind::Appended ? change.text : std::string()});
        } else {
            apply(change.kind, change.text);
            taken = change.revision;
        }
        for (auto it = held.begin(); it != held.end() && it->first == taken + 1; it = held.erase(it)) {
            apply(it->second.kind, it->second.text);
            taken = it->first;
        }
    }

    void apply(platform::ChangeKind kind, std::string_view text)
    {
        if (kind == platform::ChangeKind::Text) {
            partial.clear();
            return;
        }
        if (kind != platform::ChangeKind::Appended)
            return;
        std::size_t from = 0;
        for (std::size_t nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', from)) {
            std::string_view piece = text.substr(from, nl - from);
            from = nl + 1;
            std::string_view line = piece;
            if (!partial.empty()) {
                partial.append(piece);
                line = partial;
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            onLine(line);
            partial.clear();
        }
        partial.append(text.substr(from));
    }
};

RunLogFeed::RunLogFeed(platform::WindowModel& model, const platform::EditBox& box, LineHandler onLine)
    : m_model(model)
    , m_state(std::make_shared<State>())
{
    m_state->box = &box;
    m_state->onLine = std::move(onLine);
    // Held while subscribing: a change that arrives at once waits until the starting revision is known.
    std::lock_guard lock(m_state->mutex);
    m_subscription = model.subscribe([state = m_state](const platform::Change& change) { state->changed(change); });
    m_state->taken = box.revision();
}

RunLogFeed::RunLogFeed(platform::WindowModel& model, const platform::EditBox& box, ScenarioOutput& output)
    : RunLogFeed(model, box, [&output](std::string_view line) { output.writeLine(line); })
{
}

RunLogFeed::~RunLogFeed()
{
    m_model.unsubscribe(m_subscription);
    // A notification already under way finishes its handler call before this lock is had, and sees `closed`.
    std::lock_guard lock(m_state->mutex);
    m_state->closed = true;
}

}  // namespace dealcast::app
