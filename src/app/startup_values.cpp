#include "app/startup_values.h"

#include "web/hosts.h"
#include "web/http_client.h"
#include "web/text.h"

namespace dealcast::app {

std::string StartupValues::publicIp() const
{
    std::lock_guard lock(m_mutex);
    return m_publicIp;
}

void StartupValues::setPublicIp(std::string ip)
{
    std::lock_guard lock(m_mutex);
    m_publicIp = std::move(ip);
}

std::string StartupValues::shortLinkHost() const
{
    std::lock_guard lock(m_mutex);
    return m_shortLinkHost;
}

void StartupValues::setShortLinkHost(std::string host)
{
    std::lock_guard lock(m_mutex);
    m_shortLinkHost = std::move(host);
}

std::string lookupPublicIp(const web::HttpClient& http, const web::Hosts& hosts)
{
    std::string ip;
    const std::string url = hosts.url(web::role::kIpLookupHost, "/cityjson?ie=gb2312");
    if (!url.empty()) {
        const std::string answer = http.get(url);
        // The place name comes first in the answer; it is read past, not used.
        (void)web::between(answer, "cname#引号: #引号", "#引号}");
        ip = web::between(answer, "cip#引号: #引号", "#引号");
    }
    return ip.empty() ? hosts.get(web::role::kIpFallback) : ip;
}

std::string parseShortLinkHost(std::string_view xml)
{
    constexpr std::string_view open = "<list>";
    constexpr std::string_view close = "</list>";
    std::string host;
    std::size_t from = 0;
    while (true) {
        const std::size_t a = xml.find(open, from);
        if (a == std::string_view::npos)
            break;
        const std::size_t b = xml.find(close, a + open.size());
        if (b == std::string_view::npos)
            break;
        const std::string_view piece = web::trim(xml.substr(a + open.size(), b - a - open.size()));
        if (piece.empty())
            break;
        host = web::between(piece, "<appkey>", "</appkey>");
        from = b + close.size();
    }
    return host;
}

}  // namespace dealcast::app
