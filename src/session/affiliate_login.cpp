#include "session/affiliate_login.h"

#include "app/run_log.h"
#include "app/startup_values.h"
#include "platform/browser.h"
#include "platform/dialogs.h"
#include "platform/responsive_wait.h"
#include "platform/window_host.h"
#include "platform/window_model.h"
#include "session/affiliate_session.h"
#include "session/app_keys.h"
#include "session/login_window.h"
#include "session/session_controls.h"
#include "web/hosts.h"
#include "web/http_client.h"

namespace dealcast::session {
namespace {

constexpr std::string_view kLiveSessionMark = "combo进来的css";
constexpr std::int64_t kPollMs = 1000;

// Element ids of the login page.
constexpr std::string_view kQuickLoginPanel = "J_QuickLogin";
constexpr std::string_view kQuickLoginSubmit = "J_SubmitQuick";
constexpr std::string_view kStaticForm = "J_StaticForm";
constexpr std::string_view kAccountField = "TPL_username_1";
constexpr std::string_view kPasswordField = "TPL_password_1";
constexpr std::string_view kStaticSubmit = "J_SubmitStatic";

constexpr char kLoginFailed[] = "登陆出错，请手动尝试...";
constexpr char kNoBrowser[] = "没有内嵌浏览器，无法打开阿里妈妈登录页面，本次登录结束";

std::string loginUrlPrefix(std::string_view loginHost, bool newMini)
{
    std::string url = "https://";
    url.append(loginHost).append("/member/login.jhtml?style=mini&");
    if (newMini)
        url += "newMini2=true&";
    url.append("from=alimama&redirectURL=http%3A%2F%2F").append(loginHost);
    url += "%2Fmember%2Ftaobaoke%2Flogin.htm%3Fis_login%3d1&full_redirect=true";
    return url;
}

}  // namespace

AffiliateLogin::AffiliateLogin(AffiliateLoginServices services, AffiliateLoginHooks hooks)
    : m_services(std::move(services))
    , m_hooks(std::move(hooks))
    , m_loginWorker(m_services.clock, "affiliate login")
    , m_fillerWorker(m_services.clock, "login form")
{
    const auto report = [this](const std::string& message) { log("登录线程出错：" + message); };
    m_loginWorker.setErrorHandler(report);
    m_fillerWorker.setErrorHandler(report);
}

AffiliateLogin::~AffiliateLogin()
{
    stop();
}

std::string AffiliateLogin::quickLoginUrl(std::string_view loginHost)
{
    return loginUrlPrefix(loginHost, true) + "&qq-pf-to=pcqq.c2c";
}

std::string AffiliateLogin::accountLoginUrl(std::string_view loginHost)
{
    return loginUrlPrefix(loginHost, true) + "&disableQuickLogin=true";
}

std::string AffiliateLogin::manualLoginUrl(std::string_view loginHost)
{
    return loginUrlPrefix(loginHost, false) + "&disableQuickLogin=true";
}

void AffiliateLogin::log(std::string_view line)
{
    m_services.log.write(line);
}

platform::Browser* AffiliateLogin::browser()
{
    return m_services.windows.browser(m_services.loginWindow.model(), AffiliateLoginWindow::kBrowser);
}

std::optional<std::string> AffiliateLogin::browserCookies()
{
    platform::Browser* page = browser();
    if (page == nullptr)
        return std::nullopt;
    const web::Hosts& hosts = m_services.hosts;
    // The cookies of the platform's whole domain; the back end's own host stands in when no domain is named.
    const std::string address = hosts.isSet(web::role::kAffiliateDomain) ? hosts.url(web::role::kAffiliateDomain, "")
                                                                         : hosts.url(web::role::kAffiliateHost, "");
    return page->cookies(address);
}

bool AffiliateLogin::isLoggedIn()
{
    const web::Hosts& hosts = m_services.hosts;
    if (!hosts.isSet(web::role::kAffiliateHost))
        return false;
    web::CookieJar cookie = browserCookies().value_or(m_services.session.cookie());
    const web::HttpResponse answer =
        m_services.http.request({.url = hosts.url(web::role::kAffiliateHost, "/myunion.htm")}, cookie);
    if (answer.text.find(kLiveSessionMark) == std::string::npos)
        return false;
    std::string token = tokenFromCookie(cookie);
    m_services.session.replace(std::move(cookie), std::move(token));
    return true;
}

bool AffiliateLogin::loginRunning() const
{
    return m_loginWorker.isRunning() || m_fillerWorker.isRunning();
}

bool AffiliateLogin::startLogin()
{
    if (m_stopped.load())
        return false;
    const web::Hosts& hosts = m_services.hosts;
    const char* missing = nullptr;
    if (!hosts.isSet(web::role::kLoginHost))
        missing = web::role::kLoginHost.data();
    else if (!hosts.isSet(web::role::kAffiliateHost))
        missing = web::role::kAffiliateHost.data();
    if (missing != nullptr || browser() == nullptr) {
        log(missing != nullptr ? web::Hosts::unsetMessage(missing, "阿里妈妈登录") : std::string(kNoBrowser));
        // Nothing will log in: a re-login must not stay marked as running.
        hideLoginWindow();
        m_services.values.setStartupLogin(false);
        return false;
    }
    // Shown before the worker runs, so the window is up (and can be closed) as soon as this returns. A login
    // already under way keeps running in it.
    m_services.windows.show(m_services.loginWindow.model());
    return m_loginWorker.start([this] { loginThread(); });
}

bool AffiliateLogin::windowOpen() const
{
    return m_services.windows.isVisible(m_services.loginWindow.model());
}

void AffiliateLogin::hideLoginWindow()
{
    m_services.windows.hide(m_services.loginWindow.model());
    m_services.session.endRelogin();
}

void AffiliateLogin::setStatus(const char* text, std::uint32_t colour)
{
    if (auto* label = m_services.mainWindow.find<platform::Label>(controls::kLoginStatus)) {
        label->setText(text);
        label->setColour(colour);
    }
}

void AffiliateLogin::loginThread()
{
    platform::Browser* page = browser();
    if (page != nullptr && waitForPage(*page, -1)) {
        const auto* quick = m_services.mainWindow.find<platform::CheckBox>(controls::kQuickLogin);
        if (quick != nullptr && quick->checked())
            quickLogin(*page);
        else
            accountLogin(*page);
    }
    m_services.values.setStartupLogin(false);
}

bool AffiliateLogin::waitForPage(platform::Browser& page, int maxPolls)
{
    for (int polls = 0;; ++polls) {
        if (page.pageReady())
            return true;
        if ((maxPolls >= 0 && polls >= maxPolls) || !windowOpen())
            return false;
        platform::ResponsiveWait(kPollMs);
    }
}

bool AffiliateLogin::pollLogin(int times)
{
    for (int i = 0; i < times; ++i) {
        platform::ResponsiveWait(kPollMs);
        if (!windowOpen())
            return false;
        if (isLoggedIn()) {
            onLoggedIn();
            return true;
        }
    }
    return false;
}

void AffiliateLogin::quickLogin(platform::Browser& page)
{
    page.navigate(quickLoginUrl(m_services.hosts.get(web::role::kLoginHost)));
    waitForPage(page, 4);
    if (page.elementExists(kQuickLoginPanel) && !page.pressElement(kQuickLoginSubmit))
        page.clickAt(kQuickLoginX, kQuickLoginY);  // the quick-login button sits on the avatar
    if (pollLogin(10) || !windowOpen())
        return;
    page.clickAt(kQuickLoginX, kQuickLoginY);
    if (pollLogin(4) || !windowOpen())
        return;
    log(kLoginFailed);
    // At start-up the window stays open for a manual login; the close request finishes it.
    if (!m_services.values.startupLogin())
        hideLoginWindow();
}

void AffiliateLogin::accountLogin(platform::Browser& page)
{
    const auto text = [this](const char* name) {
        const auto* box = m_services.mainWindow.find<platform::EditBox>(name);
        return box != nullptr ? box->text() : std::string();
    };
    const auto* autoBox = m_services.mainWindow.find<platform::CheckBox>(controls::kAutoLogin);
    const std::string account = text(controls::kAccount);
    std::string password = text(controls::kPassword);
    const bool automatic = autoBox != nullptr && autoBox->checked() && !account.empty() && !password.empty();

    const std::string loginHost = m_services.hosts.get(web::role::kLoginHost);
    page.navigate(automatic ? accountLoginUrl(loginHost) : manualLoginUrl(loginHost));
    platform::ResponsiveWait(3000);
    if (!waitForPage(page, -1))
        return;
    if (!automatic) {
        log("请手动登录中...");
        return;
    }
    // A filler left over from an earlier login would type into this page as well.
    m_fillerWorker.stop();
    m_fillerWorker.join();
    m_fillerWorker.start([this, &page, account, password = std::move(password)] { fillForm(page, account, password); });
}

void AffiliateLogin::fillForm(platform::Browser& page, const std::string& account, const std::string& password)
{
    log("自动登录中...");
    if (page.elementExists(kQuickLoginPanel))
        page.pressElement(kQuickLoginSubmit);
    platform::ResponsiveWait(3000);
    for (int check = 0; check < 4; ++check) {
        if (check > 0)
            platform::ResponsiveWait(kPollMs);
        if (!windowOpen())
            return;
        if (isLoggedIn()) {
            onLoggedIn();
            return;
        }
    }
    if (page.elementExists(kStaticForm)) {
        log("3秒后自动填写帐号密码...");
        platform::ResponsiveWait(3000);
        page.setFormField(kAccountField, account);
        page.setFormField(kPasswordField, password);
        if (page.pressElement(kStaticSubmit))
            log("登录中，请稍候...");
    }
    // The session counts as logged in only when a check says so; a login that never took leaves the window
    // open for the user to finish by hand.
    for (int check = 0; check < 2; ++check) {
        platform::ResponsiveWait(5000);
        if (!windowOpen())
            return;
        if (isLoggedIn()) {
            onLoggedIn();
            return;
        }
    }
    log(kLoginFailed);
}

void AffiliateLogin::onLoggedIn()
{
    setStatus("已登录", kStatusRed);
    log("联盟登录成功！");
    if (m_hooks.reloadSlots)
        m_hooks.reloadSlots();
    if (m_hooks.refreshPidLabels)
        m_hooks.refreshPidLabels();
    if (m_hooks.checkAuthorization)
        m_hooks.checkAuthorization();
    if (m_services.session.appKeys().empty())
        m_services.session.setAppKeys(loadAppKeys(m_services.dataFolder));
    hideLoginWindow();
}

void AffiliateLogin::loginButtonClicked()
{
    if (isLoggedIn()) {
        setStatus("已登录", kStatusGreen);
        if (m_hooks.reloadSlots)
            m_hooks.reloadSlots();
        m_services.dialogs.notice("已经登录");
        return;
    }
    setStatus("未登录", kStatusGrey);
    startLogin();
}

void AffiliateLogin::closeRequested()
{
    if (isLoggedIn())
        onLoggedIn();
    else
        hideLoginWindow();
}

void AffiliateLogin::reloginRequested()
{
    if (m_stopped.load() || !m_services.session.beginRelogin())
        return;
    log("正在重新登录阿里妈妈联盟中...");
    // When a login is already under way it finishes this one too, and clears the mark as it ends.
    startLogin();
}

void AffiliateLogin::keepAliveTick()
{
    const web::Hosts& hosts = m_services.hosts;
    AffiliateSession& session = m_services.session;
    web::CookieJar kept = session.cookie();
    if (hosts.isSet(web::role::kMediaHost)) {
        m_services.http.request({.url = hosts.url(web::role::kMediaHost, "/user/base_info.htm")}, kept);
    } else if (!m_mediaUnsetLogged.exchange(true)) {
        log(web::Hosts::unsetMessage(web::role::kMediaHost, "联盟保活"));
    }
    // The login page's cookies are the platform's newest; without any, the session goes on with the cookies
    // the keep-alive request left it. Either way cookie text and token change together.
    std::string fresh = browserCookies().value_or(std::string());
    if (fresh.empty())
        fresh = std::move(kept);
    if (fresh.empty())
        return;
    std::string token = tokenFromCookie(fresh);
    session.replace(std::move(fresh), std::move(token));
}

void AffiliateLogin::bindHandlers()
{
    platform::WindowModel& main = m_services.mainWindow;
    main.bind(controls::kLoginButton, platform::EventType::Clicked, [this](const auto&) { loginButtonClicked(); });
    main.bind(controls::kRelogin, platform::EventType::Feedback, [this](const auto&) { reloginRequested(); });
    main.bind(controls::kKeepAliveTimer, platform::EventType::TimerTick, [this](const auto&) { keepAliveTick(); });
    m_services.loginWindow.model().setCloseRequestHandler([this] { closeRequested(); });
}

void AffiliateLogin::stop()
{
    m_stopped.store(true);
    m_loginWorker.stop();
    m_loginWorker.join();
    m_fillerWorker.stop();
    m_fillerWorker.join();
}

void AffiliateLogin::requestStop()
{
    m_stopped.store(true);
    m_loginWorker.stop();
    m_fillerWorker.stop();
}

bool AffiliateLogin::busy() const { return m_loginWorker.isRunning() || m_fillerWorker.isRunning(); }

void AffiliateLogin::join()
{
    m_loginWorker.join();
    m_fillerWorker.join();
}

}  // namespace dealcast::session
