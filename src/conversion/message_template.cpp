#include "conversion/message_template.h"

#include "conversion/conversion_controls.h"
#include "platform/clock.h"
#include "platform/edit_box.h"
#include "platform/label.h"
#include "platform/window_model.h"
#include "web/hosts.h"
#include "web/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace dealcast::conversion {
namespace {

using namespace controls;

// Boxes in which Ctrl+A selects the whole text.
constexpr std::array<const char*, 6> kSelectAllBoxes = {
    kWechatTemplate, kQqTemplate, kSingleItemText, kWechatMessage, kQqMessage, kCopyText,
};
constexpr int kKeyA = 65;

// A single-precision reading of a decimal text; anything that is not a finite number is 0.
float toNumber(std::string_view text)
{
    text = web::trim(text);
    float value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return 0;
    return value;
}

}  // namespace

std::string priceAfterCoupon(std::string_view price, std::string_view couponAmount)
{
    // In whole tenths, so the text carries no binary noise (19.9 - 5 is 14.9, not 14.899999).
    const double tenths = std::round((static_cast<double>(toNumber(price)) - toNumber(couponAmount)) * 10.0);
    if (!(std::fabs(tenths) < 9e15)) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, tenths / 10.0);
        return std::string(buffer, result.ptr);
    }
    const auto whole = static_cast<std::int64_t>(tenths);
    const std::int64_t magnitude = whole < 0 ? -whole : whole;
    std::string text = whole < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    if (magnitude % 10 != 0)
        text += "." + std::to_string(magnitude % 10);
    return text;
}

std::string sendTimeText(const platform::Clock& clock)
{
    const platform::LocalTime t = clock.localTime();
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d年%d月%d日%d时%d分%d秒", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string couponPageLink(const web::Hosts& hosts, std::string_view sellerId, std::string_view activityId)
{
    if (activityId.empty())
        return {};
    return hosts.url(web::role::kCouponPageHost,
                     "/apps/aliyx/coupon/detail.html?wh_weex=true&seller_id=" + std::string(sellerId) +
                         "&activity_id=" + std::string(activityId),
                     true);
}

std::string fillTemplate(std::string_view templateText, const TemplateValues& values, const platform::Clock& clock)
{
    const std::string sendTime = templateText.find("[发送时间]") != std::string_view::npos ? sendTimeText(clock) : "";
    const std::string none;
    const std::pair<std::string_view, const std::string*> placeholders[] = {
        {"[标题]", &values.title},
        {"[文案]", &values.copyText},
        {"[券面值]", &values.couponAmount},
        {"[现售价]", &values.price},
        {"[券后价]", &values.priceAfterCoupon},
        {"[券剩余]", &none},
        {"[包邮]", &values.freeShipping},
        {"[已领取]", &none},
        {"[淘口令]", &values.shareToken},
        {"[禾岚超级短链]", &values.superShortLink},
        {"[券链接]", &values.couponLink},
        {"[二合一短链]", &values.twoInOneLink},
        {"[淘链接]", &values.itemLink},
        {"[月销量]", &values.monthlySales},
        {"[发送时间]", &sendTime},
    };

    // One scan of the template: a value is never read again as a placeholder.
    std::string out;
    out.reserve(templateText.size());
    std::size_t pos = 0;
    while (pos < templateText.size()) {
        const std::size_t open = templateText.find('[', pos);
        if (open == std::string_view::npos) {
            out.append(templateText.substr(pos));
            break;
        }
        out.append(templateText.substr(pos, open - pos));
        const std::string_view rest = templateText.substr(open);
        const auto* match = std::find_if(std::begin(placeholders), std::end(placeholders),
                                         [rest](const auto& p) { return rest.starts_with(p.first); });
        if (match == std::end(placeholders)) {
            out += '[';
            pos = open + 1;
        } else {
            out += *match->second;
            pos = open + match->first.size();
        }
    }
    return out;
}

void TemplateEditor::bindHandlers(platform::WindowModel& window)
{
    using platform::EventArgs;
    using platform::EventType;

    window.bind(kWechatTemplate, EventType::FocusGained, [this](const EventArgs&) { setTarget(kWechat); });
    window.bind(kQqTemplate, EventType::FocusGained, [this](const EventArgs&) { setTarget(kQq); });
    for (const char* label : kPlaceholderLabels) {
        window.bind(label, EventType::Clicked,
                    [this, &window, label](const EventArgs&) { insertPlaceholder(window, label); });
    }
    for (const char* name : kSelectAllBoxes) {
        window.bind(name, EventType::Key, [&window, name](const EventArgs& args) {
            if (args.keyCode != kKeyA || args.modifiers != platform::kCtrl)
                return;
            if (auto* box = window.find<platform::EditBox>(name))
                box->setSelection(0, INT_MAX);
        });
    }
    window.bind(kResetTemplates, EventType::Clicked, [&window](const EventArgs&) { resetTemplates(window); });
}

void TemplateEditor::insertPlaceholder(platform::WindowModel& window, std::string_view label) const
{
    const int target = m_target.load();
    if (target != kWechat && target != kQq)
        return;
    const auto* source = window.find<platform::Label>(label);
    auto* box = window.find<platform::EditBox>(target == kWechat ? kWechatTemplate : kQqTemplate);
    if (source == nullptr || box == nullptr)
        return;
    box->replaceSelection(source->text());
}

void TemplateEditor::resetTemplates(platform::WindowModel& window)
{
    if (auto* box = window.find<platform::EditBox>(kWechatTemplate))
        box->setText(kWechatTemplateDefault);
    if (auto* box = window.find<platform::EditBox>(kQqTemplate))
        box->setText(kQqTemplateReset);
}

}  // namespace dealcast::conversion
