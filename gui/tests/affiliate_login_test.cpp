#include "app/app_controls.h"
#include "app/application.h"
#include "gui/qt_clipboard.h"
#include "gui/qt_ui_loop.h"
#include "gui/qt_window_host.h"
#include "gui_test_support.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/edit_box.h"
#include "platform/label.h"
#include "sandbox/affiliate_platform_service.h"
#include "session/affiliate_login.h"
#include "session/affiliate_session.h"
#include "session/authorization.h"
#include "session/login_window.h"
#include "session/session_controls.h"
#include "slots/slots_controls.h"
#include "support/fake_processes.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"

#include <gtest/gtest.h>

namespace dealcast::gui {
namespace {

// The whole program on the desktop's window host and browsers: the first login through the real login page of
// the simulated platform, then the slots it loads and an authorization granted in the authorize window.
TEST(AffiliateLoginEndToEndTest, LogsInLoadsTheSlotsAndAuthorizesThroughTheRealBrowser)
{
    dealcast::test::TempDir dir;
    const platform::Clock& clock = platform::systemClock();
    QtUiLoop loop(clock);
    QtWindowHost windows;
    QtClipboard clipboard;
    dealcast::test::ScriptedDialogs dialogs;
    dealcast::test::FakeProcesses processes;
    sandbox::AffiliatePlatformService& platform = test::sharedAffiliatePlatform();
    platform.endSessions();
    platform.setQuickLoginAvailable(true);
    platform.setQuickButtonWorks(true);
    platform.setAutoGrant(true);

    settings::Folders folders{dir.path() / "run", dir.path() / "machine"};
    app::Application application({clock, loop, dialogs, processes, folders, test::sharedHosts(),
                                  dir.path() / "run" / "dealcast", false, &windows, &clipboard});
    // The first login as a user who chose the messenger's quick login.
    application.openLoginWindow = [&application] {
        auto& model = application.mainWindow().model();
        model.find<platform::CheckBox>(session::controls::kQuickLogin)->setChecked(true);
        application.login().startLogin();
    };
    ASSERT_TRUE(application.start());
    auto& model = application.mainWindow().model();
    auto* runLog = model.find<platform::EditBox>(app::controls::kRunLog);
    ASSERT_TRUE(test::processUntil([&] { return runLog->text().find("联盟登录成功！") != std::string::npos; }, 90000))
        << runLog->text() << "\nlogins at the platform: " << platform.loginCount() << ", login page at "
        << windows.browser(application.loginWindow().model(), session::AffiliateLoginWindow::kBrowser)->currentAddress();
    application.joinBackgroundWork();  // serves the login's last browser work meanwhile

    EXPECT_FALSE(application.affiliateSession().token().empty());
    EXPECT_NE(application.affiliateSession().cookie().find("_tb_token_="), std::string::npos);
    EXPECT_EQ(model.find<platform::Label>(session::controls::kLoginStatus)->text(), "已登录");
    EXPECT_FALSE(windows.isVisible(application.loginWindow().model()));
    EXPECT_EQ(model.find<platform::Label>(slots::controls::kWechatPidLabel)->text().rfind("Pid1：mm_", 0), 0u);
    EXPECT_EQ(model.find<platform::Label>(slots::controls::kQqPidLabel)->text().rfind("Pid2：mm_", 0), 0u);
    bool toldUnauthorized = false;
    for (const auto& shown : dialogs.shown())
        toldUnauthorized = toldUnauthorized || shown.message == session::Authorization::kMissingNotice;
    EXPECT_TRUE(toldUnauthorized);

    // The authorize page grants at once; the address it lands on carries the token and the nick.
    model.raise(session::controls::kOpenAuthorization, platform::EventType::Clicked);
    auto* status = model.find<platform::Label>(session::controls::kAuthorizationStatus);
    ASSERT_TRUE(test::processUntil([&] { return status->text() == "已授权"; }, 60000));
    EXPECT_EQ(application.authorization().accessToken(), platform.lastAccessToken());
    EXPECT_TRUE(windows.isVisible(application.authorizeWindow().model()));
    application.stopWorkers();
}

}  // namespace
}  // namespace dealcast::gui
