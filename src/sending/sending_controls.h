#pragma once

#include "platform/control.h"

#include <span>

namespace dealcast::sending {

namespace controls {

// WeChat group list ("微信群列表"): one row per WeChat chat window; the handle column is hidden.
inline constexpr char kWechatGroupBox[] = "分组框9";
inline constexpr char kWechatGroups[] = "超级列表框_微信群_模拟";
inline constexpr char kRefreshWechatGroups[] = "按钮_微信_取群列表";
inline constexpr char kSaveWechatGroups[] = "选择框_保存微信群列表";
inline constexpr char kMinimiseWechat[] = "选择框_微信最小化";

// QQ group list ("QQ群列表"): one row per shortcut in the QQGroup folder.
inline constexpr char kQqGroupBox[] = "分组框1";
inline constexpr char kQqGroups[] = "超级列表框_QQ群_模拟";
inline constexpr char kRefreshQqGroups[] = "按钮_QQ_取群列表";
inline constexpr char kOpenQqFolder[] = "按钮_QQ_打开文件夹";
inline constexpr char kEnterSends[] = "单选框_Enter键发送";
inline constexpr char kCtrlEnterSends[] = "单选框_CEnter键发送";
inline constexpr char kCloseQqAfterSend[] = "选择框_发完关闭群";

// Pacing ("群发设置(秒)") and the tail message.
inline constexpr char kPacingGroup[] = "分组框7";
inline constexpr char kItemInterval[] = "编辑框_单条间隔";
inline constexpr char kGroupInterval[] = "编辑框_群消息间隔";
inline constexpr char kPictureTextInterval[] = "编辑框_图文间隔";
inline constexpr char kTailEnabled[] = "选择框_自定义尾巴";
inline constexpr char kTailEvery[] = "编辑框_尾巴间隔条数";
inline constexpr char kTailText[] = "编辑框_尾巴内容";

// Sending conditions, applied by the conversion while the loop sends.
inline constexpr char kConditionsGroup[] = "分组框10";
inline constexpr char kConditionsOn[] = "选择框_群发条件";
inline constexpr char kMinShopScore[] = "编辑框_DSR不低于";
inline constexpr char kMinCouponRatio[] = "编辑框_券面值比例";
inline constexpr char kMinPrice[] = "编辑框_价格低_群发";
inline constexpr char kMaxPrice[] = "编辑框_价格高_群发";
inline constexpr char kMinSales[] = "编辑框_销量大于";
inline constexpr char kMinCommission[] = "编辑框_佣金大于";
inline constexpr char kExcludedKeywords[] = "编辑框_排除关键词";

// Send options and the loop's buttons.
inline constexpr char kSendWechat[] = "选择框_微信群发送";
inline constexpr char kSendQq[] = "选择框_QQ群发送";
inline constexpr char kRandomOrder[] = "选择框_乱序发布";
inline constexpr char kMallOnly[] = "选择框_C店商品";
inline constexpr char kStartSending[] = "按钮_开始发送";
inline constexpr char kPauseSending[] = "按钮_暂停发送";
inline constexpr char kCountdown[] = "透明标签_发送倒计时";

// Timed sending: the timer runs (60,000 ms) only while timed sending is on.
inline constexpr char kTimedSending[] = "选择框_启动定时";
inline constexpr char kScheduleButton[] = "按钮_定时群发";
inline constexpr char kScheduleTimer[] = "时钟_定时群发";

// The send queue, the sent list and their menus.
inline constexpr char kQueue[] = "超级列表框_待推送列表";
inline constexpr char kSentList[] = "超级列表框_已推送列表";
inline constexpr char kQueueMenu[] = "待推送菜单";
inline constexpr char kSentMenu[] = "已推送菜单";

// Robot link (QQ monitoring page).
inline constexpr char kRobotPath[] = "编辑框_机器人目录";
inline constexpr char kRunRobot[] = "按钮_运行机器人";
inline constexpr char kLinkStatus[] = "标签_链接状态";
inline constexpr char kRefreshRobotGroups[] = "按钮_取群列表";
inline constexpr char kGroupLinks[] = "超级列表框_群对接";

}  // namespace controls

// The group-sending controls of the main window: group lists, pacing, conditions, queue, timed sending, robot.
std::span<const platform::ControlDecl> sendingControls();

}  // namespace dealcast::sending
