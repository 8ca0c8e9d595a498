#pragma once

#include "conversion/token_services.h"
#include "slots/pid_choice.h"

#include <string>
#include <string_view>
#include <vector>

namespace dealcast::platform {
class Dialogs;
class ListView;
}  // namespace dealcast::platform

namespace dealcast::conversion {

struct ConversionServices;

// One plan under which an item can be promoted.
struct CommissionPlan {
    std::string itemId{};
    std::string name{};  // kGeneralPlan, kEventPlan or the shop's campaign name
    std::string campaignId{};
    std::string keeperId{};      // the shop keeper's id; empty for the general and event plans
    std::string rate{};          // percent
    std::string manualReview{};  // kReviewed or kNotReviewed
    std::string status{};        // kApproved, kNotApplied, kUnderReview; empty until marked
    bool operator==(const CommissionPlan&) const = default;
};

inline constexpr char kGeneralPlan[] = "通用计划";
inline constexpr char kEventPlan[] = "鹊桥计划";
inline constexpr char kGeneralCampaign[] = "0000";
inline constexpr char kEventCampaign[] = "8888";
inline constexpr char kApproved[] = "已通过";
inline constexpr char kNotApplied[] = "未申请";
inline constexpr char kUnderReview[] = "审核中";
inline constexpr char kReviewed[] = "是";
inline constexpr char kNotReviewed[] = "否";

inline constexpr char kBelowMinimumMessage[] = "佣金低于操作群发条件，已跳过！【群发条件设置】";
inline constexpr char kInvalidSessionMessage[] = "授权失效，请点击登录按钮下面的授权按钮，否则导致部分功能无法使用！！";
// Marks every commission link made by this program.
inline constexpr char kLinkSource[] = "&src=hlan_dadaze";

enum class ApplyResult { Applied, AlreadyApplied, Failed };
// "1", "-1", "0".
std::string_view applyResultText(ApplyResult result);

enum class PlanKind { General = 0, Shop = 1, Event = 2 };

struct PrivilegeLink {
    std::string clickUrl{};
    std::string remainCount{};  // coupons left
    // The proxy refused the access token: the user was told, and sending has to stop.
    bool sessionInvalid = false;
};

// What a link request needs beyond the plans.
struct LinkRequest {
    std::string itemId{};
    std::string activityId{};
    std::string price{};
    std::string title{};
    // The landing-page query of the super short link; empty when no template uses it.
    std::string superShortQuery{};
    // The coupon is valid: shop campaigns may be used.
    bool activity = false;
    // Called by the sending loop: the sending conditions (the commission minimum) apply; otherwise a manual
    // conversion, which uses the PID typed in the manual area when there is one.
    bool sending = false;
    slots::PidChoice wechatPid{};
    // The QQ message carries only the item link, which is the same for both slots; the token and short
    // links made for the WeChat slot serve both messages.
    slots::PidChoice qqPid{};
};

struct LinkResult {
    // False: no plan met the commission minimum (or none could be used at all).
    bool planMet = false;
    PlanKind planKind = PlanKind::General;
    // The open-platform authorization was refused; the caller stops sending.
    bool sessionInvalid = false;
    std::string wechatItemLink{};
    std::string qqItemLink{};
    std::string superShortLink{};
    std::string shareToken{};
    std::string shortLink{};  // the two-in-one short link
};

// Plans as sorted for use: by rate as a number, highest first; equal rates keep their order.
std::vector<CommissionPlan> sortPlans(std::vector<CommissionPlan> plans);
// The click URL and coupons left of a privilege answer, plain or wrapped in {"response":"..."} with escapes.
PrivilegeLink readPrivilegeAnswer(std::string_view answer);
// Refills the plan list: row number, name, rate + "%", estimated commission (rate x price after coupon / 100,
// one decimal), status, manual review.
void fillPlanList(platform::ListView& list, const std::vector<CommissionPlan>& plans,
                  std::string_view priceAfterCoupon);

// The commission plans of an item and the commission links of the chosen one. Reads the user's choices from
// the main window's controls when it runs; each call is synchronous on the caller's thread.
class CommissionPlans {
public:
    CommissionPlans(const ConversionServices& services, platform::Dialogs& dialogs);

    // The shop's campaigns (asked only when `specialCampaign` is "1"), then the event plan when there is an
    // event rate, then the general plan. A joined campaign of the shop is left, so that it lists as not
    // applied for.
    std::vector<CommissionPlan> queryPlans(std::string_view itemId, std::string_view specialCampaign,
                                           std::string_view eventRate, std::string_view generalRate,
                                           std::string_view shopNick);
    // Applies with the reason of the main window; a failed answer is retried once.
    ApplyResult applyForPlan(std::string_view campaignId, std::string_view keeperId, std::string_view itemId);
    // The manual-mode status pass over sorted plans: marks the first usable plan approved.
    void markPlans(std::vector<CommissionPlan>& plans, std::string_view itemId, bool couponFlag);
    // Takes the first usable plan of the sorted list that meets the commission minimum and makes its links.
    LinkResult chooseAndLink(const std::vector<CommissionPlan>& sorted, const LinkRequest& request);
    // The commission click link for one slot through the token proxy, with the open-platform access token.
    PrivilegeLink getPrivilegeLink(std::string_view itemId, std::string_view slotId, std::string_view siteId);
    // fillPlanList on the main window's plan list.
    void showPlans(const std::vector<CommissionPlan>& plans, std::string_view priceAfterCoupon);

    TokenServices& tokens() { return m_tokens; }

private:
    void makeLinks(const LinkRequest& request, LinkResult& result);
    bool ticked(std::string_view name) const;
    std::string boxText(std::string_view name) const;

    const ConversionServices& m_services;
    platform::Dialogs& m_dialogs;
    TokenServices m_tokens;
    UnsetNotice m_unset;
};

}  // namespace dealcast::conversion
