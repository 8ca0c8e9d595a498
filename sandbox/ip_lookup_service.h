#pragma once

#include "sandbox/simulated_service.h"

#include <mutex>

namespace dealcast::sandbox {

// The public-IP lookup: "/cityjson" answers a script line in GBK naming the caller's address and place.
class IpLookupService : public SimulatedService {
public:
    static constexpr std::string_view kHostName = "ip.sandbox.test";
    static constexpr std::string_view kPath = "/cityjson";

    std::string hostName() const override { return std::string(kHostName); }
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    void setAddress(std::string address);
    // Program text (UTF-8); sent as GBK.
    void setPlace(std::string place);
    void setOutcome(Outcome outcome);
    int requestCount() const { return m_log.count(kPath); }

    // The answer body as program text, for the current settings.
    std::string answerText() const;

private:
    mutable std::mutex m_mutex;
    std::string m_address = "203.0.113.7";
    std::string m_place = "北京市";
    Outcome m_outcome = Outcome::Normal;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
