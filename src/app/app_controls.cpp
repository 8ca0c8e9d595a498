#include "app/app_controls.h"

#include <vector>

namespace dealcast::app {

using platform::ControlDecl;
using platform::ControlKind;
using platform::Geometry;
using namespace controls;

std::span<const ControlDecl> appControls()
{
    static const std::vector<ControlDecl> table = {
        {.name = kBackground, .kind = ControlKind::PictureBox, .geometry = Geometry{0, 0, 1045, 710}},
        // The shown page's own selector starts hidden: the background then marks that page as selected.
        {.name = kPageButton1,
         .kind = ControlKind::Button,
         .caption = "基本设置",
         .parent = kBackground,
         .flags = platform::kHidden},
        {.name = kPageButton2, .kind = ControlKind::Button, .caption = "自动群发", .parent = kBackground},
        {.name = kPageButton3, .kind = ControlKind::Button, .caption = "商品采集", .parent = kBackground},
        {.name = kPageButton4, .kind = ControlKind::Button, .caption = "QQ群监控", .parent = kBackground},
        {.name = kPageButton5, .kind = ControlKind::Button, .caption = "联盟数据", .parent = kBackground},
        {.name = kPageButton6, .kind = ControlKind::Button, .caption = "手动群发", .parent = kBackground},
        {.name = kCloseButton, .kind = ControlKind::Button, .caption = "关闭", .parent = kBackground},
        {.name = kMinimiseButton, .kind = ControlKind::Button, .caption = "最小化", .parent = kBackground},
        {.name = kVersionLabel, .kind = ControlKind::Label, .caption = kProgramVersion, .parent = kBackground},
        {.name = kBetaLabel, .kind = ControlKind::Label, .caption = "beta", .parent = kBackground},

        // Page 0 is wide enough to cover the right-hand panel.
        {.name = kPages,
         .kind = ControlKind::PageControl,
         .value = "0",
         .geometry = Geometry{8, 95, 1034, 605},
         .items = {"基本设置", "手动群发", "商品采集", "联盟数据", "QQ群监控", "自动群发"}},
        // An embedded view of the vendor's announcement page; the model has no browser kind, so it stands here
        // as an empty label that the front-end replaces.
        {.name = kAnnouncementView, .kind = ControlKind::Label, .parent = kPages, .page = kBasicSettingsPage},
        {.name = kTutorialLink,
         .kind = ControlKind::Label,
         .caption = "使用教程",
         .parent = kPages,
         .page = kBasicSettingsPage,
         .colour = kLinkColour},
        {.name = kUpdatePluginHint,
         .kind = ControlKind::Label,
         .caption = "无法取群请更新插件→",
         .parent = kPages,
         .page = kQqMonitorPage},
        {.name = kUpdatePluginButton,
         .kind = ControlKind::Button,
         .caption = "更新插件",
         .parent = kPages,
         .page = kQqMonitorPage},

        // Right-hand panel: visible beside every page but page 0.
        {.name = kLogGroup, .kind = ControlKind::GroupBox, .caption = "操作日志"},
        {.name = kRunLog,
         .kind = ControlKind::EditBox,
         .value = "*",
         .parent = kLogGroup,
         .flags = platform::kMultiLine | platform::kReadOnly},
        {.name = kSaveSettingsButton, .kind = ControlKind::Button, .caption = "保存配置", .parent = kLogGroup},
    };
    return table;
}

}  // namespace dealcast::app
