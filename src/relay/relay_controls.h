#pragma once

#include "platform/control.h"

#include <span>

namespace dealcast::relay {

namespace controls {

// Group monitoring (QQ monitoring page).
inline constexpr char kStartMonitoring[] = "按钮_开始对接";
inline constexpr char kMonitorList[] = "超级列表框_群监控";
inline constexpr char kSelectAllMonitored[] = "选择框_全选_监控";
inline constexpr char kTransferMonitored[] = "按钮_转推送列表_监控";
inline constexpr char kAutoTransfer[] = "选择框_群对接自动推送";
inline constexpr char kSendLinkless[] = "选择框_发无链信息";
inline constexpr char kUseGroupPicture[] = "选择框_使用群原图";
inline constexpr char kUseTwoInOneLink[] = "选择框_使用二合一";
inline constexpr char kKeyword[] = "编辑框_监控关键词";
inline constexpr char kReplacement[] = "编辑框_监控替换词";
inline constexpr char kMonitorMenu[] = "群监控菜单";
inline constexpr char kGroupLinkMenu[] = "群对接菜单";

// Follow-send: the probe timer runs (300,000 ms) only while follow-sending is wanted or reconnecting.
inline constexpr char kAutoFollow[] = "选择框_自动跟发";
inline constexpr char kOnlineCount[] = "标签_在线人数";
inline constexpr char kOnlineCountHint[] = "标签_在线人数提示";
inline constexpr char kServerCheckTimer[] = "时钟_服务器判断";

}  // namespace controls

// The monitoring and follow-send controls of the main window.
std::span<const platform::ControlDecl> relayControls();

}  // namespace dealcast::relay
