#include "support/fixtures.h"
#include "web/encoding.h"
#include "web/hosts.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace dealcast::web {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(HostsTest, DefaultsLeaveEveryServiceUnsetAndKeepAddressesAndPorts)
{
    const Hosts hosts;
    EXPECT_EQ(hosts.port(role::kRobotPort), 10245);
    EXPECT_EQ(hosts.port(role::kFollowPort), 10246);
    for (const auto name : {role::kMarketDomain, role::kMallDomain, role::kMarketItemHost, role::kAffiliateHost,
                            role::kLoginHost, role::kIpLookupHost, role::kUpdateHost, role::kVendorHost,
                            role::kTutorialHost, role::kCloudLibraryHost, role::kTokenProxyHost, role::kLandingHost,
                            role::kPicksHost, role::kFollowServer}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(hosts.isSet(name));
        EXPECT_EQ(hosts.get(name), "");
        EXPECT_EQ(hosts.url(name, "/updata.html"), "");
    }
    for (const auto name : {role::kPvidAddressList, role::kPvidAddressCreate, role::kIpFallback})
        EXPECT_TRUE(hosts.isSet(name)) << name;
    EXPECT_EQ(hosts.httpOptions().connectTo.size(), 0u);
    EXPECT_EQ(hosts.httpOptions().caFile, "");
    EXPECT_EQ(hosts.browserResolverRules(), "");
}

TEST(HostsTest, FileOverridesUnsetsAndReportsWhatItCannotUse)
{
    const std::string text = "\xEF\xBB\xBF# operator services\r\n"
                             "UPDATE_HOST = update.example.org\r\n"
                             "; an empty value unsets\r\n"
                             "SHORTLINK_C_API_HOST=\r\n"
                             "market_domain=example.com\r\n"
                             "no equals sign here\r\n"
                             "NOT_A_ROLE=x\r\n"
                             "ROBOT_PORT=70000\r\n"
                             "VENDOR_HOST=http://vendor.example.org/path\r\n"
                             "IP_FALLBACK=10.0.0\r\n"
                             "[elsewhere]\r\n"
                             "LANDING_HOST=ignored.example.org\r\n"
                             "[hosts]\r\n"
                             "FOLLOW_SERVER=\"follow.example.org:9000\"\r\n"
                             "[sandbox]\r\n"
                             "UPDATE_HOST=not-here.example.org\r\n"
                             "CONNECT_TO=127.0.0.1:abc\r\n";
    std::vector<std::string> problems;
    const Hosts hosts = Hosts::parse(text, "hosts.ini", &problems);

    EXPECT_EQ(hosts.get(role::kUpdateHost), "update.example.org");
    EXPECT_FALSE(hosts.isSet(role::kShortlinkCApiHost));
    EXPECT_EQ(hosts.get(role::kMarketDomain), ".example.com");
    EXPECT_EQ(hosts.get(role::kFollowServer), "follow.example.org:9000");
    EXPECT_EQ(hosts.port(role::kFollowServer), 9000);
    // Rejected values keep the defaults.
    EXPECT_EQ(hosts.port(role::kRobotPort), 10245);
    EXPECT_FALSE(hosts.isSet(role::kVendorHost));
    EXPECT_EQ(hosts.get(role::kIpFallback), Hosts().get(role::kIpFallback));
    EXPECT_FALSE(hosts.isSet(role::kLandingHost));
    EXPECT_EQ(hosts.sandbox().connectTo, "");

    ASSERT_EQ(problems.size(), 8u);
    EXPECT_EQ(problems[0], "hosts.ini 第6行无法识别，已忽略：no equals sign here");
    EXPECT_EQ(problems[1], "hosts.ini 第7行：未知名称 NOT_A_ROLE，已忽略");
    EXPECT_THAT(problems[2], HasSubstr("第8行：ROBOT_PORT 的值无效"));
    EXPECT_THAT(problems[3], HasSubstr("第9行：VENDOR_HOST 的值无效"));
    EXPECT_THAT(problems[4], HasSubstr("第10行：IP_FALLBACK 的值无效"));
    EXPECT_THAT(problems[5], HasSubstr("第11行：未知分节 [elsewhere]"));
    EXPECT_THAT(problems[6], HasSubstr("第16行：未知名称 UPDATE_HOST"));
    EXPECT_THAT(problems[7], HasSubstr("第17行：CONNECT_TO 的值无效"));
}

TEST(HostsTest, LoadsGbkFilesAndTreatsAnAbsentFileAsDefaults)
{
    test::TempDir dir;
    std::vector<std::string> problems;
    const Hosts absent = Hosts::load(dir.path() / "hosts.ini", &problems);
    EXPECT_EQ(absent.toText(), Hosts().toText());
    EXPECT_THAT(problems, IsEmpty());

    // A GBK file written by a Chinese-locale editor: the CA path and a bad line carry Chinese text.
    const auto path = dir.path() / "hosts.ini";
    std::ofstream(path, std::ios::binary) << utf8ToGbk("[sandbox]\nCA_FILE=/证书/ca.pem\n主机\n");
    const Hosts gbk = Hosts::load(path, &problems);
    EXPECT_EQ(gbk.sandbox().caFile, "/证书/ca.pem");
    EXPECT_THAT(problems, ElementsAre("hosts.ini 第3行无法识别，已忽略：主机"));
}

TEST(HostsTest, SandboxPartRoutesRequestsAndTheBrowser)
{
    const Hosts hosts = Hosts::parse("[sandbox]\nCONNECT_TO=127.0.0.1:8080\nTLS_CONNECT_TO=127.0.0.1:8443\n"
                                     "CA_FILE=/run/ca.pem\n");
    const HttpOptions options = hosts.httpOptions();
    EXPECT_THAT(options.connectTo, ElementsAre(":80:127.0.0.1:8080", ":443:127.0.0.1:8443"));
    EXPECT_EQ(options.caFile, "/run/ca.pem");
    EXPECT_TRUE(options.verifyCertificates);
    EXPECT_EQ(hosts.browserResolverRules(), "MAP *:80 127.0.0.1:8080, MAP *:443 127.0.0.1:8443");
}

TEST(HostsTest, TextRoundTripsEveryValue)
{
    Hosts hosts;
    hosts.set(role::kUpdateHost, "update.sandbox.test");
    hosts.set(role::kMarketDomain, "");
    hosts.set(role::kRobotPort, "20001");
    hosts.set("NOT_A_ROLE", "x");
    hosts.setSandbox({"127.0.0.1:1", "127.0.0.1:2", "/tmp/ca.pem"});
    std::vector<std::string> problems;
    const Hosts back = Hosts::parse(hosts.toText(), "hosts.ini", &problems);
    EXPECT_THAT(problems, IsEmpty());
    for (const auto name : Hosts::roles())
        EXPECT_EQ(back.get(name), hosts.get(name)) << name;
    EXPECT_FALSE(back.isSet(role::kMarketDomain));
    EXPECT_EQ(back.get("NOT_A_ROLE"), "");
    EXPECT_EQ(back.browserResolverRules(), hosts.browserResolverRules());
    EXPECT_EQ(back.sandbox().caFile, "/tmp/ca.pem");
}

TEST(HostsTest, UnsetMessageIsOneFixedPattern)
{
    EXPECT_EQ(Hosts::unsetMessage(role::kUpdateHost, "检查更新"), "未配置 UPDATE_HOST，跳过检查更新");
    EXPECT_EQ(Hosts::unsetMessage(role::kLandingHost), "未配置 LANDING_HOST，跳过此功能");
}

}  // namespace
}  // namespace dealcast::web
