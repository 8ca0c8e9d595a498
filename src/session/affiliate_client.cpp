#include "session/affiliate_client.h"

#include "session/affiliate_session.h"
#include "web/hosts.h"
#include "web/text.h"

namespace dealcast::session {

AffiliateClient::AffiliateClient(const web::HttpClient& http, const web::Hosts& hosts, AffiliateSession& session,
                                 const platform::Clock& clock)
    : m_http(http)
    , m_hosts(hosts)
    , m_session(session)
    , m_clock(clock)
{
}

bool AffiliateClient::available() const { return m_hosts.isSet(web::role::kAffiliateHost); }

std::string AffiliateClient::url(std::string_view pathAndQuery) const
{
    return m_hosts.url(web::role::kAffiliateHost, pathAndQuery);
}

web::HttpResponse AffiliateClient::request(const web::HttpRequest& request) const
{
    if (!available())
        return {};
    web::CookieJar cookie = m_session.cookie();
    const std::string sent = cookie;
    web::HttpResponse response = m_http.request(request, cookie);
    if (cookie != sent)
        m_session.updateCookie(sent, std::move(cookie));
    return response;
}

std::string AffiliateClient::get(std::string_view pathAndQuery) const
{
    return request({.url = url(pathAndQuery)}).text;
}

std::string AffiliateClient::post(std::string_view pathAndQuery, std::string_view body) const
{
    return request({.url = url(pathAndQuery), .method = web::HttpMethod::Post, .body = std::string(body)}).text;
}

std::string AffiliateClient::token() const { return m_session.token(); }

std::string AffiliateClient::stamp() const { return web::timeStamp(m_clock); }

std::string AffiliateClient::pvid(std::string_view first, std::string_view address, std::string_view second,
                                  std::string_view stamp)
{
    std::string out;
    out.append(first).append("_").append(address).append("_").append(second).append("_").append(stamp);
    return out;
}

bool AffiliateClient::succeeded(std::string_view answer) { return answer.find("ok\":true") != std::string_view::npos; }

}  // namespace dealcast::session
