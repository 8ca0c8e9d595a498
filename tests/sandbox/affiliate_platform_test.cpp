#include "sandbox/affiliate_platform_service.h"
#include "sandbox/sandbox_hub.h"
#include "session/affiliate_session.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace dealcast::sandbox {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Service = AffiliatePlatformService;

// The affiliate platform behind the hub, reached the way the program reaches it: the hub's hosts, one cookie
// text carried from call to call, the token taken from that text.
class AffiliatePlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hub.add(m_platform));
        ASSERT_TRUE(m_hub.start());
        m_hosts = m_hub.hosts();
        m_http = web::HttpClient(m_hosts.httpOptions());
    }

    web::HttpResponse send(web::HttpRequest request) { return m_http.request(request, m_cookie); }
    web::HttpResponse get(std::string_view role, std::string_view pathAndQuery, bool https = false)
    {
        return send({.url = m_hosts.url(role, pathAndQuery, https)});
    }
    web::HttpResponse post(std::string_view role, std::string_view path, std::string body, bool https = false)
    {
        return send({.url = m_hosts.url(role, path, https), .method = web::HttpMethod::Post, .body = std::move(body)});
    }

    static std::string loginQuery(bool disableQuick)
    {
        return "?style=mini&newMini2=true&from=union&redirectURL=http%3A%2F%2Faffiliate.sandbox.test%2Fmember"
               "%2Ftaobaoke%2Flogin.htm%3Fis_login%3d1&full_redirect=true" +
               std::string(disableQuick ? "&disableQuickLogin=true" : "&qq-pf-to=pcqq.c2c");
    }
    web::HttpResponse loginStatic(const std::string& account, const std::string& password)
    {
        return post(web::role::kLoginHost, std::string(Service::kLoginPage) + loginQuery(true),
                    "loginType=static&TPL_username_1=" + web::urlEncode(account) +
                        "&TPL_password_1=" + web::urlEncode(password),
                    true);
    }

    std::string token() const { return session::tokenFromCookie(m_cookie); }
    std::string tokenQuery() const { return "t=1700000000000&_tb_token_=" + token() + "&_input_charset=utf-8"; }

    web::JsonReader guideList()
    {
        web::JsonReader json;
        json.parse(get(web::role::kAffiliateHost, std::string(Service::kGuideList) + "?" + tokenQuery()).text);
        return json;
    }
    web::JsonReader slotPage(int page, int size = 150)
    {
        web::JsonReader json;
        json.parse(
            get(web::role::kAffiliateHost, std::string(Service::kSlotList) + "?tab=3&toPage=" + std::to_string(page) +
                                               "&perPageSize=" + std::to_string(size) + "&gcid=8&" + tokenQuery())
                .text);
        return json;
    }
    std::string change(std::string_view path, const std::string& form)
    {
        return post(web::role::kAffiliateHost, path, form + "&t=1700000000000&pvid=&_tb_token_=" + token()).text;
    }

    std::shared_ptr<Service> m_platform = std::make_shared<Service>();
    SandboxHub m_hub;
    web::Hosts m_hosts;
    web::HttpClient m_http;
    web::CookieJar m_cookie;
};

TEST_F(AffiliatePlatformTest, LoginPageOffersQuickLoginOnlyWhenAvailableAndNotDisabled)
{
    struct Case {
        bool available;
        bool disableQuick;
        bool quickPanel;
    };
    for (const Case c : {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
        SCOPED_TRACE(testing::Message() << "available " << c.available << " disabled " << c.disableQuick);
        m_platform->setQuickLoginAvailable(c.available);
        const auto page =
            get(web::role::kLoginHost, std::string(Service::kLoginPage) + loginQuery(c.disableQuick), true);
        EXPECT_EQ(page.status, 200);
        for (const char* id : {"J_StaticForm", "TPL_username_1", "TPL_password_1", "J_SubmitStatic", "J_QRCodeLogin"})
            EXPECT_THAT(page.text, HasSubstr("id=\"" + std::string(id) + "\""));
        EXPECT_EQ(page.text.find("id=\"J_QuickLogin\"") != std::string::npos, c.quickPanel);
        EXPECT_EQ(page.text.find("id=\"J_SubmitQuick\"") != std::string::npos, c.quickPanel);
        // The form keeps the address it came from, so a failed attempt shows the same variant again.
        EXPECT_THAT(page.text, HasSubstr(c.disableQuick ? "disableQuickLogin=true" : "qq-pf-to"));
    }
}

TEST_F(AffiliatePlatformTest, StaticLoginSetsHostOnlyCookiesWithAnHttpOnlySessionAndLandsOnTheLiveHome)
{
    const auto wrong = loginStatic("sandbox_user", "nope");
    EXPECT_EQ(wrong.status, 200);
    EXPECT_THAT(wrong.text, HasSubstr("账号名或登录密码不正确"));
    EXPECT_THAT(wrong.text, Not(HasSubstr("id=\"J_QuickLogin\"")));
    EXPECT_EQ(m_cookie, "");

    // The first hop alone, to see the cookies as they are set.
    web::CookieJar firstHop;
    const auto redirect =
        m_http.request({.url = m_hosts.url(web::role::kLoginHost, Service::kLoginPage, true),
                        .method = web::HttpMethod::Post,
                        .body = "loginType=static&TPL_username_1=sandbox_user&TPL_password_1=sandbox-pass",
                        .noRedirect = true},
                       firstHop);
    EXPECT_EQ(redirect.status, 302);
    EXPECT_EQ(redirect.location, "/member/taobaoke/login.htm?is_login=1");
    EXPECT_THAT(redirect.allHeaders, HasSubstr("login_sid="));
    EXPECT_THAT(redirect.allHeaders, HasSubstr("; HttpOnly"));
    EXPECT_THAT(redirect.allHeaders, Not(HasSubstr("Domain")));
    EXPECT_EQ(session::tokenFromCookie(firstHop).size(), 13u);

    // Followed through the landing page to the home page of a live session.
    const auto home = loginStatic("sandbox_user", "sandbox-pass");
    EXPECT_EQ(home.status, 200);
    EXPECT_THAT(home.text, HasSubstr(Service::kLiveMarker));
    EXPECT_EQ(m_platform->requestCount(Service::kLoginLanding), 1);
    EXPECT_EQ(m_platform->requestCount(Service::kUnionHome), 1);
    EXPECT_THAT(m_cookie, HasSubstr("login_sid="));
    EXPECT_NE(token(), "");
    EXPECT_NE(token(), session::tokenFromCookie(firstHop));
    EXPECT_EQ(m_platform->loginCount(), 2);
}

TEST_F(AffiliatePlatformTest, QuickLoginFollowsItsSwitches)
{
    const auto quickPost = [this] {
        return post(web::role::kLoginHost, std::string(Service::kLoginPage) + loginQuery(false), "loginType=quick",
                    true);
    };
    // With the button inert the page still logs in through the avatar's own submit.
    m_platform->setQuickButtonWorks(false);
    const auto page = get(web::role::kLoginHost, std::string(Service::kLoginPage) + loginQuery(false), true);
    EXPECT_THAT(page.text, HasSubstr("<button id=\"J_SubmitQuick\" type=\"button\">"));
    EXPECT_THAT(page.text, HasSubstr("<button id=\"J_QuickAvatar\" type=\"submit\""));
    EXPECT_THAT(quickPost().text, HasSubstr(Service::kLiveMarker));

    m_cookie.clear();
    m_platform->setQuickLoginAvailable(false);
    const auto refused = quickPost();
    EXPECT_THAT(refused.text, HasSubstr("快速登录不可用"));
    EXPECT_EQ(m_cookie, "");
    EXPECT_EQ(m_platform->loginCount(), 1);
}

TEST_F(AffiliatePlatformTest, HomeMarkerAndBackEndCallsOnlyForALiveSession)
{
    EXPECT_THAT(get(web::role::kAffiliateHost, Service::kUnionHome).text, Not(HasSubstr(Service::kLiveMarker)));
    loginStatic("sandbox_user", "sandbox-pass");
    EXPECT_THAT(get(web::role::kAffiliateHost, Service::kUnionHome).text, HasSubstr(Service::kLiveMarker));
    EXPECT_EQ(guideList().count("data.guideList"), 2u);

    m_platform->endSessions();
    const auto home = get(web::role::kAffiliateHost, Service::kUnionHome);
    EXPECT_EQ(home.status, 200);
    EXPECT_THAT(home.text, Not(HasSubstr(Service::kLiveMarker)));
    EXPECT_THAT(home.text, HasSubstr("登录"));
    const std::string answer =
        get(web::role::kAffiliateHost, std::string(Service::kGuideList) + "?" + tokenQuery()).text;
    EXPECT_FALSE(web::JsonReader().parse(answer));
    EXPECT_THAT(answer, Not(HasSubstr("ok\":true")));
}

TEST_F(AffiliatePlatformTest, BackEndCallsNeedTheSessionsCookieAndAMatchingToken)
{
    loginStatic("sandbox_user", "sandbox-pass");
    const std::string good = token();
    const std::string live = m_cookie;
    const std::string path = std::string(Service::kSlotList) + "?toPage=1&perPageSize=150";
    struct Case {
        const char* what;
        std::string cookie;
        std::string query;
        bool json;
    };
    const Case cases[] = {
        {"session and token", live, "&_tb_token_=" + good, true},
        {"no cookie", "", "&_tb_token_=" + good, false},
        {"no token", live, "", false},
        {"foreign token", live, "&_tb_token_=0123456789abc", false},
        {"token of another session", "login_sid=ffffffffffffffffffffffffffffffff; _tb_token_=" + good,
         "&_tb_token_=" + good, false},
        {"token cookie differs", "login_sid=" + web::between(live, "login_sid=", ";") + "; _tb_token_=x",
         "&_tb_token_=" + good, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        web::CookieJar cookie = c.cookie;
        const std::string answer =
            m_http.request({.url = m_hosts.url(web::role::kAffiliateHost, path + c.query)}, cookie).text;
        EXPECT_EQ(web::JsonReader().parse(answer), c.json);
        EXPECT_EQ(answer.find("ok\":true") != std::string::npos, c.json);
    }
    // A changing call made as a GET is refused without a change.
    EXPECT_THAT(
        get(web::role::kAffiliateHost, std::string(Service::kGuideAdd) + "?name=x&categoryId=14&_tb_token_=" + good)
            .text,
        HasSubstr("\"ok\":false"));
    EXPECT_EQ(m_platform->sites().size(), 3u);
}

TEST_F(AffiliatePlatformTest, KeepAliveHandsOutAFreshTokenWithoutWithdrawingTheOldOne)
{
    const auto stale = get(web::role::kMediaHost, Service::kBaseInfo);
    EXPECT_THAT(stale.allHeaders, Not(HasSubstr("_tb_token_")));

    loginStatic("sandbox_user", "sandbox-pass");
    const std::string before = token();
    const web::CookieJar oldCookie = m_cookie;
    EXPECT_EQ(get(web::role::kMediaHost, Service::kBaseInfo).status, 200);
    EXPECT_EQ(m_platform->requestCount(Service::kBaseInfo), 2);
    const std::string after = token();
    EXPECT_NE(after, "");
    EXPECT_NE(after, before);
    EXPECT_EQ(slotPage(1).count("data.pagelist"), 5u);

    // The browser's cookie text, which never saw the keep-alive, keeps working.
    m_cookie = oldCookie;
    EXPECT_EQ(slotPage(1).count("data.pagelist"), 5u);
}

TEST_F(AffiliatePlatformTest, AuthorizeRedirectAddressCarriesTokenAndNick)
{
    m_platform->setAccount("sandbox_user", "sandbox-pass", "禾岚 小店&1");
    const std::string authorize = std::string(Service::kAuthorize) + "?response_type=token&client_id=12345678";
    const auto probe = [&](bool follow) {
        return send({.url = m_hosts.url(web::role::kOauthHost, authorize, true), .noRedirect = !follow});
    };

    const auto granted = probe(false);
    EXPECT_EQ(granted.status, 302);
    const std::string& address = granted.location;
    EXPECT_THAT(address, testing::StartsWith("/oauth/done?access_token="));
    const std::string accessToken = web::between(address, "access_token=", "&");
    EXPECT_EQ(accessToken, m_platform->lastAccessToken());
    EXPECT_TRUE(m_platform->isAccessToken(accessToken));
    EXPECT_EQ(web::urlDecode(web::between(address, "taobao_user_nick=", "&")), "禾岚 小店&1");
    EXPECT_THAT(address, testing::EndsWith("&expires_in=2592000"));
    EXPECT_THAT(probe(true).text, HasSubstr("授权成功"));

    // Without the automatic grant the page waits for its button, whose form grants a new token.
    m_platform->setAutoGrant(false);
    const auto page = probe(true);
    EXPECT_EQ(page.status, 200);
    EXPECT_THAT(page.text, HasSubstr("id=\"J_Authorize\""));
    const auto pressed = send({.url = m_hosts.url(web::role::kOauthHost, Service::kAuthorize, true),
                               .method = web::HttpMethod::Post,
                               .body = "response_type=token&client_id=12345678",
                               .noRedirect = true});
    EXPECT_EQ(pressed.status, 302);
    EXPECT_NE(web::between(pressed.location, "access_token=", "&"), accessToken);

    m_platform->setRefuseGrant(true);
    m_platform->setAutoGrant(true);
    const auto refused = probe(false);
    EXPECT_EQ(refused.status, 302);
    EXPECT_THAT(refused.location, Not(HasSubstr("access_token")));
    EXPECT_THAT(refused.location, HasSubstr("error=access_denied"));

    EXPECT_EQ(get(web::role::kOauthHost, std::string(Service::kAuthorize) + "?client_id=12345678", true).status, 400);
}

TEST_F(AffiliatePlatformTest, SlotListPagesThrough301Slots)
{
    loginStatic("sandbox_user", "sandbox-pass");
    m_platform->seedSlots(301);
    std::set<std::string> pids;
    const std::string member = m_platform->memberId();
    for (const auto& [page, expected] : {std::pair{1, 150u}, {2, 150u}, {3, 1u}, {4, 0u}}) {
        SCOPED_TRACE(page);
        const auto json = slotPage(page);
        ASSERT_EQ(json.getText("ok"), "true");
        ASSERT_EQ(json.count("data.pagelist"), expected);
        for (std::size_t i = 0; i < expected; ++i) {
            const std::string row = "data.pagelist[" + std::to_string(i) + "].";
            const std::string pid = json.getText(row + "adzonePid");
            EXPECT_EQ(pid, "mm_" + member + "_" + json.getText(row + "siteid") + "_" + json.getText(row + "adzoneid"));
            EXPECT_NE(json.getText(row + "sitename"), "");
            pids.insert(pid);
        }
    }
    EXPECT_EQ(pids.size(), 301u);
    // A smaller page size is honoured, a larger one is held to 150.
    EXPECT_EQ(slotPage(8, 40).count("data.pagelist"), 21u);
    EXPECT_EQ(slotPage(1, 500).count("data.pagelist"), 150u);
    EXPECT_EQ(m_platform->requestCount(Service::kSlotList), 6);
}

TEST_F(AffiliatePlatformTest, GuidesAndSlotsAreAddedCreatedAndDeleted)
{
    loginStatic("sandbox_user", "sandbox-pass");
    const auto findGuide = [this](const std::string& name) {
        const auto json = guideList();
        for (std::size_t i = 0; i < json.count("data.guideList"); ++i) {
            const std::string row = "data.guideList[" + std::to_string(i) + "].";
            if (json.getText(row + "name") == name)
                return std::pair{json.getText(row + "guideID"), json.getText(row + "category3")};
        }
        return std::pair{std::string(), std::string()};
    };
    // The seed: a WeChat guide, a general guide named with 禾岚; the web site is only in the slot list.
    EXPECT_EQ(findGuide("微信群导购").second, "微信");
    EXPECT_EQ(findGuide("禾岚的QQ导购").second, "QQ");
    EXPECT_EQ(findGuide("我的网站").first, "");
    EXPECT_EQ(slotPage(1).getText("data.pagelist[4].sitename"), "我的网站");

    const std::string wechatName = web::urlEncode("禾岚创建的导购1");
    EXPECT_THAT(change(Service::kGuideAdd, "name=" + wechatName + "&categoryId=14&account1=wx_1"),
                HasSubstr("ok\":true"));
    EXPECT_THAT(change(Service::kGuideAdd,
                       "name=" + web::urlEncode("禾岚创建的导购2") + "&categoryId=13&account1=10001&account2=20002"),
                HasSubstr("ok\":true"));
    const auto [wechatId, wechatCategory] = findGuide("禾岚创建的导购1");
    EXPECT_EQ(wechatCategory, "微信");
    EXPECT_EQ(findGuide("禾岚创建的导购2").second, "QQ");

    // The slot is created from a form whose address ends in "?", as the program sends it.
    const std::string created = post(web::role::kAffiliateHost, std::string(Service::kSlotCreate) + "?",
                                     "tag=29&gcid=8&siteid=" + wechatId +
                                         "&selectact=add&newadzonename=" + web::urlEncode("禾岚创建的推广位1") +
                                         "&t=1&_tb_token_=" + token() + "&pvid=10_198.51.100.1_534_1")
                                    .text;
    web::JsonReader answer;
    ASSERT_TRUE(answer.parse(created));
    const std::string slotId = answer.getText("data.adzoneId");
    const auto listed = slotPage(1);
    ASSERT_EQ(listed.count("data.pagelist"), 6u);
    EXPECT_EQ(listed.getText("data.pagelist[5].name"), "禾岚创建的推广位1");
    EXPECT_EQ(listed.getText("data.pagelist[5].adzonePid"),
              "mm_" + m_platform->memberId() + "_" + wechatId + "_" + slotId);

    // A guide that still has slots stays; once its slot is gone it can be deleted.
    EXPECT_THAT(change(Service::kGuideDelete, "siteId=" + wechatId), HasSubstr("\"ok\":false"));
    EXPECT_THAT(change(Service::kSlotDelete, "gcid=8&adzoneids=" + slotId), HasSubstr("ok\":true"));
    EXPECT_THAT(change(Service::kSlotDelete, "gcid=8&adzoneids=" + slotId), HasSubstr("\"ok\":false"));
    EXPECT_THAT(change(Service::kGuideDelete, "siteId=" + wechatId), HasSubstr("ok\":true"));
    EXPECT_EQ(findGuide("禾岚创建的导购1").first, "");
    EXPECT_EQ(slotPage(1).count("data.pagelist"), 5u);

    // Failures leave the state as it was.
    m_platform->setAddGuideFails(Service::kWechatCategory);
    EXPECT_THAT(change(Service::kGuideAdd, "name=" + wechatName + "&categoryId=14&account1=wx_1"),
                HasSubstr("\"ok\":false"));
    EXPECT_THAT(change(Service::kSlotCreate, "siteid=999&newadzonename=x"), HasSubstr("\"ok\":false"));
    EXPECT_EQ(guideList().count("data.guideList"), 3u);
    EXPECT_EQ(m_platform->slots().size(), 5u);
}

TEST_F(AffiliatePlatformTest, MalformedTextInANameDoesNotBreakTheListings)
{
    loginStatic("sandbox_user", "sandbox-pass");
    // GBK bytes where UTF-8 belongs, as a caller that forgot the conversion would send.
    EXPECT_THAT(change(Service::kGuideAdd, "name=%BD%F0%C0%BD&categoryId=13"), HasSubstr("ok\":true"));
    const auto json = guideList();
    ASSERT_EQ(json.count("data.guideList"), 3u);
    EXPECT_NE(json.getText("data.guideList[2].name"), "");
}

// The hub serves each connection on its own thread; sessions and slots made at once all keep their state.
TEST_F(AffiliatePlatformTest, ConcurrentSessionsKeepTheirOwnTokensAndSlots)
{
    const std::string site = m_platform->sites().front().id;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t, site] {
            web::CookieJar cookie;
            m_http.request({.url = m_hosts.url(web::role::kLoginHost, Service::kLoginPage),
                            .method = web::HttpMethod::Post,
                            .body = "loginType=quick"},
                           cookie);
            for (int i = 0; i < 5; ++i) {
                m_http.request({.url = m_hosts.url(web::role::kMediaHost, Service::kBaseInfo)}, cookie);
                m_http.request({.url = m_hosts.url(web::role::kAffiliateHost, Service::kSlotCreate),
                                .method = web::HttpMethod::Post,
                                .body = "siteid=" + site + "&newadzonename=t" + std::to_string(t) +
                                        "&_tb_token_=" + session::tokenFromCookie(cookie)},
                               cookie);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::set<std::string> ids;
    for (const auto& slot : m_platform->slots())
        ids.insert(slot.id);
    EXPECT_EQ(ids.size(), 5u + 4 * 5);
    EXPECT_EQ(m_platform->loginCount(), 4);
}

}  // namespace
}  // namespace dealcast::sandbox
