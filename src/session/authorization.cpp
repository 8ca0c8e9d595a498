#include "session/authorization.h"

#include "app/run_log.h"
#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/window_host.h"
#include "session/affiliate_login.h"
#include "session/app_keys.h"
#include "session/session_controls.h"
#include "settings/authorization_file.h"
#include "web/hosts.h"
#include "web/text.h"

#include <chrono>
#include <vector>

namespace dealcast::session {
namespace {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Win64; x64; Trident/5.0; .NET CLR 2.0.50727; SLCC2; .NET CLR "
    "3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0; InfoPath.3; .NET4.0C; Tablet PC 2.0; .NET4.0E)";
constexpr char kAuthorized[] = "已授权";

long long secondsOf(const settings::DateTime& t)
{
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} / static_cast<unsigned>(t.day)};
    return duration_cast<seconds>(day.time_since_epoch()).count() + t.time.hour * 3600LL + t.time.minute * 60LL +
           t.time.second;
}

}  // namespace

AuthorizeWindow::AuthorizeWindow()
    : m_model(kTitle, kWidth, kHeight)
{
    m_model.addAll(controls());
}

std::span<const platform::ControlDecl> AuthorizeWindow::controls()
{
    using platform::ControlKind;
    static const std::vector<platform::ControlDecl> table = {
        {.name = kBrowser, .kind = ControlKind::Browser, .geometry = platform::Geometry{0, 0, kWidth, 330}},
        {.name = kSessionTime, .kind = ControlKind::Label, .caption = kSessionTimeCaption},
        {.name = kSessionName, .kind = ControlKind::Label, .caption = kSessionNameCaption},
        {.name = kState, .kind = ControlKind::Label},
        {.name = kExplanation,
         .kind = ControlKind::EditBox,
         .value = kExplanationText,
         .flags = platform::kMultiLine | platform::kReadOnly},
    };
    return table;
}

std::string urlParameter(std::string_view address, std::string_view name)
{
    if (name.empty())
        return {};
    for (std::size_t at = address.find(name); at != std::string_view::npos; at = address.find(name, at + 1)) {
        const std::size_t end = at + name.size();
        const bool whole = at == 0 || address[at - 1] == '?' || address[at - 1] == '&' || address[at - 1] == '#';
        if (!whole || end >= address.size() || address[end] != '=')
            continue;
        const std::string_view value = address.substr(end + 1);
        return std::string(value.substr(0, value.find('&')));
    }
    return {};
}

long long wholeDaysBetween(const settings::DateTime& from, const settings::DateTime& to)
{
    const long long seconds = secondsOf(to) - secondsOf(from);
    // Floor, so a grant time a little in the future does not read as day 0 and one in the past never rounds up.
    return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

Authorization::Authorization(AuthorizationServices services)
    : m_services(std::move(services))
{
}

void Authorization::bindHandlers()
{
    m_services.mainWindow.bind(controls::kOpenAuthorization, platform::EventType::Clicked,
                               [this](const auto&) { openAuthorization(); });
}

void Authorization::openAuthorization()
{
    platform::WindowModel& window = m_services.window.model();
    platform::Browser* page = m_services.windows.browser(window, AuthorizeWindow::kBrowser);
    if (page == nullptr) {
        m_services.log.write("没有内嵌浏览器，无法打开授权页面");
        return;
    }
    if (!m_handlerSet.exchange(true))
        page->setNavigationHandler([this](const std::string& address) { navigated(address); });
    page->setUserAgent(kUserAgent);

    const settings::Authorization stored = settings::AuthorizationFile(m_services.authorizationFile).load();
    if (auto* label = window.find<platform::Label>(AuthorizeWindow::kSessionTime))
        label->setText(std::string(AuthorizeWindow::kSessionTimeCaption) +
                       (stored.accessTime ? settings::formatDateTime(*stored.accessTime) : std::string()));
    if (auto* label = window.find<platform::Label>(AuthorizeWindow::kSessionName))
        label->setText(std::string(AuthorizeWindow::kSessionNameCaption) + stored.accessName);
    m_services.windows.show(window);

    if (!m_services.hosts.isSet(web::role::kOauthHost)) {
        m_services.log.write(web::Hosts::unsetMessage(web::role::kOauthHost, "授权"));
        return;
    }
    const std::vector<std::string> keys = loadAppKeys(m_services.dataFolder);
    const std::string clientId = keys.empty() ? std::string() : std::string(appKeyOf(keys.front()));
    page->navigate(
        m_services.hosts.url(web::role::kOauthHost, "/authorize?response_type=token&client_id=" + clientId, true));
}

void Authorization::navigated(const std::string& address)
{
    if (address.find("access_token") == std::string::npos)
        return;
    std::string token = urlParameter(address, "access_token");
    // An address that names the parameter without a value grants nothing.
    if (token.empty())
        return;
    const settings::DateTime now = settings::toDateTime(m_services.clock.localTime());
    const std::string timeText = settings::formatDateTime(now);
    const std::string name = web::urlDecode(urlParameter(address, "taobao_user_nick"));

    platform::WindowModel& window = m_services.window.model();
    if (auto* label = window.find<platform::Label>(AuthorizeWindow::kSessionTime))
        label->setText(AuthorizeWindow::kSessionTimeCaption + timeText);
    if (auto* label = window.find<platform::Label>(AuthorizeWindow::kSessionName))
        label->setText(AuthorizeWindow::kSessionNameCaption + name);
    if (auto* label = window.find<platform::Label>(AuthorizeWindow::kState))
        label->setText(kAuthorized);

    const settings::AuthorizationFile file(m_services.authorizationFile);
    if (!file.save({.accessToken = token, .accessTime = now, .accessName = name}))
        m_services.log.write("授权信息保存失败：" + file.path().string());
    {
        const std::lock_guard lock(m_mutex);
        m_token = std::move(token);
        m_time = now;
    }
    setMainLabelAuthorized();
}

void Authorization::checkAuthorization()
{
    const settings::Authorization stored = settings::AuthorizationFile(m_services.authorizationFile).load();
    {
        const std::lock_guard lock(m_mutex);
        m_token = stored.accessToken;
        m_time = stored.accessTime;
    }
    if (stored.accessToken.empty() || !stored.accessTime) {
        m_services.dialogs.notice(kMissingNotice);
        return;
    }
    if (validAt(settings::toDateTime(m_services.clock.localTime())))
        setMainLabelAuthorized();
    else
        m_services.dialogs.notice(kExpiredNotice);
}

bool Authorization::validAt(const settings::DateTime& now) const
{
    const std::lock_guard lock(m_mutex);
    return !m_token.empty() && m_time && wholeDaysBetween(*m_time, now) <= kValidDays;
}

bool Authorization::expired() const
{
    return !validAt(settings::toDateTime(m_services.clock.localTime()));
}

std::string Authorization::accessToken() const
{
    const std::lock_guard lock(m_mutex);
    return m_token;
}

std::string Authorization::accessTime() const
{
    const std::lock_guard lock(m_mutex);
    return m_time ? settings::formatDateTime(*m_time) : std::string();
}

void Authorization::setMainLabelAuthorized()
{
    if (auto* label = m_services.mainWindow.find<platform::Label>(controls::kAuthorizationStatus)) {
        label->setText(kAuthorized);
        label->setColour(kStatusGreen);
    }
}

}  // namespace dealcast::session
