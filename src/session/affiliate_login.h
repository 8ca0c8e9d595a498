#pragma once

#include "platform/worker.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dealcast::app {
class RunLog;
class StartupValues;
}  // namespace dealcast::app
namespace dealcast::platform {
class Browser;
class Clock;
class Dialogs;
class WindowHost;
class WindowModel;
}  // namespace dealcast::platform
namespace dealcast::web {
class Hosts;
class HttpClient;
}  // namespace dealcast::web

namespace dealcast::session {

class AffiliateLoginWindow;
class AffiliateSession;

// Colours of the login status label, 0xRRGGBB.
inline constexpr std::uint32_t kStatusGrey = 0x808080;
inline constexpr std::uint32_t kStatusGreen = 0x00FF00;
inline constexpr std::uint32_t kStatusRed = 0xFF0000;

// The quick-login avatar in the login window's client area.
inline constexpr int kQuickLoginX = 178;
inline constexpr int kQuickLoginY = 228;

// What the login works with; all of it outlives the login.
struct AffiliateLoginServices {
    const platform::Clock& clock;
    const web::Hosts& hosts;
    const web::HttpClient& http;
    AffiliateSession& session;
    // The main window: login choices, account and password, status label, re-login label and keep-alive timer.
    platform::WindowModel& mainWindow;
    app::RunLog& log;
    app::StartupValues& values;
    platform::Dialogs& dialogs;
    platform::WindowHost& windows;
    AffiliateLoginWindow& loginWindow;
    // The folder that may hold "appkeys.json"; empty for the built-in keys only.
    std::filesystem::path dataFolder{};
};

// What a login hands on to the features around it. Any of them may be empty.
struct AffiliateLoginHooks {
    // Reloads the guide and slot choices. Run after every login, and by the login button on a live session.
    std::function<void()> reloadSlots;
    // Runs right after reloadSlots after a login (never on the login button's path): the PID labels follow
    // the new choices.
    std::function<void()> refreshPidLabels;
    // The open-platform authorization age check, run after every login.
    std::function<void()> checkAuthorization;
};

// The logged-in affiliate platform user: logging in through the embedded login page (messenger quick login,
// automatic account login or a manual one), the login check, re-login and the keep-alive.
//
// The login runs on a worker thread of its own and the automatic form filling on another; the handlers run
// on the UI thread. The session's cookie text and token only ever change together, and only from a login
// check that succeeded or a keep-alive that got fresh cookies, so a failed check keeps the session as it was.
// The account password goes into the login form and nowhere else.
class AffiliateLogin {
public:
    AffiliateLogin(AffiliateLoginServices services, AffiliateLoginHooks hooks = {});
    // Stops and joins the workers.
    ~AffiliateLogin();
    AffiliateLogin(const AffiliateLogin&) = delete;
    AffiliateLogin& operator=(const AffiliateLogin&) = delete;

    // The login check: takes the login page's cookies for the platform, asks the publisher page and, when it
    // shows a live session, makes those cookies and their token the session's. False, and the session
    // unchanged, otherwise (also when AFFILIATE_HOST is unset). Without a browser the session's own cookies
    // are checked. Any thread.
    bool isLoggedIn();

    // Shows the login window and starts the login on its worker. False when a login is already running (it
    // goes on in the window shown again), after stop(), and when there is no login page to use (no browser,
    // LOGIN_HOST or AFFILIATE_HOST unset): that is logged, and the login ends there. Run it when the login
    // window is first opened, by the login button and for a re-login.
    bool startLogin();

    // After a login: status "已登录", log line, slot reload, authorization check, application keys, and the
    // login window hidden (which ends a re-login).
    void onLoggedIn();

    // Handlers; bindHandlers() binds them all.
    // "按钮_阿里登录": a live session only reloads the slots and says so; otherwise a login starts.
    void loginButtonClicked();
    // The login window's close request: a manual login done in it counts, otherwise it is only hidden.
    void closeRequested();
    // "标签_掉线重登" feedback: starts one re-login; ignored while one runs.
    void reloginRequested();
    // "时钟_阿里登录" tick: keeps the platform session alive and takes the login page's fresh cookies.
    void keepAliveTick();

    // Binds the handlers on the main window model and the login window's close request.
    void bindHandlers();

    // Ends the login and form-filling workers and waits for them; later logins are refused.
    void stop();
    // Waits until the login and any form filling it started have ended.
    void join();
    // stop() without the waiting: the caller waits on busy() while it serves what the workers hand it.
    void requestStop();
    // The login or the form filling is still running (or unwinding).
    bool busy() const;
    bool loginRunning() const;

    // The three login page addresses for a login host.
    static std::string quickLoginUrl(std::string_view loginHost);
    static std::string accountLoginUrl(std::string_view loginHost);
    static std::string manualLoginUrl(std::string_view loginHost);

private:
    void loginThread();
    void quickLogin(platform::Browser& browser);
    void accountLogin(platform::Browser& browser);
    void fillForm(platform::Browser& browser, const std::string& account, const std::string& password);
    // Polls the login check once a second up to `times` times; true (after onLoggedIn) on success. False also
    // as soon as the login window is closed: whoever closed it has settled the login.
    bool pollLogin(int times);
    // Polls once a second until the page is ready; `maxPolls` < 0 has no bound. False when the bound passes
    // or the login window is closed.
    bool waitForPage(platform::Browser& browser, int maxPolls);
    bool windowOpen() const;
    void hideLoginWindow();
    void setStatus(const char* text, std::uint32_t colour);
    platform::Browser* browser();
    // The login page's cookies for the platform's domain; nullopt without a browser.
    std::optional<std::string> browserCookies();
    void log(std::string_view line);

    AffiliateLoginServices m_services;
    AffiliateLoginHooks m_hooks;
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_mediaUnsetLogged{false};
    platform::Worker m_loginWorker;
    platform::Worker m_fillerWorker;
};

}  // namespace dealcast::session
