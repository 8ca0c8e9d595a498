#include "pipeline_fixture.h"

#include <gtest/gtest.h>

namespace dealcast::test {
namespace {

using conversion::ConversionMode;
namespace cc = conversion::controls;
namespace rc = relay::controls;

constexpr std::string_view kStand = sandbox::MarketplaceCatalog::kPlainItem;
constexpr char kGroupPicture[] = "http://pic.example/g.jpg";

class GroupPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w.started);
        w.tick(rc::kUseGroupPicture, true);
        w.tick(cc::kFilterDuplicates, false);
    }
    PipelineWorld w;
};

TEST_F(GroupPictureTest, ALinklessMonitoredMessageGoesOnUnchangedWithItsPicture)
{
    w.tick(rc::kSendLinkless, true);
    const auto r =
        w.convert(std::string("今日好物推荐\r\n限时抢imgurl=") + kGroupPicture, ConversionMode::Sending, "监控");
    EXPECT_EQ(r.word, "文案消息");
    EXPECT_TRUE(r.ready());
    EXPECT_EQ(r.wechatMessage, "今日好物推荐\r\n限时抢");
    EXPECT_EQ(r.qqMessage, r.wechatMessage);
    EXPECT_EQ(r.pictureUrl, kGroupPicture);
    EXPECT_EQ(w.elapsedMs(), 0);
    EXPECT_EQ(w.filter.size(), 0u);

    // A picture kept on the marketplace's own domain does not make the message a product.
    const std::string marketPicture = "https://" + std::string(sandbox::names::kMarketItem) + "/pic/1.jpg";
    const auto p = w.convert("新品上架imgurl=" + marketPicture, ConversionMode::Sending, "监控");
    EXPECT_EQ(p.word, "文案消息");
    EXPECT_EQ(p.wechatMessage, "新品上架");
    EXPECT_EQ(p.pictureUrl, marketPicture);
}

TEST_F(GroupPictureTest, ALinklessMessageIsNoProductOtherwise)
{
    struct Case {
        bool linkless;
        const char* source;
    };
    // Only a monitored message with "发无链信息" ticked passes without a link.
    for (const Case c : {Case{false, "监控"}, Case{true, "采集"}, Case{true, "单品"}}) {
        SCOPED_TRACE(c.source);
        PipelineWorld world;
        world.tick(rc::kUseGroupPicture, true);
        world.tick(rc::kSendLinkless, c.linkless);
        const auto r = world.convert("今日好物推荐imgurl=http://pic.example/g.jpg", ConversionMode::Sending, c.source);
        EXPECT_EQ(r.word, "无商品链接");
        EXPECT_NE(world.logText().find("没有找到任何淘客或商品链接，请检查！"), std::string::npos);
        EXPECT_EQ(world.elapsedMs(), conversion::kFailurePauseMs);
    }
}

TEST_F(GroupPictureTest, AMonitoredMessageKeepsItsTitleLinePictureAndWording)
{
    const std::string message =
        "手机支架限时抢\r\n" + PipelineWorld::itemLink(kStand) + "\r\n￥OLD123￥imgurl=" + kGroupPicture;
    w.setText(cc::kWechatTemplate, "[标题]|[淘口令]");

    auto r = w.convert(message, ConversionMode::Sending, "监控");
    ASSERT_EQ(r.word, "转化成功") << w.logText();
    EXPECT_EQ(r.pictureUrl, kGroupPicture);
    EXPECT_EQ(r.productText.find("imgurl="), std::string::npos);
    EXPECT_NE(r.productText.find("[淘口令]"), std::string::npos) << r.productText;
    const std::string token = r.record.substr(r.record.find("|tbCommand=") + 11);
    ASSERT_FALSE(token.empty());
    EXPECT_EQ(r.wechatMessage, "手机支架限时抢|" + token);
    EXPECT_NE(r.record.find("|itemTitle=手机支架限时抢|"), std::string::npos);

    // With the product's own wording, the rewritten message is the template.
    w.tick(cc::kUseProductText, true);
    r = w.convert(message, ConversionMode::Sending, "监控");
    ASSERT_EQ(r.word, "转化成功");
    EXPECT_EQ(r.wechatMessage.find("OLD123"), std::string::npos);
    EXPECT_NE(r.wechatMessage.find(token), std::string::npos) << r.wechatMessage;
    EXPECT_EQ(r.wechatMessage.find("[淘口令]"), std::string::npos);

    // Without group-picture mode the search picture and title stay.
    w.tick(rc::kUseGroupPicture, false);
    w.tick(cc::kUseProductText, false);
    r = w.convert(message, ConversionMode::Sending, "监控");
    ASSERT_EQ(r.word, "转化成功");
    EXPECT_NE(r.pictureUrl, kGroupPicture);
    EXPECT_EQ(r.wechatMessage, "手机支架桌面懒人支架|" + token);
}

// Broken or hostile answers end with the step's word, never a crash or a hang.
TEST(HostileAnswers, EndWithTheStepsWord)
{
    struct Case {
        const char* name;
        std::function<void(PipelineWorld&)> breakIt;
        const char* word;
    };
    const std::string huge(std::size_t{5} << 20, '{');
    const std::vector<Case> cases = {
        {"truncated search",
         [](PipelineWorld& w) {
             w.affiliate->overrides().setBody(sandbox::AffiliateItemService::kSearch,
                                              R"({"data":{"pageList":[{"title":"x","zkPrice":)");
         },
         "转换异常，跳过"},
        {"oversized search",
         [&huge](PipelineWorld& w) { w.affiliate->overrides().setBody(sandbox::AffiliateItemService::kSearch, huge); },
         "转换异常，跳过"},
        {"search with a zero price",
         [](PipelineWorld& w) {
             w.affiliate->overrides().setBody(
                 sandbox::AffiliateItemService::kSearch,
                 R"({"data":{"pageList":[{"title":"x","zkPrice":"0.00","pictUrl":"//p.example/a.jpg"}]}})");
         },
         "转换异常，跳过"},
        {"search server error",
         [](PipelineWorld& w) {
             w.affiliate->overrides().setOutcome(sandbox::AffiliateItemService::kSearch, sandbox::Outcome::Failure);
         },
         "转换异常，跳过"},
        {"every token service down",
         [](PipelineWorld& w) {
             w.proxy->overrides().setOutcome(sandbox::TokenProxyService::kDock, sandbox::Outcome::Failure);
             w.affiliate->overrides().setBody(sandbox::AffiliateItemService::kUrlTrans, "\xff\xfe garbage");
         },
         "淘口令获取失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PipelineWorld w;
        ASSERT_TRUE(w.started);
        c.breakIt(w);
        const auto r = w.convert(PipelineWorld::itemLink(kStand));
        EXPECT_EQ(r.word, c.word) << w.logText();
        EXPECT_EQ(w.filter.size(), 0u);
    }
}

}  // namespace
}  // namespace dealcast::test
