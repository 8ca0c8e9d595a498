#include "support/scripted_dialogs.h"

#include <algorithm>

namespace dealcast::test {

void ScriptedDialogs::queueAnswer(int answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void ScriptedDialogs::queueFile(std::string path)
{
    std::lock_guard lock(m_mutex);
    m_files.push_back(std::move(path));
}

void ScriptedDialogs::setDefaultAnswer(std::optional<int> answer)
{
    std::lock_guard lock(m_mutex);
    m_default = answer;
}

std::vector<ScriptedDialogs::Shown> ScriptedDialogs::shown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

std::vector<ScriptedDialogs::FileRequest> ScriptedDialogs::fileRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_fileRequests;
}

int ScriptedDialogs::unscriptedCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_shown.begin(), m_shown.end(), [](const Shown& s) { return !s.scripted; }));
}

int ScriptedDialogs::pendingAnswers() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_answers.size());
}

int ScriptedDialogs::show(const platform::DialogRequest& request)
{
    std::lock_guard lock(m_mutex);
    Shown shown{request.kind, request.message, request.caption, request.buttons, request.icon, 0, true};
    if (!m_answers.empty()) {
        shown.answer = m_answers.front();
        m_answers.pop_front();
    } else {
        shown.scripted = false;
        shown.answer = m_default.value_or(platform::dialogAnswers(request.buttons).front());
    }
    m_shown.push_back(shown);
    return shown.answer;
}

std::string ScriptedDialogs::openFile(std::string_view caption, std::string_view filter)
{
    std::lock_guard lock(m_mutex);
    std::string answer;
    if (!m_files.empty()) {
        answer = std::move(m_files.front());
        m_files.pop_front();
    }
    m_fileRequests.push_back({std::string(caption), std::string(filter), answer});
    return answer;
}

}  // namespace dealcast::test
