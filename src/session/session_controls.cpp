#include "session/session_controls.h"

#include "app/app_controls.h"

#include <vector>

namespace dealcast::session {

using platform::ControlDecl;
using platform::ControlKind;
using namespace controls;

std::span<const ControlDecl> sessionControls()
{
    static const std::vector<ControlDecl> table = {
        {.name = kLoginGroup,
         .kind = ControlKind::GroupBox,
         .caption = "阿里妈妈登录",
         .parent = app::controls::kPages,
         .page = app::kBasicSettingsPage},
        {.name = kLoginPages,
         .kind = ControlKind::PageControl,
         .value = "0",
         .parent = kLoginGroup,
         .items = {"旺旺登录", "帐号登录"}},
        {.name = kQuickLogin, .kind = ControlKind::CheckBox, .caption = "快捷登录", .parent = kLoginPages, .page = 0},
        {.name = kAccount, .kind = ControlKind::EditBox, .caption = "账号：", .parent = kLoginPages, .page = 1},
        {.name = kPassword,
         .kind = ControlKind::EditBox,
         .caption = "密码：",
         .parent = kLoginPages,
         .page = 1,
         .flags = platform::kPassword},
        {.name = kAutoLogin, .kind = ControlKind::CheckBox, .caption = "自动登录", .parent = kLoginPages, .page = 1},
        {.name = kLoginButton, .kind = ControlKind::Button, .caption = "登录", .parent = kLoginGroup},
        {.name = kLoginStatus,
         .kind = ControlKind::Label,
         .caption = "未登录",
         .parent = kLoginGroup,
         .colour = 0x808080},
        {.name = kOpenAuthorization, .kind = ControlKind::Button, .caption = "授权", .parent = kLoginGroup},
        {.name = kAuthorizationStatus, .kind = ControlKind::Label, .caption = "未授权", .parent = kLoginGroup},
        {.name = kRelogin, .kind = ControlKind::Label, .flags = platform::kHidden},
        {.name = kKeepAliveTimer, .kind = ControlKind::Timer, .value = "0"},
    };
    return table;
}

}  // namespace dealcast::session
