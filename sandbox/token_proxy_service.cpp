#include "sandbox/token_proxy_service.h"

#include "web/hosts.h"
#include "web/text.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace dealcast::sandbox {
namespace {

using json = nlohmann::ordered_json;

constexpr std::string_view kShareTokenMethod = "taobao.wireless.share.tpwd.create";
constexpr std::string_view kSpreadMethod = "taobao.tbk.spread.get";
constexpr std::string_view kPrivilegeMethod = "taobao.tbk.privilege.get";

json errorAnswer(int code, std::string_view message, std::string_view subCode, const std::string& requestId)
{
    return {{"error_response", {{"code", code}, {"msg", message}, {"sub_code", subCode}, {"request_id", requestId}}}};
}

}  // namespace

TokenProxyService::TokenProxyService(std::shared_ptr<MarketplaceCatalog> catalog, TokenCheck knownToken)
    : m_catalog(std::move(catalog))
    , m_knownToken(std::move(knownToken))
{
}

std::vector<std::string_view> TokenProxyService::roles() const
{
    return {web::role::kTokenProxyHost};
}

void TokenProxyService::setWrapPrivilege(bool wrap)
{
    std::lock_guard lock(m_mutex);
    m_wrapPrivilege = wrap;
}

void TokenProxyService::setMethodBody(std::string_view method, std::string body)
{
    std::lock_guard lock(m_mutex);
    if (body.empty())
        m_methodBodies.erase(std::string(method));
    else
        m_methodBodies[std::string(method)] = std::move(body);
}

std::map<std::string, std::string> TokenProxyService::lastFields() const
{
    std::lock_guard lock(m_mutex);
    return m_lastFields;
}

std::map<std::string, std::string> TokenProxyService::parseForm(std::string_view body)
{
    std::map<std::string, std::string> fields;
    while (!body.empty()) {
        const std::size_t end = body.find('&');
        std::string pair(body.substr(0, end));
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        std::replace(pair.begin(), pair.end(), '+', ' ');
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos)
            fields[web::urlDecode(pair)] = "";
        else
            fields[web::urlDecode(pair.substr(0, equals))] = web::urlDecode(pair.substr(equals + 1));
    }
    return fields;
}

void TokenProxyService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    if (request.path != kDock || request.method != "POST") {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }
    const auto fields = parseForm(request.body);
    const auto method = fields.find("methodName");
    m_methods.record(method == fields.end() ? std::string() : method->second);
    response.status = 200;
    response.set_content(answer(fields), "application/json;charset=UTF-8");
}

std::string TokenProxyService::answer(const std::map<std::string, std::string>& fields)
{
    auto field = [&fields](const std::string& name) {
        const auto it = fields.find(name);
        return it == fields.end() ? std::string() : it->second;
    };
    const std::string method = field("methodName");
    std::string requestId;
    bool wrap = true;
    {
        std::lock_guard lock(m_mutex);
        m_lastFields = fields;
        requestId = "1b" + std::to_string(100000 + m_requestNumber++) + "sandbox";
        wrap = m_wrapPrivilege;
        if (const auto forced = m_methodBodies.find(method); forced != m_methodBodies.end())
            return forced->second;
    }
    if (field("loginType") != "1")
        return errorAnswer(25, "Invalid login type", "isv.invalid-parameter", requestId).dump();
    const json parameter = json::parse(field("parameter"), nullptr, false);
    if (!parameter.is_object())
        return errorAnswer(41, "Invalid arguments:parameter", "isv.missing-parameter", requestId).dump();
    auto text = [&parameter](const char* name) {
        const auto it = parameter.find(name);
        return it != parameter.end() && it->is_string() ? it->get<std::string>() : std::string();
    };

    if (method == kShareTokenMethod) {
        if (text("text").empty() || text("url").empty())
            return errorAnswer(41, "Missing required arguments:text", "isv.missing-parameter", requestId).dump();
        return json{{"wireless_share_tpwd_create_response",
                     {{"model", MarketplaceCatalog::shareToken(text("url"))}, {"request_id", requestId}}}}
            .dump();
    }
    if (method == kSpreadMethod) {
        if (text("url").empty())
            return errorAnswer(41, "Missing required arguments:url", "isv.missing-parameter", requestId).dump();
        const std::string link = m_catalog->shortLink(names::kShortlinkC, text("url"));
        return json{{"tbk_spread_get_response",
                     {{"results", {{"tbk_spread", json::array({{{"content", link}, {"err_msg", "OK"}}})}}},
                      {"total_results", 1},
                      {"request_id", requestId}}}}
            .dump();
    }
    if (method == kPrivilegeMethod) {
        const std::string key = field("sessionKey");
        if (key.empty() || (m_knownToken && !m_knownToken(key)))
            return errorAnswer(27, "Invalid session", "invalid-sessionkey", requestId).dump();
        const auto item = m_catalog->item(text("itemId"));
        if (!item || text("adzoneId").empty())
            return errorAnswer(15, "Remote service error", "isv.item-not-exist", requestId).dump();
        json data = {{"category_id", 50012345},
                     {"coupon_click_url", MarketplaceCatalog::clickUrl(item->id, text("adzoneId"))}};
        if (item->coupon && item->coupon->state != CouponState::Invalid) {
            data["coupon_remain_count"] = item->coupon->remaining;
            data["coupon_info"] = "满" + item->price + "元减" + item->coupon->amount + "元";
        }
        data["item_id"] = std::stoll(item->id);
        const json inner = {{"tbk_privilege_get_response", {{"result", {{"data", data}}}, {"request_id", requestId}}}};
        return wrap ? json{{"response", inner.dump()}}.dump() : inner.dump();
    }
    return errorAnswer(22, "Invalid method", "isv.invalid-method", requestId).dump();
}

}  // namespace dealcast::sandbox
