#pragma once

#include "conversion/commission_plans.h"
#include "conversion/item_lookup.h"
#include "slots/pid_choice.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::platform {
class Dialogs;
}

namespace dealcast::conversion {

class DuplicateFilter;
struct ConversionServices;

// The result words of a conversion, as the sent list shows them. Only kConverted and kTextMessage mean that
// the messages are ready to send.
inline constexpr char kConverted[] = "转化成功";
inline constexpr char kTextMessage[] = "文案消息";
inline constexpr char kNoProductLink[] = "无商品链接";
inline constexpr char kDuplicateItem[] = "重复商品";
inline constexpr char kSessionLost[] = "阿里妈妈掉线";
inline constexpr char kLookupFailed[] = "转换异常，跳过";
inline constexpr char kShopScoreBelow[] = "DSR低于条件";
inline constexpr char kCouponRatioBelow[] = "券面值比例低于条件！";
// Followed by the bound as the user typed it.
inline constexpr char kPriceBelow[] = "价格低于";
inline constexpr char kPriceAbove[] = "价格高于";
inline constexpr char kNotMallItem[] = "非天猫商品";
inline constexpr char kSalesBelow[] = "销量低于条件";
inline constexpr char kCommissionBelow[] = "佣金低于条件";
inline constexpr char kNoShareToken[] = "淘口令获取失败";
inline constexpr char kNoItemInfo[] = "商品信息获取失败";
inline constexpr char kConversionFailed[] = "转化失败";

// The source words of queued products that the conversion tells apart.
inline constexpr char kSourceManual[] = "单品";
inline constexpr char kSourceMonitor[] = "监控";

// The pause after most early ends, so a sending run does not hammer the platform with failing products.
inline constexpr int kFailurePauseMs = 2000;

// Who asks for the conversion: the sending loop (the sending conditions and the commission minimum apply) or
// the manual conversion area (no conditions; the plan list of the main window is filled).
enum class ConversionMode { Manual = 0, Sending = 1 };

// Everything a conversion produces; the texts are empty where the conversion ended before reaching them.
struct ConversionResult {
    std::string word;
    // The product text as the conversion left it: without its "imgurl=" part, and for a monitored message in
    // group-picture mode rewritten into its own template.
    std::string productText;
    std::string wechatMessage;
    std::string qqMessage;
    // The search picture, or the group's own picture in group-picture mode.
    std::string pictureUrl;
    std::string price;
    std::string priceAfterCoupon;
    std::string couponAmount;
    std::string couponsLeft;  // nothing provides it: always empty
    std::string sales;
    // "itemId=..|originUrl=..|tbkUrl=..|itemTitle=..|itemDescription=..|tbCommand=..".
    std::string record;
    std::string itemId;
    // The open platform refused the access token while the links were made: sending has to stop.
    bool authorizationRefused = false;

    bool ready() const { return word == kConverted || word == kTextMessage; }
};

// The exclusion keywords of the sending conditions: split at "，" when the text holds one (an ASCII comma then
// stays inside a keyword), else at ",", else the whole text is one keyword. Empty pieces are dropped: an
// empty keyword would be found in every title and filter out every product.
std::vector<std::string> splitExclusionKeywords(std::string_view text);

// The number a text starts with, read as a whole number ("1200", "12.7" gives 12); 0 when it starts with none.
long long wholeNumber(std::string_view text);

// What the converter needs beyond the shared services.
struct ConverterHooks {
    // The affiliate session's login check; an empty function counts as logged in.
    std::function<bool()> loggedIn;
    // The slot whose commission links the messages carry, for WeChat and for QQ.
    std::function<slots::PidChoice(slots::PidTarget)> pidFor;
};

// Turns one product text into its WeChat and QQ messages: recognises the item, looks it up, applies the
// sending conditions and the duplicate filter, takes the best commission plan and its links, records the
// item against duplicates and fills both templates. The user's choices are read from the main window's
// controls when a conversion runs.
//
// One converter serves the sending worker and the single-item worker at once: convert() keeps no state of
// its own between calls, and the duplicate filter is safe to share. Pauses are ResponsiveWaits, so a worker
// that is stopped during one ends there.
class ProductConverter {
public:
    // All three references outlive the converter.
    ProductConverter(const ConversionServices& services, platform::Dialogs& dialogs, DuplicateFilter& filter,
                     ConverterHooks hooks);

    // `source` is the queued product's source word; empty for the manual area.
    ConversionResult convert(std::string_view productText, ConversionMode mode, std::string_view source);

    DuplicateFilter& filter() { return m_filter; }

private:
    struct Run;

    bool ticked(std::string_view name) const;
    std::string boxText(std::string_view name) const;
    // Logs `line` when it is not empty, pauses when asked, and ends the run with `word`.
    ConversionResult& end(Run& run, std::string_view word, std::string_view line, bool pause);

    const ConversionServices& m_services;
    DuplicateFilter& m_filter;
    ConverterHooks m_hooks;
    // Shared by every conversion; each only reads the window and reports unset hosts once.
    ItemLookup m_lookup;
    CommissionPlans m_plans;
};

}  // namespace dealcast::conversion
