#pragma once

#include "platform/control.h"

#include <span>

namespace dealcast::app {

inline constexpr char kProgramVersion[] = "1.51";

// Pages of the main window's page control, in tab order.
enum Page : int {
    kBasicSettingsPage = 0,  // "基本设置"
    kManualSendPage = 1,     // "手动群发"
    kCollectionPage = 2,     // "商品采集"
    kAffiliateDataPage = 3,  // "联盟数据"
    kQqMonitorPage = 4,      // "QQ群监控"
    kAutoSendPage = 5,       // "自动群发"
};
inline constexpr int kPageCount = 6;

namespace controls {

// The picture that covers the client area and carries the toolbar and the caption labels.
inline constexpr char kBackground[] = "底图";
// Page selectors of the toolbar; each selects the page named beside it.
inline constexpr char kPageButton1[] = "图形按钮1";  // 基本设置
inline constexpr char kPageButton2[] = "图形按钮2";  // 自动群发
inline constexpr char kPageButton3[] = "图形按钮3";  // 商品采集
inline constexpr char kPageButton4[] = "图形按钮4";  // QQ群监控
inline constexpr char kPageButton5[] = "图形按钮5";  // 联盟数据
inline constexpr char kPageButton6[] = "图形按钮6";  // 手动群发
inline constexpr char kCloseButton[] = "图形按钮7";
inline constexpr char kMinimiseButton[] = "图形按钮9";
inline constexpr char kVersionLabel[] = "透明标签1";
inline constexpr char kBetaLabel[] = "透明标签2";

inline constexpr char kPages[] = "选择夹1";
inline constexpr char kAnnouncementView[] = "超文本浏览框1";
inline constexpr char kTutorialLink[] = "超级链接框3";
inline constexpr char kUpdatePluginButton[] = "按钮_更新插件";
inline constexpr char kUpdatePluginHint[] = "标签_更新插件提示";

inline constexpr char kLogGroup[] = "操作日志";
inline constexpr char kRunLog[] = "编辑框_运行日志";
inline constexpr char kSaveSettingsButton[] = "按钮_保存配置";

// Paths on the vendor's hosts behind the announcement view and the tutorial link.
inline constexpr char kAnnouncementPath[] = "/info/soft_gonggao.html";
inline constexpr char kTutorialPath[] = "/info/index.php/3/21/";

// Text colour of the link-styled labels, 0xRRGGBB.
inline constexpr std::uint32_t kLinkColour = 0x0000FF;

}  // namespace controls

// The shell's own controls of the main window: background, toolbar, page control, announcement, run log.
std::span<const platform::ControlDecl> appControls();

}  // namespace dealcast::app
