#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

#include <memory>

namespace dealcast::sandbox {

// Item pages of the marketplace or of the mall over the catalog: "/item.htm?id=" in the item's shop-score
// layout, and the item pictures under "/pic/". The marketplace's pages are GBK, as they are outside; it sends
// a mall item on to the mall's page (302), whose pages are UTF-8.
class ItemPageService : public SimulatedService {
public:
    static constexpr std::string_view kItemPage = "/item.htm";
    static constexpr std::string_view kPicturePrefix = "/pic/";

    ItemPageService(std::shared_ptr<MarketplaceCatalog> catalog, bool mall);

    std::string hostName() const override;
    std::vector<std::string_view> roles() const override;
    std::vector<std::pair<std::string_view, std::string>> roleValues() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // The page of an item as program text (before any re-encoding).
    static std::string pageText(const CatalogItem& item);
    // A tiny valid PNG, the picture of every item.
    static std::string pictureBytes();

    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }

private:
    std::shared_ptr<MarketplaceCatalog> m_catalog;
    const bool m_mall;
    AnswerOverrides m_overrides;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
