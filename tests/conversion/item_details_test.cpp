#include "conversion/conversion_controls.h"
#include "conversion/item_details.h"
#include "market_world.h"
#include "platform/label.h"
#include "platform/list_view.h"
#include "platform/picture_box.h"
#include "sandbox/item_page_service.h"
#include "sending/sending_controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

using ::testing::HasSubstr;

class ItemDetailsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.started); }
    std::string label(std::string_view name) { return world.window().find<platform::Label>(name)->text(); }

    test::MarketWorld world;
    bool loggedIn = true;
    ItemDetails details{*world.services, world.dialogs, [this] { return loggedIn; }};
};

TEST_F(ItemDetailsTest, FillsTheProductAreaAndThePlanListForTheSelectedRow)
{
    const std::string text =
        "夏季纯棉短袖T恤\r\nhttps://item.market.sandbox.test/item.htm?id=600000000001\r\n"
        "https://coupon.market.sandbox.test/coupon?activityId=a1b2c3d4e5f60718&itemId=600000000001";
    auto* queue = world.window().find<platform::ListView>(sending::controls::kQueue);
    queue->append({"1", text, "待发"});
    queue->setCurrentRow(0);
    world.tick(controls::kAutoApplyPlans, true);

    ASSERT_TRUE(details.showSelected(DetailsList::Queue));
    EXPECT_EQ(label(controls::kCurrentPrice), "59.9");
    EXPECT_EQ(label(controls::kCouponAmount), "20");
    EXPECT_EQ(label(controls::kPriceAfterCoupon), "39.9");
    EXPECT_EQ(label(controls::kMonthlySales), "3520");
    EXPECT_EQ(world.window().find<platform::EditBox>(controls::kCopyText)->text(), text);
    EXPECT_EQ(world.window().find<platform::PictureBox>(controls::kPicture)->image(),
              sandbox::ItemPageService::pictureBytes());
    EXPECT_THAT(world.logText(), HasSubstr("正在访问并获取优惠券信息..."));

    // Sorted plans; with a coupon the best shop campaign without review is marked approved.
    const auto rows = world.window().find<platform::ListView>(controls::kPlanList)->rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"1", "棉麻小铺招商团长计划", "44.5%", "17.8", "未申请", "是"}));
    EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"2", "棉麻小铺高佣定向", "29.5%", "11.8", "已通过", "否"}));
    EXPECT_EQ(rows[2].cells[1], "通用计划");
}

TEST_F(ItemDetailsTest, StopsEarlyWithTheReasonInTheLog)
{
    EXPECT_FALSE(details.show("没有链接的文案"));
    EXPECT_THAT(world.logText(), HasSubstr("没有找到任何淘客或商品链接，请检查！"));
    world.hosts.set(web::role::kShopCouponHost, sandbox::names::kShopCoupon);
    EXPECT_FALSE(details.show("https://shop.m.market.sandbox.test/coupon?activity_id=1"));
    EXPECT_THAT(world.logText(), HasSubstr("没有找到商品链接，请检查！"));
    loggedIn = false;
    EXPECT_FALSE(details.show("https://item.market.sandbox.test/item.htm?id=600000000001"));
    EXPECT_THAT(world.logText(), HasSubstr("阿里妈妈掉线啦！"));
    EXPECT_EQ(world.affiliate->requestCount("/items/search.json"), 0);
    // No row selected: nothing to show.
    EXPECT_EQ(selectedRowText(world.window(), DetailsList::Collection), "");
}

}  // namespace
}  // namespace dealcast::conversion
