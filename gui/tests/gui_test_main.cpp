#include "gui/sanitizer_defaults.h"
#include "gui/web_browser.h"
#include "gui_test_support.h"
#include "sandbox/affiliate_platform_service.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/update_service.h"
#include "web/hosts.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::unique_ptr<dealcast::sandbox::SandboxHub> g_hub;
std::shared_ptr<dealcast::sandbox::AffiliatePlatformService> g_affiliate;
dealcast::web::Hosts g_hosts;

}  // namespace

namespace dealcast::gui::test {

sandbox::SandboxHub& sharedSandbox() { return *g_hub; }
sandbox::AffiliatePlatformService& sharedAffiliatePlatform() { return *g_affiliate; }
const web::Hosts& sharedHosts() { return g_hosts; }

}  // namespace dealcast::gui::test


// Widgets need a platform even without a display; listing the tests needs no application at all.
int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");  // the tests may run as root
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    g_hub = std::make_unique<dealcast::sandbox::SandboxHub>();
    g_hub->add(std::make_shared<dealcast::sandbox::UpdateService>());
    g_affiliate = std::make_shared<dealcast::sandbox::AffiliatePlatformService>();
    g_hub->add(g_affiliate);
    if (!g_hub->start()) {
        std::fprintf(stderr, "the sandbox did not start\n");
        return 1;
    }
    g_hosts = g_hub->hosts();
    std::vector<std::string> arguments(argv, argv + argc);
    for (std::string& engineSwitch : dealcast::gui::WebBrowser::routeToSandbox(g_hosts))
        arguments.push_back(std::move(engineSwitch));
    std::vector<char*> qtArgv;
    for (std::string& argument : arguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(arguments.size());

    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int code = 0;
    {
        QApplication app(qtArgc, qtArgv.data());
        code = RUN_ALL_TESTS();
    }
    g_hub->stop();
    g_hub.reset();
    g_affiliate.reset();
    return code;
}
