#include "sandbox/affiliate_item_service.h"

#include "web/hosts.h"

#include <nlohmann/json.hpp>

namespace dealcast::sandbox {
namespace {

using json = nlohmann::ordered_json;

void answerJson(httplib::Response& response, const json& body)
{
    response.status = 200;
    response.set_content(body.dump(), "application/json;charset=UTF-8");
}

void answerLoggedOut(httplib::Response& response)
{
    response.status = 200;
    response.set_content("<html><head><title>登录</title></head><body>请先登录后再操作</body></html>",
                         "text/html; charset=utf-8");
}

// The item id an item address names: the text after "id=" up to the next "&".
std::string idOfAddress(const std::string& address)
{
    const std::size_t at = address.find("id=");
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + 3;
    return address.substr(from, address.find('&', from) - from);
}

json numberOrNull(const std::string& text)
{
    if (text.empty())
        return nullptr;
    return std::stod(text);
}

json searchRow(const CatalogItem& item)
{
    json rates = json::object();
    for (const auto& plan : item.plans)
        rates[plan.campaignId] = plan.commissionRate;
    const std::string pictureHost(item.mall ? names::kMallItem : names::kMarketItem);
    return {{"auctionId", std::stoll(item.id)},
            {"title", item.title},
            {"pictUrl", item.picture ? "//" + pictureHost + "/pic/" + item.id + ".jpg" : ""},
            {"couponAmount", numberOrNull(item.couponAmount)},
            {"zkPrice", std::stod(item.price)},
            {"biz30day", std::stoll(item.sales)},
            {"tkRate", std::stod(item.rate)},
            {"tkCommFee", numberOrNull(item.commissionFee)},
            {"sellerId", std::stoll(item.sellerId)},
            {"userType", item.mall ? 1 : 0},
            {"nick", item.nick},
            {"tkSpecialCampaignIdRateMap", item.plans.empty() ? json(nullptr) : rates},
            {"eventRate", numberOrNull(item.eventRate)},
            {"dayLeft", numberOrNull(item.dayLeft)}};
}

}  // namespace

AffiliateItemService::AffiliateItemService(std::shared_ptr<MarketplaceCatalog> catalog, SessionCheck liveSession)
    : m_catalog(std::move(catalog))
    , m_liveSession(std::move(liveSession))
{
}

std::vector<std::string_view> AffiliateItemService::roles() const
{
    return {web::role::kAffiliateHost};
}

bool AffiliateItemService::handles(const httplib::Request& request) const
{
    static constexpr std::string_view kPaths[] = {kSearch, kCampaigns, kApply, kJoined, kExit, kUrlTrans};
    return std::find(std::begin(kPaths), std::end(kPaths), request.path) != std::end(kPaths);
}

std::string AffiliateItemService::joinedId(std::string_view campaignId)
{
    return "9" + std::string(campaignId);
}

void AffiliateItemService::failApplications(int count)
{
    std::lock_guard lock(m_mutex);
    m_failApplications = count;
}

void AffiliateItemService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    if (request.path == kSearch)
        return search(request, response);
    if (m_liveSession && !m_liveSession(request))
        return answerLoggedOut(response);
    if (request.path == kCampaigns)
        return campaigns(request, response);
    if (request.path == kApply)
        return apply(request, response);
    if (request.path == kJoined)
        return joined(request, response);
    if (request.path == kExit)
        return exit(request, response);
    urlTrans(request, response);
}

void AffiliateItemService::search(const httplib::Request& request, httplib::Response& response) const
{
    const auto item = m_catalog->item(idOfAddress(request.get_param_value("q")));
    const bool freeOnly = request.get_param_value("freeShipment") == "1";
    if (!item || (freeOnly && !item->freeShipping)) {
        answerJson(response, {{"data", {{"head", {{"docsfound", 0}, {"status", "NORESULT"}}}, {"pageList", nullptr}}},
                              {"info", {{"ok", true}, {"message", nullptr}}},
                              {"ok", true}});
        return;
    }
    answerJson(response, {{"data", {{"head", {{"docsfound", 1}, {"status", "OK"}}}, {"pageList", {searchRow(*item)}}}},
                          {"info", {{"ok", true}, {"message", nullptr}}},
                          {"ok", true}});
}

void AffiliateItemService::campaigns(const httplib::Request& request, httplib::Response& response) const
{
    const auto item = m_catalog->item(request.get_param_value("itemId"));
    json rows = json::array();
    if (item) {
        for (const auto& plan : item->plans) {
            rows.push_back({{"CampaignID", std::stoll(plan.campaignId)},
                            {"CampaignName", plan.name},
                            {"ShopKeeperID", std::stoll(plan.keeperId)},
                            {"commissionRate", plan.commissionRate + ".00"},
                            {"Properties", plan.manualReview ? "是" : "否"},
                            {"Exist", plan.joined ? 1 : 0},
                            {"ExistStatus", plan.underReview ? 1 : 0}});
        }
    }
    answerJson(response, {{"data", rows}, {"info", {{"ok", true}}}, {"ok", true}});
}

void AffiliateItemService::apply(const httplib::Request& request, httplib::Response& response)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_failApplications > 0) {
            --m_failApplications;
            answerOutcome(Outcome::Failure, response);
            return;
        }
    }
    const std::string campaignId = request.get_param_value("campId");
    for (const auto& item : m_catalog->items()) {
        for (auto plan : item.plans) {
            if (plan.campaignId != campaignId || plan.keeperId != request.get_param_value("keeperid"))
                continue;
            switch (plan.applyAnswer) {
            case ApplyAnswer::Approve:
                // A campaign without review takes the marketer in at once; the others wait for the shop.
                plan.joined = !plan.manualReview;
                plan.underReview = plan.manualReview;
                plan.applyAnswer = ApplyAnswer::AlreadyApplied;
                m_catalog->updatePlan(item.id, campaignId, plan);
                answerJson(response, {{"data", {{"campaignId", campaignId}}}, {"info", {{"ok", true}}}, {"ok", true}});
                return;
            case ApplyAnswer::AlreadyApplied:
                answerJson(response,
                           {{"info", {{"ok", false}, {"message", "您已经申请过该计划，请勿重复申请"}}}, {"ok", false}});
                return;
            case ApplyAnswer::Refuse:
                break;
            }
        }
    }
    answerJson(response, {{"info", {{"ok", false}, {"message", "申请失败，计划不存在或已结束"}}}, {"ok", false}});
}

void AffiliateItemService::joined(const httplib::Request& request, httplib::Response& response) const
{
    const std::string nick = request.get_param_value("nickname");
    json rows = json::array();
    for (const auto& item : m_catalog->items()) {
        if (item.nick != nick)
            continue;
        for (const auto& plan : item.plans) {
            if (plan.joined)
                rows.push_back({{"id", std::stoll(joinedId(plan.campaignId))}, {"campaignName", plan.name}});
        }
    }
    answerJson(response, {{"data", {{"pagelist", rows}, {"paginator", {{"items", rows.size()}}}}}, {"ok", true}});
}

void AffiliateItemService::exit(const httplib::Request& request, httplib::Response& response)
{
    const std::string id = request.get_param_value("pubCampaignid");
    for (const auto& item : m_catalog->items()) {
        for (auto plan : item.plans) {
            if (!plan.joined || joinedId(plan.campaignId) != id)
                continue;
            plan.joined = false;
            m_catalog->updatePlan(item.id, plan.campaignId, plan);
            answerJson(response, {{"info", {{"ok", true}}}, {"ok", true}});
            return;
        }
    }
    answerJson(response, {{"info", {{"ok", false}, {"message", "未加入该计划"}}}, {"ok", false}});
}

void AffiliateItemService::urlTrans(const httplib::Request& request, httplib::Response& response) const
{
    const std::string address = request.get_param_value("promotionURL");
    const std::string slot = request.get_param_value("adzoneid");
    const auto item = m_catalog->item(idOfAddress(address));
    if (!item || slot.empty()) {
        answerJson(response, {{"info", {{"ok", false}, {"message", "商品不存在或推广位无效"}}}, {"ok", false}});
        return;
    }
    const std::string click = MarketplaceCatalog::clickUrl(item->id, slot);
    answerJson(response, {{"data",
                           {{"clickUrl", click},
                            {"shortLinkUrl", m_catalog->shortLink(names::kShortlinkC, click)},
                            {"taoToken", MarketplaceCatalog::shareToken(click)}}},
                          {"info", {{"ok", true}}},
                          {"ok", true}});
}

}  // namespace dealcast::sandbox
