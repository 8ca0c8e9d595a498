#pragma once

#include "platform/control.h"

#include <span>

namespace dealcast::slots {

namespace controls {

// "导购位" on the basic-settings page: the WeChat pair, the general (QQ) pair and their PID labels.
inline constexpr char kGuideGroup[] = "分组框15";
inline constexpr char kWechatGuide[] = "组合框_微信导购";
inline constexpr char kWechatSlot[] = "组合框_微信推广位";
inline constexpr char kGeneralGuide[] = "组合框_通用导购";
inline constexpr char kGeneralSlot[] = "组合框_通用推广位";
inline constexpr char kWechatPidLabel[] = "标签_微信推广通用pid";
inline constexpr char kQqPidLabel[] = "标签_QQ推广通用pid";
// Opens the slot window ("添加/删除导购推广位").
inline constexpr char kSlotWindowLink[] = "超级链接框1";

// The guide/slot pair of the manual conversion area.
inline constexpr char kManualGuide[] = "组合框_导购";
inline constexpr char kManualSlot[] = "组合框_推广位";

}  // namespace controls

// The guide and promotion-slot controls of the main window.
std::span<const platform::ControlDecl> slotsControls();

}  // namespace dealcast::slots
