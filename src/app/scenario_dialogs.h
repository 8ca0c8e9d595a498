#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::app {

class ScenarioOutput;

// Dialogs of a scenario run: every notice and question is printed as "[caption] text" and answered at once from
// the answers the scenario queued, so a run never blocks on a box. Workers show notices too, so it may be used
// from any thread.
//
// The front queued answer goes to the next box that offers it. A box that does not offer it (a notice with
// only OK while the scenario waits for the close question) takes its default and leaves the answer queued, so
// a notice from a worker that slips in first does not steal the answer meant for the question.
class ScenarioDialogs final : public platform::Dialogs {
public:
    // The output outlives the dialogs.
    explicit ScenarioDialogs(ScenarioOutput& output);

    // False, and nothing is queued, for a code that is not a button's (see platform::DialogResult).
    bool queueAnswer(int answer);
    // Answers still waiting for their box, front first.
    std::vector<int> pendingAnswers() const;
    void clearAnswers();

    // Paths for the next openFile() calls, in order; "" is a cancel, as is an empty queue.
    void queueFile(std::string path);

    // What a box answers with nothing queued for it: OK for a notice and Yes for a question where the box
    // offers it, else its first button.
    static int defaultAnswer(platform::DialogKind kind, platform::DialogButtons buttons);

    std::string openFile(std::string_view caption, std::string_view filter) override;

protected:
    int show(const platform::DialogRequest& request) override;

private:
    ScenarioOutput& m_output;
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::deque<std::string> m_files;
};

}  // namespace dealcast::app
