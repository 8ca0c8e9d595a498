#include "conversion/item_lookup.h"
#include "market_world.h"
#include "sandbox/marketplace_catalog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

using sandbox::MarketplaceCatalog;
using ::testing::HasSubstr;

TEST(ItemAnswerTest, PictureAddressGetsASchemeAndTheSizeSuffix)
{
    const std::pair<const char*, const char*> cases[] = {
        {"//img.example/a.jpg", "http://img.example/a.jpg_480x480.jpg"},
        {"https://img.example/a.jpg", "https://img.example/a.jpg_480x480.jpg"},
        {"http://img.example/a.jpg", "http://img.example/a.jpg_480x480.jpg"},
        {"img.example/a.jpg", "http://img.example/a.jpg_480x480.jpg"},
        // No picture stays no picture, so the pipeline still sees it missing.
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(pictureAddress(in), out) << in;
}

TEST(ItemAnswerTest, SearchAnswerReadsTheFirstRow)
{
    const ItemInfo item = readSearchAnswer(R"({"data":{"pageList":[
        {"title":"T","pictUrl":"//p/1.jpg","couponAmount":20,"zkPrice":59.9,"biz30day":3520,"tkRate":20.5,
         "tkCommFee":8.18,"sellerId":2200100001,"userType":0,"nick":"N","tkSpecialCampaignIdRateMap":{"1":"30"},
         "eventRate":null,"dayLeft":9},
        {"title":"second"}]}})");
    EXPECT_EQ(item, (ItemInfo{.title = "T",
                              .pictureUrl = "http://p/1.jpg_480x480.jpg",
                              .couponAmount = "20",
                              .price = "59.9",
                              .sales = "3520",
                              .commissionRate = "20.5",
                              .commissionFee = "7.68",
                              .specialCampaign = "1",
                              .sellerId = "2200100001",
                              .userType = "0",
                              .shopNick = "N"}));  // days left only go with an event rate

    const ItemInfo event =
        readSearchAnswer(R"({"data":{"pageList":[{"tkSpecialCampaignIdRateMap":{},"eventRate":25.5,"dayLeft":12}]}})");
    EXPECT_EQ(event.specialCampaign, "0");
    EXPECT_EQ(event.eventRate, "25.5");
    EXPECT_EQ(event.daysLeft, "12");

    for (const char* nothing :
         {R"({"data":{"pageList":[]}})", R"({"data":{"pageList":null}})", "<html>登录</html>", ""})
        EXPECT_EQ(readSearchAnswer(nothing), ItemInfo{}) << nothing;
}

TEST(ItemAnswerTest, CouponIsValidOnlyWithStatusZero)
{
    EXPECT_EQ(readCouponAnswer(R"({"result":{"retStatus":"0","amount":"20","effectiveEndTime":"2024-12-31"}})"),
              (CouponInfo{.amount = "20", .endTime = "2024-12-31", .valid = true}));
    EXPECT_EQ(readCouponAnswer(R"({"result":{"retStatus":0,"amount":5}})").amount, "5");
    for (const char* invalid : {R"({"result":{"retStatus":"1","amount":"20"}})", R"({"result":{}})",
                                "<script>String.fromCharCode(1)</script>", ""})
        EXPECT_EQ(readCouponAnswer(invalid), CouponInfo{}) << invalid;
}

TEST(ItemAnswerTest, ShopScoreIsTheLargerOfTheFirstTwoInTheLayoutsBlock)
{
    const std::pair<const char*, const char*> cases[] = {
        // Newer layout: only the rating box counts, not the price before it.
        {"59.9 tb-rate-higher tb-shop-rate <a>4.8</a><a>4.9</a><a>5.0</a> tb-shop-info-ft 9.9", "4.9"},
        {"tb-rate-higher tb-shop-rate <a>4.9</a><a>4.8</a> tb-shop-info-ft", "4.9"},
        // Older layout.
        {"main-info <span>4.7</span><span>4.6</span> extra-info", "4.7"},
        {"main-info only 4.5 here extra-info", "4.5"},
        {"main-info 5. and 4.8 extra-info", "5."},
        {"main-info 14.85 extra-info", "4.8"},
        {"main-info no score extra-info 4.9", ""},
        {"", ""},
    };
    for (const auto& [page, score] : cases)
        EXPECT_EQ(shopScoreFromPage(page), score) << page;
}

class ItemLookupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.started); }
    std::string itemPage(std::string_view id) { return ItemLookup(*world.services).itemPageUrl(id); }

    test::MarketWorld world;
};

TEST_F(ItemLookupTest, SearchFindsTheItemAndAsksAgainForFreeShipping)
{
    ItemLookup lookup(*world.services);
    const ItemInfo tee = lookup.searchItem(itemPage(MarketplaceCatalog::kCouponItem));
    EXPECT_EQ(tee.title, "夏季纯棉短袖T恤男宽松圆领半袖");
    EXPECT_EQ(tee.price, "59.9");
    EXPECT_EQ(tee.pictureUrl, "http://item.market.sandbox.test/pic/600000000001.jpg_480x480.jpg");
    EXPECT_EQ(tee.specialCampaign, "1");
    EXPECT_EQ(tee.freeShipping, "包邮");
    EXPECT_EQ(world.affiliate->requestCount(sandbox::AffiliateItemService::kSearch), 2);

    EXPECT_EQ(lookup.searchItem(itemPage(MarketplaceCatalog::kExpiredCouponItem)).freeShipping, "不包邮");

    const ItemInfo unknown = lookup.searchItem(itemPage("123"));
    EXPECT_TRUE(unknown.title.empty());
    EXPECT_TRUE(unknown.price.empty());
    EXPECT_TRUE(unknown.pictureUrl.empty());
}

TEST_F(ItemLookupTest, CouponStatesAndTheChallengeRetryWithSessionCookies)
{
    ItemLookup lookup(*world.services);
    const auto coupon = [&](std::string_view itemId) {
        const auto item = world.catalog->item(itemId);
        return lookup.lookupCoupon(lookup.couponApiUrl(item->coupon->activityId, itemId));
    };
    EXPECT_EQ(coupon(MarketplaceCatalog::kCouponItem),
              (CouponInfo{.amount = "20", .endTime = "2024-12-31 23:59:59", .valid = true}));
    EXPECT_EQ(coupon(MarketplaceCatalog::kExpiredCouponItem), CouponInfo{});
    EXPECT_EQ(world.coupons->requestCount(sandbox::CouponService::kApi), 2);

    EXPECT_TRUE(coupon(MarketplaceCatalog::kChallengeItem).valid);
    EXPECT_EQ(world.coupons->requestCount(sandbox::CouponService::kApi), 4);
    // The coupon host's cookies stay out of the affiliate session.
    EXPECT_EQ(world.session.cookie(), "login_sid=s1; _tb_token_=t1");

    world.session.replace("", "");
    EXPECT_FALSE(coupon(MarketplaceCatalog::kChallengeItem).valid);
}

TEST_F(ItemLookupTest, ShopScoreFromBothPageLayoutsAndEncodings)
{
    ItemLookup lookup(*world.services);
    // A GBK page of the marketplace in the newer layout.
    EXPECT_EQ(lookup.readShopScore(MarketplaceCatalog::kCouponItem), "4.9");
    // A mall item: the marketplace page sends it on to the mall's UTF-8 page in the older layout.
    EXPECT_EQ(lookup.readShopScore(MarketplaceCatalog::kMallEventItem), "4.7");
    EXPECT_EQ(world.mallPages->requestCount("/item.htm"), 1);
    EXPECT_EQ(lookup.readShopScore("999"), "");
}

TEST_F(ItemLookupTest, OversizedOrFailedAnswersGiveEmptyValuesAndOneLogLine)
{
    world.affiliate->overrides().setBody(sandbox::AffiliateItemService::kSearch, R"({"data":{"pageList":[{"title":")" +
                                                                                     std::string(kMaxAnswerBytes, 'x') +
                                                                                     "\"}]}}");
    ItemLookup lookup(*world.services);
    const ItemInfo item = lookup.searchItem(itemPage(MarketplaceCatalog::kCouponItem));
    EXPECT_TRUE(item.title.empty());
    EXPECT_THAT(world.logText(), HasSubstr("商品查询返回数据过大"));

    world.marketPages->overrides().setOutcome("/item.htm", sandbox::Outcome::Failure);
    EXPECT_EQ(lookup.readShopScore(MarketplaceCatalog::kCouponItem), "");
}

TEST_F(ItemLookupTest, UnsetHostsSkipTheRequestAndSaySoOnce)
{
    world.hosts.set(web::role::kAffiliateHost, "");
    world.hosts.set(web::role::kMarketItemHost, "");
    ItemLookup lookup(*world.services);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lookup.searchItem("http://x/item.htm?id=1"), ItemInfo{});
        EXPECT_EQ(lookup.readShopScore("1"), "");
    }
    EXPECT_EQ(world.logCount(web::Hosts::unsetMessage(web::role::kAffiliateHost, "商品查询")), 1);
    EXPECT_EQ(world.logCount(web::Hosts::unsetMessage(web::role::kMarketItemHost, "店铺评分查询")), 1);
    EXPECT_EQ(world.affiliate->requestCount(sandbox::AffiliateItemService::kSearch), 0);
}

}  // namespace
}  // namespace dealcast::conversion
