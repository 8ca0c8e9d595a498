#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace dealcast::test {

// Dialogs that answer from a script and remember everything shown, for assertions on what the user was
// told and asked.
class ScriptedDialogs final : public platform::Dialogs {
public:
    struct Shown {
        platform::DialogKind kind = platform::DialogKind::Notice;
        std::string message;
        std::string caption;
        platform::DialogButtons buttons = platform::DialogButtons::Ok;
        platform::DialogIcon icon = platform::DialogIcon::None;
        int answer = 0;
        bool scripted = true;  // false: nothing was queued, the default answered
    };

    struct FileRequest {
        std::string caption;
        std::string filter;
        std::string answer;
    };

    // Answers for the next dialogs, in order.
    void queueAnswer(int answer);
    // Paths for the next openFile() calls, in order; "" is a cancel.
    void queueFile(std::string path);
    // What a dialog answers with nothing queued; unset (the default): the first button of its set.
    void setDefaultAnswer(std::optional<int> answer);

    std::vector<Shown> shown() const;
    std::vector<FileRequest> fileRequests() const;
    // Dialogs that found no queued answer.
    int unscriptedCount() const;
    int pendingAnswers() const;

    std::string openFile(std::string_view caption, std::string_view filter) override;

protected:
    int show(const platform::DialogRequest& request) override;

private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::deque<std::string> m_files;
    std::optional<int> m_default;
    std::vector<Shown> m_shown;
    std::vector<FileRequest> m_fileRequests;
};

}  // namespace dealcast::test
