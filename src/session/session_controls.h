#pragma once

#include "platform/control.h"

#include <span>

namespace dealcast::session {

namespace controls {

inline constexpr char kLoginGroup[] = "分组框2";
// Pages "旺旺登录" (messenger quick login) and "帐号登录" (account and password).
inline constexpr char kLoginPages[] = "选择夹_登录";
inline constexpr char kQuickLogin[] = "选择框_快捷登录";
inline constexpr char kAccount[] = "编辑框_阿里妈妈账号";
inline constexpr char kPassword[] = "编辑框_阿里妈妈密码";
inline constexpr char kAutoLogin[] = "选择框_阿里妈妈_自动登录";
inline constexpr char kLoginButton[] = "按钮_阿里登录";
inline constexpr char kLoginStatus[] = "标签_登录状态";
inline constexpr char kOpenAuthorization[] = "按钮_打开授权";
inline constexpr char kAuthorizationStatus[] = "标签_授权状态";
// Hidden; raising its feedback event hands a lost session to the UI thread for a re-login.
inline constexpr char kRelogin[] = "标签_掉线重登";
// Keep-alive; stopped as designed, started with a 1,200,000 ms period once the main window is up.
inline constexpr char kKeepAliveTimer[] = "时钟_阿里登录";

}  // namespace controls

// The affiliate login and authorization controls of the main window.
std::span<const platform::ControlDecl> sessionControls();

}  // namespace dealcast::session
