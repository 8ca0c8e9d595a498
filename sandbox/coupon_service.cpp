#include "sandbox/coupon_service.h"

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

// The value of one cookie in the request's Cookie header; "" when absent.
std::string cookieValue(const httplib::Request& request, std::string_view name)
{
    const std::string header = request.get_header_value("Cookie");
    const std::string key = std::string(name) + "=";
    std::size_t at = 0;
    while ((at = header.find(key, at)) != std::string::npos) {
        if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';') {
            const std::size_t from = at + key.size();
            return header.substr(from, header.find(';', from) - from);
        }
        at += key.size();
    }
    return {};
}

}  // namespace

CouponService::CouponService(std::shared_ptr<MarketplaceCatalog> catalog, SessionCheck liveSession)
    : m_catalog(std::move(catalog))
    , m_liveSession(std::move(liveSession))
{
}

std::vector<std::string_view> CouponService::roles() const
{
    return {web::role::kCouponHost};
}

std::string CouponService::clickLink(std::string_view itemId, std::string_view pid) const
{
    const auto item = m_catalog->item(itemId);
    if (!item || !item->coupon)
        return {};
    return "https://" + std::string(names::kCoupon) + "/coupon/edetail?e=" + item->coupon->clickCode +
           "&traceId=0b0f5e1a&pid=" + std::string(pid) + "&af=1";
}

void CouponService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    if (request.path.ends_with(kLandingSuffix))
        return landing(request, response);
    if (request.path == kApi)
        return request.has_param("ctoken") ? clickCoupon(request, response) : coupon(request, response);
    response.status = 404;
    response.set_content("not found", "text/plain");
}

void CouponService::landing(const httplib::Request& request, httplib::Response& response)
{
    std::string token;
    {
        std::lock_guard lock(m_mutex);
        token = "ct" + std::to_string(1000 + m_nextToken++) + "x" + request.get_param_value("e");
        m_ctokens.insert(token);
    }
    response.status = 200;
    response.set_header("Set-Cookie", "ctoken=" + token + "; Path=/; HttpOnly");
    response.set_content("<html><head><meta charset=\"utf-8\"><title>领券</title></head><body><div id=\"app\">"
                         "正在加载优惠券...</div></body></html>",
                         "text/html; charset=utf-8");
}

void CouponService::coupon(const httplib::Request& request, httplib::Response& response) const
{
    const auto item = m_catalog->item(request.get_param_value("itemId"));
    if (!item || !item->coupon || item->coupon->activityId != request.get_param_value("activityId")) {
        answerJson(response, {{"result", {{"retStatus", "4"}, {"msgInfo", "该优惠券不存在"}}}, {"success", true}});
        return;
    }
    const CatalogCoupon& coupon = *item->coupon;
    if (coupon.state == CouponState::Challenge) {
        const bool passes = m_liveSession ? m_liveSession(request) : request.has_header("Cookie");
        if (!passes) {
            response.status = 200;
            response.set_content("<html><script>var _0x=[104,101,108,108,111];document.write(String.fromCharCode."
                                 "apply(null,_0x));</script></html>",
                                 "text/html; charset=utf-8");
            return;
        }
    }
    if (coupon.state == CouponState::Invalid) {
        answerJson(response, {{"result", {{"retStatus", "1"}, {"msgInfo", "该优惠券已过期"}}}, {"success", true}});
        return;
    }
    answerJson(response, {{"result",
                           {{"retStatus", "0"},
                            {"amount", coupon.amount},
                            {"effectiveEndTime", coupon.endTime},
                            {"couponRemainCount", coupon.remaining},
                            {"item", {{"itemId", item->id}, {"title", item->title}}}}},
                          {"success", true}});
}

void CouponService::clickCoupon(const httplib::Request& request, httplib::Response& response) const
{
    const std::string token = request.get_param_value("ctoken");
    bool known = false;
    {
        std::lock_guard lock(m_mutex);
        known = m_ctokens.contains(token) && cookieValue(request, "ctoken") == token;
    }
    const auto item = m_catalog->itemByClickCode(request.get_param_value("e"));
    if (!known || !item || request.get_param_value("af") != "1") {
        answerJson(response, {{"success", false}, {"message", "链接已失效"}});
        return;
    }
    answerJson(response, {{"success", true},
                          {"result",
                           {{"retStatus", "0"},
                            {"amount", item->coupon->amount},
                            {"item", {{"itemId", item->id}, {"title", item->title}}}}}});
}

}  // namespace dealcast::sandbox
