#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "platform/virtual_clock.h"
#include "session/affiliate_login.h"
#include "session/authorization.h"
#include "session/session_controls.h"
#include "settings/authorization_file.h"
#include "support/fake_window_host.h"
#include "support/fixtures.h"
#include "support/scripted_browser.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"

#include <gtest/gtest.h>

namespace dealcast::session {
namespace {

using settings::DateTime;

TEST(UrlParameter, ReadsAWholeParameterUpToTheNextAmpersand)
{
    struct Case {
        const char* address;
        const char* name;
        const char* value;
    };
    for (const Case& c : {
             Case{"https://h/cb#access_token=abc&token_type=Bearer", "access_token", "abc"},
             Case{"https://h/cb?x=1&access_token=abc", "access_token", "abc"},
             Case{"https://h/cb?sub_nick=other&nick=me", "nick", "me"},
             Case{"https://h/cb?nick_name=x", "nick", ""},
             Case{"https://h/cb?access_token=", "access_token", ""},
             Case{"https://h/cb?a=1", "access_token", ""},
         }) {
        EXPECT_EQ(urlParameter(c.address, c.name), c.value) << c.address;
    }
}

// The main window, the authorize window and the authorization file in a fresh machine folder. The virtual
// clock reads 2024-01-01 08:00:00 local time.
class AuthorizationTest : public ::testing::Test {
protected:
    AuthorizationTest()
        : m_log(*m_main.model().find<platform::EditBox>(app::controls::kRunLog), m_clock)
        , m_authorization(
              {m_clock, m_hosts, m_main.model(), m_log, m_dialogs, m_windows, m_window, m_dir.path() / "config.ini"})
    {
        m_hosts.set(web::role::kOauthHost, "oauth.sandbox.test");
        m_windows.setBrowser(AuthorizeWindow::kTitle, &m_browser);
        m_authorization.bindHandlers();
    }

    settings::AuthorizationFile file() const { return settings::AuthorizationFile(m_dir.path() / "config.ini"); }
    platform::Label& mainLabel() { return *m_main.model().find<platform::Label>(controls::kAuthorizationStatus); }
    platform::Label& label(const char* name) { return *m_window.model().find<platform::Label>(name); }
    // The messages of the notices shown, from the `from`-th on.
    std::vector<std::string> notices(std::size_t from = 0) const
    {
        std::vector<std::string> out;
        const auto shown = m_dialogs.shown();
        for (std::size_t i = from; i < shown.size(); ++i)
            out.push_back(shown[i].message);
        return out;
    }

    test::TempDir m_dir;
    platform::VirtualClock m_clock;
    web::Hosts m_hosts;
    app::MainWindow m_main;
    app::RunLog m_log;
    test::ScriptedDialogs m_dialogs;
    test::FakeWindowHost m_windows;
    test::ScriptedBrowser m_browser;
    AuthorizeWindow m_window;
    Authorization m_authorization;
};

TEST_F(AuthorizationTest, GrantsAreValidForTwentyFiveWholeDays)
{
    struct Case {
        DateTime granted;
        bool valid;
    };
    for (const Case& c :
         {Case{{2023, 12, 7, {8, 0, 0}}, true}, Case{{2023, 12, 6, {8, 0, 1}}, true},
          Case{{2023, 12, 6, {8, 0, 0}}, false}, Case{{2023, 11, 1, {}}, false}, Case{{2024, 1, 2, {}}, true}}) {
        const std::size_t before = m_dialogs.shown().size();
        mainLabel().setText("未授权");
        mainLabel().setColour(0);
        ASSERT_TRUE(file().save({.accessToken = "tok", .accessTime = c.granted, .accessName = "店主"}));

        m_authorization.checkAuthorization();
        const std::string when = settings::formatDateTime(c.granted);
        EXPECT_EQ(m_authorization.accessToken(), "tok") << when;
        EXPECT_EQ(m_authorization.accessTime(), when);
        EXPECT_EQ(m_authorization.expired(), !c.valid) << when;
        if (c.valid) {
            EXPECT_TRUE(notices(before).empty()) << when;
            EXPECT_EQ(mainLabel().text(), "已授权");
            EXPECT_EQ(mainLabel().colour(), kStatusGreen);
        } else {
            EXPECT_EQ(notices(before), std::vector<std::string>{Authorization::kExpiredNotice}) << when;
            EXPECT_EQ(mainLabel().text(), "未授权");
        }
    }
}

TEST_F(AuthorizationTest, MissingTokenOrTimeGivesTheNotAuthorizedNotice)
{
    m_authorization.checkAuthorization();  // no file at all
    EXPECT_EQ(notices(),
              std::vector<std::string>{"联盟未授权，请点击登录按钮下面的授权按钮，否则导致部分功能无法使用"});
    EXPECT_EQ(m_authorization.accessToken(), "");
    EXPECT_TRUE(m_authorization.expired());

    ASSERT_TRUE(file().save({.accessToken = "", .accessTime = DateTime{2024, 1, 1, {}}, .accessName = ""}));
    m_authorization.checkAuthorization();
    EXPECT_EQ(notices(1), std::vector<std::string>{Authorization::kMissingNotice}) << "a token without a time";
}

TEST_F(AuthorizationTest, OpeningShowsTheLastGrantAndTheAuthorizePage)
{
    ASSERT_TRUE(
        file().save({.accessToken = "t", .accessTime = DateTime{2023, 12, 20, {9, 5, 7}}, .accessName = "店主"}));
    EXPECT_TRUE(m_main.model().raise(controls::kOpenAuthorization, platform::EventType::Clicked));

    EXPECT_TRUE(m_windows.isVisible(m_window.model()));
    EXPECT_EQ(m_browser.navigations(),
              std::vector<std::string>{"https://oauth.sandbox.test/authorize?response_type=token&client_id=20000001"});
    EXPECT_NE(m_browser.userAgent().find("MSIE 9.0; Windows NT 6.1; Win64; x64; Trident/5.0"), std::string::npos);
    EXPECT_EQ(label(AuthorizeWindow::kSessionTime).text(), "上次授权时间：2023年12月20日9时5分7秒");
    EXPECT_EQ(label(AuthorizeWindow::kSessionName).text(), "授权用户：店主");
    EXPECT_EQ(m_window.model().find<platform::EditBox>(AuthorizeWindow::kExplanation)->text(),
              "\r\n授权说明：为对接阿里官方高佣接口，需要用户授权登录，否则会导致部分功能异常，一月只需授权一次即可，"
              "如新下载软件包则需重新授权一次，特此说明");
}

TEST_F(AuthorizationTest, RedirectWithTheTokenStoresTheGrant)
{
    m_authorization.openAuthorization();
    m_clock.advance(3'600'000);  // the user takes an hour over it
    m_browser.arrive("https://oauth.sandbox.test/authorize?response_type=token&client_id=20000001");
    EXPECT_EQ(m_authorization.accessToken(), "") << "the authorize page itself grants nothing";

    m_browser.arrive("https://oauth.sandbox.test/callback#access_token=6201abc&token_type=Bearer&expires_in=86400"
                     "&sub_taobao_user_nick=sub&taobao_user_nick=%E5%BA%97%E4%B8%BB");
    EXPECT_EQ(m_authorization.accessToken(), "6201abc");
    EXPECT_EQ(m_authorization.accessTime(), "2024年1月1日9时");
    EXPECT_FALSE(m_authorization.expired());

    const settings::Authorization stored = file().load();
    EXPECT_EQ(stored.accessToken, "6201abc");
    EXPECT_EQ(stored.accessName, "店主");
    ASSERT_TRUE(stored.accessTime);
    EXPECT_EQ(settings::formatDateTime(*stored.accessTime), "2024年1月1日9时");

    EXPECT_EQ(label(AuthorizeWindow::kSessionTime).text(), "上次授权时间：2024年1月1日9时");
    EXPECT_EQ(label(AuthorizeWindow::kSessionName).text(), "授权用户：店主");
    EXPECT_EQ(label(AuthorizeWindow::kState).text(), "已授权");
    EXPECT_EQ(mainLabel().text(), "已授权");
    EXPECT_EQ(mainLabel().colour(), kStatusGreen);
}

TEST_F(AuthorizationTest, AnAddressWithAnEmptyTokenChangesNothing)
{
    m_authorization.openAuthorization();
    m_browser.arrive("https://oauth.sandbox.test/callback?error=access_denied&access_token=");
    EXPECT_EQ(m_authorization.accessToken(), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "config.ini"));
    EXPECT_EQ(mainLabel().text(), "未授权");
}

TEST_F(AuthorizationTest, WithoutABrowserOrHostItSaysWhy)
{
    m_hosts.set(web::role::kOauthHost, "");
    m_authorization.openAuthorization();
    EXPECT_TRUE(m_browser.navigations().empty());
    const auto* log = m_main.model().find<platform::EditBox>(app::controls::kRunLog);
    EXPECT_NE(log->text().find(web::Hosts::unsetMessage(web::role::kOauthHost, "授权")), std::string::npos);

    m_windows.setBrowser(AuthorizeWindow::kTitle, nullptr);
    m_authorization.openAuthorization();
    EXPECT_NE(log->text().find("没有内嵌浏览器，无法打开授权页面"), std::string::npos);
}

}  // namespace
}  // namespace dealcast::session
