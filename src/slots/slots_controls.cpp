#include "slots/slots_controls.h"

#include "app/app_controls.h"
#include "conversion/conversion_controls.h"

#include <vector>

namespace dealcast::slots {

using platform::ControlDecl;
using platform::ControlKind;
using namespace controls;

std::span<const ControlDecl> slotsControls()
{
    // Combo boxes start empty and both PID labels blank until the first login loads the account's slots.
    static const std::vector<ControlDecl> table = {
        {.name = kGuideGroup,
         .kind = ControlKind::GroupBox,
         .caption = "导购位",
         .parent = app::controls::kPages,
         .page = app::kBasicSettingsPage},
        {.name = kWechatGuide, .kind = ControlKind::ComboBox, .caption = "微信导购：", .parent = kGuideGroup},
        {.name = kWechatSlot, .kind = ControlKind::ComboBox, .caption = "微信推广位：", .parent = kGuideGroup},
        {.name = kWechatPidLabel, .kind = ControlKind::Label, .parent = kGuideGroup},
        {.name = kGeneralGuide, .kind = ControlKind::ComboBox, .caption = "通用导购：", .parent = kGuideGroup},
        {.name = kGeneralSlot, .kind = ControlKind::ComboBox, .caption = "通用推广位：", .parent = kGuideGroup},
        {.name = kQqPidLabel, .kind = ControlKind::Label, .parent = kGuideGroup},
        {.name = kSlotWindowLink,
         .kind = ControlKind::Label,
         .caption = "添加/删除导购推广位",
         .parent = kGuideGroup,
         .colour = app::controls::kLinkColour},

        {.name = kManualGuide,
         .kind = ControlKind::ComboBox,
         .caption = "导购：",
         .parent = conversion::controls::kManualGroup},
        {.name = kManualSlot,
         .kind = ControlKind::ComboBox,
         .caption = "推广位：",
         .parent = conversion::controls::kManualGroup},
    };
    return table;
}

}  // namespace dealcast::slots
