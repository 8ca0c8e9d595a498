#pragma once

#include "sandbox/simulated_service.h"

#include <map>
#include <mutex>

namespace dealcast::sandbox {

// The affiliate click-redirect host. A short link "/s/<key>" redirects to its long click link "/t?e=<token>";
// the click link answers first with a jump page address whose "tu" parameter carries the "et" value (encoded
// twice), and only a second request that appends "&ref=&et=<value>" and names that jump address as its
// Referer is sent on to the item page, with the item id and an "ali_trackid=2:...:" track. A click link
// registered with a shop coupon goes straight to the coupon-landing page instead. "/loop" redirects to
// itself forever.
class ClickRedirectService : public SimulatedService {
public:
    static constexpr std::string_view kShortPath = "/s/";
    static constexpr std::string_view kClickPath = "/t";
    static constexpr std::string_view kLoopPath = "/loop";

    struct Links {
        std::string shortLink;  // under 60 characters
        std::string clickLink;  // 60 characters or more, without "id="
    };

    std::string hostName() const override;
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // Links that lead to the item page of this id on the marketplace or, with `mall`, on the mall. With an
    // activity id the click link leads to the coupon-landing page of that coupon and item instead.
    Links addItem(const std::string& itemId, bool mall = false, const std::string& activityId = {});
    static std::string loopLink();

    int requestCount(std::string_view path) const { return m_log.count(path); }
    int totalRequests() const;

private:
    struct Entry {
        std::string itemId;
        bool mall = false;
        std::string activityId;
        std::string et;          // as the second request must carry it, decoded
        std::string jump;        // the first answer's Location, the Referer the second request must name
        std::string jumpAsRead;  // that Referer as the server sees it
    };

    void answerClick(const httplib::Request& request, httplib::Response& response) const;

    mutable std::mutex m_mutex;
    std::map<std::string, Entry, std::less<>> m_byToken;
    std::map<std::string, std::string, std::less<>> m_shortToToken;
    int m_next = 0;
    int m_total = 0;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
