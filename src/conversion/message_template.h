#pragma once

#include <atomic>
#include <string>
#include <string_view>

namespace dealcast::platform {
class Clock;
class WindowModel;
}  // namespace dealcast::platform
namespace dealcast::web {
class Hosts;
}

namespace dealcast::conversion {

// The values a product message's placeholders take; a missing value is the empty text.
struct TemplateValues {
    std::string title{};             // "[标题]"
    std::string copyText{};          // "[文案]"
    std::string couponAmount{};      // "[券面值]"
    std::string price{};             // "[现售价]"
    std::string priceAfterCoupon{};  // "[券后价]", see priceAfterCoupon()
    std::string freeShipping{};      // "[包邮]": "包邮" or "不包邮"
    std::string shareToken{};        // "[淘口令]"
    std::string superShortLink{};    // "[禾岚超级短链]"
    std::string couponLink{};        // "[券链接]", see couponPageLink()
    std::string twoInOneLink{};      // "[二合一短链]"
    std::string itemLink{};          // "[淘链接]"
    std::string monthlySales{};      // "[月销量]"
};

// The message a template makes for one product: every placeholder replaced by its value, all occurrences.
// "[券剩余]" and "[已领取]" have no source and become empty; "[百度短网址]" and "[短网址]" stay as typed;
// "[发送时间]" is the clock's local time now. Values go in as they are: a title that itself holds bracketed
// text such as "[包邮]" keeps it. Never fails.
std::string fillTemplate(std::string_view templateText, const TemplateValues& values, const platform::Clock& clock);

// Price less coupon, each read as a number (text that is not a number counts as 0), rounded to one decimal
// place and written in the shortest form: "19.9" and "5" give "14.9", "20" and "5" give "15".
std::string priceAfterCoupon(std::string_view price, std::string_view couponAmount);

// The local time as "2024年1月5日8时3分0秒" (no leading zeros).
std::string sendTimeText(const platform::Clock& clock);

// The coupon page of a shop coupon; empty without an activity id or a configured coupon-page host.
std::string couponPageLink(const web::Hosts& hosts, std::string_view sellerId, std::string_view activityId);

// The template boxes of the main window: which box the placeholder labels write into (the one that last had
// the focus, the WeChat box at first), the labels themselves, Ctrl+A in the template and message boxes, and
// the reset button. Must outlive the window whose handlers it bound.
class TemplateEditor {
public:
    enum Target : int { kWechat = 0, kQq = 1 };

    void bindHandlers(platform::WindowModel& window);

    int target() const { return m_target.load(); }
    void setTarget(int target) { m_target.store(target); }

    // Puts the label's caption into the target box, replacing the selection at the caret. A target other
    // than the two boxes does nothing.
    void insertPlaceholder(platform::WindowModel& window, std::string_view label) const;
    // Both boxes get their reset texts.
    static void resetTemplates(platform::WindowModel& window);

private:
    std::atomic<int> m_target{kWechat};
};

}  // namespace dealcast::conversion
