#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

#include <functional>
#include <memory>
#include <set>

namespace dealcast::sandbox {

// The coupon-landing host with its coupon API over the catalog's coupons.
// - "/cp/coupon?activityId=..&itemId=.." answers the coupon: "retStatus" "0" with amount and end time for a
//   valid one, another status for an expired one; a coupon behind the script challenge first gets a page
//   with "String.fromCharCode" unless the request carries a live session.
// - A coupon-landing click link (any path ending in "edetail", "?e=<click code>&pid=..") sets a "ctoken"
//   cookie; "/cp/coupon?ctoken=..&e=..&pid=..&itemId=&af=1" with that cookie answers success with
//   "result.item.itemId".
class CouponService : public SimulatedService {
public:
    static constexpr std::string_view kApi = "/cp/coupon";
    static constexpr std::string_view kLandingSuffix = "edetail";

    using SessionCheck = std::function<bool(const httplib::Request&)>;

    // Without a session check any request that carries cookies passes the challenge.
    explicit CouponService(std::shared_ptr<MarketplaceCatalog> catalog, SessionCheck liveSession = {});

    std::string hostName() const override { return std::string(names::kCoupon); }
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // The coupon-landing click link of an item's coupon; "" when it has none.
    std::string clickLink(std::string_view itemId, std::string_view pid = "mm_123456_2233_4455") const;

    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }

private:
    void landing(const httplib::Request& request, httplib::Response& response);
    void coupon(const httplib::Request& request, httplib::Response& response) const;
    void clickCoupon(const httplib::Request& request, httplib::Response& response) const;

    std::shared_ptr<MarketplaceCatalog> m_catalog;
    SessionCheck m_liveSession;
    AnswerOverrides m_overrides;
    mutable std::mutex m_mutex;
    std::set<std::string, std::less<>> m_ctokens;
    int m_nextToken = 0;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
