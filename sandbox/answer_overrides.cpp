#include "sandbox/answer_overrides.h"

namespace dealcast::sandbox {

void AnswerOverrides::setOutcome(std::string_view path, Outcome outcome)
{
    std::lock_guard lock(m_mutex);
    m_outcomes[std::string(path)] = outcome;
}

void AnswerOverrides::setBody(std::string_view path, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_bodies[std::string(path)] = std::move(body);
}

void AnswerOverrides::clear(std::string_view path)
{
    std::lock_guard lock(m_mutex);
    m_outcomes.erase(std::string(path));
    m_bodies.erase(std::string(path));
}

bool AnswerOverrides::apply(std::string_view path, httplib::Response& response) const
{
    std::lock_guard lock(m_mutex);
    if (const auto body = m_bodies.find(path); body != m_bodies.end()) {
        response.status = 200;
        response.set_content(body->second, "text/plain; charset=utf-8");
        return true;
    }
    const auto outcome = m_outcomes.find(path);
    return outcome != m_outcomes.end() && answerOutcome(outcome->second, response);
}

}  // namespace dealcast::sandbox
