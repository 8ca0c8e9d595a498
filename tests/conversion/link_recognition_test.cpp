#include "conversion/link_recognition.h"
#include "platform/check_box.h"
#include "platform/edit_box.h"
#include "platform/window_model.h"
#include "relay/relay_controls.h"
#include "sandbox/click_redirect_service.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/sandbox_names.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <atomic>
#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

namespace names = sandbox::names;

// Every marketplace role named as the sandbox names it.
void setMarketplaceRoles(web::Hosts& hosts)
{
    hosts.set(web::role::kMarketDomain, names::kMarketDomain);
    hosts.set(web::role::kMallDomain, names::kMallDomain);
    hosts.set(web::role::kMarketItemHost, names::kMarketItem);
    hosts.set(web::role::kMallItemHost, names::kMallItem);
    hosts.set(web::role::kCouponHost, names::kCoupon);
    hosts.set(web::role::kShopCouponHost, names::kShopCoupon);
    hosts.set(web::role::kClickHost, names::kClick);
}

web::Hosts marketplaceHosts()
{
    web::Hosts hosts;
    setMarketplaceRoles(hosts);
    return hosts;
}

TEST(QueryValueTest, TakesTheFirstKeyUpToTheNextAmpersandElseTheRestRegardlessOfCase)
{
    struct Case {
        const char* text;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"https://h/item.htm?spm=a&id=123&ns=1", "id", "123"},
        {"https://h/item.htm?id=123", "id", "123"},          // no "&" behind it: to the end
        {"https://h/item.htm?ID=123&x=1", "id", "123&x=1"},  // only the exact case stops at "&"
        {"https://h/a?id=&x=1", "id", "&x=1"},               // nothing between: the rest
        {"https://h/a?pid=mm_1&id=9&x", "id", "mm_1"},       // a plain substring: "pid=" comes first
        {"https://h/a?itemId=5&id=3", "id", "5&id=3"},       // "id=" has no "&" behind; "Id=" is first
        {"https://h/a?activityId=77&activity_id=88", "activityId", "77"},
        {"https://h/a?x=1", "id", ""},
        {"", "id", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(queryValue(c.text, c.key), c.expected) << c.text << " / " << c.key;
}

TEST(LinkHelpersTest, WholeTextTestAndPictureSplit)
{
    const web::Hosts hosts = marketplaceHosts();
    EXPECT_TRUE(hasMarketLink("看这个 https://item.market.sandbox.test/item.htm?id=1", hosts));
    EXPECT_TRUE(hasMarketLink("https://detail.mall.sandbox.test/item.htm?id=1", hosts));
    // The bare domain is not enough: the test wants the suffix with its dot.
    EXPECT_FALSE(hasMarketLink("market.sandbox.test", hosts));
    EXPECT_FALSE(hasMarketLink("https://item.market.sandbox.test/", web::Hosts()));

    const PictureSplit split = splitPicture("标题\r\n链接imgurl=https://pic.example/a.jpg");
    EXPECT_EQ(split.text, "标题\r\n链接");
    EXPECT_EQ(split.pictureUrl, "https://pic.example/a.jpg");
    EXPECT_EQ(splitPicture("no picture").text, "no picture");
    EXPECT_EQ(splitPicture("no picture").pictureUrl, "");
}

// Scans whose links name their item themselves, so no request is made.
TEST(RecognizeLinksTest, FindsItemCouponAndCopyLineByLine)
{
    const web::Hosts hosts = marketplaceHosts();
    const web::HttpClient http;
    const LinkRecognition links(hosts, http);

    struct Case {
        const char* name;
        const char* text;
        LinkScanResult expected;
    };
    const Case cases[] = {
        {"market item with copy",
         "好物推荐\r\nhttps://item.market.sandbox.test/item.htm?spm=a1&id=111&ns=1\r\n超值好价",
         {.itemId = "111", .copyText = "超值好价"}},
        {"mall item, no next line", "https://detail.mall.sandbox.test/item.htm?id=222", {.itemId = "222"}},
        {"address without scheme", "item.market.sandbox.test/item.htm?id=55&x=1", {.itemId = "55"}},
        {"coupon landing with activityId and itemId",
         "https://coupon.market.sandbox.test/coupon?activityId=abc123&itemId=333&pid=mm_1",
         {.itemId = "333", .activityId = "abc123"}},
        {"activity_id cut at its blank",
         "https://coupon.market.sandbox.test/x?activity_id=def 456&itemId=444",
         {.itemId = "444", .activityId = "def"}},
        {"shop coupon line gives the coupon only",
         "https://shop.m.market.sandbox.test/shop/activity?activity_id=777&sellerId=9",
         {.activityId = "777"}},
        {"the later coupon line wins, copy after it without its label",
         "https://item.market.sandbox.test/item.htm?id=1&a=b\r\n"
         "https://coupon.market.sandbox.test/c?activityId=A5&itemId=2&pid=p\r\n"
         "【推荐理由】加厚保温，送杯刷",
         {.itemId = "2", .activityId = "A5", .copyText = "加厚保温，送杯刷"}},
        {"second link with nothing after it leaves no copy",
         "https://item.market.sandbox.test/item.htm?id=1&a=b\r\n"
         "https://shop.m.market.sandbox.test/?activity_id=5&s=1",
         {.itemId = "1", .activityId = "5"}},
        {"last item line wins",
         "https://item.market.sandbox.test/item.htm?id=1&a\r\nhttps://item.market.sandbox.test/item.htm?id=2",
         {.itemId = "2"}},
        {"no marketplace link", "只是一段文字\r\nhttps://other.example/?id=3", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LinkScanResult r = links.recognizeLinks(c.text);
        EXPECT_EQ(r.itemId, c.expected.itemId);
        EXPECT_EQ(r.activityId, c.expected.activityId);
        EXPECT_EQ(r.copyText, c.expected.copyText);
    }
}

TEST(RecognizeLinksTest, UnsetHostsRecogniseNothing)
{
    const web::Hosts hosts;
    const web::HttpClient http;
    const LinkRecognition links(hosts, http);
    const LinkScanResult r = links.recognizeLinks("https://item.market.sandbox.test/item.htm?id=1\r\n文案");
    EXPECT_EQ(r.itemId, "");
    EXPECT_EQ(r.copyText, "");
    std::string message = "标题\r\nhttps://item.market.sandbox.test/item.htm?id=1";
    EXPECT_EQ(links.recognizeGroupMessage(message, GroupMessageOptions{}).itemId, "");
    EXPECT_EQ(message, "标题\r\nhttps://item.market.sandbox.test/item.htm?id=1");
}

TEST(RecognizeGroupMessageTest, RewritesTheMessageIntoATemplate)
{
    const web::Hosts hosts = marketplaceHosts();
    const web::HttpClient http;
    const LinkRecognition links(hosts, http);

    // Keyword replaced, coupon line dropped, link line dropped, the framed share token replaced.
    std::string message = "【今日特价】保温杯\r\n券 activityId=A9 备用&s=1\r\n"
                          "https://item.market.sandbox.test/item.htm?id=123&a=1\r\n￥AbCd1234￥";
    LinkScanResult r = links.recognizeGroupMessage(message, {.keyword = "特价", .replacement = "好价"});
    EXPECT_EQ(r.itemId, "123");
    EXPECT_EQ(r.activityId, "A9");
    EXPECT_EQ(r.titleLine, "【今日好价】保温杯");
    EXPECT_EQ(r.copyText, "");  // the last line is the share token
    EXPECT_EQ(message, "【今日好价】保温杯\r\n[淘口令]");

    // Two-in-one: only the first link line is replaced; without a token the token paragraph is appended once.
    message = "标题行\r\nhttps://item.market.sandbox.test/item.htm?id=1&a\r\n"
              "https://detail.mall.sandbox.test/item.htm?id=2\r\n好评如潮";
    r = links.recognizeGroupMessage(message, {.useTwoInOneLink = true});
    EXPECT_EQ(r.itemId, "2");
    EXPECT_EQ(r.titleLine, "标题行");
    EXPECT_EQ(r.copyText, "好评如潮");
    EXPECT_EQ(message, "标题行\r\n领券下单：[二合一短链]\r\nhttps://detail.mall.sandbox.test/item.htm?id=2\r\n好评如潮"
                       "\r\n【淘口令:[淘口令]】\r\n复制这条信息，打开手机淘宝即可领券购买");

    // A message without a marketplace link is left as it is.
    message = "纯文字消息\r\n没有链接";
    r = links.recognizeGroupMessage(message, {});
    EXPECT_EQ(r.itemId, "");
    EXPECT_EQ(r.titleLine, "纯文字消息");
    EXPECT_EQ(message, "纯文字消息\r\n没有链接");
}

TEST(RecognizeGroupMessageTest, ReadsTheMonitoringControls)
{
    platform::WindowModel window("main", 800, 600);
    window.addAll(relay::relayControls());
    window.find<platform::EditBox>(relay::controls::kKeyword)->setText("旧词");
    window.find<platform::EditBox>(relay::controls::kReplacement)->setText("新词");
    window.find<platform::CheckBox>(relay::controls::kUseTwoInOneLink)->setChecked(true);

    const GroupMessageOptions options = groupMessageOptions(window);
    EXPECT_EQ(options.keyword, "旧词");
    EXPECT_EQ(options.replacement, "新词");
    EXPECT_TRUE(options.useTwoInOneLink);

    const web::Hosts hosts = marketplaceHosts();
    const web::HttpClient http;
    std::string message = "旧词标题\r\nhttps://item.market.sandbox.test/item.htm?id=5&a\r\n￥tok￥";
    LinkRecognition(hosts, http).recognizeGroupMessage(message, window);
    EXPECT_EQ(message, "新词标题\r\n领券下单：[二合一短链]\r\n[淘口令]");
}

// The coupon-landing host: "/coupon/edetail" sets the ctoken cookie, "/cp/coupon" answers for it.
class CouponApiStub : public sandbox::SimulatedService {
public:
    std::string hostName() const override { return std::string(names::kCoupon); }
    std::vector<std::string_view> roles() const override { return {web::role::kCouponHost}; }
    void handle(const httplib::Request& request, httplib::Response& response) override
    {
        ++requests;
        if (request.path == "/coupon/edetail") {
            response.set_header("Set-Cookie", "ctoken=CT42; Path=/; HttpOnly");
            response.set_content("<html>landing</html>", "text/html");
        } else if (request.path == "/cp/coupon") {
            const bool expected = request.get_param_value("ctoken") == "CT42" &&
                                  request.get_header_value("Cookie").find("ctoken=CT42") != std::string::npos &&
                                  request.get_param_value("e") == "E1" &&
                                  request.get_param_value("pid") == "mm_1_2_3" && request.has_param("itemId") &&
                                  request.get_param_value("af") == "1";
            response.set_content(expected ? body.load() : R"({"success":false,"message":"ctoken"})",
                                 "application/json");
        } else {
            response.status = 404;
        }
    }

    std::atomic<const char*> body{R"({"success":true,"result":{"item":{"itemId":"987","title":"杯"}}})"};
    std::atomic<int> requests{0};
};

class LinkResolutionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hub.add(m_click));
        ASSERT_TRUE(m_hub.add(m_coupon));
        ASSERT_TRUE(m_hub.start());
        m_hosts = m_hub.hosts();
        setMarketplaceRoles(m_hosts);
        m_http = std::make_unique<web::HttpClient>(m_hosts.httpOptions());
        m_links = std::make_unique<LinkRecognition>(m_hosts, *m_http);
    }

    std::shared_ptr<sandbox::ClickRedirectService> m_click = std::make_shared<sandbox::ClickRedirectService>();
    std::shared_ptr<CouponApiStub> m_coupon = std::make_shared<CouponApiStub>();
    sandbox::SandboxHub m_hub;
    web::Hosts m_hosts;
    std::unique_ptr<web::HttpClient> m_http;
    std::unique_ptr<LinkRecognition> m_links;
};

TEST_F(LinkResolutionTest, ResolvesShortAndClickLinksToTheItemPage)
{
    const auto market = m_click->addItem("4455");
    const auto mall = m_click->addItem("6677", true);
    ASSERT_LT(market.shortLink.size(), 60u);
    ASSERT_GE(market.clickLink.size(), 60u);

    std::string track;
    EXPECT_EQ(m_links->resolveItemLink(market.shortLink, &track), "https://item.market.sandbox.test/item.htm?id=4455");
    EXPECT_EQ(track, "mm_100_200_300");
    EXPECT_EQ(m_click->totalRequests(), 3);

    EXPECT_EQ(m_links->resolveItemLink(mall.clickLink), "https://detail.mall.sandbox.test/item.htm?id=6677");
    EXPECT_EQ(m_click->totalRequests(), 5);

    // An address that names its item is returned without a request.
    EXPECT_EQ(m_links->resolveItemLink("https://x.example/?id=1"), "https://x.example/?id=1");
    EXPECT_EQ(m_click->totalRequests(), 5);

    // Through a scan.
    const LinkScanResult r = m_links->recognizeLinks("抢购\r\n" + market.shortLink + "\r\n文案行");
    EXPECT_EQ(r.itemId, "4455");
    EXPECT_EQ(r.copyText, "文案行");
}

TEST_F(LinkResolutionTest, FailuresAndLoopsEndEmptyWithinTheirRequests)
{
    EXPECT_EQ(m_links->resolveItemLink("http://click.market.sandbox.test/s/unknown"), "");
    EXPECT_EQ(m_click->totalRequests(), 1);

    // A link that redirects to itself: at most three requests below 60 characters, two from 60 on.
    std::string link = sandbox::ClickRedirectService::loopLink();
    link.resize(59, 'x');
    EXPECT_EQ(m_links->resolveItemLink(link), "");
    EXPECT_EQ(m_click->totalRequests(), 1 + 3);
    link.resize(60, 'x');
    EXPECT_EQ(m_links->resolveItemLink(link), "");
    EXPECT_EQ(m_click->totalRequests(), 1 + 3 + 2);

    // A host the sandbox does not simulate gives no answer to follow: the scan ends with no item.
    EXPECT_EQ(m_links->recognizeLinks("https://item.market.sandbox.test/nothing-here").itemId, "");
}

TEST_F(LinkResolutionTest, GroupMessageFollowsClickLinksOnceForTheirCoupon)
{
    const auto withCoupon = m_click->addItem("888", false, "ACT7");
    std::string message = "标题\r\n" + withCoupon.clickLink + "\r\n好物";
    LinkScanResult r = m_links->recognizeGroupMessage(message, {.useTwoInOneLink = true});
    EXPECT_EQ(r.itemId, "888");
    EXPECT_EQ(r.activityId, "ACT7");
    EXPECT_EQ(m_click->totalRequests(), 1);
    EXPECT_EQ(
        message,
        "标题\r\n领券下单：[二合一短链]\r\n好物\r\n【淘口令:[淘口令]】\r\n复制这条信息，打开手机淘宝即可领券购买");

    // A click link without a coupon goes on through the item-link resolution.
    const auto plain = m_click->addItem("999");
    message = "标题\r\n" + plain.clickLink;
    r = m_links->recognizeGroupMessage(message, {});
    EXPECT_EQ(r.itemId, "999");
    EXPECT_EQ(r.activityId, "");
}

TEST_F(LinkResolutionTest, CouponClickLinkGoesThroughTheCouponApiWithTheLandingCookie)
{
    const std::string line = "领券：https://coupon.market.sandbox.test/coupon/edetail?e=E1&pid=mm_1_2_3";
    EXPECT_EQ(m_links->resolveCouponClickLink(line), "987");
    EXPECT_EQ(m_links->recognizeLinks(line).itemId, "987");

    for (const char* body :
         {R"({"success":false,"result":{"item":{"itemId":"987"}}})", R"(success":true, but not a document)",
          R"({"success":true,"result":{"item":{"itemId":"98 7<script>"}}})"}) {
        m_coupon->body = body;
        EXPECT_EQ(m_links->resolveCouponClickLink(line), "") << body;
    }

    web::Hosts noCoupon = m_hosts;
    noCoupon.set(web::role::kCouponHost, "");
    const int before = m_coupon->requests;
    EXPECT_EQ(LinkRecognition(noCoupon, *m_http).resolveCouponClickLink(line), "");
    EXPECT_EQ(m_coupon->requests, before);
}

}  // namespace
}  // namespace dealcast::conversion
