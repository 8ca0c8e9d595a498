#include "sandbox/landing_service.h"

#include "web/hosts.h"

namespace dealcast::sandbox {
namespace {

std::string escapeHtml(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::vector<std::string_view> LandingService::roles() const
{
    return {web::role::kLandingHost};
}

void LandingService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    if (request.path != kPage || request.get_param_value("taopass").empty()) {
        response.status = 404;
        response.set_content("<html><body>页面不存在</body></html>", "text/html; charset=utf-8");
        return;
    }
    auto value = [&request](const char* name) { return escapeHtml(request.get_param_value(name)); };
    response.status = 200;
    response.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + value("title") +
                             "</title></head><body><img src=\"" + value("pic") + "\"><h1>" + value("title") +
                             "</h1><p class=\"price\">券后价 " + value("couponprice") + " 原价 " +
                             value("originalprice") + " 券 " + value("coupon") + " 已售 " + value("sold") +
                             "</p><p class=\"describe\">" + value("describe") + "</p><p id=\"token\">" +
                             value("taopass") + "</p><a id=\"buy\" href=\"" + value("taourl") +
                             "\">领券购买</a></body></html>",
                         "text/html; charset=utf-8");
}

}  // namespace dealcast::sandbox
