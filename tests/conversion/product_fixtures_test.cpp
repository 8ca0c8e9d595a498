#include "conversion/link_recognition.h"
#include "sandbox/sandbox_names.h"
#include "support/fixtures.h"
#include "web/encoding.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

// The product texts used by demos and end-to-end runs: each names catalog items through the sandbox hosts,
// and those whose links carry the item id are recognised without any request.
TEST(ProductFixturesTest, TextsAreUtf8AndNameTheirItems)
{
    struct Case {
        const char* file;
        bool hasLink;
        const char* itemId;  // when found without a request; nullptr when a link must be resolved first
    };
    const Case cases[] = {
        {"market_item.txt", true, "600000000001"},
        {"mall_item_with_coupon.txt", true, "600000000002"},
        {"coupon_click_link.txt", true, nullptr},
        {"expired_coupon_page.txt", true, "600000000003"},
        {"click_and_short_links.txt", true, nullptr},
        {"share_token_message.txt", true, "600000000005"},
        {"monitored_group_message.txt", true, "600000000004"},
        {"mall_plain_item.txt", true, "600000000006"},
        {"copy_without_link.txt", false, ""},
    };
    web::Hosts hosts;
    hosts.set(web::role::kMarketDomain, sandbox::names::kMarketDomain);
    hosts.set(web::role::kMallDomain, sandbox::names::kMallDomain);
    hosts.set(web::role::kCouponHost, sandbox::names::kCoupon);
    hosts.set(web::role::kShopCouponHost, sandbox::names::kShopCoupon);
    // Nothing answers: only links that name their item can give an id.
    web::HttpOptions options;
    options.connectTimeoutMs = 200;
    options.totalTimeoutMs = 500;
    options.connectTo = {"::127.0.0.1:9"};
    const web::HttpClient offline(options);
    const LinkRecognition recognition(hosts, offline);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = test::readFileBytes(test::dataDir() / "products" / c.file);
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(web::isValidUtf8(text));
        EXPECT_EQ(hasMarketLink(text, hosts), c.hasLink);
        if (c.itemId) {
            EXPECT_EQ(recognition.recognizeLinks(splitPicture(text).text).itemId, c.itemId);
        }
    }
}

}  // namespace
}  // namespace dealcast::conversion
