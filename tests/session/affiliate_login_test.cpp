#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "platform/virtual_clock.h"
#include "sandbox/sandbox_server.h"
#include "session/affiliate_login.h"
#include "session/affiliate_session.h"
#include "session/login_window.h"
#include "session/session_controls.h"
#include "support/fake_window_host.h"
#include "support/scripted_browser.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>

namespace dealcast::session {
namespace {

constexpr char kLoginHost[] = "login.sandbox.test";
constexpr char kDomain[] = "affiliate.sandbox.test";
constexpr char kLiveCookies[] = "cna=7; _tb_token_=tok1; cookie2=c2";

// The platform's publisher page and media page: the publisher page shows a live session from its
// `liveFrom`-th request on (0: never); the media page sets a cookie of its own.
class FakeAffiliate {
public:
    FakeAffiliate()
    {
        m_server.http().Get("/myunion.htm", [this](const httplib::Request& request, httplib::Response& response) {
            const int n = ++m_unionRequests;
            record(m_unionCookies, request);
            const int from = m_liveFrom.load();
            const bool live = from > 0 && n >= from;
            response.set_content(live ? "<html><link>combo进来的css</link></html>" : "<html>请登录</html>",
                                 "text/html; charset=utf-8");
        });
        m_server.http().Get("/user/base_info.htm",
                            [this](const httplib::Request& request, httplib::Response& response) {
                                record(m_mediaCookies, request);
                                response.set_header("Set-Cookie", "media=1; Path=/");
                                response.set_content("{}", "application/json; charset=utf-8");
                            });
        m_server.start();
    }
    // The server's threads record into the lists below: they end before the lists go.
    ~FakeAffiliate() { m_server.stop(); }
    FakeAffiliate(const FakeAffiliate&) = delete;
    FakeAffiliate& operator=(const FakeAffiliate&) = delete;

    std::string host() const { return m_server.host(); }
    void setLiveFrom(int request) { m_liveFrom = request; }
    // Live from the next request on.
    void goLive() { m_liveFrom = m_unionRequests.load() + 1; }
    int unionRequests() const { return m_unionRequests.load(); }
    std::vector<std::string> unionCookies() const
    {
        std::lock_guard lock(m_mutex);
        return m_unionCookies;
    }
    std::vector<std::string> mediaCookies() const
    {
        std::lock_guard lock(m_mutex);
        return m_mediaCookies;
    }

private:
    void record(std::vector<std::string>& into, const httplib::Request& request)
    {
        std::lock_guard lock(m_mutex);
        into.push_back(request.get_header_value("Cookie"));
    }

    sandbox::SandboxServer m_server;
    std::atomic<int> m_unionRequests{0};
    std::atomic<int> m_liveFrom{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_unionCookies;
    std::vector<std::string> m_mediaCookies;
};

// A main window, its run log and the login window, a scripted login page and the fake platform.
class AffiliateLoginTest : public ::testing::Test {
protected:
    AffiliateLoginTest()
        : m_log(*m_main.model().find<platform::EditBox>(app::controls::kRunLog), m_clock)
    {
        m_hosts.set(web::role::kAffiliateHost, m_affiliate.host());
        m_hosts.set(web::role::kMediaHost, m_affiliate.host());
        m_hosts.set(web::role::kLoginHost, kLoginHost);
        m_hosts.set(web::role::kAffiliateDomain, kDomain);
        m_windows.setBrowser(AffiliateLoginWindow::kTitle, &m_browser);
        m_browser.setElements("", {"J_QuickLogin", "J_SubmitQuick"});
        m_browser.setCookies("http://" + std::string(kDomain), kLiveCookies);
        m_values.setStartupLogin(true);
        setQuickLogin(true);
        m_login = std::make_unique<AffiliateLogin>(
            AffiliateLoginServices{m_clock, m_hosts, m_http, m_session, m_main.model(), m_log, m_values, m_dialogs,
                                   m_windows, m_loginWindow},
            AffiliateLoginHooks{[this] { hook("reload"); }, [this] { hook("refresh"); }, [this] { hook("check"); }});
        m_login->bindHandlers();
    }

    ~AffiliateLoginTest() override { m_login->stop(); }

    void hook(const char* name)
    {
        std::lock_guard lock(m_hookMutex);
        m_hooks.push_back(name);
    }
    std::vector<std::string> hooks()
    {
        std::lock_guard lock(m_hookMutex);
        return m_hooks;
    }

    void setQuickLogin(bool on) { m_main.model().find<platform::CheckBox>(controls::kQuickLogin)->setChecked(on); }
    void setAccount(const std::string& account, const std::string& password, bool automatic)
    {
        setQuickLogin(false);
        m_main.model().find<platform::EditBox>(controls::kAccount)->setText(account);
        m_main.model().find<platform::EditBox>(controls::kPassword)->setText(password);
        m_main.model().find<platform::CheckBox>(controls::kAutoLogin)->setChecked(automatic);
    }

    std::string logText() const { return m_main.model().find<platform::EditBox>(app::controls::kRunLog)->text(); }
    bool logHas(std::string_view line) const
    {
        return logText().find(std::string("] >>>> ") += line) != std::string::npos;
    }
    platform::Label& status() { return *m_main.model().find<platform::Label>(controls::kLoginStatus); }
    bool windowVisible() const { return m_windows.isVisible(m_loginWindow.model()); }

    void runLogin()
    {
        ASSERT_TRUE(m_login->startLogin());
        m_login->join();
    }

    FakeAffiliate m_affiliate;
    platform::VirtualClock m_clock;
    web::Hosts m_hosts;
    web::HttpClient m_http;
    AffiliateSession m_session;
    app::MainWindow m_main;
    app::RunLog m_log;
    app::StartupValues m_values;
    test::ScriptedDialogs m_dialogs;
    test::FakeWindowHost m_windows;
    AffiliateLoginWindow m_loginWindow;
    test::ScriptedBrowser m_browser;
    std::mutex m_hookMutex;
    std::vector<std::string> m_hooks;
    std::unique_ptr<AffiliateLogin> m_login;
};

TEST_F(AffiliateLoginTest, QuickLoginSucceedsOnTheThirdPoll)
{
    m_affiliate.setLiveFrom(3);
    runLogin();

    EXPECT_EQ(m_browser.navigations(), std::vector<std::string>{AffiliateLogin::quickLoginUrl(kLoginHost)});
    EXPECT_EQ(
        m_browser.navigations()[0],
        "https://login.sandbox.test/member/login.jhtml?style=mini&newMini2=true&from=alimama&redirectURL=http%3A%2F%2F"
        "login.sandbox.test%2Fmember%2Ftaobaoke%2Flogin.htm%3Fis_login%3d1&full_redirect=true&qq-pf-to=pcqq.c2c");
    EXPECT_EQ(m_browser.presses(), std::vector<std::string>{"J_SubmitQuick"});
    EXPECT_TRUE(m_browser.clicks().empty());
    EXPECT_EQ(m_affiliate.unionRequests(), 3);
    EXPECT_EQ(m_affiliate.unionCookies().back(), kLiveCookies) << "the check sends the login page's cookies";
    EXPECT_EQ(m_browser.cookieRequests().back(), "http://affiliate.sandbox.test");

    EXPECT_EQ(m_session.cookie(), kLiveCookies);
    EXPECT_EQ(m_session.token(), "tok1");
    EXPECT_EQ(status().text(), "已登录");
    EXPECT_EQ(status().colour(), kStatusRed);
    EXPECT_TRUE(logHas("联盟登录成功！\r\n"));
    EXPECT_EQ(hooks(), (std::vector<std::string>{"reload", "refresh", "check"}));
    EXPECT_EQ(m_session.appKeys().size(), 29u);
    EXPECT_FALSE(windowVisible());
    EXPECT_EQ(m_windows.showCount(AffiliateLoginWindow::kTitle), 1);
    EXPECT_FALSE(m_values.startupLogin());
}

struct QuickCase {
    const char* name;
    bool pressWorks;
    int liveFrom;
    bool startup;
    std::vector<test::ScriptedBrowser::Click> clicks;
    bool loggedIn;
    bool windowStays;
};

class QuickLoginFallbackTest : public AffiliateLoginTest, public ::testing::WithParamInterface<QuickCase> {};

TEST_P(QuickLoginFallbackTest, ClicksTheAvatarAndReportsWhatCameOfIt)
{
    const QuickCase& c = GetParam();
    m_browser.setPressResult("J_SubmitQuick", c.pressWorks);
    m_affiliate.setLiveFrom(c.liveFrom);
    m_values.setStartupLogin(c.startup);
    ASSERT_TRUE(m_session.beginRelogin());
    runLogin();

    EXPECT_EQ(m_browser.clicks(), c.clicks);
    EXPECT_EQ(logHas("联盟登录成功！"), c.loggedIn);
    EXPECT_EQ(logHas("登陆出错，请手动尝试...\r\n"), !c.loggedIn);
    EXPECT_EQ(m_affiliate.unionRequests(), c.loggedIn ? c.liveFrom : 14);
    EXPECT_EQ(windowVisible(), c.windowStays);
    EXPECT_EQ(m_session.reloginRunning(), c.windowStays) << "a re-login ends when its window goes";
    if (!c.loggedIn) {
        EXPECT_TRUE(m_session.token().empty()) << "failed checks leave the session alone";
    }
}

const test::ScriptedBrowser::Click kAvatar{kQuickLoginX, kQuickLoginY};

INSTANTIATE_TEST_SUITE_P(
    Cases, QuickLoginFallbackTest,
    ::testing::Values(QuickCase{"FailedPressIsAClick", false, 1, false, {kAvatar}, true, false},
                      QuickCase{"AvatarClickAfterTenChecks", true, 12, false, {kAvatar}, true, false},
                      QuickCase{"StartUpFailureKeepsTheWindowOpen", true, 0, true, {kAvatar}, false, true},
                      QuickCase{"LaterFailureHidesTheWindow", true, 0, false, {kAvatar}, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AffiliateLoginTest, AutomaticAccountLoginFillsTheFormAndNeverLogsThePassword)
{
    const std::string password = "s3cret-Pw!";
    setAccount("shop_owner", password, true);
    m_browser.setElements("", {"J_StaticForm", "J_QRCodeLogin", "TPL_username_1", "TPL_password_1", "J_SubmitStatic"});
    m_browser.onPress([this](const std::string& id) {
        if (id == "J_SubmitStatic")
            m_affiliate.goLive();
    });
    runLogin();

    EXPECT_EQ(m_browser.navigations(), std::vector<std::string>{AffiliateLogin::accountLoginUrl(kLoginHost)});
    const auto fields = m_browser.fields();
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].id, "TPL_username_1");
    EXPECT_EQ(fields[0].value, "shop_owner");
    EXPECT_EQ(fields[1].id, "TPL_password_1");
    EXPECT_EQ(fields[1].value, password);
    EXPECT_EQ(m_browser.presses(), std::vector<std::string>{"J_SubmitStatic"});
    EXPECT_EQ(m_affiliate.unionRequests(), 5) << "four checks before filling, one after";

    const std::string log = logText();
    std::size_t at = 0;
    for (const char* line : {"自动登录中...", "3秒后自动填写帐号密码...", "登录中，请稍候...", "联盟登录成功！"}) {
        at = log.find(line, at);
        EXPECT_NE(at, std::string::npos) << line << " in order\n" << log;
    }
    EXPECT_EQ(log.find(password), std::string::npos);
    EXPECT_EQ(m_session.token(), "tok1");
    EXPECT_FALSE(windowVisible());
}

TEST_F(AffiliateLoginTest, AutomaticLoginThatNeverTakesIsNotReportedAsSuccess)
{
    setAccount("shop_owner", "pw", true);
    m_browser.setElements("", {"J_StaticForm", "TPL_username_1", "TPL_password_1", "J_SubmitStatic"});
    runLogin();

    EXPECT_TRUE(logHas("登录中，请稍候..."));
    EXPECT_TRUE(logHas("登陆出错，请手动尝试..."));
    EXPECT_FALSE(logHas("联盟登录成功！"));
    EXPECT_NE(status().text(), "已登录");
    EXPECT_TRUE(hooks().empty());
    EXPECT_TRUE(windowVisible()) << "left open for the user to finish";
}

TEST_F(AffiliateLoginTest, ManualLoginIsSettledByClosingTheWindow)
{
    setAccount("shop_owner", "", true);  // no password: not automatic
    m_browser.setNotReadyChecks(2);
    runLogin();
    EXPECT_EQ(m_browser.navigations(), std::vector<std::string>{AffiliateLogin::manualLoginUrl(kLoginHost)});
    EXPECT_TRUE(logHas("请手动登录中...\r\n"));
    EXPECT_TRUE(m_browser.fields().empty());
    EXPECT_TRUE(windowVisible());

    // Closed before logging in: only hidden.
    ASSERT_TRUE(m_session.beginRelogin());
    EXPECT_TRUE(m_loginWindow.model().requestClose());
    EXPECT_FALSE(windowVisible());
    EXPECT_FALSE(m_session.reloginRunning());
    EXPECT_FALSE(logHas("联盟登录成功！"));

    // Logged in by hand, then closed: that is a login.
    runLogin();
    m_affiliate.goLive();
    m_loginWindow.model().requestClose();
    EXPECT_TRUE(logHas("联盟登录成功！"));
    EXPECT_EQ(m_session.token(), "tok1");
    EXPECT_FALSE(windowVisible());
}

TEST_F(AffiliateLoginTest, LoginButtonOnALiveSessionOnlyReloadsTheSlots)
{
    m_affiliate.setLiveFrom(1);
    EXPECT_TRUE(m_main.model().raise(controls::kLoginButton, platform::EventType::Clicked));

    EXPECT_EQ(status().text(), "已登录");
    EXPECT_EQ(status().colour(), kStatusGreen);
    EXPECT_EQ(hooks(), std::vector<std::string>{"reload"});
    ASSERT_EQ(m_dialogs.shown().size(), 1u);
    EXPECT_EQ(m_dialogs.shown()[0].message, "已经登录");
    EXPECT_FALSE(m_login->loginRunning());
    EXPECT_EQ(m_windows.showCount(AffiliateLoginWindow::kTitle), 0);
}

TEST_F(AffiliateLoginTest, LoginButtonWithoutASessionStartsALogin)
{
    m_affiliate.setLiveFrom(2);
    status().setText("已登录");
    m_main.model().raise(controls::kLoginButton, platform::EventType::Clicked);
    EXPECT_EQ(status().colour(), kStatusGrey);
    m_login->join();
    EXPECT_TRUE(logHas("联盟登录成功！"));
    EXPECT_TRUE(m_dialogs.shown().empty());
}

TEST_F(AffiliateLoginTest, TwoReloginRequestsStartOneLoginAndClosingTheWindowEndsIt)
{
    m_browser.setNeverReady(true);
    m_main.model().raise(controls::kRelogin, platform::EventType::Feedback);
    m_main.model().raise(controls::kRelogin, platform::EventType::Feedback);

    const std::string log = logText();
    const std::string line = "正在重新登录阿里妈妈联盟中...";
    const auto first = log.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(line, first + 1), std::string::npos);
    EXPECT_TRUE(m_session.reloginRunning());
    EXPECT_TRUE(m_login->loginRunning()) << "still waiting for the page";
    EXPECT_EQ(m_windows.showCount(AffiliateLoginWindow::kTitle), 1);

    // The user gives up on a page that never loads: the login ends, and a later re-login may start.
    m_loginWindow.model().requestClose();
    m_login->join();
    EXPECT_FALSE(m_session.reloginRunning());
    EXPECT_TRUE(m_browser.navigations().empty());
}

TEST_F(AffiliateLoginTest, WithoutABrowserTheLoginSaysSoAndEnds)
{
    m_windows.setBrowser(AffiliateLoginWindow::kTitle, nullptr);
    ASSERT_TRUE(m_session.beginRelogin());
    EXPECT_FALSE(m_login->startLogin());
    EXPECT_TRUE(logHas("没有内嵌浏览器，无法打开阿里妈妈登录页面，本次登录结束\r\n"));
    EXPECT_EQ(m_windows.showCount(AffiliateLoginWindow::kTitle), 0);
    EXPECT_FALSE(m_session.reloginRunning());
    EXPECT_FALSE(m_values.startupLogin());
}

TEST_F(AffiliateLoginTest, UnsetLoginHostIsLoggedInsteadOfTried)
{
    m_hosts.set(web::role::kLoginHost, "");
    EXPECT_FALSE(m_login->startLogin());
    EXPECT_TRUE(logHas(web::Hosts::unsetMessage(web::role::kLoginHost, "阿里妈妈登录")));
    EXPECT_TRUE(m_browser.navigations().empty());
}

struct TokenCase {
    const char* cookies;
    const char* token;
    const char* sessionCookie;  // as the request left it: blanks and empty cookies dropped
};

TEST_F(AffiliateLoginTest, LoginCheckTakesTheTokenFromTheNewCookies)
{
    m_affiliate.setLiveFrom(1);
    for (const TokenCase& c :
         {TokenCase{"a=1; _tb_token_=abc; b=2", "abc", "a=1; _tb_token_=abc; b=2"},
          TokenCase{"a=1; _tb_token_=e3f", "e3f", "a=1; _tb_token_=e3f"}, TokenCase{"a=1; b=2", "", "a=1; b=2"},
          TokenCase{"a=1; _tb_token_= x y ; b=2", "xy", "a=1; _tb_token_=xy; b=2"},
          TokenCase{"a=1; _tb_token_=;b=2", "", "a=1; b=2"}}) {
        m_session.replace("old=1; _tb_token_=old", "old");
        m_browser.setCookies("", c.cookies);
        m_browser.setCookies("http://" + std::string(kDomain), c.cookies);
        EXPECT_TRUE(m_login->isLoggedIn()) << c.cookies;
        EXPECT_EQ(m_session.token(), c.token) << c.cookies;
        EXPECT_EQ(m_session.cookie(), c.sessionCookie);
    }
}

TEST_F(AffiliateLoginTest, FailedLoginCheckKeepsCookieAndToken)
{
    m_session.replace("old=1; _tb_token_=old", "old");
    m_browser.setCookies("http://" + std::string(kDomain), "new=1; _tb_token_=new");
    EXPECT_FALSE(m_login->isLoggedIn());
    EXPECT_EQ(m_session.cookie(), "old=1; _tb_token_=old");
    EXPECT_EQ(m_session.token(), "old");

    m_hosts.set(web::role::kAffiliateHost, "");
    m_affiliate.setLiveFrom(1);
    EXPECT_FALSE(m_login->isLoggedIn()) << "no publisher page to ask";
    EXPECT_EQ(m_affiliate.unionRequests(), 1);
}

struct KeepAliveCase {
    const char* name;
    bool browser;
    const char* browserCookies;
    const char* cookie;
    const char* token;
};

class KeepAliveTest : public AffiliateLoginTest, public ::testing::WithParamInterface<KeepAliveCase> {};

TEST_P(KeepAliveTest, RefreshesCookieAndTokenTogether)
{
    const KeepAliveCase& c = GetParam();
    m_session.replace("old=1; _tb_token_=old", "old");
    m_windows.setBrowser(AffiliateLoginWindow::kTitle, c.browser ? &m_browser : nullptr);
    m_browser.setCookies("http://" + std::string(kDomain), c.browserCookies);

    EXPECT_TRUE(m_main.model().raise(controls::kKeepAliveTimer, platform::EventType::TimerTick));
    EXPECT_EQ(m_affiliate.mediaCookies(), std::vector<std::string>{"old=1; _tb_token_=old"});
    const auto credentials = m_session.credentials();
    EXPECT_EQ(credentials.cookie, c.cookie);
    EXPECT_EQ(credentials.token, c.token);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeepAliveTest,
    ::testing::Values(KeepAliveCase{"BrowserCookiesWin", true, "fresh=2; _tb_token_=new", "fresh=2; _tb_token_=new",
                                    "new"},
                      KeepAliveCase{"BrowserCookiesWithoutToken", true, "fresh=2", "fresh=2", ""},
                      KeepAliveCase{"EmptyBrowserKeepsTheSession", true, "", "media=1; old=1; _tb_token_=old", "old"},
                      KeepAliveCase{"NoBrowserKeepsTheSession", false, "", "media=1; old=1; _tb_token_=old", "old"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dealcast::session
