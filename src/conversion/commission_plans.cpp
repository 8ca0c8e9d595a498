#include "conversion/commission_plans.h"

#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "platform/dialogs.h"
#include "platform/window_model.h"
#include "sending/sending_controls.h"
#include "session/affiliate_client.h"
#include "web/hosts.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <algorithm>

namespace dealcast::conversion {
namespace {

constexpr char kPrivilegeData[] = "tbk_privilege_get_response.result.data.";
// The minimum commission rate when the box is missing.
constexpr char kDefaultMinimum[] = "10";

bool isEventOrGeneral(const CommissionPlan& plan)
{
    return plan.name == kEventPlan || plan.name == kGeneralPlan;
}

bool needsReview(const CommissionPlan& plan)
{
    return plan.manualReview == kReviewed;
}

std::string withoutBackslashes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\\')
            out.push_back(c);
    }
    return out;
}

// The privilege data of an answer: a plain document, one wrapped as a string in "response", or (for a
// wrapper that is not valid JSON) the text with its backslashes and wrapper cut off.
bool parsePrivilege(std::string_view answer, web::JsonReader& json)
{
    if (json.parse(answer)) {
        if (json.typeOf("response") != "string")
            return true;
        const std::string inner = json.getText("response");
        return json.parse(inner);
    }
    std::string text = withoutBackslashes(answer);
    constexpr std::string_view kWrapper = "{\"response\":\"";
    if (text.starts_with(kWrapper))
        text.erase(0, kWrapper.size());
    if (text.ends_with("\"}"))
        text.erase(text.size() - 2);
    return json.parse(text);
}

}  // namespace

std::string_view applyResultText(ApplyResult result)
{
    switch (result) {
    case ApplyResult::Applied:
        return "1";
    case ApplyResult::AlreadyApplied:
        return "-1";
    case ApplyResult::Failed:
        return "0";
    }
    return "0";
}

std::vector<CommissionPlan> sortPlans(std::vector<CommissionPlan> plans)
{
    std::stable_sort(plans.begin(), plans.end(), [](const CommissionPlan& a, const CommissionPlan& b) {
        return numberOf(a.rate) > numberOf(b.rate);
    });
    return plans;
}

PrivilegeLink readPrivilegeAnswer(std::string_view answer)
{
    web::JsonReader json;
    if (!parsePrivilege(answer, json))
        return {};
    const std::string data = kPrivilegeData;
    PrivilegeLink link{.clickUrl = json.getText(data + "coupon_click_url"),
                       .remainCount = json.getText(data + "coupon_remain_count")};
    // Some answers nest the link one level deeper.
    if (link.clickUrl.empty())
        link.clickUrl = json.getText(data + "category_id.coupon_click_url");
    return link;
}

void fillPlanList(platform::ListView& list, const std::vector<CommissionPlan>& plans, std::string_view priceAfterCoupon)
{
    const double price = numberOf(priceAfterCoupon);
    list.withRows([&](platform::ListView::Rows& rows) {
        rows.clear();
        for (std::size_t i = 0; i < plans.size(); ++i) {
            const CommissionPlan& plan = plans[i];
            rows.append({std::to_string(i + 1), plan.name, plan.rate + "%",
                         decimalText(numberOf(plan.rate) * price / 100, 1), plan.status, plan.manualReview});
        }
    });
}

CommissionPlans::CommissionPlans(const ConversionServices& services, platform::Dialogs& dialogs)
    : m_services(services)
    , m_dialogs(dialogs)
    , m_tokens(services)
    , m_unset(services.log)
{
}

bool CommissionPlans::ticked(std::string_view name) const
{
    const auto* box = m_services.window.find<platform::CheckBox>(name);
    return box && box->checked();
}

std::string CommissionPlans::boxText(std::string_view name) const
{
    const auto* box = m_services.window.find<platform::EditBox>(name);
    return box ? box->text() : std::string();
}

std::vector<CommissionPlan> CommissionPlans::queryPlans(std::string_view itemId, std::string_view specialCampaign,
                                                        std::string_view eventRate, std::string_view generalRate,
                                                        std::string_view shopNick)
{
    m_services.log.write("查询产品推广计划...");
    std::vector<CommissionPlan> plans;
    const session::AffiliateClient& affiliate = m_services.affiliate;
    const std::string id(itemId);
    if (specialCampaign == "1" && !affiliate.available())
        m_unset.report("queryPlans", web::role::kAffiliateHost, "定向计划查询");
    if (specialCampaign == "1" && affiliate.available()) {
        const std::string answer = affiliate.get(
            "/pubauc/getCommonCampaignByItemId.json?itemId=" + id + "&t=" + affiliate.stamp() +
            "&_tb_token_=" + affiliate.token() +
            "&pvid=" + session::AffiliateClient::pvid("10", m_services.values.publicIp(), "17049", affiliate.stamp()));
        web::JsonReader json;
        const bool read = usableAnswer(answer, "定向计划查询", m_services.log) && json.parse(answer);
        const std::size_t count = read ? json.count("data") : 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string at = "data[" + std::to_string(i) + "].";
            CommissionPlan plan{.itemId = id,
                                .name = json.getText(at + "CampaignName"),
                                .campaignId = json.getText(at + "CampaignID"),
                                .keeperId = json.getText(at + "ShopKeeperID"),
                                .rate = decimalText(json.getNumber(at + "commissionRate") - 0.5),
                                .manualReview = json.getText(at + "Properties")};
            // A campaign without an id can be neither applied for nor linked.
            if (plan.campaignId.empty())
                continue;
            if (json.getText(at + "ExistStatus") == "1") {
                plan.status = kUnderReview;
            } else if (json.getText(at + "Exist") == "0") {
                plan.status = kNotApplied;
            } else {
                plan.status = kApproved;
                const std::string joined = affiliate.get(
                    "/campaign/joinedCampaigns.json?toPage=1&status=2&nickname=" + web::urlEncode(shopNick) +
                    "&perPageSize=40&t=" + affiliate.stamp() + "&pvid=&_tb_token_=" + affiliate.token() +
                    "&_input_charset=utf-8");
                web::JsonReader joinedJson;
                const std::string campaign =
                    usableAnswer(joined, "已加入计划查询", m_services.log) && joinedJson.parse(joined)
                        ? joinedJson.getText("data.pagelist[0].id")
                        : std::string();
                if (!campaign.empty() &&
                    session::AffiliateClient::succeeded(affiliate.post(
                        "/campaign/exitCampaign.json?", "pubCampaignid=" + campaign + "&t=" + affiliate.stamp() +
                                                            "&pvid=&_tb_token_=" + affiliate.token())))
                    plan.status = kNotApplied;
            }
            plans.push_back(std::move(plan));
        }
    }
    if (!eventRate.empty()) {
        plans.push_back({.itemId = id,
                         .name = kEventPlan,
                         .campaignId = kEventCampaign,
                         .rate = std::string(eventRate),
                         .manualReview = kNotReviewed});
    }
    plans.push_back({.itemId = id,
                     .name = kGeneralPlan,
                     .campaignId = kGeneralCampaign,
                     .rate = std::string(generalRate),
                     .manualReview = kNotReviewed});
    return plans;
}

ApplyResult CommissionPlans::applyForPlan(std::string_view campaignId, std::string_view keeperId,
                                          std::string_view itemId)
{
    m_services.log.write("申请定向计划...");
    const session::AffiliateClient& affiliate = m_services.affiliate;
    if (!affiliate.available()) {
        m_unset.report("applyForPlan", web::role::kAffiliateHost, "申请定向计划");
    } else {
        const std::string reason = boxText(controls::kApplyReason);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string body =
                "campId=" + std::string(campaignId) + "&keeperid=" + std::string(keeperId) +
                "&applyreason=" + web::urlEncode(reason) + "&t=" + affiliate.stamp() +
                "&_tb_token_=" + affiliate.token() +
                "&pvid=" + session::AffiliateClient::pvid("10", m_services.values.publicIp(), "427", affiliate.stamp());
            const std::string referer =
                "Referer: " +
                affiliate.url("/promo/search/index.htm?q=" + web::urlEncode(itemId) + "&_t=" + affiliate.stamp());
            const std::string answer = affiliate
                                           .request({.url = affiliate.url("/pubauc/applyForCommonCampaign.json"),
                                                     .method = web::HttpMethod::Post,
                                                     .body = body,
                                                     .headers = referer})
                                           .text;
            if (session::AffiliateClient::succeeded(answer)) {
                m_services.log.write("申请定向计划成功！");
                return ApplyResult::Applied;
            }
            if (answer.find("已经申请过") != std::string::npos) {
                m_services.log.write("此定向计划已经申请过，等待商家审核！");
                return ApplyResult::AlreadyApplied;
            }
        }
    }
    m_services.log.write("申请定向计划失败，请检查登录状态！");
    return ApplyResult::Failed;
}

void CommissionPlans::markPlans(std::vector<CommissionPlan>& plans, std::string_view itemId, bool couponFlag)
{
    const bool applyReviewed = ticked(controls::kApplyReviewedPlans);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        CommissionPlan& plan = plans[i];
        // Only the best plan is worth a manual review.
        if (i == 0 && applyReviewed && needsReview(plan) &&
            applyForPlan(plan.campaignId, plan.keeperId, itemId) == ApplyResult::Applied) {
            plan.status = kApproved;
            return;
        }
        if (needsReview(plan))
            continue;
        if (isEventOrGeneral(plan) || couponFlag) {
            plan.status = kApproved;
            return;
        }
    }
}

LinkResult CommissionPlans::chooseAndLink(const std::vector<CommissionPlan>& sorted, const LinkRequest& request)
{
    LinkResult result;
    if (!sorted.empty() && ticked(controls::kApplyReviewedPlans) && needsReview(sorted.front()))
        applyForPlan(sorted.front().campaignId, sorted.front().keeperId, request.itemId);

    const bool minimumApplies = request.sending && ticked(sending::controls::kConditionsOn);
    const auto* minimumBox = m_services.window.find<platform::EditBox>(sending::controls::kMinCommission);
    const double minimum = numberOf(minimumBox ? minimumBox->text() : kDefaultMinimum);

    for (const CommissionPlan& plan : sorted) {
        if (needsReview(plan))
            continue;
        const bool shop = !isEventOrGeneral(plan);
        if (shop) {
            if (!request.activity)
                continue;
            if (plan.status == kNotApplied &&
                applyForPlan(plan.campaignId, plan.keeperId, request.itemId) != ApplyResult::Applied)
                continue;
        }
        if (minimumApplies && minimum - numberOf(plan.rate) > kTolerance) {
            if (!shop)
                break;
            m_services.log.write(kBelowMinimumMessage);
            continue;
        }
        result.planMet = true;
        result.planKind = shop ? PlanKind::Shop : plan.name == kEventPlan ? PlanKind::Event : PlanKind::General;
        makeLinks(request, result);
        return result;
    }
    m_services.log.write(kBelowMinimumMessage);
    return result;
}

void CommissionPlans::makeLinks(const LinkRequest& request, LinkResult& result)
{
    m_services.log.write("取淘口令...");
    slots::PidChoice pid = request.wechatPid;
    if (!request.sending) {
        if (const auto manual = slots::parseManualPid(boxText(controls::kManualPid)))
            pid = *manual;
    }
    const std::string itemLink =
        m_services.hosts.url(web::role::kMarketItemHost, "/item.htm?id=" + request.itemId, true);
    result.wechatItemLink = itemLink;
    result.qqItemLink = itemLink;

    const PrivilegeLink privilege = getPrivilegeLink(request.itemId, pid.slotId, pid.siteId);
    if (privilege.sessionInvalid) {
        // Without the authorization every further link request would be refused the same way.
        result.sessionInvalid = true;
        return;
    }
    if (request.activityId.empty() && privilege.remainCount.empty()) {
        const PromotionLinks links = m_tokens.convertPromotionUrl(pid.siteId, pid.slotId, itemLink + kLinkSource);
        result.shareToken = links.shareToken;
        result.shortLink = links.shortLink;
    } else if (!privilege.clickUrl.empty()) {
        std::string url = privilege.clickUrl;
        if (!request.activityId.empty())
            url += "&activityId=" + request.activityId;
        url += kLinkSource;
        result.shareToken = m_tokens.createShareToken(request.title, url);
        if (result.shareToken.empty())
            result.shareToken = m_tokens.createShareToken(request.title, url);
        result.shortLink = m_tokens.createSpreadLink(url);
        if (result.shortLink.empty())
            result.shortLink = m_tokens.createSpreadLink(url);
    }
    if (!request.superShortQuery.empty()) {
        result.superShortLink = m_tokens.createSuperShortLink(
            request.superShortQuery + "&taopass=" + result.shareToken + "&taourl=" + result.shortLink);
    }
    m_services.log.write("淘口令：" + result.shareToken + " | 唤醒链接：" + result.superShortLink + " | 二合一短链：" +
                         result.shortLink);
}

PrivilegeLink CommissionPlans::getPrivilegeLink(std::string_view itemId, std::string_view slotId,
                                                std::string_view siteId)
{
    web::JsonReader parameter;
    parameter.set("itemId", itemId);
    parameter.set("adzoneId", slotId);
    parameter.set("siteId", siteId);
    parameter.set("me", "");
    const std::string accessToken = m_services.accessToken ? m_services.accessToken() : std::string();

    PrivilegeLink link;
    for (int attempt = 0; attempt < 2 && link.clickUrl.empty(); ++attempt) {
        const std::string answer = m_tokens.proxyCall(kPrivilegeMethod, parameter.toText(), accessToken);
        if (answer.find("Invalid session") != std::string::npos) {
            m_dialogs.notice(kInvalidSessionMessage);
            return {.sessionInvalid = true};
        }
        link = readPrivilegeAnswer(answer);
        if (!m_services.hosts.isSet(web::role::kTokenProxyHost))
            break;
    }
    return link;
}

void CommissionPlans::showPlans(const std::vector<CommissionPlan>& plans, std::string_view priceAfterCoupon)
{
    if (auto* list = m_services.window.find<platform::ListView>(controls::kPlanList))
        fillPlanList(*list, plans, priceAfterCoupon);
}

}  // namespace dealcast::conversion
