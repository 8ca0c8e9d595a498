#include "sandbox/ip_lookup_service.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/update_service.h"
#include "support/fixtures.h"
#include "web/encoding.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::sandbox {
namespace {

using ::testing::HasSubstr;

// A hub with the first simulated services, and a client configured from the hosts file the hub wrote, as
// the program will be.
class SandboxHubTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hub.add(m_ip));
        ASSERT_TRUE(m_hub.add(m_update));
        ASSERT_TRUE(m_hub.start());
        const auto path = m_dir.path() / "hosts.ini";
        ASSERT_TRUE(m_hub.writeHostsFile(path));
        std::vector<std::string> problems;
        m_hosts = web::Hosts::load(path, &problems);
        ASSERT_TRUE(problems.empty()) << problems.front();
    }

    web::HttpResponse fetch(const std::string& url, const web::HttpOptions& options) const
    {
        web::HttpRequest request;
        request.url = url;
        web::CookieJar cookie;
        return web::HttpClient(options).requestBytes(request, cookie);
    }
    web::HttpResponse fetch(const std::string& url) const { return fetch(url, m_hosts.httpOptions()); }

    test::TempDir m_dir;
    std::shared_ptr<IpLookupService> m_ip = std::make_shared<IpLookupService>();
    std::shared_ptr<UpdateService> m_update = std::make_shared<UpdateService>();
    SandboxHub m_hub{m_dir.path() / "run"};
    web::Hosts m_hosts;
};

TEST_F(SandboxHubTest, HostsFileNamesTheSimulatedRolesAndRoutesToTheHub)
{
    EXPECT_EQ(m_hosts.get(web::role::kUpdateHost), "update.sandbox.test");
    EXPECT_EQ(m_hosts.get(web::role::kIpLookupHost), "ip.sandbox.test");
    EXPECT_FALSE(m_hosts.isSet(web::role::kTokenProxyHost));
    EXPECT_EQ(m_hosts.sandbox().connectTo, "127.0.0.1:" + std::to_string(m_hub.httpPort()));
    EXPECT_EQ(m_hosts.sandbox().tlsConnectTo, "127.0.0.1:" + std::to_string(m_hub.httpsPort()));
    EXPECT_EQ(m_hosts.sandbox().caFile, (m_dir.path() / "run" / "sandbox-ca.pem").string());
    EXPECT_THAT(test::readFileBytes(m_hub.caFile()), HasSubstr("-----BEGIN CERTIFICATE-----"));
}

TEST_F(SandboxHubTest, ServesTheProgramsUrlsOverHttpAndVerifiedHttps)
{
    for (const bool https : {false, true}) {
        SCOPED_TRACE(https ? "https" : "http");
        const auto response = fetch(m_hosts.url(web::role::kUpdateHost, "/updata.html", https));
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.bytes,
                  R"({"data":{"update_url":"http://update.sandbox.test/updata.exe","version":"1.51"}})");
    }
}

TEST_F(SandboxHubTest, HttpsFailsWithoutTheCaOrForANameTheCertificateLacks)
{
    // A trusted exchange first: the connection it leaves must not carry the untrusted request past the check.
    ASSERT_EQ(fetch("https://update.sandbox.test/updata.html").status, 200);
    web::HttpOptions untrusted = m_hosts.httpOptions();
    untrusted.caFile.clear();
    EXPECT_EQ(fetch("https://update.sandbox.test/updata.html", untrusted).status, 0);
    // Routed to the hub and trusted CA, but the certificate only names the registered services.
    EXPECT_EQ(fetch("https://other.sandbox.test/updata.html").status, 0);
}

TEST_F(SandboxHubTest, UnknownHostGetsAClear404)
{
    const auto response = fetch("http://nobody.sandbox.test/x");
    EXPECT_EQ(response.status, 404);
    EXPECT_THAT(response.bytes, HasSubstr("nobody.sandbox.test"));
    EXPECT_EQ(m_update->requestCount("/x"), 0);
}

// Answers "<word>" for the paths that start with its prefix.
class PrefixService : public SimulatedService {
public:
    PrefixService(std::string prefix, std::string word)
        : m_prefix(std::move(prefix))
        , m_word(std::move(word))
    {
    }
    std::string hostName() const override { return "shared.sandbox.test"; }
    std::vector<std::string_view> roles() const override { return {web::role::kLandingHost}; }
    std::vector<std::pair<std::string_view, std::string>> roleValues() const override
    {
        return {{web::role::kMarketDomain, "sandbox.test"}};
    }
    bool handles(const httplib::Request& request) const override { return request.path.starts_with(m_prefix); }
    void handle(const httplib::Request&, httplib::Response& response) override
    {
        response.set_content(m_word, "text/plain");
    }

private:
    std::string m_prefix;
    std::string m_word;
};

TEST_F(SandboxHubTest, AcceptsServicesOnlyBeforeStartAndSharesAHostByPath)
{
    EXPECT_FALSE(m_hub.add(std::make_shared<UpdateService>()));

    SandboxHub fresh(m_dir.path() / "fresh");
    ASSERT_TRUE(fresh.add(std::make_shared<PrefixService>("/a", "first")));
    ASSERT_TRUE(fresh.add(std::make_shared<PrefixService>("/", "second")));
    ASSERT_TRUE(fresh.start());
    const web::Hosts hosts = fresh.hosts();
    EXPECT_EQ(hosts.get(web::role::kLandingHost), "shared.sandbox.test");
    EXPECT_EQ(hosts.get(web::role::kMarketDomain), ".sandbox.test");
    web::CookieJar cookie;
    const web::HttpClient http(hosts.httpOptions());
    EXPECT_EQ(http.request({.url = "http://shared.sandbox.test/abc"}, cookie).text, "first");
    EXPECT_EQ(http.request({.url = "http://shared.sandbox.test/b"}, cookie).text, "second");
    fresh.stop();
}

TEST_F(SandboxHubTest, IpLookupAnswersGbkThatDecodesToTheAddressAndPlace)
{
    m_ip->setPlace("广东省深圳市");
    web::HttpRequest request;
    request.url = m_hosts.url(web::role::kIpLookupHost, "/cityjson?ie=gb2312");
    web::CookieJar cookie;
    const auto response = web::HttpClient(m_hosts.httpOptions()).request(request, cookie);
    EXPECT_EQ(response.status, 200);
    EXPECT_FALSE(web::isValidUtf8(response.bytes));
    EXPECT_EQ(web::between(response.text, "cip#引号: #引号", "#引号"), "203.0.113.7");
    EXPECT_EQ(web::between(response.text, "cname#引号: #引号", "#引号}"), "广东省深圳市");
    EXPECT_EQ(m_ip->requestCount(), 1);

    m_ip->setOutcome(Outcome::Empty);
    EXPECT_EQ(fetch("http://ip.sandbox.test/cityjson?ie=gb2312").bytes, "");
    m_ip->setOutcome(Outcome::Failure);
    EXPECT_EQ(fetch("http://ip.sandbox.test/cityjson?ie=gb2312").status, 500);
}

TEST_F(SandboxHubTest, UpdateServiceAnswersAsConfigured)
{
    m_update->setUpdatePage("1.52", "");
    EXPECT_EQ(fetch("http://update.sandbox.test/updata.html").bytes, R"({"data":{"update_url":"","version":"1.52"}})");
    m_update->setUpdatePageBody("<html>busy</html>");
    EXPECT_EQ(fetch("http://update.sandbox.test/updata.html").bytes, "<html>busy</html>");

    m_update->setAppKeys({"first.example", "second.example"});
    const std::string xml = fetch("http://update.sandbox.test/appkey.xml").bytes;
    const auto first = xml.find("<list><appkey>first.example</appkey></list>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_GT(xml.find("<list><appkey>second.example</appkey></list>"), first);

    EXPECT_EQ(fetch("https://update.sandbox.test/com.hlan.cn.cpk").bytes, UpdateService::defaultPluginBytes());
    m_update->setOutcome(UpdateService::kPlugin, Outcome::Empty);
    const auto empty = fetch("http://update.sandbox.test/com.hlan.cn.cpk");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.bytes, "");
    m_update->setOutcome(UpdateService::kUpdater, Outcome::Failure);
    EXPECT_EQ(fetch("http://update.sandbox.test/updata.exe").status, 500);
    EXPECT_EQ(m_update->requestCount(UpdateService::kUpdater), 1);
}

TEST_F(SandboxHubTest, DownloadedUpdaterLeavesItsMarkerWhenRun)
{
    const auto updater = m_dir.path() / "updata.exe";
    {
        std::ofstream out(updater, std::ios::binary);
        out << fetch("http://update.sandbox.test/updata.exe").bytes;
    }
    std::filesystem::permissions(updater, std::filesystem::perms::owner_all);
    ASSERT_EQ(std::system(("'" + updater.string() + "'").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(m_dir.path() / UpdateService::kUpdaterMarker));
}

}  // namespace
}  // namespace dealcast::sandbox
