#include "conversion/commission_plans.h"
#include "conversion/conversion_controls.h"
#include "market_world.h"
#include "platform/list_view.h"
#include "sandbox/marketplace_catalog.h"
#include "sending/sending_controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

using sandbox::AffiliateItemService;
using sandbox::MarketplaceCatalog;
using ::testing::HasSubstr;
using ::testing::StartsWith;

CommissionPlan plan(std::string name, std::string rate, std::string campaign = "1", std::string review = "否",
                    std::string status = "")
{
    return {.itemId = "7",
            .name = std::move(name),
            .campaignId = std::move(campaign),
            .keeperId = "99",
            .rate = std::move(rate),
            .manualReview = std::move(review),
            .status = std::move(status)};
}

std::vector<std::string> namesOf(const std::vector<CommissionPlan>& plans)
{
    std::vector<std::string> out;
    for (const auto& p : plans)
        out.push_back(p.name);
    return out;
}

TEST(SortPlansTest, DescendingByNumberAndStableForTies)
{
    // Two plans even share a campaign id: each stays once in the result.
    const auto sorted = sortPlans({plan("a", "9.5", "1"), plan("b", "20", "2"), plan("c", "10", "3"),
                                   plan("d", "20", "2"), plan("e", "x", "4"), plan("f", "20.0", "5")});
    EXPECT_EQ(namesOf(sorted), (std::vector<std::string>{"b", "d", "f", "c", "a", "e"}));
}

TEST(PrivilegeAnswerTest, ReadsPlainWrappedAndNestedForms)
{
    const std::string inner =
        R"({"tbk_privilege_get_response":{"result":{"data":{"coupon_click_url":"https://c/x?e=1","coupon_remain_count":70}}}})";
    std::string escaped;
    for (const char c : inner) {
        if (c == '"')
            escaped += '\\';
        escaped += c;
    }
    struct Case {
        std::string answer;
        std::string click;
        std::string remain;
    };
    const Case cases[] = {
        {inner, "https://c/x?e=1", "70"},
        {R"({"response":")" + escaped + R"("})", "https://c/x?e=1", "70"},
        // Escaped slashes in the wrapped form.
        {R"({"response":"{\"tbk_privilege_get_response\":{\"result\":{\"data\":{\"coupon_click_url\":\"https:\\/\\/c\\/y\"}}}}"})",
         "https://c/y", ""},
        {R"({"tbk_privilege_get_response":{"result":{"data":{"category_id":{"coupon_click_url":"https://c/z"}}}}})",
         "https://c/z", ""},
        // A wrapper that is not valid JSON is cut open by hand.
        {R"({"response":"{\"tbk_privilege_get_response\":{\"result\":{\"data\":{\"coupon_click_url\":\"u\"}}}}"})"
         "trailing",
         "", ""},
        {R"({"error_response":{"msg":"Remote service error"}})", "", ""},
        {"<html>502</html>", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const PrivilegeLink link = readPrivilegeAnswer(c.answer);
        EXPECT_EQ(link.clickUrl, c.click) << c.answer;
        EXPECT_EQ(link.remainCount, c.remain) << c.answer;
        EXPECT_FALSE(link.sessionInvalid);
    }
}

TEST(PlanListTest, FillsFiveColumnsWithTheEstimatedCommission)
{
    platform::ListView list({.name = "l", .kind = platform::ControlKind::ListView}, nullptr);
    list.append({"old"});
    fillPlanList(list, {plan("通用计划", "29.5", "0000", "否", "已通过"), plan("定向", "8", "1", "是", "未申请")},
                 "14.9");
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(*list.row(0), (std::vector<std::string>{"1", "通用计划", "29.5%", "4.4", "已通过", "否"}));
    EXPECT_EQ(*list.row(1), (std::vector<std::string>{"2", "定向", "8%", "1.2", "未申请", "是"}));
}

class CommissionPlansTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.started); }

    std::vector<CommissionPlan> query(std::string_view id)
    {
        const auto item = world.catalog->item(id);
        return plans.queryPlans(id, item->plans.empty() ? "0" : "1", item->eventRate, item->rate, item->nick);
    }

    test::MarketWorld world;
    CommissionPlans plans{*world.services, world.dialogs};
};

TEST_F(CommissionPlansTest, QueryListsShopCampaignsAtTheirRateLessHalfThenEventAndGeneral)
{
    EXPECT_EQ(
        query(MarketplaceCatalog::kPlainItem),
        (std::vector<CommissionPlan>{
            {.itemId = "600000000006", .name = "通用计划", .campaignId = "0000", .rate = "6", .manualReview = "否"}}));
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kCampaigns), 0);

    const auto tee = query(MarketplaceCatalog::kCouponItem);
    ASSERT_EQ(tee.size(), 3u);
    EXPECT_EQ(tee[0], (CommissionPlan{.itemId = "600000000001",
                                      .name = "棉麻小铺高佣定向",
                                      .campaignId = "31001",
                                      .keeperId = "2200100001",
                                      .rate = "29.5",
                                      .manualReview = "否",
                                      .status = "未申请"}));
    EXPECT_EQ(tee[1].rate, "44.5");
    EXPECT_EQ(tee[1].manualReview, "是");
    EXPECT_EQ(tee[2].name, "通用计划");

    const auto cup = query(MarketplaceCatalog::kMallEventItem);
    EXPECT_EQ(namesOf(cup), (std::vector<std::string>{"鹊桥计划", "通用计划"}));
    EXPECT_EQ(cup[0].campaignId, "8888");
    EXPECT_EQ(cup[0].rate, "25.5");
    EXPECT_THAT(world.logText(), HasSubstr("查询产品推广计划..."));
}

TEST_F(CommissionPlansTest, AJoinedCampaignIsLeftAndListsAsNotApplied)
{
    const auto shoes = query(MarketplaceCatalog::kChallengeItem);
    ASSERT_EQ(shoes.size(), 2u);
    EXPECT_EQ(shoes[0].status, "未申请");
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kJoined), 1);
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kExit), 1);
    EXPECT_FALSE(world.catalog->item(MarketplaceCatalog::kChallengeItem)->plans[0].joined);

    // A campaign under review stays as it is, and a failed query leaves the event and general plans.
    EXPECT_EQ(query(MarketplaceCatalog::kEqualRatesItem)[1].status, "审核中");
    world.affiliate->overrides().setOutcome(AffiliateItemService::kCampaigns, sandbox::Outcome::Failure);
    EXPECT_EQ(namesOf(query(MarketplaceCatalog::kCouponItem)), (std::vector<std::string>{"通用计划"}));
}

TEST_F(CommissionPlansTest, ApplyJudgesTheAnswerAndRetriesOnce)
{
    struct Case {
        const char* campaign;
        const char* keeper;
        int failuresFirst;
        ApplyResult result;
        int requests;
        const char* log;
    };
    const Case cases[] = {
        {"31001", "2200100001", 0, ApplyResult::Applied, 1, "申请定向计划成功！"},
        {"31002", "2200100001", 0, ApplyResult::AlreadyApplied, 1, "此定向计划已经申请过，等待商家审核！"},
        {"35002", "2200500005", 0, ApplyResult::Failed, 2, "申请定向计划失败，请检查登录状态！"},
        {"34001", "2200400004", 1, ApplyResult::Applied, 2, "申请定向计划成功！"},
        {"34001", "2200400004", 2, ApplyResult::Failed, 2, "申请定向计划失败，请检查登录状态！"},
    };
    int total = 0;
    for (const Case& c : cases) {
        world.affiliate->failApplications(c.failuresFirst);
        const int before = world.logCount(c.log);
        EXPECT_EQ(plans.applyForPlan(c.campaign, c.keeper, "1"), c.result) << c.campaign;
        total += c.requests;
        EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kApply), total) << c.campaign;
        EXPECT_EQ(world.logCount(c.log), before + 1) << c.campaign;
    }
    EXPECT_EQ(applyResultText(ApplyResult::Applied), "1");
    EXPECT_EQ(applyResultText(ApplyResult::AlreadyApplied), "-1");
    EXPECT_EQ(applyResultText(ApplyResult::Failed), "0");
}

TEST_F(CommissionPlansTest, MarkPlansMarksTheFirstUsablePlanOnly)
{
    auto marked = [&](std::vector<CommissionPlan> list, bool coupon) {
        plans.markPlans(list, "1", coupon);
        std::vector<std::string> statuses;
        for (const auto& p : list)
            statuses.push_back(p.status);
        return statuses;
    };
    const std::vector<CommissionPlan> list = {plan("shop", "30", "31001", "否", "未申请"),
                                              plan("review", "25", "31002", "是", "未申请"),
                                              plan(kGeneralPlan, "20", "0000")};
    EXPECT_EQ(marked(list, true), (std::vector<std::string>{"已通过", "未申请", ""}));
    EXPECT_EQ(marked(list, false), (std::vector<std::string>{"未申请", "未申请", "已通过"}));

    // The best plan needs a review: applied for only when asked, and marked when the application went in.
    std::vector<CommissionPlan> reviewedFirst = {plan("review", "45", "31001", "是", "未申请"),
                                                 plan(kGeneralPlan, "20", "0000")};
    reviewedFirst[0].keeperId = "2200100001";
    EXPECT_EQ(marked(reviewedFirst, false), (std::vector<std::string>{"未申请", "已通过"}));
    world.tick(controls::kApplyReviewedPlans, true);
    EXPECT_EQ(marked(reviewedFirst, false), (std::vector<std::string>{"已通过", ""}));
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kApply), 1);
}

TEST_F(CommissionPlansTest, CommissionMinimumAppliesOnlyWhenSendingWithConditions)
{
    world.tick(sending::controls::kConditionsOn, true);
    world.setText(sending::controls::kMinCommission, "10");
    const LinkRequest sending{.itemId = "600000000006", .title = "t", .sending = true};

    // A shop campaign below the minimum is skipped with a note; the general plan below it ends the search.
    const auto below = sortPlans({plan("shop", "9.9999998", "31001", "否", "已通过"), plan(kGeneralPlan, "6", "0000")});
    LinkRequest withCoupon = sending;
    withCoupon.activity = true;
    const LinkResult refused = plans.chooseAndLink(below, withCoupon);
    EXPECT_FALSE(refused.planMet);
    EXPECT_EQ(world.logCount(kBelowMinimumMessage), 2);
    EXPECT_EQ(world.proxy->requestCount(sandbox::TokenProxyService::kDock), 0);

    // Within the tolerance the rate counts as meeting the minimum.
    const LinkResult within = plans.chooseAndLink({plan(kGeneralPlan, "9.99999995", "0000")}, sending);
    EXPECT_TRUE(within.planMet);

    // A manual conversion ignores the minimum; so does sending without the conditions ticked.
    LinkRequest manual = sending;
    manual.sending = false;
    EXPECT_TRUE(plans.chooseAndLink(below, manual).planMet);
    world.tick(sending::controls::kConditionsOn, false);
    const LinkResult unconditioned = plans.chooseAndLink(below, sending);
    EXPECT_TRUE(unconditioned.planMet);
    EXPECT_EQ(unconditioned.planKind, PlanKind::General);
}

TEST_F(CommissionPlansTest, ChooseSkipsReviewedAndUnusableShopPlans)
{
    const LinkRequest noCoupon{.itemId = "600000000006", .title = "t"};
    const auto sorted =
        sortPlans({plan("review", "45", "31002", "是", "未申请"), plan("shop", "30", "31001", "否", "已通过"),
                   plan(kEventPlan, "25", "8888"), plan(kGeneralPlan, "6", "0000")});
    EXPECT_EQ(plans.chooseAndLink(sorted, noCoupon).planKind, PlanKind::Event);
    LinkRequest coupon = noCoupon;
    coupon.activity = true;
    EXPECT_EQ(plans.chooseAndLink(sorted, coupon).planKind, PlanKind::Shop);
    // Not applied for and refused: the next plan is used.
    EXPECT_EQ(
        plans.chooseAndLink({plan("shop", "30", "35002", "否", "未申请"), plan(kGeneralPlan, "6", "0000")}, coupon)
            .planKind,
        PlanKind::General);
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kApply), 2);
}

TEST_F(CommissionPlansTest, LinksFromTheClickUrlWithTokenShortLinkAndSuperShortLink)
{
    const LinkRequest request{.itemId = std::string(MarketplaceCatalog::kCouponItem),
                              .activityId = "a1b2c3d4e5f60718",
                              .price = "59.9",
                              .title = "夏季纯棉短袖T恤男",
                              .superShortQuery = "title=夏季纯棉短袖T恤男&couponprice=39.9",
                              .activity = true,
                              .wechatPid = {"2233", "4455", "mm_1_2233_4455"},
                              .qqPid = {"2233", "4466", "mm_1_2233_4466"}};
    const LinkResult result = plans.chooseAndLink({plan(kGeneralPlan, "20.5", "0000")}, request);
    ASSERT_TRUE(result.planMet);
    EXPECT_EQ(result.wechatItemLink, "https://item.market.sandbox.test/item.htm?id=600000000001");
    EXPECT_EQ(result.qqItemLink, result.wechatItemLink);
    EXPECT_THAT(result.shareToken, StartsWith("￥"));
    EXPECT_THAT(result.shortLink, StartsWith("http://c.short.sandbox.test/"));
    // The chosen shortener by design is the third one.
    EXPECT_THAT(result.superShortLink, StartsWith("http://c.short.sandbox.test/"));
    EXPECT_NE(result.superShortLink, result.shortLink);

    const auto fields = world.proxy->lastFields();
    EXPECT_EQ(fields.at("methodName"), kSpreadLinkMethod);
    EXPECT_THAT(fields.at("parameter"), HasSubstr("&activityId=a1b2c3d4e5f60718&src=hlan_dadaze"));
    EXPECT_EQ(world.proxy->methodCount(kPrivilegeMethod), 1);
    EXPECT_EQ(world.logCount("淘口令：" + result.shareToken + " | 唤醒链接：" + result.superShortLink +
                             " | 二合一短链：" + result.shortLink),
              1);

    // The landing page behind the super short link carries the token and the two-in-one link.
    web::CookieJar jar;
    const auto landing = world.http->request({.url = result.superShortLink}, jar);
    EXPECT_EQ(landing.status, 200);
    EXPECT_THAT(landing.text, HasSubstr(result.shareToken));
    EXPECT_THAT(landing.text, HasSubstr(result.shortLink));
}

TEST_F(CommissionPlansTest, WithoutCouponTheAffiliateBackEndConvertsTheItemLink)
{
    const LinkRequest request{.itemId = std::string(MarketplaceCatalog::kPlainItem),
                              .title = "手机支架",
                              .wechatPid = {"2233", "4455", "mm_1_2233_4455"}};
    const LinkResult result = plans.chooseAndLink({plan(kGeneralPlan, "6", "0000")}, request);
    EXPECT_THAT(result.shareToken, StartsWith("￥"));
    EXPECT_THAT(result.shortLink, StartsWith("http://c.short.sandbox.test/"));
    EXPECT_TRUE(result.superShortLink.empty());
    EXPECT_EQ(world.affiliate->requestCount(AffiliateItemService::kUrlTrans), 1);
    EXPECT_EQ(world.proxy->methodCount(kShareTokenMethod), 0);

    // A manual conversion with a typed PID makes the link for that slot.
    world.setText(controls::kManualPid, "mm_1_7788_9900");
    plans.chooseAndLink({plan(kGeneralPlan, "6", "0000")}, request);
    EXPECT_THAT(world.proxy->lastFields().at("parameter"), HasSubstr(R"("adzoneId":"9900","siteId":"7788")"));
}

TEST_F(CommissionPlansTest, InvalidSessionTellsTheUserAndStopsTheLinks)
{
    world.accessToken.clear();
    const LinkRequest request{.itemId = std::string(MarketplaceCatalog::kCouponItem),
                              .activityId = "a1b2c3d4e5f60718",
                              .title = "t",
                              .superShortQuery = "title=t",
                              .activity = true};
    const LinkResult result = plans.chooseAndLink({plan(kGeneralPlan, "20.5", "0000")}, request);
    EXPECT_TRUE(result.sessionInvalid);
    EXPECT_TRUE(result.shareToken.empty());
    const auto shown = world.dialogs.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, kInvalidSessionMessage);
    EXPECT_EQ(world.proxy->requestCount(sandbox::TokenProxyService::kDock), 1);
}

TEST_F(CommissionPlansTest, PrivilegeIsAskedOnceMoreWhenTheFirstAnswerHasNoLink)
{
    world.proxy->setMethodBody(kPrivilegeMethod, R"({"tbk_privilege_get_response":{"result":{"data":{}}}})");
    EXPECT_TRUE(plans.getPrivilegeLink(MarketplaceCatalog::kCouponItem, "4455", "2233").clickUrl.empty());
    EXPECT_EQ(world.proxy->methodCount(kPrivilegeMethod), 2);
    world.proxy->setMethodBody(kPrivilegeMethod, "");
    world.proxy->setWrapPrivilege(false);
    const PrivilegeLink link = plans.getPrivilegeLink(MarketplaceCatalog::kCouponItem, "4455", "2233");
    EXPECT_EQ(link.clickUrl, MarketplaceCatalog::clickUrl(MarketplaceCatalog::kCouponItem, "4455"));
    EXPECT_EQ(link.remainCount, "100");
    EXPECT_EQ(world.proxy->lastFields().at("sessionKey"), "grant-token-1");
}

}  // namespace
}  // namespace dealcast::conversion
