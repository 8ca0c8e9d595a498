#include "platform/console_dialogs.h"

namespace dealcast::platform {
namespace {

// A message may hold line breaks; the log keeps one line per dialog.
std::string oneLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            out += "\\n";
        else
            out += text[i];
    }
    return out;
}

std::string buttonList(DialogButtons buttons)
{
    std::string out;
    for (int answer : dialogAnswers(buttons)) {
        if (!out.empty())
            out += '/';
        out += answerName(answer);
    }
    return out;
}

}  // namespace

ConsoleDialogs::ConsoleDialogs(std::ostream& out)
    : m_out(out)
{
}

bool ConsoleDialogs::setAnswer(DialogButtons buttons, int answer)
{
    if (!offers(buttons, answer))
        return false;
    std::lock_guard lock(m_mutex);
    m_answers[buttons] = answer;
    return true;
}

void ConsoleDialogs::setOpenFileAnswer(std::string path)
{
    std::lock_guard lock(m_mutex);
    m_openFileAnswer = std::move(path);
}

int ConsoleDialogs::show(const DialogRequest& request)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_answers.find(request.buttons);
    const int answer = it != m_answers.end() ? it->second : dialogAnswers(request.buttons).front();
    m_out << (request.kind == DialogKind::Notice ? "notice" : "question") << " [" << oneLine(request.caption) << "] "
          << oneLine(request.message) << " (" << buttonList(request.buttons) << ") -> " << answerName(answer) << '\n'
          << std::flush;
    return answer;
}

std::string ConsoleDialogs::openFile(std::string_view caption, std::string_view filter)
{
    std::lock_guard lock(m_mutex);
    m_out << "open-file [" << oneLine(caption) << "] " << oneLine(filter) << " -> "
          << (m_openFileAnswer.empty() ? "(cancelled)" : m_openFileAnswer) << '\n'
          << std::flush;
    return m_openFileAnswer;
}

}  // namespace dealcast::platform
