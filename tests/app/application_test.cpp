#include "app/application.h"

#include "app/app_controls.h"
#include "app/update_check.h"
#include "platform/edit_box.h"
#include "platform/event_loop.h"
#include "platform/timer_control.h"
#include "platform/virtual_clock.h"
#include "sandbox/ip_lookup_service.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/update_service.h"
#include "session/session_controls.h"
#include "support/fake_processes.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <fstream>

namespace dealcast::app {
namespace {

using platform::DialogResult;
using sandbox::Outcome;

// One program start against the loopback sandbox, in a fresh run folder.
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_ip = std::make_shared<sandbox::IpLookupService>();
        m_update = std::make_shared<sandbox::UpdateService>();
        ASSERT_TRUE(m_hub.add(m_ip));
        ASSERT_TRUE(m_hub.add(m_update));
        ASSERT_TRUE(m_hub.start());
    }

    std::unique_ptr<Application> makeApp(std::optional<web::Hosts> hosts = std::nullopt)
    {
        settings::Folders folders{m_dir.path() / "run", m_dir.path() / "machine"};
        Environment env{m_clock, m_loop, m_dialogs, m_processes, folders, hosts ? *hosts : m_hub.hosts(),
                        m_dir.path() / "run" / "dealcast", false};
        return std::make_unique<Application>(std::move(env));
    }

    static std::string logText(Application& app)
    {
        return app.mainWindow().model().find<platform::EditBox>(controls::kRunLog)->text();
    }

    test::TempDir m_dir;
    sandbox::SandboxHub m_hub;
    std::shared_ptr<sandbox::IpLookupService> m_ip;
    std::shared_ptr<sandbox::UpdateService> m_update;
    platform::VirtualClock m_clock;
    platform::EventLoop m_loop{m_clock};
    test::ScriptedDialogs m_dialogs;
    test::FakeProcesses m_processes;
};

TEST_F(ApplicationTest, StartsUpInOrderWithTheLookedUpAddressAndTheLastShortLinkHost)
{
    m_update->setAppKeys({"first.sandbox.test", "second.sandbox.test"});
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    app->joinBackgroundWork();

    const std::string log = logText(*app);
    EXPECT_NE(log.find("] >>>> 系统启动完毕，等待操作，本次登录IP为：203.0.113.7\r\n"), std::string::npos) << log;
    EXPECT_EQ(app->values().publicIp(), "203.0.113.7");
    EXPECT_EQ(app->values().shortLinkHost(), "second.sandbox.test");
    EXPECT_FALSE(app->values().startupLogin());  // the first login has run (without a browser, it says so)
    EXPECT_EQ(app->mainWindow().currentPage(), 0);
    EXPECT_EQ(app->mainWindow().model().find<platform::TimerControl>(session::controls::kKeepAliveTimer)->interval(),
              1'200'000);
    EXPECT_TRUE(m_dialogs.shown().empty());  // the running version is current
    for (const char* folder : {"data", "log", "QQGroup"})
        EXPECT_TRUE(std::filesystem::is_directory(m_dir.path() / "run" / folder)) << folder;
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.path() / "machine"));
}

TEST_F(ApplicationTest, AnAddressLookupThatYieldsNothingFallsBackAndStillLogs)
{
    for (Outcome outcome : {Outcome::Empty, Outcome::Failure}) {
        m_ip->setOutcome(outcome);
        auto app = makeApp();
        ASSERT_TRUE(app->start());
        const std::string fallback = m_hub.hosts().get(web::role::kIpFallback);
        ASSERT_FALSE(fallback.empty());
        EXPECT_EQ(app->values().publicIp(), fallback);
        EXPECT_NE(logText(*app).find("本次登录IP为：" + fallback + "\r\n"), std::string::npos);
    }
}

TEST_F(ApplicationTest, UnsetHostsSkipTheirFeaturesWithALogLineEach)
{
    web::Hosts hosts;  // the defaults leave the product operator's own services unset
    hosts.set(web::role::kIpLookupHost, "");  // unset: the start-up falls back to the fixed address text
    auto app = makeApp(hosts);
    ASSERT_TRUE(app->start());
    const std::string log = logText(*app);
    EXPECT_NE(log.find(web::Hosts::unsetMessage(web::role::kUpdateHost)), std::string::npos) << log;
    EXPECT_NE(log.find(web::Hosts::unsetMessage(web::role::kIpLookupHost)), std::string::npos) << log;
    EXPECT_EQ(m_update->requestCount(sandbox::UpdateService::kUpdatePage), 0);
}

struct UpdateCase {
    const char* name;
    const char* version;
    const char* updateUrl;
    std::optional<int> answer;      // the update question's answer; nullopt: no question expected
    bool updaterPresent;            // an updater already in the run folder
    Outcome download;               // how the updater download answers
    bool startSucceeds;
    bool expectExit;
    int expectDownloads;
};

class UpdateCheckTest : public ApplicationTest, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(UpdateCheckTest, OffersAndRunsTheUpdaterOnlyWhenItShould)
{
    const UpdateCase& c = GetParam();
    m_update->setUpdatePage(c.version, c.updateUrl);
    m_update->setOutcome(sandbox::UpdateService::kUpdater, c.download);
    m_processes.setStartSucceeds(c.startSucceeds);
    const auto updater = m_dir.path() / "run" / "updata.exe";
    if (c.updaterPresent) {
        std::filesystem::create_directories(updater.parent_path());
        std::ofstream(updater) << "#!/bin/sh\n";
    }
    if (c.answer)
        m_dialogs.queueAnswer(*c.answer);

    auto app = makeApp();
    EXPECT_EQ(app->start(), !c.expectExit);

    const auto shown = m_dialogs.shown();
    if (c.answer) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].message, "发现新版本，是否立即升级？");
        EXPECT_EQ(shown[0].caption, "升级提示");
    } else {
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_EQ(m_update->requestCount(sandbox::UpdateService::kUpdater), c.expectDownloads);
    const auto started = m_processes.started();
    if (c.expectExit) {
        ASSERT_EQ(started.size(), 2u);
        EXPECT_EQ(started[0].first, updater.string());
        const auto script = m_dir.path() / "run" / "tem.sh";
        EXPECT_EQ(test::readFileBytes(script), removalScript(m_dir.path() / "run" / "dealcast", script));
    } else if (!c.startSucceeds && c.answer == DialogResult::Yes) {
        EXPECT_EQ(started.size(), 1u);  // tried the updater, not the removal
    } else {
        EXPECT_TRUE(started.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateCheckTest,
    ::testing::Values(
        UpdateCase{"SameVersion", "1.51", "http://update.sandbox.test/updata.exe", std::nullopt, false, Outcome::Normal,
                   true, false, 0},
        UpdateCase{"NewVersionWithoutUrl", "1.60", "", std::nullopt, false, Outcome::Normal, true, false, 0},
        UpdateCase{"DeclinedUpdate", "1.60", "u", DialogResult::No, false, Outcome::Normal, true, false, 0},
        UpdateCase{"DownloadsAndRuns", "1.60", "u", DialogResult::Yes, false, Outcome::Normal, true, true, 1},
        UpdateCase{"ExistingUpdaterIsNotFetchedAgain", "1.60", "u", DialogResult::Yes, true, Outcome::Normal, true,
                   true, 0},
        UpdateCase{"FailedDownloadNeverStartsOrEnds", "1.60", "u", DialogResult::Yes, false, Outcome::Failure, true,
                   false, 1},
        UpdateCase{"EmptyDownloadNeverStartsOrEnds", "1.60", "u", DialogResult::Yes, false, Outcome::Empty, true, false,
                   1},
        UpdateCase{"UpdaterThatWillNotStartKeepsTheProgram", "1.60", "u", DialogResult::Yes, true, Outcome::Normal,
                   false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApplicationTest, UnreadableUpdatePageWithoutUrlAsksNothing)
{
    m_update->setUpdatePageBody("<html>502</html>");
    auto app = makeApp();
    EXPECT_TRUE(app->start());
    EXPECT_TRUE(m_dialogs.shown().empty());
}

TEST_F(ApplicationTest, PluginUpdateLeavesTheFileAloneWhileTheRobotHostRuns)
{
    auto app = makeApp();
    ASSERT_TRUE(app->start());
    const auto plugin = m_dir.path() / "run" / "KUQ" / "app" / "com.hlan.cn.cpk";
    std::filesystem::create_directories(plugin.parent_path());
    std::ofstream(plugin) << "old";

    m_processes.addWindow("CQUI", "酷Q Air");
    app->mainWindow().model().raise(controls::kUpdatePluginButton, platform::EventType::Clicked);
    ASSERT_EQ(m_dialogs.shown().size(), 1u);
    EXPECT_EQ(m_dialogs.shown()[0].message, "请先退出酷Q！");
    EXPECT_EQ(test::readFileBytes(plugin), "old");

    // A failed download keeps the plug-in there is.
    test::FakeProcesses none;
    m_processes.setStartSucceeds(true);
    m_update->setOutcome(sandbox::UpdateService::kPlugin, Outcome::Failure);
    auto app2 = std::make_unique<Application>(Environment{m_clock, m_loop, m_dialogs, none,
                                                          {m_dir.path() / "run", m_dir.path() / "machine"},
                                                          m_hub.hosts(), m_dir.path() / "run" / "dealcast", false});
    ASSERT_TRUE(app2->start());
    app2->mainWindow().model().raise(controls::kUpdatePluginButton, platform::EventType::Clicked);
    EXPECT_EQ(test::readFileBytes(plugin), "old");
    EXPECT_NE(logText(*app2).find("插件下载失败"), std::string::npos);

    m_update->setOutcome(sandbox::UpdateService::kPlugin, Outcome::Normal);
    app2->mainWindow().model().raise(controls::kUpdatePluginButton, platform::EventType::Clicked);
    EXPECT_EQ(test::readFileBytes(plugin), sandbox::UpdateService::defaultPluginBytes());
    const std::string log = logText(*app2);
    EXPECT_LT(log.find("开始更新插件！"), log.rfind("禾岚插件更新完成"));
}

TEST(ShortLinkHost, LastListBlockWinsAndAnEmptyBlockEndsTheList)
{
    EXPECT_EQ(parseShortLinkHost("<list><appkey>a.test</appkey></list>\n<list> <appkey>b.test</appkey> </list>"),
              "b.test");
    EXPECT_EQ(parseShortLinkHost("<list><appkey>a.test</appkey></list><list>  </list><list><appkey>c</appkey></list>"),
              "a.test");
    EXPECT_EQ(parseShortLinkHost("no lists here"), "");
    EXPECT_EQ(parseShortLinkHost("<list><appkey>a.test</appkey>"), "");  // unclosed
}

}  // namespace
}  // namespace dealcast::app
