#include "relay/relay_controls.h"

#include "app/app_controls.h"

#include <vector>

namespace dealcast::relay {

using platform::ControlDecl;
using platform::ControlKind;
using namespace controls;

namespace {
constexpr const char* kPages = app::controls::kPages;
constexpr int kPage = app::kQqMonitorPage;
}  // namespace

std::span<const ControlDecl> relayControls()
{
    static const std::vector<ControlDecl> table = {
        {.name = kStartMonitoring, .kind = ControlKind::Button, .caption = "开始监控", .parent = kPages, .page = kPage},
        {.name = kMonitorList,
         .kind = ControlKind::ListView,
         .parent = kPages,
         .page = kPage,
         .flags = platform::kCheckBoxes,
         .items = {"ID", "文案", "推送", "状态"}},
        {.name = kSelectAllMonitored,
         .kind = ControlKind::CheckBox,
         .caption = "全选",
         .parent = kPages,
         .page = kPage},
        {.name = kTransferMonitored,
         .kind = ControlKind::Button,
         .caption = "添加到群发列表",
         .parent = kPages,
         .page = kPage},
        {.name = kAutoTransfer,
         .kind = ControlKind::CheckBox,
         .caption = "自动转移到群发列表",
         .parent = kPages,
         .page = kPage},
        {.name = kSendLinkless,
         .kind = ControlKind::CheckBox,
         .caption = "发无链信息",
         .parent = kPages,
         .page = kPage},
        {.name = kUseGroupPicture,
         .kind = ControlKind::CheckBox,
         .caption = "使用群原图",
         .parent = kPages,
         .page = kPage},
        {.name = kUseTwoInOneLink,
         .kind = ControlKind::CheckBox,
         .caption = "使用二合一",
         .parent = kPages,
         .page = kPage},
        {.name = kKeyword, .kind = ControlKind::EditBox, .caption = "监控关键词：", .parent = kPages, .page = kPage},
        {.name = kReplacement, .kind = ControlKind::EditBox, .caption = "替换为：", .parent = kPages, .page = kPage},
        {.name = kMonitorMenu,
         .kind = ControlKind::PopupMenu,
         .items = {"查看商品详情(监控)", "全选(监控)", "取消全选(监控)", "删除选中(监控)", "清空商品(监控)"}},
        {.name = kGroupLinkMenu, .kind = ControlKind::PopupMenu, .items = {"指定发单员", "全选", "反选"}},

        {.name = kAutoFollow,
         .kind = ControlKind::CheckBox,
         .caption = "自动跟发禾岚官方精选商品",
         .parent = kPages,
         .page = kPage},
        {.name = kOnlineCountHint,
         .kind = ControlKind::Label,
         .caption = "在线人数：",
         .parent = kPages,
         .page = kPage},
        {.name = kOnlineCount, .kind = ControlKind::Label, .caption = "0", .parent = kPages, .page = kPage},
        {.name = kServerCheckTimer, .kind = ControlKind::Timer, .value = "0"},
    };
    return table;
}

}  // namespace dealcast::relay
