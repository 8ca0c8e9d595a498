#pragma once

#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "settings/folders.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dealcast::platform {
class Clipboard;
class Clock;
class Dialogs;
class Processes;
class TimerDriver;
class UiLoop;
class WindowHost;
class Worker;
}  // namespace dealcast::platform

namespace dealcast::session {
class AffiliateClient;
class AffiliateLogin;
class AffiliateLoginWindow;
class AffiliateSession;
class Authorization;
class AuthorizeWindow;
}  // namespace dealcast::session
namespace dealcast::slots {
class PromotionSlots;
class SlotWindow;
}  // namespace dealcast::slots
namespace dealcast::conversion {
struct ConversionServices;
class DuplicateFilter;
class ProductConverter;
class SingleItem;
class TemplateEditor;
}  // namespace dealcast::conversion

namespace dealcast::app {

class Persistence;

// What the program is given by the front-end that runs it: the desktop or a headless runner.
struct Environment {
    const platform::Clock& clock;
    platform::UiLoop& loop;
    platform::Dialogs& dialogs;
    platform::Processes& processes;
    settings::Folders folders;
    web::Hosts hosts;
    std::filesystem::path programPath;
    // Off in tests, which share the process with others.
    bool pinToFirstProcessor = true;
    // The desktop's secondary windows with their browsers, and its clipboard; without them the program runs
    // with windows that are only remembered as shown, no browser and no clipboard.
    platform::WindowHost* windows = nullptr;
    platform::Clipboard* clipboard = nullptr;
};

// The program: its start-up order, the main window, and the close question. Features of later subsystems
// attach to the hooks and the main window model.
class Application {
public:
    explicit Application(Environment environment);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the start-up order up to the event loop, on the UI thread. False when the update check handed over
    // to the updater: the caller then ends the program with code 0.
    bool start();
    // Runs the event loop until the program is closed; returns the exit code.
    int run();

    MainWindow& mainWindow() { return *m_main; }
    RunLog& runLog() { return *m_log; }
    StartupValues& values() { return m_values; }
    const StartupValues& values() const { return m_values; }
    const web::HttpClient& http() const { return m_http; }
    const Environment& environment() const { return m_env; }
    Persistence& persistence() { return *m_persistence; }
    platform::WindowHost& windowHost() { return *m_windows; }
    platform::Clipboard& clipboard() { return *m_clipboard; }

    // The affiliate session and its windows, the open-platform authorization and the promotion slots; they
    // exist once the main window does.
    session::AffiliateSession& affiliateSession() { return *m_session; }
    const session::AffiliateClient& affiliate() const { return *m_affiliate; }
    session::AffiliateLogin& login() { return *m_login; }
    session::AffiliateLoginWindow& loginWindow() { return *m_loginWindow; }
    session::Authorization& authorization() { return *m_authorization; }
    session::AuthorizeWindow& authorizeWindow() { return *m_authorizeWindow; }
    slots::PromotionSlots& promotionSlots() { return *m_slots; }
    slots::SlotWindow& slotWindow() { return *m_slotWindow; }
    // The conversion of product texts: the converter the sending loop and the manual area share, and the
    // manual area itself.
    conversion::ProductConverter& converter() { return *m_converter; }
    conversion::DuplicateFilter& duplicateFilter() { return *m_filter; }
    conversion::SingleItem& singleItem() { return *m_singleItem; }
    // The secondary windows, for scenarios that drive them by title.
    std::vector<platform::WindowModel*> secondaryWindows();

    // Waits for the start-up's background work (the short-link host fetch, a login under way) to end. On the
    // UI thread it goes on serving the loop meanwhile: a login hands its browser work to that thread.
    void joinBackgroundWork();
    // Stops every worker of the program and waits for it (serving the loop as above): the login, the form
    // filler, the background fetch, a single-item conversion.
    void stopWorkers();

    // The close question of the close button and the window's close request; ends the loop when the user
    // chooses to leave.
    void requestClose();

    // Start-up hooks: opening the affiliate login window (its creation starts the first login; unset, the
    // program starts that login itself) and starting the follow-send link (unset: nothing).
    std::function<void()> openLoginWindow;
    std::function<void()> startFollowSend;
    // Runs once the main window model exists, before its first run-log line: a front-end attaches here.
    std::function<void(MainWindow&)> mainWindowCreated;
    // The desktop minimises the window; headless runs have nothing to minimise.
    std::function<void()> minimise;

private:
    // Returns once `busy` answers false; on the UI thread the loop keeps running meanwhile.
    void waitServingLoop(const std::function<bool()>& busy);
    void createMainWindow();
    void createSessionAndSlots();
    void createConversion();
    void startShortLinkHostFetch();

    Environment m_env;
    std::unique_ptr<platform::WindowHost> m_ownWindows;  // when the front-end brings none
    std::unique_ptr<platform::Clipboard> m_ownClipboard;
    platform::WindowHost* m_windows = nullptr;
    platform::Clipboard* m_clipboard = nullptr;
    web::HttpClient m_http;
    StartupValues m_values;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<RunLog> m_log;
    std::unique_ptr<Persistence> m_persistence;
    std::unique_ptr<platform::TimerDriver> m_timers;
    std::unique_ptr<platform::Worker> m_shortLinkFetch;
    std::unique_ptr<session::AffiliateSession> m_session;
    std::unique_ptr<session::AffiliateClient> m_affiliate;
    std::unique_ptr<session::AffiliateLoginWindow> m_loginWindow;
    std::unique_ptr<session::AuthorizeWindow> m_authorizeWindow;
    std::unique_ptr<session::Authorization> m_authorization;
    std::unique_ptr<slots::PromotionSlots> m_slots;
    std::unique_ptr<slots::SlotWindow> m_slotWindow;
    std::unique_ptr<session::AffiliateLogin> m_login;
    std::unique_ptr<conversion::ConversionServices> m_conversionServices;
    std::unique_ptr<conversion::DuplicateFilter> m_filter;
    std::unique_ptr<conversion::ProductConverter> m_converter;
    std::unique_ptr<conversion::SingleItem> m_singleItem;
    std::unique_ptr<conversion::TemplateEditor> m_templates;
    std::vector<std::string> m_earlyLog;  // lines written before the run log exists
    bool m_closing = false;
};

}  // namespace dealcast::app
