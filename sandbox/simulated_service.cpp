#include "sandbox/simulated_service.h"

namespace dealcast::sandbox {

void RequestLog::record(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    ++m_counts[path];
}

int RequestLog::count(std::string_view path) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(path);
    return it == m_counts.end() ? 0 : it->second;
}

bool answerOutcome(Outcome outcome, httplib::Response& response)
{
    switch (outcome) {
    case Outcome::Normal:
        return false;
    case Outcome::Empty:
        response.status = 200;
        response.set_content("", "text/plain");
        return true;
    case Outcome::Failure:
        response.status = 500;
        response.set_content("simulated failure", "text/plain");
        return true;
    }
    return false;
}

}  // namespace dealcast::sandbox
