#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/simulated_service.h"

#include <memory>

namespace dealcast::sandbox {

// One of the three public URL shorteners. The first two make a link with "/api.php?url=" and answer it as
// the whole body; the third has an API host ("/short_url/shorten.json?source=<10-digit key>&url_long=")
// answering JSON and a separate host its links live on. A link's own host redirects it (302) to its target.
// Links are kept in the catalog's book, which the token proxy's spread links share.
class ShortenerService : public SimulatedService {
public:
    enum class Kind { A, B, C, CApi };

    static constexpr std::string_view kMakePath = "/api.php";
    static constexpr std::string_view kApiPath = "/short_url/shorten.json";

    ShortenerService(std::shared_ptr<MarketplaceCatalog> catalog, Kind kind);

    std::string hostName() const override;
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }
    // Links made by this shortener.
    int madeCount() const { return m_made.count("made"); }

private:
    // The host the links of this shortener live on.
    std::string linkHost() const;

    std::shared_ptr<MarketplaceCatalog> m_catalog;
    const Kind m_kind;
    AnswerOverrides m_overrides;
    RequestLog m_log;
    RequestLog m_made;
};

}  // namespace dealcast::sandbox
