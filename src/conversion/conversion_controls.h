#pragma once

#include "platform/control.h"

#include <array>
#include <span>

namespace dealcast::conversion {

namespace controls {

// Message templates (basic-settings page).
inline constexpr char kWechatTemplate[] = "编辑框_微信模板";
inline constexpr char kQqTemplate[] = "编辑框_QQ群模板";
inline constexpr char kResetTemplates[] = "按钮_重置模板";
inline constexpr char kTemplateHint[] = "标签_模板提示";
inline constexpr char kUseProductText[] = "选择框_使用采集文案";

// Placeholder labels: a click puts the label's caption into the template that last had the focus.
inline constexpr char kTitleLabel[] = "标签24";
inline constexpr char kCopyTextLabel[] = "标签50";
inline constexpr char kCouponAmountLabel[] = "标签51";
inline constexpr char kPriceAfterCouponLabel[] = "标签52";
inline constexpr char kPriceLabel[] = "标签53";
inline constexpr char kCouponsLeftLabel[] = "标签54";
inline constexpr char kFreeShippingLabel[] = "标签55";
inline constexpr char kItemLinkLabel[] = "标签56";
inline constexpr char kShareTokenLabel[] = "标签57";
inline constexpr char kCouponLinkLabel[] = "标签58";
inline constexpr char kSuperShortLinkLabel[] = "标签59";
inline constexpr char kBaiduShortLinkLabel[] = "标签60";
inline constexpr char kShortLinkLabel[] = "标签61";
inline constexpr char kTwoInOneLinkLabel[] = "标签63";
inline constexpr char kSalesLabel[] = "标签69";
inline constexpr char kSendTimeLabel[] = "标签70";
inline constexpr std::array<const char*, 16> kPlaceholderLabels = {
    kTitleLabel,      kCopyTextLabel,     kCouponAmountLabel,   kPriceAfterCouponLabel,
    kPriceLabel,      kCouponsLeftLabel,  kFreeShippingLabel,   kItemLinkLabel,
    kShareTokenLabel, kCouponLinkLabel,   kSuperShortLinkLabel, kBaiduShortLinkLabel,
    kShortLinkLabel,  kTwoInOneLinkLabel, kSalesLabel,          kSendTimeLabel,
};

// Commission-plan options (basic-settings page); the application reason is never saved, so its default holds.
inline constexpr char kApplyReason[] = "编辑框_申请文案";

// Short-link choice: the three boxes act as one choice.
inline constexpr char kSinaShortLink[] = "选择框_新浪短网址";
inline constexpr char kAltShortLink1[] = "选择框_备选短网址1";
inline constexpr char kAltShortLink2[] = "选择框_备选短网址2";

// Manual conversion area (manual-sending page).
inline constexpr char kManualGroup[] = "分组框8";
inline constexpr char kSingleItemText[] = "编辑框_单品信息";
inline constexpr char kConvertSingle[] = "按钮_单品转换";
inline constexpr char kSendSingle[] = "按钮_单品发送";
inline constexpr char kQueueSingle[] = "按钮_单品添加列表";
inline constexpr char kUseManualPid[] = "选择框_pid";
inline constexpr char kManualPid[] = "编辑框_PID";
inline constexpr char kWechatMessage[] = "编辑框_微信模板转化";
inline constexpr char kQqMessage[] = "编辑框_QQ群模板转化";
inline constexpr char kCopyPicture2[] = "按钮_复制图片2";
inline constexpr char kCopyMessage[] = "按钮_复制文案";
inline constexpr char kClearManualBoxes[] = "按钮_清空编辑框";

// Product area of the right-hand panel: picture, prices, copy text and the commission plans.
inline constexpr char kProductGroup[] = "商品图";
inline constexpr char kPicture[] = "图片框1";
inline constexpr char kCopyPicture[] = "按钮_复制图片";
inline constexpr char kCopyText[] = "编辑框_文案";
inline constexpr char kCurrentPrice[] = "标签_现售价";
inline constexpr char kPriceAfterCoupon[] = "标签_券后价";
inline constexpr char kCouponAmount[] = "标签_券面值";
inline constexpr char kMonthlySales[] = "标签_月销量";
inline constexpr char kCouponsLeft[] = "标签_优惠券";
inline constexpr char kPlanList[] = "超级列表框_计划";
inline constexpr char kAutoApplyPlans[] = "选择框_查询计划自动申请";
inline constexpr char kApplyReviewedPlans[] = "选择框_申请最高计划";

// Duplicate filter (auto-sending page); the store is a hidden box mirrored in itemid.txt.
inline constexpr char kFilterDuplicates[] = "选择框_过滤重复商品";
inline constexpr char kClearFilter[] = "按钮_清除过滤";
inline constexpr char kClearFilterOnClose[] = "选择框_清除过滤";
inline constexpr char kFilterStore[] = "编辑框_过滤重复";

}  // namespace controls

inline constexpr char kWechatTemplateDefault[] =
    "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n[文案]\r\n【淘口令:[淘口令]】\r\n"
    "复制这条信息，打开手机淘宝即可领券购买\r\n领券下单：[禾岚超级短链]";
inline constexpr char kQqTemplateDefault[] =
    "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n领券下单：[二合一短链]\r\n[文案]";
// "重置模板" puts the WeChat default back, but for QQ this text with the super short link.
inline constexpr char kQqTemplateReset[] =
    "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n领券下单：[禾岚超级短链]\r\n[文案]";

// The link-conversion controls of the main window: templates, manual conversion, product area, filter.
std::span<const platform::ControlDecl> conversionControls();

}  // namespace dealcast::conversion
