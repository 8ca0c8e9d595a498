#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::sandbox {

// How the coupon API treats an item's shop coupon.
enum class CouponState {
    Valid,
    Invalid,    // expired or used up: a non-zero "retStatus"
    Challenge,  // a script challenge first; a visitor with a live session gets through
};

struct CatalogCoupon {
    std::string activityId{};
    std::string amount{};
    std::string endTime{};
    CouponState state = CouponState::Valid;
    // The "e" code of the coupon-landing click link that leads to this coupon.
    std::string clickCode{};
    int remaining = 100;
};

// How the platform answers an application for a shop campaign.
enum class ApplyAnswer { Approve, AlreadyApplied, Refuse };

// A shop campaign ("定向计划") offered for an item.
struct CatalogPlan {
    std::string campaignId{};
    std::string name{};
    std::string keeperId{};
    std::string commissionRate{};  // as the platform lists it, before the program's 0.5 deduction
    bool manualReview = false;
    // "Exist": the marketer has joined it; "ExistStatus": an application waits for review.
    bool joined = false;
    bool underReview = false;
    ApplyAnswer applyAnswer = ApplyAnswer::Approve;
};

// The item page's shop-score layout: the newer one with the "tb-rate-higher" mark, or the older one.
enum class ScoreLayout { Newer, Older };

struct CatalogItem {
    std::string id{};
    std::string title{};
    std::string price{};
    std::string sales{};
    std::string couponAmount{};  // what the search lists; may differ from the coupon API
    std::string rate{};          // general commission rate
    std::string commissionFee{};
    std::string sellerId{};
    bool mall = false;  // user type 1, item page on the mall host
    std::string nick{};
    std::string eventRate{};
    std::string dayLeft{};
    bool freeShipping = true;
    bool picture = true;
    ScoreLayout layout = ScoreLayout::Newer;
    std::string scores[2] = {"4.8", "4.9"};
    std::optional<CatalogCoupon> coupon{};
    std::vector<CatalogPlan> plans{};
};

// The simulated marketplace's goods, shared by the services that stand in for its search, coupon API, item
// pages, link conversion and token proxy, and the book of short links every simulated shortener fills and
// redirects from. Seeded with a handful of items that together show every case the program tells apart.
// Safe from any thread; readers get copies.
class MarketplaceCatalog {
public:
    MarketplaceCatalog();

    std::optional<CatalogItem> item(std::string_view id) const;
    std::vector<CatalogItem> items() const;
    // Adds the item or replaces the one with its id.
    void put(CatalogItem item);
    // The item whose coupon has this click code.
    std::optional<CatalogItem> itemByClickCode(std::string_view code) const;
    // Changes one campaign of an item; false when there is none.
    bool updatePlan(std::string_view itemId, std::string_view campaignId, const CatalogPlan& plan);

    // A short link on `host` that redirects to `target`; the same target on the same host keeps its link.
    std::string shortLink(std::string_view host, std::string_view target);
    // The target of a code made by shortLink() on that host; empty when unknown.
    std::string shortTarget(std::string_view host, std::string_view code) const;

    // A share token for an address, framed by "￥": stable for the same address.
    static std::string shareToken(std::string_view seed);
    // The commission click link of an item for a slot, on the click host.
    static std::string clickUrl(std::string_view itemId, std::string_view slotId);

    // The seeded items, by the case they show.
    static constexpr std::string_view kCouponItem = "600000000001";     // valid coupon, shop campaigns
    static constexpr std::string_view kMallEventItem = "600000000002";  // mall, event plan, coupon click link
    static constexpr std::string_view kExpiredCouponItem = "600000000003";
    static constexpr std::string_view kChallengeItem = "600000000004";  // script challenge, joined campaign
    static constexpr std::string_view kEqualRatesItem = "600000000005";
    static constexpr std::string_view kPlainItem = "600000000006";  // no coupon, no campaigns, no free shipping

private:
    mutable std::mutex m_mutex;
    std::map<std::string, CatalogItem, std::less<>> m_items;
    std::map<std::string, std::string, std::less<>> m_shortTargets;  // host + "/" + code -> target
    std::map<std::string, std::string, std::less<>> m_shortCodes;    // host + " " + target -> code
    int m_nextCode = 0;
};

}  // namespace dealcast::sandbox
