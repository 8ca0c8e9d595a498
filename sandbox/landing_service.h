#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

namespace dealcast::sandbox {

// The landing page behind super short links: "/v.php?title=..&couponprice=..&originalprice=..&describe=..
// &coupon=..&sold=..&pic=..&taopass=..&taourl=.." shows the product with its share token and link.
class LandingService : public SimulatedService {
public:
    static constexpr std::string_view kPage = "/v.php";

    std::string hostName() const override { return std::string(names::kLanding); }
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }

private:
    AnswerOverrides m_overrides;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
