#pragma once

#include "sandbox/simulated_service.h"

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace dealcast::sandbox {

// Per-path answers a test forces on a service instead of its designed one: an outcome (empty, failure) or
// a fixed body (malformed, oversized). Safe from any thread.
class AnswerOverrides {
public:
    void setOutcome(std::string_view path, Outcome outcome);
    // Answers 200 with exactly these bytes until cleared.
    void setBody(std::string_view path, std::string body);
    void clear(std::string_view path);

    // True when an override answered the request for `path`.
    bool apply(std::string_view path, httplib::Response& response) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Outcome, std::less<>> m_outcomes;
    std::map<std::string, std::string, std::less<>> m_bodies;
};

}  // namespace dealcast::sandbox
