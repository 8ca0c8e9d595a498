#include "conversion/conversion_controls.h"
#include "conversion/message_template.h"
#include "platform/edit_box.h"
#include "platform/virtual_clock.h"
#include "platform/window_model.h"
#include "web/hosts.h"

#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

using platform::EditBox;
using platform::EventType;
using platform::TextSelection;

TEST(PriceAfterCouponTest, RoundsToOneDecimalInTheShortestForm)
{
    struct Case {
        const char* price;
        const char* coupon;
        const char* expected;
    };
    const Case cases[] = {
        {"19.9", "5", "14.9"},  {"20", "5", "15"},  {"9.99", "0", "10"}, {"0.3", "0.1", "0.2"},
        {"5", "19.9", "-14.9"}, {"10", "10", "0"},  {"", "5", "-5"},     {"12元", "2", "-2"},
        {" 8.5 ", "", "8.5"},   {"nan", "1", "-1"}, {"1e40", "0", "0"},  {"99999.9", "0.05", "99999.8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(priceAfterCoupon(c.price, c.coupon), c.expected) << c.price << " - " << c.coupon;
}

class FillTemplateTest : public ::testing::Test {
protected:
    FillTemplateTest()
    {
        m_clock.setLocalTime({.year = 2024, .month = 3, .day = 5, .hour = 9, .minute = 7, .second = 0});
        m_values = {.title = "保温杯",
                    .copyText = "加厚款",
                    .couponAmount = "5",
                    .price = "19.9",
                    .priceAfterCoupon = "14.9",
                    .freeShipping = "包邮",
                    .shareToken = "￥Ab12￥",
                    .superShortLink = "https://landing.example/s/1",
                    .couponLink = "https://coupon.example/c",
                    .twoInOneLink = "https://c.short.example/2",
                    .itemLink = "https://item.example/item.htm?id=1",
                    .monthlySales = "300"};
    }

    platform::VirtualClock m_clock;
    TemplateValues m_values;
};

TEST_F(FillTemplateTest, DefaultTemplatesGetEveryValue)
{
    EXPECT_EQ(fillTemplate(kWechatTemplateDefault, m_values, m_clock),
              "保温杯\r\n【在售价:19.9】\r\n【券后价:14.9】\r\n加厚款\r\n【淘口令:￥Ab12￥】\r\n"
              "复制这条信息，打开手机淘宝即可领券购买\r\n领券下单：https://landing.example/s/1");
    EXPECT_EQ(fillTemplate(kQqTemplateDefault, m_values, m_clock),
              "保温杯\r\n【在售价:19.9】\r\n【券后价:14.9】\r\n领券下单：https://c.short.example/2\r\n加厚款");
}

TEST_F(FillTemplateTest, EveryPlaceholderAllOccurrencesAndTheUnfilledOnes)
{
    EXPECT_EQ(fillTemplate("[标题]|[标题]|[券面值]|[包邮]|[券链接]|[淘链接]|[月销量]|[二合一短链][二合一短链]",
                           m_values, m_clock),
              "保温杯|保温杯|5|包邮|https://coupon.example/c|https://item.example/item.htm?id=1|300|"
              "https://c.short.example/2https://c.short.example/2");
    EXPECT_EQ(fillTemplate("a[券剩余]b[已领取]c [百度短网址] [短网址] [未知] [标题", m_values, m_clock),
              "abc [百度短网址] [短网址] [未知] [标题");
    EXPECT_EQ(fillTemplate("[发送时间]", m_values, m_clock), "2024年3月5日9时7分0秒");
    EXPECT_EQ(fillTemplate("[券链接][文案]", TemplateValues{}, m_clock), "");
}

TEST_F(FillTemplateTest, ValuesAreNotReadAgainAsPlaceholders)
{
    m_values.title = "[包邮][淘口令]限量";
    m_values.copyText = "[标";
    EXPECT_EQ(fillTemplate("[标题] [文案]题] [包邮]", m_values, m_clock), "[包邮][淘口令]限量 [标题] 包邮");
}

TEST(SendTimeTest, NoLeadingZerosAndMidnightAsZeros)
{
    platform::VirtualClock clock;
    clock.setLocalTime({.year = 2024, .month = 12, .day = 31, .hour = 0, .minute = 0, .second = 0});
    EXPECT_EQ(sendTimeText(clock), "2024年12月31日0时0分0秒");
}

TEST(CouponPageLinkTest, OnlyWithAnActivityIdAndAHost)
{
    web::Hosts hosts;
    EXPECT_EQ(couponPageLink(hosts, "77", "A1"), "");
    hosts.set(web::role::kCouponPageHost, "page.market.sandbox.test");
    EXPECT_EQ(couponPageLink(hosts, "77", ""), "");
    EXPECT_EQ(
        couponPageLink(hosts, "77", "A1"),
        "https://page.market.sandbox.test/apps/aliyx/coupon/detail.html?wh_weex=true&seller_id=77&activity_id=A1");
}

class TemplateEditorTest : public ::testing::Test {
protected:
    TemplateEditorTest()
    {
        m_window.addAll(conversionControls());
        m_editor.bindHandlers(m_window);
    }

    EditBox& box(const char* name) { return *m_window.find<EditBox>(name); }

    platform::WindowModel m_window{"main", 1000, 700};
    TemplateEditor m_editor;
};

TEST_F(TemplateEditorTest, LabelsInsertAtTheCaretOfTheBoxThatLastHadTheFocus)
{
    EditBox& wechat = box(controls::kWechatTemplate);
    EditBox& qq = box(controls::kQqTemplate);
    wechat.setText("AB");
    qq.setText("XYZ");
    wechat.setSelection(1, 0);
    qq.setSelection(1, 1);

    // Before any box had the focus, the WeChat template is the target.
    EXPECT_TRUE(m_window.raise(controls::kTitleLabel, EventType::Clicked));
    EXPECT_EQ(wechat.text(), "A[标题]B");
    EXPECT_EQ(wechat.selection(), (TextSelection{5, 0}));

    m_window.raise(controls::kQqTemplate, EventType::FocusGained);
    m_window.raise(controls::kSendTimeLabel, EventType::Clicked);
    EXPECT_EQ(qq.text(), "X[发送时间]Z");
    m_window.raise(controls::kWechatTemplate, EventType::FocusGained);
    m_window.raise(controls::kBaiduShortLinkLabel, EventType::Clicked);
    EXPECT_EQ(wechat.text(), "A[标题][百度短网址]B");

    for (const char* label : controls::kPlaceholderLabels)
        EXPECT_TRUE(m_window.raise(label, EventType::Clicked)) << label;

    m_editor.setTarget(2);
    const std::string before = wechat.text();
    m_window.raise(controls::kTitleLabel, EventType::Clicked);
    EXPECT_EQ(wechat.text(), before);
    EXPECT_EQ(qq.text(), "X[发送时间]Z");
}

TEST_F(TemplateEditorTest, CtrlASelectsTheWholeTextOfTheSixBoxes)
{
    for (const char* name : {controls::kWechatTemplate, controls::kQqTemplate, controls::kSingleItemText,
                             controls::kWechatMessage, controls::kQqMessage, controls::kCopyText}) {
        SCOPED_TRACE(name);
        EditBox& edit = box(name);
        edit.setText("一二\r\n三");
        edit.setSelection(1, 0);
        m_window.raise(name, EventType::Key, {.keyCode = 65, .modifiers = platform::kCtrl | platform::kShift});
        m_window.raise(name, EventType::Key, {.keyCode = 65});
        m_window.raise(name, EventType::Key, {.keyCode = 66, .modifiers = platform::kCtrl});
        EXPECT_EQ(edit.selection(), (TextSelection{1, 0}));
        m_window.raise(name, EventType::Key, {.keyCode = 65, .modifiers = platform::kCtrl});
        EXPECT_EQ(edit.selection(), (TextSelection{0, 5}));
    }
}

TEST_F(TemplateEditorTest, ResetWritesTheResetTexts)
{
    box(controls::kWechatTemplate).setText("x");
    box(controls::kQqTemplate).setText("y");
    m_window.raise(controls::kResetTemplates, EventType::Clicked);
    EXPECT_EQ(box(controls::kWechatTemplate).text(), kWechatTemplateDefault);
    EXPECT_EQ(box(controls::kQqTemplate).text(),
              "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n领券下单：[禾岚超级短链]\r\n[文案]");
}

}  // namespace
}  // namespace dealcast::conversion
