#include "gui/web_browser.h"
#include "gui_test_support.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/sandbox_hub.h"
#include "web/hosts.h"

#include <QWebEnginePage>
#include <QWebEngineView>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace dealcast::gui {
namespace {

constexpr char kLoginPage[] = R"(<html><body style="margin:0">
<form method="post" action="/submit">
  <input id="user" name="user"><input id="pass" name="pass" type="password">
  <button id="go" type="submit">登录</button>
</form></body></html>)";

constexpr char kClickPage[] = R"(<html><body style="margin:0">
<button id="big" style="position:absolute;left:0;top:0;width:300px;height:200px"
        onclick="location.href='/clicked'">点我</button></body></html>)";

// A sandbox site with a login form that sets a plain and an HttpOnly cookie, and a page to click on.
class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.http().Get("/login", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=s1; Path=/; HttpOnly");
            res.set_header("Set-Cookie", "a=1; Path=/");
            res.set_content(kLoginPage, "text/html; charset=utf-8");
        });
        server.http().Post("/submit", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            submitted = req.body;
            submittedCookies = req.get_header_value("Cookie");
            submittedAgent = req.get_header_value("User-Agent");
            res.set_content("<html><body>ok</body></html>", "text/html");
        });
        server.http().Get("/click", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kClickPage, "text/html; charset=utf-8");
        });
        server.http().Get("/clicked", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body>clicked</body></html>", "text/html");
        });
        ASSERT_TRUE(server.start());
        browser.view()->resize(400, 300);
        browser.view()->show();
    }

    sandbox::SandboxServer server;
    WebBrowser browser;
    std::mutex mutex;
    std::string submitted;
    std::string submittedCookies;
    std::string submittedAgent;
};

TEST_F(WebBrowserTest, LogsIntoASandboxPageAndReadsItsCookies)
{
    browser.setUserAgent("dealcast-test-agent");
    std::vector<std::string> addresses;
    browser.setNavigationHandler([&](const std::string& address) { addresses.push_back(address); });

    browser.navigate(server.url("/login"));
    EXPECT_FALSE(browser.pageReady());
    ASSERT_TRUE(browser.waitUntilReady(20000));
    EXPECT_EQ(browser.currentAddress(), server.url("/login"));
    EXPECT_TRUE(browser.elementExists("user"));
    EXPECT_FALSE(browser.elementExists("nobody"));
    ASSERT_TRUE(test::processUntil([&] { return !browser.cookies(server.url("/")).empty(); }));
    EXPECT_EQ(browser.cookies(server.url("/")), "sid=s1; a=1");
    EXPECT_EQ(browser.cookies("http://elsewhere.example/"), "");

    // Worker threads fill the form as the login does; the page answers on the GUI thread meanwhile.
    std::atomic<bool> filled{false};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        filled = browser.setFormField("user", "张三 \"引号\"") && browser.setFormField("pass", "p&w") &&
                 !browser.setFormField("missing", "x") && browser.pressElement("go");
        finished = true;
    });
    test::processUntil([&] { return finished.load(); }, 60000);
    worker.join();
    ASSERT_TRUE(filled);
    ASSERT_TRUE(test::processUntil(
        [&] {
            std::lock_guard lock(mutex);
            return !submitted.empty();
        },
        20000));
    std::lock_guard lock(mutex);
    EXPECT_EQ(submitted, "user=%E5%BC%A0%E4%B8%89+%22%E5%BC%95%E5%8F%B7%22&pass=p%26w");
    EXPECT_EQ(submittedCookies, "sid=s1; a=1");
    EXPECT_EQ(submittedAgent, "dealcast-test-agent");
    EXPECT_EQ(browser.userAgent(), "dealcast-test-agent");
    EXPECT_TRUE(test::processUntil([&] { return !addresses.empty() && addresses.back() == server.url("/submit"); }));
}

TEST_F(WebBrowserTest, AClickAtCoordinatesReachesThePage)
{
    std::string address;
    browser.setNavigationHandler([&](const std::string& a) { address = a; });
    browser.navigate(server.url("/click"));
    ASSERT_TRUE(browser.waitUntilReady(20000));
    ASSERT_TRUE(browser.elementExists("big"));
    test::processUntil([] { return false; }, 200);  // let the first frame be drawn before input reaches it
    browser.clickAt(50, 50);
    EXPECT_TRUE(test::processUntil([&] { return address == server.url("/clicked"); }, 20000)) << address;
    EXPECT_TRUE(browser.waitUntilReady(20000));
}

// Every browser of the process reaches the sandbox by its host names, over HTTPS too, trusting only its CA.
TEST(WebBrowserRoutingTest, ReachesTheSandboxByNameOverHttps)
{
    WebBrowser browser;
    browser.view()->resize(400, 300);
    const std::string address = test::sharedHosts().url(web::role::kUpdateHost, "/updata.html", true);
    ASSERT_FALSE(address.empty());
    browser.navigate(address);
    ASSERT_TRUE(test::processUntil([&] { return browser.pageReady(); }, 20000));
    EXPECT_EQ(browser.currentAddress(), address);
    QString text;
    browser.view()->page()->toPlainText([&text](const QString& t) { text = t; });
    ASSERT_TRUE(test::processUntil([&] { return !text.isEmpty(); }, 10000));
    EXPECT_TRUE(text.contains(QStringLiteral("\"version\""))) << text.toStdString();
    EXPECT_GE(test::sharedSandbox().httpsPort(), 1);
}

TEST(WebBrowserRoutingTest, ReachesTheSandboxByNameOverPlainHttp)
{
    WebBrowser browser;
    const std::string address = test::sharedHosts().url(web::role::kUpdateHost, "/updata.html");
    browser.navigate(address);
    ASSERT_TRUE(test::processUntil([&] { return browser.pageReady(); }, 20000));
    QString text;
    browser.view()->page()->toPlainText([&text](const QString& t) { text = t; });
    ASSERT_TRUE(test::processUntil([&] { return !text.isEmpty(); }, 10000));
    EXPECT_TRUE(text.contains(QStringLiteral("\"version\""))) << text.toStdString();
}

}  // namespace
}  // namespace dealcast::gui
