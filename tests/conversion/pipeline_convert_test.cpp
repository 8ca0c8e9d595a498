#include "conversion/commission_plans.h"
#include "conversion/token_services.h"
#include "pipeline_fixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace dealcast::test {
namespace {

using conversion::ConversionMode;
using conversion::ConversionResult;
namespace sc = sending::controls;
namespace cc = conversion::controls;

constexpr std::string_view kTee = sandbox::MarketplaceCatalog::kCouponItem;
constexpr std::string_view kStand = sandbox::MarketplaceCatalog::kPlainItem;

// The T-shirt as a queued product: item link, coupon-landing link with its coupon, copy line.
std::string teeText(std::string_view copy = "文案：透气款男士上衣")
{
    return PipelineWorld::itemLink(kTee) + "\r\nhttps://" + std::string(sandbox::names::kCoupon) +
           "/quan?activityId=a1b2c3d4e5f60718&itemId=" + std::string(kTee) + "\r\n" + std::string(copy);
}

struct WordCase {
    const char* name;
    std::function<void(PipelineWorld&)> setup;
    std::string text;
    std::string word;
    std::string logLine;  // "" when the end writes none
    bool paused;
};

class ConvertProductTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w.started); }
    PipelineWorld w;
};

TEST_F(ConvertProductTest, EveryEarlyEndGivesItsWordLineAndPauseAndLeavesTheFilterAlone)
{
    const std::vector<WordCase> cases = {
        {"no link at all", {}, "今天没有链接", "无商品链接", "没有找到任何淘客或商品链接，请检查！", true},
        {"only a shop-coupon link",
         {},
         "https://" + std::string(sandbox::names::kShopCoupon) + "/?activity_id=77",
         "无商品链接",
         "没有找到商品链接，请检查！",
         true},
        {"duplicate",
         [](PipelineWorld& w) {
             w.tick(cc::kFilterDuplicates, true);
             w.filter.append(std::string(kTee));
         },
         teeText(), "重复商品", "此商品数据库中已存在，取消转化，已跳过！", false},
        {"session lost", [](PipelineWorld& w) { w.loggedIn = false; }, teeText(), "阿里妈妈掉线", "阿里妈妈掉线啦！",
         true},
        {"unknown item", {}, PipelineWorld::itemLink("699999999999"), "转换异常，跳过", "", true},
        {"shop score", [](PipelineWorld& w) { w.setText(sc::kMinShopScore, "4.95"); }, teeText(), "DSR低于条件",
         "DSR低于群发条件，已跳过！【群发条件设置】", true},
        {"coupon ratio", [](PipelineWorld& w) { w.setText(sc::kMinCouponRatio, "50"); }, teeText(),
         "券面值比例低于条件！", "券面值比例低于条件！", false},
        {"price low", [](PipelineWorld& w) { w.setText(sc::kMinPrice, "100"); }, teeText(), "价格低于100",
         "价格低于群发条件，已跳过！【群发条件设置】", true},
        {"price high", [](PipelineWorld& w) { w.setText(sc::kMaxPrice, "39.8"); }, teeText(), "价格高于39.8",
         "价格高于群发条件，已跳过！【群发条件设置】", true},
        {"mall only, conditions off",
         [](PipelineWorld& w) {
             w.tick(sc::kConditionsOn, false);
             w.tick(sc::kMallOnly, true);
         },
         teeText(), "非天猫商品", "此单不是天猫商品，已跳过！【群发条件设置】", true},
        {"sales", [](PipelineWorld& w) { w.setText(sc::kMinSales, "3521"); }, teeText(), "销量低于条件",
         "月销量低于群发条件，已跳过！【群发条件设置】", true},
        {"commission", [](PipelineWorld& w) { w.setText(sc::kMinCommission, "90"); }, teeText(), "佣金低于条件",
         conversion::kBelowMinimumMessage, true},
        {"no share token",
         [](PipelineWorld& w) { w.proxy->setMethodBody(conversion::kShareTokenMethod, "<html>busy</html>"); },
         teeText(), "淘口令获取失败", "微信转换失败！", true},
        {"keyword in title", [](PipelineWorld& w) { w.setText(sc::kExcludedKeywords, "纯棉"); }, teeText(),
         "标题包含关键词【纯棉】，已过滤！", "标题包含关键词【纯棉】，已过滤！", false},
        {"keyword in copy", [](PipelineWorld& w) { w.setText(sc::kExcludedKeywords, "羊毛,透气款"); }, teeText(),
         "文案包含关键词【透气款】，已过滤！", "文案包含关键词【透气款】，已过滤！", false},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.name);
        PipelineWorld world;
        ASSERT_TRUE(world.started);
        world.openConditions();
        if (c.setup)
            c.setup(world);
        const std::size_t filterBefore = world.filter.size();

        const ConversionResult result = world.convert(c.text);

        EXPECT_EQ(result.word, c.word);
        EXPECT_FALSE(result.ready());
        if (!c.logLine.empty()) {
            EXPECT_NE(world.logText().find(c.logLine), std::string::npos) << world.logText();
        }
        EXPECT_EQ(world.elapsedMs(), c.paused ? conversion::kFailurePauseMs : 0);
        EXPECT_EQ(world.filter.size(), filterBefore);
        EXPECT_EQ(world.logText().find("模板匹配..."), std::string::npos);
        EXPECT_TRUE(result.wechatMessage.empty());
    }
}

TEST_F(ConvertProductTest, ConvertedProductHasBothMessagesTheRecordAndEntersTheFilter)
{
    w.openConditions();
    w.setText(cc::kWechatTemplate,
              "[标题]|[现售价]|[券后价]|[券面值]|[文案]|[淘口令]|[禾岚超级短链]|[券链接]|[淘链接]");
    w.setText(cc::kQqTemplate, "[标题]|[二合一短链]|[月销量]|[包邮]");

    const ConversionResult r = w.convert(teeText());

    ASSERT_EQ(r.word, "转化成功") << w.logText();
    EXPECT_TRUE(r.ready());
    EXPECT_EQ(r.price, "59.9");
    EXPECT_EQ(r.priceAfterCoupon, "39.9");
    EXPECT_EQ(r.couponAmount, "20");
    EXPECT_EQ(r.sales, "3520");
    EXPECT_EQ(r.couponsLeft, "");
    EXPECT_NE(r.pictureUrl.find("_480x480.jpg"), std::string::npos);

    const std::string title = "夏季纯棉短袖T恤男宽松圆领半袖";
    const auto token = r.record.substr(r.record.find("|tbCommand=") + 11);
    ASSERT_FALSE(token.empty());
    const auto shortLink =
        r.record.substr(r.record.find("|tbkUrl=") + 8, r.record.find("|itemTitle=") - r.record.find("|tbkUrl=") - 8);
    ASSERT_FALSE(shortLink.empty());
    EXPECT_EQ(r.record, "itemId=" + std::string(kTee) + "|originUrl=" + PipelineWorld::itemLink(kTee) +
                            "|tbkUrl=" + shortLink + "|itemTitle=" + title +
                            "|itemDescription=文案：透气款男士上衣|tbCommand=" + token);
    EXPECT_EQ(r.wechatMessage.substr(0, r.wechatMessage.find("|文案")), title + "|59.9|39.9|20");
    EXPECT_NE(r.wechatMessage.find("|" + token + "|http"), std::string::npos) << r.wechatMessage;
    EXPECT_NE(
        r.wechatMessage.find("seller_id=2200100001&activity_id=a1b2c3d4e5f60718|" + PipelineWorld::itemLink(kTee)),
        std::string::npos)
        << r.wechatMessage;
    EXPECT_EQ(r.qqMessage, title + "|" + shortLink + "|3520|包邮");

    EXPECT_TRUE(w.filter.contains(kTee));
    EXPECT_EQ(readFileBytes(w.filter.file()), std::string(kTee) + "\r\n");
    const std::string log = w.logText();
    for (const char* line :
         {"正在访问并获取优惠券信息...", "自动排序获取最高佣金...", "模板匹配...", "商品链转化完成！"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_LT(log.find("模板匹配..."), log.find("商品链转化完成！"));
    EXPECT_EQ(w.elapsedMs(), 0);
}

TEST_F(ConvertProductTest, DuplicatesAreWholeItemIdsAndOnlySkippedWhileTheFilterIsTicked)
{
    // An id that merely holds the item id is another item.
    w.filter.append("1" + std::string(kStand) + "9");
    w.tick(cc::kFilterDuplicates, true);
    EXPECT_EQ(w.convert(PipelineWorld::itemLink(kStand)).word, "转化成功") << w.logText();
    EXPECT_EQ(w.convert(PipelineWorld::itemLink(kStand)).word, "重复商品");

    w.tick(cc::kFilterDuplicates, false);
    EXPECT_EQ(w.convert(PipelineWorld::itemLink(kStand)).word, "转化成功");
    EXPECT_EQ(readFileBytes(w.filter.file()),
              "1" + std::string(kStand) + "9\r\n" + std::string(kStand) + "\r\n" + std::string(kStand) + "\r\n");
}

TEST_F(ConvertProductTest, ManualModeIgnoresTheSendingConditionsButNotTheShareToken)
{
    w.openConditions();
    w.setText(sc::kMinShopScore, "5");
    w.setText(sc::kMinCouponRatio, "90");
    w.setText(sc::kMinPrice, "1000");
    w.setText(sc::kMinSales, "999999");
    w.setText(sc::kMinCommission, "99");
    w.tick(sc::kMallOnly, true);

    const ConversionResult r = w.convert(teeText(), ConversionMode::Manual, "");
    EXPECT_EQ(r.word, "转化成功") << w.logText();
    // The manual area shows the plans it chose from.
    EXPECT_GE(w.window().find<platform::ListView>(cc::kPlanList)->rowCount(), 2);
    EXPECT_EQ(w.elapsedMs(), 0);

    w.tick(cc::kFilterDuplicates, false);
    w.proxy->setMethodBody(conversion::kShareTokenMethod, "{}");
    EXPECT_EQ(w.convert(teeText(), ConversionMode::Manual, "").word, "淘口令获取失败");
    w.tick(sc::kSendWechat, false);
    EXPECT_EQ(w.convert(teeText(), ConversionMode::Manual, "").word, "转化成功");
}

TEST(ExclusionKeywords, SplitAtTheFullWidthCommaWhenThereIsOne)
{
    using conversion::splitExclusionKeywords;
    using V = std::vector<std::string>;
    EXPECT_EQ(splitExclusionKeywords(""), V{});
    EXPECT_EQ(splitExclusionKeywords("手机"), V{"手机"});
    EXPECT_EQ(splitExclusionKeywords("手机,支架"), (V{"手机", "支架"}));
    EXPECT_EQ(splitExclusionKeywords("a,b，手机"), (V{"a,b", "手机"}));
    // Empty pieces would match every title.
    EXPECT_EQ(splitExclusionKeywords("手机,,支架,"), (V{"手机", "支架"}));
    EXPECT_EQ(splitExclusionKeywords("，"), V{});
}

TEST_F(ConvertProductTest, AnAsciiCommaStaysInsideAKeywordWhenAFullWidthCommaOccurs)
{
    w.openConditions();
    w.tick(cc::kFilterDuplicates, false);
    // Split at "，" only: "支架,手机" is one keyword, found in no title, so the stand is not filtered by it.
    w.setText(sc::kExcludedKeywords, "支架,手机，羊毛");
    EXPECT_EQ(w.convert(PipelineWorld::itemLink(kStand)).word, "转化成功") << w.logText();
    w.setText(sc::kExcludedKeywords, "羊毛，支架");
    EXPECT_EQ(w.convert(PipelineWorld::itemLink(kStand)).word, "标题包含关键词【支架】，已过滤！");
}

TEST(WholeNumber, ReadsTheLeadingWholeNumber)
{
    EXPECT_EQ(conversion::wholeNumber("3520"), 3520);
    EXPECT_EQ(conversion::wholeNumber("12.7"), 12);
    EXPECT_EQ(conversion::wholeNumber(" 15"), 15);
    EXPECT_EQ(conversion::wholeNumber(""), 0);
    EXPECT_EQ(conversion::wholeNumber("万"), 0);
    EXPECT_EQ(conversion::wholeNumber("99999999999999999999"), 0);
}

}  // namespace
}  // namespace dealcast::test
