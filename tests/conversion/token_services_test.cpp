#include "conversion/conversion_controls.h"
#include "conversion/token_services.h"
#include "market_world.h"
#include "platform/check_box.h"
#include "sandbox/token_proxy_service.h"
#include "web/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::conversion {
namespace {

using Kind = sandbox::ShortenerService::Kind;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(TokenAnswerTest, SpansAreReadAfterQuotesAndBackslashesGo)
{
    EXPECT_EQ(shareTokenFromAnswer(
                  R"({"wireless_share_tpwd_create_response":{"model":"￥Ab12Cd34Ef5￥","request_id":"r1"}})"),
              "￥Ab12Cd34Ef5￥");
    EXPECT_EQ(
        spreadLinkFromAnswer(
            R"({"tbk_spread_get_response":{"results":{"tbk_spread":[{"content":"http:\/\/s.example\/x","err_msg":"OK"}]}}})"),
        "http://s.example/x");
    EXPECT_EQ(shortlinkCFromAnswer(R"({"urls":[{"url_short":"http:\/\/c.example\/a","url_long":"http://l"}]})"),
              "http://c.example/a");
    for (const char* broken : {R"({"error_response":{"msg":"Invalid session"}})", "<html>502</html>", "",
                               "model:", R"({"urls":[{"url_long":"http://l","url_short":"http://c/a"}]})"}) {
        EXPECT_EQ(shareTokenFromAnswer(broken), "") << broken;
        EXPECT_EQ(spreadLinkFromAnswer(broken), "") << broken;
        EXPECT_EQ(shortlinkCFromAnswer(broken), "") << broken;
    }
}

TEST(TokenAnswerTest, APlainShortLinkIsOneLineStartingWithHttp)
{
    const std::pair<std::string, std::string> cases[] = {
        {"http://a.example/x1\r\n", "http://a.example/x1"},
        {"  https://a.example/x1", "https://a.example/x1"},
        {"error: invalid url", ""},
        {"<html><body>502 Bad Gateway</body></html>", ""},
        {"http://a.example/x1 http://b", ""},
        {"http://a.example/" + std::string(3000, 'x'), ""},
        {"", ""},
    };
    for (const auto& [answer, link] : cases)
        EXPECT_EQ(plainShortLink(answer), link) << answer.substr(0, 60);
}

TEST(TokenAnswerTest, ProxyBodyEncodesTheParameterAndAddsTheSessionKey)
{
    EXPECT_EQ(proxyBody("m.x", R"({"url":"a&b"})"),
              "methodName=m.x&parameter=%7B%22url%22%3A%22a%26b%22%7D&loginType=1");
    EXPECT_EQ(proxyBody("m", "{}", "tok 1"), "methodName=m&parameter=%7B%7D&loginType=1&sessionKey=tok%201");
    const auto fields = sandbox::TokenProxyService::parseForm(proxyBody("m", R"({"text":"夏季 T恤"})", "k"));
    EXPECT_EQ(fields.at("parameter"), R"({"text":"夏季 T恤"})");
}

class TokenServicesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.started); }

    // Follows a made short link one step.
    std::string target(const std::string& link)
    {
        web::CookieJar jar;
        return world.http->request({.url = link, .noRedirect = true}, jar).location;
    }

    test::MarketWorld world;
    TokenServices tokens{*world.services};
};

TEST_F(TokenServicesTest, EmptyInputGivesMinusOneWithoutARequest)
{
    EXPECT_EQ(tokens.createShareToken("", "http://x"), "-1");
    EXPECT_EQ(tokens.createShareToken("t", ""), "-1");
    EXPECT_EQ(tokens.createSpreadLink(""), "-1");
    EXPECT_EQ(tokens.createSuperShortLink(""), "-1");
    EXPECT_EQ(world.proxy->requestCount(sandbox::TokenProxyService::kDock), 0);
}

TEST_F(TokenServicesTest, ProxyMakesTokensAndSpreadLinksThatRedirect)
{
    const std::string url = "https://click.market.sandbox.test/p?e=abc&src=hlan_dadaze";
    const std::string token = tokens.createShareToken("夏季纯棉短袖T恤", url);
    EXPECT_EQ(token, sandbox::MarketplaceCatalog::shareToken(url));
    const auto fields = world.proxy->lastFields();
    EXPECT_EQ(fields.at("loginType"), "1");
    EXPECT_FALSE(fields.contains("sessionKey"));
    EXPECT_EQ(fields.at("parameter"), R"({"text":"夏季纯棉短袖T恤","url":")" + url + "\"}");

    const std::string link = tokens.createSpreadLink(url);
    EXPECT_THAT(link, StartsWith("http://c.short.sandbox.test/"));
    EXPECT_EQ(target(link), url);
}

TEST_F(TokenServicesTest, MalformedOrHugeProxyAnswersGiveEmptyResults)
{
    const std::string huge = R"({"model":")" + std::string(kMaxAnswerBytes, 'A') + R"(",request_id})";
    for (const std::string& body : {std::string("not json at all"), std::string("model:"), huge}) {
        world.proxy->setMethodBody(kShareTokenMethod, body);
        EXPECT_EQ(tokens.createShareToken("t", "http://x"), "");
    }
    EXPECT_EQ(world.logCount("淘口令接口返回数据过大"), 1);
    world.proxy->overrides().setOutcome(sandbox::TokenProxyService::kDock, sandbox::Outcome::Failure);
    EXPECT_EQ(tokens.createSpreadLink("http://x"), "");
}

TEST_F(TokenServicesTest, ConvertPromotionUrlThroughTheAffiliateBackEnd)
{
    const PromotionLinks links =
        tokens.convertPromotionUrl("2233", "4455", "https://item.market.sandbox.test/item.htm?id=600000000006&src=x");
    EXPECT_THAT(links.shareToken, StartsWith("￥"));
    EXPECT_EQ(target(links.shortLink), sandbox::MarketplaceCatalog::clickUrl("600000000006", "4455"));

    // A lost session answers a login page: nothing usable, no crash.
    test::MarketWorld lost([](const httplib::Request&) { return false; });
    ASSERT_TRUE(lost.started);
    EXPECT_EQ(TokenServices(*lost.services).convertPromotionUrl("2233", "4455", "http://x?id=600000000006"),
              PromotionLinks{});
}

TEST_F(TokenServicesTest, ExactlyOneShortenerByTheBoxesWithBAsTheDefault)
{
    struct Case {
        bool c, a, b;
        Shortener chosen;
    };
    const Case cases[] = {
        {true, false, false, Shortener::C},  {false, true, false, Shortener::A}, {false, false, true, Shortener::B},
        {false, false, false, Shortener::B}, {true, true, true, Shortener::C},   {false, true, true, Shortener::A},
    };
    for (const Case& c : cases) {
        world.tick(controls::kSinaShortLink, c.c);
        world.tick(controls::kAltShortLink1, c.a);
        world.tick(controls::kAltShortLink2, c.b);
        EXPECT_EQ(chosenShortener(world.window()), c.chosen) << c.c << c.a << c.b;
    }

    world.tick(controls::kSinaShortLink, false);
    world.tick(controls::kAltShortLink1, false);
    world.tick(controls::kAltShortLink2, false);
    const std::string url = "http://landing.sandbox.test/v.php?title=杯子&taourl=http://c/x";
    const std::string viaB = tokens.shortenUrl(url);
    EXPECT_THAT(viaB, StartsWith("http://b.short.sandbox.test/"));
    EXPECT_EQ(target(viaB), url);
    EXPECT_EQ(world.shortener(Kind::B).madeCount(), 1);
    EXPECT_EQ(world.shortener(Kind::A).madeCount() + world.shortener(Kind::CApi).madeCount(), 0);

    EXPECT_THAT(tokens.shortenUrl(url, Shortener::A), StartsWith("http://a.short.sandbox.test/"));
    const std::string viaC = tokens.shortenUrl(url, Shortener::C);
    EXPECT_THAT(viaC, StartsWith("http://c.short.sandbox.test/"));
    EXPECT_EQ(target(viaC), url);
    EXPECT_THAT(world.shortener(Kind::CApi).requestCount("/short_url/shorten.json"), 1);
}

TEST_F(TokenServicesTest, TickingOneShortenerBoxUnticksTheOthers)
{
    bindShortenerChoice(world.window());
    world.tick(controls::kSinaShortLink, true);
    world.tick(controls::kAltShortLink1, true);
    world.window().raise(controls::kAltShortLink1, platform::EventType::Clicked);
    EXPECT_FALSE(world.window().find<platform::CheckBox>(controls::kSinaShortLink)->checked());
    EXPECT_TRUE(world.window().find<platform::CheckBox>(controls::kAltShortLink1)->checked());

    // Unticking the chosen one leaves none ticked: the default shortener then serves.
    world.tick(controls::kAltShortLink1, false);
    world.window().raise(controls::kAltShortLink1, platform::EventType::Clicked);
    EXPECT_EQ(chosenShortener(world.window()), Shortener::B);
}

TEST_F(TokenServicesTest, NoFallBackToAnotherShortener)
{
    world.shortener(Kind::CApi).overrides().setBody("/short_url/shorten.json", R"({"error":"rate limited"})");
    EXPECT_EQ(tokens.shortenUrl("http://x.example/long", Shortener::C), "");
    world.shortener(Kind::B).overrides().setOutcome("/api.php", sandbox::Outcome::Empty);
    EXPECT_EQ(tokens.shortenUrl("http://x.example/long", Shortener::B), "");
    EXPECT_EQ(world.shortener(Kind::A).requestCount("/api.php"), 0);
}

TEST_F(TokenServicesTest, SuperShortLinkPrefersTheStartUpHost)
{
    world.tick(controls::kSinaShortLink, false);
    world.tick(controls::kAltShortLink1, true);
    const std::string viaLanding = tokens.createSuperShortLink("title=t&taopass=￥x￥&taourl=http://c/x");
    EXPECT_EQ(target(viaLanding), "http://landing.sandbox.test/v.php?title=t&taopass=￥x￥&taourl=http://c/x");

    world.values.setShortLinkHost("vendor-landing.example");
    EXPECT_EQ(target(tokens.createSuperShortLink("title=t")), "http://vendor-landing.example/v.php?title=t");

    world.values.setShortLinkHost("");
    world.hosts.set(web::role::kLandingHost, "");
    EXPECT_EQ(tokens.createSuperShortLink("title=t"), "");
    EXPECT_EQ(tokens.createSuperShortLink("title=u"), "");
    EXPECT_EQ(world.logCount(web::Hosts::unsetMessage(web::role::kLandingHost, "超级短链")), 1);
}

TEST_F(TokenServicesTest, UnsetProxyHostSkipsTheCallAndSaysSoOncePerMethod)
{
    world.hosts.set(web::role::kTokenProxyHost, "");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tokens.createShareToken("t", "http://x"), "");
        EXPECT_EQ(tokens.createSpreadLink("http://x"), "");
    }
    EXPECT_EQ(world.logCount(web::Hosts::unsetMessage(web::role::kTokenProxyHost, "淘口令和推广链接")), 2);
    EXPECT_EQ(world.proxy->requestCount(sandbox::TokenProxyService::kDock), 0);
}

}  // namespace
}  // namespace dealcast::conversion
