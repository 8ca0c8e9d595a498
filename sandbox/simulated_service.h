#pragma once

#include <httplib.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dealcast::sandbox {

// How a simulated resource answers: as designed, with status 200 and no body, or with a server error.
enum class Outcome { Normal, Empty, Failure };

// One outside service of the program, simulated on loopback. The hub hands it every request that arrives
// under its host name and assigns that name to its roles in the hosts file it writes. Handlers run on the
// hub's server threads, so a service keeps its state behind a mutex.
class SimulatedService {
public:
    virtual ~SimulatedService() = default;

    // A DNS name under the reserved ".test" domain, such as "update.sandbox.test".
    virtual std::string hostName() const = 0;
    // The host roles that this service stands in for; the hosts file gives each the service's host name.
    virtual std::vector<std::string_view> roles() const = 0;
    // Roles whose value is not the host name itself (a domain suffix the service's host lies under).
    virtual std::vector<std::pair<std::string_view, std::string>> roleValues() const { return {}; }
    // Several services may share a host name; each request goes to the first one, in the order they were
    // added, that takes it.
    virtual bool handles(const httplib::Request&) const { return true; }
    virtual void handle(const httplib::Request& request, httplib::Response& response) = 0;
};

// Counts requests per path, for tests that check whether something was fetched (again).
class RequestLog {
public:
    void record(const std::string& path);
    int count(std::string_view path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, int, std::less<>> m_counts;
};

// Sets the answer an outcome other than Normal calls for; returns false when the caller is to answer itself.
bool answerOutcome(Outcome outcome, httplib::Response& response);

}  // namespace dealcast::sandbox
