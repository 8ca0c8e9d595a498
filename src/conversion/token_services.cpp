#include "conversion/token_services.h"

#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "platform/window_model.h"
#include "session/affiliate_client.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <algorithm>
#include <array>

namespace dealcast::conversion {
namespace {

// The proxy reads the form fields whatever the declared type; these are the headers it was built against.
constexpr char kProxyHeaders[] =
    "Content-Type: application/json;charset=UTF-8\r\nAccept: application/json, text/javascript, */*; q=0.01";

// Longest short link taken from a shortener's answer; a page or an error text is longer or has blanks.
constexpr std::size_t kMaxShortLink = 2048;

std::string withoutChars(std::string_view text, std::string_view drop)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (drop.find(c) == std::string_view::npos)
            out.push_back(c);
    }
    return out;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool isChecked(const platform::WindowModel& window, std::string_view name)
{
    const auto* box = window.find<platform::CheckBox>(name);
    return box && box->checked();
}

}  // namespace

Shortener chosenShortener(const platform::WindowModel& window)
{
    if (isChecked(window, controls::kSinaShortLink))
        return Shortener::C;
    if (isChecked(window, controls::kAltShortLink1))
        return Shortener::A;
    return Shortener::B;
}

void bindShortenerChoice(platform::WindowModel& window)
{
    static constexpr std::array<const char*, 3> kBoxes = {controls::kSinaShortLink, controls::kAltShortLink1,
                                                          controls::kAltShortLink2};
    for (const char* name : kBoxes) {
        window.bind(name, platform::EventType::Clicked, [&window, name](const platform::EventArgs&) {
            if (!isChecked(window, name))
                return;
            for (const char* other : kBoxes) {
                if (other == name)
                    continue;
                if (auto* box = window.find<platform::CheckBox>(other))
                    box->setChecked(false);
            }
        });
    }
}

std::string proxyBody(std::string_view method, std::string_view parameterJson, std::string_view sessionKey)
{
    std::string body =
        "methodName=" + std::string(method) + "&parameter=" + web::urlEncode(parameterJson) + "&loginType=1";
    if (!sessionKey.empty())
        body += "&sessionKey=" + web::urlEncode(sessionKey);
    return body;
}

std::string shareTokenFromAnswer(std::string_view answer)
{
    return web::between(withoutChars(answer, "\\\""), "model:", ",request_id");
}

std::string spreadLinkFromAnswer(std::string_view answer)
{
    return web::between(withoutChars(answer, "\\\""), "content:", ",err_msg");
}

std::string shortlinkCFromAnswer(std::string_view answer)
{
    // A JSON writer may escape the slashes of the link.
    return replaceAll(web::between(answer, "url_short\":\"", "\",\"url_long"), "\\/", "/");
}

std::string plainShortLink(std::string_view answer)
{
    const std::string_view link = web::trim(answer);
    if (!link.starts_with("http") || link.size() > kMaxShortLink)
        return {};
    const bool plain = std::none_of(link.begin(), link.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '<' || c == '>' || c == '"';
    });
    return plain ? std::string(link) : std::string();
}

TokenServices::TokenServices(const ConversionServices& services)
    : m_services(services)
    , m_unset(services.log)
{
}

std::string TokenServices::fetch(const std::string& url, std::string_view what)
{
    web::CookieJar jar;
    const web::HttpResponse response = m_services.http.request({.url = url}, jar);
    if (response.status == 0 || !usableAnswer(response.text, what, m_services.log))
        return {};
    return response.text;
}

std::string TokenServices::proxyCall(std::string_view method, std::string_view parameterJson,
                                     std::string_view sessionKey)
{
    const std::string url = m_services.hosts.url(web::role::kTokenProxyHost, kProxyPath);
    if (url.empty()) {
        m_unset.report(method, web::role::kTokenProxyHost, "淘口令和推广链接");
        return {};
    }
    web::CookieJar jar;
    const web::HttpResponse response = m_services.http.request({.url = url,
                                                                .method = web::HttpMethod::Post,
                                                                .body = proxyBody(method, parameterJson, sessionKey),
                                                                .headers = kProxyHeaders},
                                                               jar);
    if (response.status == 0 || !usableAnswer(response.text, "淘口令接口", m_services.log))
        return {};
    return response.text;
}

std::string TokenServices::createShareToken(std::string_view title, std::string_view url)
{
    if (title.empty() || url.empty())
        return kEmptyInput;
    web::JsonReader parameter;
    parameter.set("text", title);
    parameter.set("url", url);
    return shareTokenFromAnswer(proxyCall(kShareTokenMethod, parameter.toText()));
}

std::string TokenServices::createSpreadLink(std::string_view url)
{
    if (url.empty())
        return kEmptyInput;
    web::JsonReader parameter;
    parameter.set("url", url);
    return spreadLinkFromAnswer(proxyCall(kSpreadLinkMethod, parameter.toText()));
}

PromotionLinks TokenServices::convertPromotionUrl(std::string_view siteId, std::string_view slotId,
                                                  std::string_view url)
{
    const session::AffiliateClient& affiliate = m_services.affiliate;
    if (!affiliate.available()) {
        m_unset.report("convertPromotionUrl", web::role::kAffiliateHost, "联盟转链");
        return {};
    }
    const std::string address = m_services.values.publicIp();
    const std::string answer =
        affiliate.get("/urltrans/urltrans.json?siteid=" + std::string(siteId) + "&adzoneid=" + std::string(slotId) +
                      "&promotionURL=" + web::urlEncode(url) + "&t=" + affiliate.stamp() +
                      "&pvid=" + session::AffiliateClient::pvid("52", address, "8636", affiliate.stamp()) +
                      "&_tb_token_=" + affiliate.token() + "&_input_charset=utf-8");
    web::JsonReader json;
    if (!usableAnswer(answer, "联盟转链", m_services.log) || !json.parse(answer))
        return {};
    return {.shareToken = json.getText("data.taoToken"), .shortLink = json.getText("data.shortLinkUrl")};
}

std::string TokenServices::shortenUrl(std::string_view url)
{
    return shortenUrl(url, chosenShortener(m_services.window));
}

std::string TokenServices::shortenUrl(std::string_view url, Shortener shortener)
{
    if (url.empty())
        return {};
    const web::Hosts& hosts = m_services.hosts;
    switch (shortener) {
    case Shortener::C: {
        const std::string api = hosts.url(web::role::kShortlinkCApiHost,
                                          "/short_url/shorten.json?source=" + std::string(kShortlinkCSource) +
                                              "&url_long=" + web::urlEncode(url));
        if (api.empty()) {
            m_unset.report("shortenUrl C", web::role::kShortlinkCApiHost, "短网址");
            return {};
        }
        return shortlinkCFromAnswer(fetch(api, "短网址接口"));
    }
    case Shortener::A:
    case Shortener::B: {
        const std::string_view role =
            shortener == Shortener::A ? web::role::kShortlinkAHost : web::role::kShortlinkBHost;
        const std::string api = hosts.url(role, "/api.php?url=" + web::urlEncode(url));
        if (api.empty()) {
            m_unset.report(role, role, "短网址");
            return {};
        }
        return plainShortLink(fetch(api, "短网址接口"));
    }
    }
    return {};
}

std::string TokenServices::createSuperShortLink(std::string_view query)
{
    if (query.empty())
        return kEmptyInput;
    std::string host = m_services.values.shortLinkHost();
    if (host.empty())
        host = m_services.hosts.get(web::role::kLandingHost);
    if (host.empty()) {
        m_unset.report("createSuperShortLink", web::role::kLandingHost, "超级短链");
        return {};
    }
    return shortenUrl("http://" + host + "/v.php?" + std::string(query));
}

}  // namespace dealcast::conversion
