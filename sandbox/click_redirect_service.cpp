#include "sandbox/click_redirect_service.h"

#include "sandbox/sandbox_names.h"
#include "web/hosts.h"

namespace dealcast::sandbox {
namespace {

// Pads a click token to the length of a real one, so click links are never mistaken for short links.
constexpr std::string_view kTokenTail = "AAJqRmZc8vTkLw7PbNsHfGxYaUeXoQdCiBrMnEpSgWtVyKhJuLzF";

std::string host()
{
    return std::string(names::kClick);
}

}  // namespace

std::string ClickRedirectService::hostName() const
{
    return host();
}

std::vector<std::string_view> ClickRedirectService::roles() const
{
    return {web::role::kClickHost};
}

ClickRedirectService::Links ClickRedirectService::addItem(const std::string& itemId, bool mall,
                                                          const std::string& activityId)
{
    std::lock_guard lock(m_mutex);
    const std::string n = std::to_string(++m_next);
    const std::string token = "tk" + n + std::string(kTokenTail);
    const std::string key = "k" + n;

    // The jump page names the click link again with the "et" value, encoded once inside "tu" and so twice here.
    const std::string jump = "http://" + host() + "/t_js?tu=http%3A%2F%2F" + host() + "%2Ft%3Fe%3D" + token +
                             "%26ref%3D%26et%3DET" + n + "%253D%253D";
    // The server library hands the Referer over percent-decoded.
    const std::string jumpAsRead =
        "http://" + host() + "/t_js?tu=http://" + host() + "/t?e=" + token + "&ref=&et=ET" + n + "%3D%3D";
    m_byToken[token] = Entry{.itemId = itemId,
                             .mall = mall,
                             .activityId = activityId,
                             .et = "ET" + n + "==",
                             .jump = jump,
                             .jumpAsRead = jumpAsRead};
    m_shortToToken[key] = token;
    return {"http://" + host() + std::string(kShortPath) + key,
            "http://" + host() + std::string(kClickPath) + "?e=" + token};
}

std::string ClickRedirectService::loopLink()
{
    return "http://" + host() + std::string(kLoopPath);
}

int ClickRedirectService::totalRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_total;
}

void ClickRedirectService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    {
        std::lock_guard lock(m_mutex);
        ++m_total;
    }
    const std::string& path = request.path;
    if (path.starts_with(kShortPath)) {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_shortToToken.find(path.substr(kShortPath.size())); it != m_shortToToken.end()) {
            response.set_redirect("http://" + host() + std::string(kClickPath) + "?e=" + it->second, 302);
            return;
        }
    } else if (path == kClickPath) {
        answerClick(request, response);
        return;
    } else if (path.starts_with(kLoopPath)) {
        response.set_redirect(loopLink(), 302);
        return;
    }
    response.status = 404;
    response.set_content("no such link", "text/plain");
}

void ClickRedirectService::answerClick(const httplib::Request& request, httplib::Response& response) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_byToken.find(request.get_param_value("e"));
    if (it == m_byToken.end()) {
        response.status = 404;
        response.set_content("no such link", "text/plain");
        return;
    }
    const Entry& entry = it->second;
    if (!entry.activityId.empty()) {
        response.set_redirect("https://" + std::string(names::kCoupon) + "/landing?activityId=" + entry.activityId +
                                  "&itemId=" + entry.itemId,
                              302);
        return;
    }
    if (!request.has_param("et")) {
        response.set_redirect(entry.jump, 302);
        return;
    }
    if (request.get_param_value("et") != entry.et || request.get_header_value("Referer") != entry.jumpAsRead) {
        // The real host shows an error page here, without sending the visitor anywhere.
        response.status = 200;
        response.set_content("invalid click", "text/html");
        return;
    }
    const std::string itemHost(entry.mall ? names::kMallItem : names::kMarketItem);
    response.set_redirect("https://" + itemHost + "/item.htm?id=" + entry.itemId +
                              "&ali_trackid=2:mm_100_200_300:1700000000_211_1&spm=a.b",
                          302);
}

}  // namespace dealcast::sandbox
