#include "app/scenario_dialogs.h"

#include "app/scenario.h"
#include "app/scenario_output.h"

namespace dealcast::app {

using platform::DialogButtons;
using platform::DialogKind;
using platform::DialogResult;

ScenarioDialogs::ScenarioDialogs(ScenarioOutput& output)
    : m_output(output)
{
}

bool ScenarioDialogs::queueAnswer(int answer)
{
    if (answer < DialogResult::Ok || answer > DialogResult::No)
        return false;
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
    return true;
}

std::vector<int> ScenarioDialogs::pendingAnswers() const
{
    std::lock_guard lock(m_mutex);
    return {m_answers.begin(), m_answers.end()};
}

void ScenarioDialogs::clearAnswers()
{
    std::lock_guard lock(m_mutex);
    m_answers.clear();
}

void ScenarioDialogs::queueFile(std::string path)
{
    std::lock_guard lock(m_mutex);
    m_files.push_back(std::move(path));
}

int ScenarioDialogs::defaultAnswer(DialogKind kind, DialogButtons buttons)
{
    const int preferred = kind == DialogKind::Notice ? DialogResult::Ok : DialogResult::Yes;
    return platform::offers(buttons, preferred) ? preferred : platform::dialogAnswers(buttons).front();
}

int ScenarioDialogs::show(const platform::DialogRequest& request)
{
    // Answer and line in one step, so the printed order is the order in which boxes took their answers.
    std::lock_guard lock(m_mutex);
    int answer = defaultAnswer(request.kind, request.buttons);
    if (!m_answers.empty() && platform::offers(request.buttons, m_answers.front())) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_output.writeLine("[" + escapeScenarioText(request.caption) + "] " + escapeScenarioText(request.message));
    return answer;
}

std::string ScenarioDialogs::openFile(std::string_view caption, std::string_view filter)
{
    std::lock_guard lock(m_mutex);
    std::string path;
    if (!m_files.empty()) {
        path = std::move(m_files.front());
        m_files.pop_front();
    }
    m_output.writeLine("[" + escapeScenarioText(caption) + "] " + escapeScenarioText(filter));
    return path;
}

}  // namespace dealcast::app
