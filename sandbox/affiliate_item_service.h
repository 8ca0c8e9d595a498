#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

#include <functional>
#include <memory>

namespace dealcast::sandbox {

// The affiliate back end's item calls over the catalog: the item search (and its free-shipping variant), the
// shop campaigns of an item, applying for one, the joined campaigns of a shop and leaving one, and the
// conversion of a promotion address into a share token and short link. Shares the affiliate host with the
// platform service and takes only these paths. Every call but the search needs a session; without one it gets
// a login page instead of JSON, as a lost session does outside.
class AffiliateItemService : public SimulatedService {
public:
    static constexpr std::string_view kSearch = "/items/search.json";
    static constexpr std::string_view kCampaigns = "/pubauc/getCommonCampaignByItemId.json";
    static constexpr std::string_view kApply = "/pubauc/applyForCommonCampaign.json";
    static constexpr std::string_view kJoined = "/campaign/joinedCampaigns.json";
    static constexpr std::string_view kExit = "/campaign/exitCampaign.json";
    static constexpr std::string_view kUrlTrans = "/urltrans/urltrans.json";

    using SessionCheck = std::function<bool(const httplib::Request&)>;

    // Without a session check every call counts as made in a live session.
    explicit AffiliateItemService(std::shared_ptr<MarketplaceCatalog> catalog, SessionCheck liveSession = {});

    std::string hostName() const override { return std::string(names::kAffiliate); }
    std::vector<std::string_view> roles() const override;
    bool handles(const httplib::Request& request) const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // The next `count` applications fail with a server error before the designed answer comes back.
    void failApplications(int count);
    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }
    // The public campaign id under which a joined shop campaign is listed and left.
    static std::string joinedId(std::string_view campaignId);

private:
    void search(const httplib::Request& request, httplib::Response& response) const;
    void campaigns(const httplib::Request& request, httplib::Response& response) const;
    void apply(const httplib::Request& request, httplib::Response& response);
    void joined(const httplib::Request& request, httplib::Response& response) const;
    void exit(const httplib::Request& request, httplib::Response& response);
    void urlTrans(const httplib::Request& request, httplib::Response& response) const;

    std::shared_ptr<MarketplaceCatalog> m_catalog;
    SessionCheck m_liveSession;
    AnswerOverrides m_overrides;
    std::mutex m_mutex;
    int m_failApplications = 0;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
