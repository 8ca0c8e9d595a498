#include "app/application.h"

#include "app/app_controls.h"
#include "app/persistence.h"
#include "app/update_check.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/convert_product.h"
#include "conversion/duplicate_filter.h"
#include "conversion/message_template.h"
#include "conversion/single_item.h"
#include "conversion/token_services.h"
#include "platform/dialogs.h"
#include "platform/edit_box.h"
#include "platform/processes.h"
#include "platform/timer_control.h"
#include "platform/timer_driver.h"
#include "platform/ui_loop.h"
#include "platform/worker.h"
#include "platform/clipboard.h"
#include "platform/window_host.h"
#include "sending/sending_controls.h"
#include "session/affiliate_client.h"
#include "session/affiliate_login.h"
#include "session/affiliate_session.h"
#include "session/authorization.h"
#include "session/login_window.h"
#include "session/session_controls.h"
#include "slots/promotion_slots.h"
#include "slots/slot_window.h"

#include <sched.h>
#include <thread>

namespace dealcast::app {
namespace {

constexpr int kKeepAlivePeriodMs = 1'200'000;

// All threads of the program share the first processor: they inherit the mask of the thread that starts them.
void pinToFirstProcessor()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(0, sizeof set, &set);
}

}  // namespace

Application::Application(Environment environment)
    : m_env(std::move(environment))
    , m_http(m_env.hosts.httpOptions())
{
    m_windows = m_env.windows;
    if (!m_windows) {
        m_ownWindows = std::make_unique<platform::NullWindowHost>();
        m_windows = m_ownWindows.get();
    }
    m_clipboard = m_env.clipboard;
    if (!m_clipboard) {
        m_ownClipboard = std::make_unique<platform::MemoryClipboard>();
        m_clipboard = m_ownClipboard.get();
    }
}

Application::~Application()
{
    stopWorkers();
    for (platform::WindowModel* window : secondaryWindows())
        m_windows->forget(*window);
    m_timers.reset();
}

void Application::waitServingLoop(const std::function<bool()>& busy)
{
    if (!m_env.loop.isUiThread())
        return;
    while (busy()) {
        m_env.loop.processEventsUntil(m_env.loop.clock().deadlineAfter(20));
        std::this_thread::yield();  // a virtual clock's slice passes at once
    }
}

void Application::stopWorkers()
{
    if (m_login)
        m_login->requestStop();
    if (m_shortLinkFetch)
        m_shortLinkFetch->stop();
    waitServingLoop([this] {
        return (m_login && m_login->busy()) || (m_shortLinkFetch && m_shortLinkFetch->isRunning()) ||
               (m_singleItem && m_singleItem->running());
    });
    if (m_singleItem)
        m_singleItem->join();
    if (m_login)
        m_login->stop();
    if (m_shortLinkFetch)
        m_shortLinkFetch->join();
}

std::vector<platform::WindowModel*> Application::secondaryWindows()
{
    std::vector<platform::WindowModel*> out;
    if (m_loginWindow)
        out.push_back(&m_loginWindow->model());
    if (m_authorizeWindow)
        out.push_back(&m_authorizeWindow->model());
    if (m_slotWindow)
        out.push_back(&m_slotWindow->model());
    return out;
}

bool Application::start()
{
    if (m_env.pinToFirstProcessor)
        pinToFirstProcessor();
    // A folder that cannot be made is not fatal; what needs it says so when it fails.
    for (const settings::FolderProblem& problem : m_env.folders.createWorkingFolders())
        m_earlyLog.push_back("无法创建文件夹：" + problem.folder.string() + "（" + problem.error.message() + "）");

    UpdateContext update{m_http, m_env.hosts, m_env.folders, m_env.dialogs, m_env.processes, m_env.programPath,
                         [this](const std::string& line) { m_earlyLog.push_back(line); }};
    if (checkForUpdate(update) == UpdateOutcome::Exit)
        return false;

    createMainWindow();

    if (startFollowSend)
        startFollowSend();
    if (auto* keepAlive = m_main->model().find<platform::TimerControl>(session::controls::kKeepAliveTimer))
        keepAlive->setInterval(kKeepAlivePeriodMs);
    return true;
}

int Application::run() { return m_env.loop.run(); }

void Application::joinBackgroundWork()
{
    waitServingLoop(
        [this] { return (m_login && m_login->busy()) || (m_shortLinkFetch && m_shortLinkFetch->isRunning()); });
    if (m_shortLinkFetch)
        m_shortLinkFetch->join();
    if (m_login)
        m_login->join();
}

void Application::createMainWindow()
{
    m_main = std::make_unique<MainWindow>();
    auto& model = m_main->model();
    if (mainWindowCreated)
        mainWindowCreated(*m_main);
    m_log = std::make_unique<RunLog>(*model.find<platform::EditBox>(controls::kRunLog), m_env.clock);
    m_persistence = std::make_unique<Persistence>(*m_main, m_env.folders, *m_log);
    m_persistence->bindHandlers();
    createSessionAndSlots();
    createConversion();
    m_timers = std::make_unique<platform::TimerDriver>(model, m_env.loop);

    m_main->setCloseHandler([this] { requestClose(); });
    m_main->setMinimiseHandler([this] {
        if (minimise)
            minimise();
    });
    model.bind(controls::kUpdatePluginButton, platform::EventType::Clicked, [this](const platform::EventArgs&) {
        UpdateContext update{m_http, m_env.hosts, m_env.folders, m_env.dialogs, m_env.processes, m_env.programPath,
                             [this](const std::string& line) { m_log->write(line); }};
        updatePlugin(update);
    });

    // The creation handler, in order.
    m_values.setStartupLogin(true);
    if (auto* robot = model.find<platform::EditBox>(sending::controls::kRobotPath))
        robot->setText((m_env.folders.robotProgramPath()).string());
    m_values.setPublicIp(lookupPublicIp(m_http, m_env.hosts));
    if (!m_env.hosts.isSet(web::role::kIpLookupHost))
        m_earlyLog.push_back(m_env.hosts.unsetMessage(web::role::kIpLookupHost));
    m_log->write("系统启动完毕，等待操作，本次登录IP为：" + m_values.publicIp());
    for (const std::string& line : m_earlyLog)
        m_log->write(line);
    m_earlyLog.clear();
    // The duplicate-filter store, then the saved control states and the account fields deciphered in place.
    m_persistence->restoreAtStartup();
    m_main->selectPage(0);
    m_persistence->loadLists();
    startShortLinkHostFetch();
    if (openLoginWindow)
        openLoginWindow();
    else
        m_login->startLogin();
}

void Application::createSessionAndSlots()
{
    auto& model = m_main->model();
    const std::filesystem::path dataFolder = m_env.folders.settingsPath().parent_path();
    m_session = std::make_unique<session::AffiliateSession>();
    m_affiliate = std::make_unique<session::AffiliateClient>(m_http, m_env.hosts, *m_session, m_env.clock);

    m_slots = std::make_unique<slots::PromotionSlots>(*m_affiliate, model, *m_clipboard, m_env.dialogs);
    m_slots->bindHandlers();

    m_authorizeWindow = std::make_unique<session::AuthorizeWindow>();
    m_authorization = std::make_unique<session::Authorization>(session::AuthorizationServices{
        m_env.clock, m_env.hosts, model, *m_log, m_env.dialogs, *m_windows, *m_authorizeWindow,
        m_env.folders.authorizationPath(), dataFolder});
    m_authorization->bindHandlers();

    m_loginWindow = std::make_unique<session::AffiliateLoginWindow>();
    m_login = std::make_unique<session::AffiliateLogin>(
        session::AffiliateLoginServices{m_env.clock, m_env.hosts, m_http, *m_session, model, *m_log, m_values,
                                        m_env.dialogs, *m_windows, *m_loginWindow, dataFolder},
        session::AffiliateLoginHooks{[this] { m_slots->reloadPromotionSlots(); },
                                     [this] { m_slots->refreshPidLabels(); },
                                     [this] { m_authorization->checkAuthorization(); }});
    m_login->bindHandlers();

    m_slotWindow = std::make_unique<slots::SlotWindow>(*m_slots, *m_affiliate, *m_log, m_env.dialogs, *m_windows,
                                                       m_values, [this] { return m_login->isLoggedIn(); });
    m_slotWindow->bindHandlers();
    m_slotWindow->bindOpener(model);
}

void Application::createConversion()
{
    auto& model = m_main->model();
    m_conversionServices = std::make_unique<conversion::ConversionServices>(conversion::ConversionServices{
        m_env.clock, m_env.hosts, m_http, *m_affiliate, *m_log, model, m_values,
        [this] { return m_authorization->accessToken(); }, [this] { return m_session->appKeys(); }});
    m_filter = std::make_unique<conversion::DuplicateFilter>(
        *model.find<platform::EditBox>(conversion::controls::kFilterStore), m_env.folders.itemIdPath());
    m_converter = std::make_unique<conversion::ProductConverter>(
        *m_conversionServices, m_env.dialogs, *m_filter,
        conversion::ConverterHooks{[this] { return m_login->isLoggedIn(); },
                                   [this](slots::PidTarget target) { return m_slots->choiceFor(target); }});
    m_singleItem = std::make_unique<conversion::SingleItem>(
        *m_conversionServices, *m_main, *m_converter, m_env.dialogs, *m_clipboard,
        conversion::SingleItemHooks{[this] { return m_login->isLoggedIn(); },
                                    [this] { return m_authorization->expired(); },
                                    [this] { m_authorization->openAuthorization(); }});
    m_singleItem->bindHandlers();
    m_templates = std::make_unique<conversion::TemplateEditor>();
    m_templates->bindHandlers(model);
    conversion::bindShortenerChoice(model);
}

void Application::startShortLinkHostFetch()
{
    if (!m_env.hosts.isSet(web::role::kUpdateHost))
        return;  // the update check has said so in the log already
    m_shortLinkFetch = std::make_unique<platform::Worker>(m_env.clock, "short-link host");
    const std::string url = m_env.hosts.url(web::role::kUpdateHost, "/appkey.xml");
    web::HttpOptions options = m_env.hosts.httpOptions();
    options.cancelled = m_shortLinkFetch->stopQuery();
    m_shortLinkFetch->start([this, url, options] {
        const web::HttpClient http(options);
        m_values.setShortLinkHost(parseShortLinkHost(http.get(url)));
    });
}

void Application::requestClose()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_persistence->requestClose(m_env.dialogs)) {
        m_persistence->confirmDestroy(m_env.dialogs);
        m_env.loop.quit(0);
        return;
    }
    m_closing = false;
}

}  // namespace dealcast::app
