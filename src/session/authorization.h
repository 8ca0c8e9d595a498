#pragma once

#include "platform/window_model.h"
#include "settings/date_time_text.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dealcast::app {
class RunLog;
}
namespace dealcast::platform {
class Clock;
class Dialogs;
class WindowHost;
}  // namespace dealcast::platform
namespace dealcast::web {
class Hosts;
}

namespace dealcast::session {

// The window in which the user grants the program's open-platform application access to the account: the
// platform's authorize page, the last grant and a fixed explanation.
class AuthorizeWindow {
public:
    static constexpr char kTitle[] = "授权";
    static constexpr int kWidth = 403;
    static constexpr int kHeight = 474;
    static constexpr char kBrowser[] = "超文本浏览框_授权";
    static constexpr char kSessionTime[] = "透明标签_SessionTime";
    static constexpr char kSessionName[] = "透明标签_SessionName";
    static constexpr char kState[] = "透明标签_标识";
    static constexpr char kExplanation[] = "编辑框1";
    // The designed captions of the time and name labels; the values follow them.
    static constexpr char kSessionTimeCaption[] = "上次授权时间：";
    static constexpr char kSessionNameCaption[] = "授权用户：";
    static constexpr char kExplanationText[] =
        "\r\n授权说明：为对接阿里官方高佣接口，需要用户授权登录，否则会导致部分功能异常，一月只需授权一次即可，"
        "如新下载软件包则需重新授权一次，特此说明";

    AuthorizeWindow();
    AuthorizeWindow(const AuthorizeWindow&) = delete;
    AuthorizeWindow& operator=(const AuthorizeWindow&) = delete;

    static std::span<const platform::ControlDecl> controls();

    platform::WindowModel& model() { return m_model; }
    const platform::WindowModel& model() const { return m_model; }

private:
    platform::WindowModel m_model;
};

// The value of the address parameter `name`: from after "name=" to the next "&" or the end. The name counts
// only as a whole parameter name (at the start or after "?", "&" or "#"), so "sub_x=" is not "x=". "" when
// the address has no such parameter.
std::string urlParameter(std::string_view address, std::string_view name);

// Whole days from `from` to `to` (both local date-times): 25 days and 23 hours count as 25.
long long wholeDaysBetween(const settings::DateTime& from, const settings::DateTime& to);

struct AuthorizationServices {
    const platform::Clock& clock;
    const web::Hosts& hosts;
    // The main window: "按钮_打开授权" and "标签_授权状态".
    platform::WindowModel& mainWindow;
    app::RunLog& log;
    platform::Dialogs& dialogs;
    platform::WindowHost& windows;
    AuthorizeWindow& window;
    // The machine-wide authorization file (settings::Folders::authorizationPath()).
    std::filesystem::path authorizationFile;
    // The folder that may hold "appkeys.json"; empty for the built-in keys only.
    std::filesystem::path dataFolder{};
};

// The open-platform access token: granted in the authorize window, kept in the authorization file with the
// time of the grant, and held valid for 25 whole days. The handlers run on the UI thread; the age check also
// runs on the login worker; the readers may be called from any thread.
class Authorization {
public:
    static constexpr long long kValidDays = 25;
    static constexpr char kExpiredNotice[] = "授权即将或已过期，请到授权窗口授权应用，否则导致部分功能无法使用";
    static constexpr char kMissingNotice[] = "联盟未授权，请点击登录按钮下面的授权按钮，否则导致部分功能无法使用";

    explicit Authorization(AuthorizationServices services);
    Authorization(const Authorization&) = delete;
    Authorization& operator=(const Authorization&) = delete;

    // "按钮_打开授权": shows the window with the last grant and opens the authorize page for the first
    // application key.
    void openAuthorization();
    // The authorize page's navigation: an address that carries the access token is a grant.
    void navigated(const std::string& address);
    // The age check after a login: reloads the stored grant and tells the user when there is none or it is
    // older than 25 whole days.
    void checkAuthorization();

    // The token of the last grant this run knows ("" before the first check or grant).
    std::string accessToken() const;
    // Its grant time as date-time text; "" when unknown.
    std::string accessTime() const;
    // True when there is no token or grant time, or the grant is older than 25 whole days now.
    bool expired() const;

    // Binds "按钮_打开授权" on the main window.
    void bindHandlers();

private:
    void setMainLabelAuthorized();
    bool validAt(const settings::DateTime& now) const;

    AuthorizationServices m_services;
    std::atomic<bool> m_handlerSet{false};
    mutable std::mutex m_mutex;
    std::string m_token;
    std::optional<settings::DateTime> m_time;
};

}  // namespace dealcast::session
