#include "sandbox/affiliate_item_service.h"
#include "sandbox/coupon_service.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_hub.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/text.h"

#include <atomic>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::sandbox {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class MarketplaceServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hub.add(m_items));
        ASSERT_TRUE(m_hub.add(m_coupons));
        ASSERT_TRUE(m_hub.start());
        m_hosts = m_hub.hosts();
    }
    std::string get(const std::string& url, web::CookieJar& jar) const
    {
        return web::HttpClient(m_hosts.httpOptions()).request({.url = url}, jar).text;
    }

    std::shared_ptr<MarketplaceCatalog> m_catalog = std::make_shared<MarketplaceCatalog>();
    std::atomic<bool> m_live{false};
    std::shared_ptr<AffiliateItemService> m_items =
        std::make_shared<AffiliateItemService>(m_catalog, [this](const httplib::Request&) { return m_live.load(); });
    std::shared_ptr<CouponService> m_coupons = std::make_shared<CouponService>(m_catalog);
    SandboxHub m_hub;
    web::Hosts m_hosts;
};

TEST_F(MarketplaceServicesTest, CouponClickLinkSetsACtokenThatTheCouponApiWants)
{
    const std::string link = m_coupons->clickLink(MarketplaceCatalog::kMallEventItem);
    ASSERT_THAT(link, HasSubstr("edetail?e="));
    web::CookieJar jar;
    get(link, jar);
    const std::string ctoken = web::between(jar + ";", "ctoken=", ";");
    ASSERT_FALSE(ctoken.empty());
    const std::string api = "https://" + std::string(names::kCoupon) + "/cp/coupon?ctoken=" + ctoken +
                            "&e=Cup10OffE2&pid=mm_1_2_3&itemId=&af=1";
    const std::string answer = get(api, jar);
    EXPECT_THAT(answer, HasSubstr("success\":true,"));
    EXPECT_THAT(answer, HasSubstr("\"itemId\":\"600000000002\""));

    web::CookieJar stranger;
    EXPECT_THAT(get(api, stranger), HasSubstr("success\":false"));
}

TEST_F(MarketplaceServicesTest, SearchNeedsNoSessionButCampaignCallsDo)
{
    web::CookieJar jar;
    const std::string search = m_hosts.url(web::role::kAffiliateHost, "/items/search.json?q=") +
                               web::urlEncode("http://item.market.sandbox.test/item.htm?id=600000000003");
    EXPECT_THAT(get(search, jar), HasSubstr("\"zkPrice\":19.9"));
    EXPECT_THAT(get(search + "&freeShipment=1", jar), HasSubstr("status\":\"NORESULT"));

    const std::string campaigns =
        m_hosts.url(web::role::kAffiliateHost, "/pubauc/getCommonCampaignByItemId.json?itemId=600000000001");
    EXPECT_THAT(get(campaigns, jar), Not(HasSubstr("CampaignID")));
    m_live = true;
    EXPECT_THAT(get(campaigns, jar), HasSubstr("\"CampaignID\":31001"));
}

}  // namespace
}  // namespace dealcast::sandbox
