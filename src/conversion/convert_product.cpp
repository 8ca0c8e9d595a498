#include "conversion/convert_product.h"

#include "app/run_log.h"
#include "conversion/answer_checks.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/duplicate_filter.h"
#include "conversion/link_recognition.h"
#include "conversion/message_template.h"
#include "platform/responsive_wait.h"
#include "platform/window_model.h"
#include "relay/relay_controls.h"
#include "sending/sending_controls.h"
#include "web/hosts.h"

#include <charconv>

namespace dealcast::conversion {
namespace {

constexpr std::string_view kSuperShortLinkPlaceholder = "[禾岚超级短链]";
constexpr std::string_view kShareTokenFrame = "￥";

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// "-1" is what a token or link service answers for an empty input: no token or link at all.
std::string serviceText(std::string text)
{
    return text == kEmptyInput ? std::string() : text;
}

// A coupon amount that gives no discount.
bool noCoupon(std::string_view amount)
{
    return numberOf(amount) <= kTolerance;
}

int countOf(std::string_view text, std::string_view part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

}  // namespace

std::vector<std::string> splitExclusionKeywords(std::string_view text)
{
    std::string_view separator;
    if (contains(text, "，"))
        separator = "，";
    else if (contains(text, ","))
        separator = ",";

    std::vector<std::string> keywords;
    auto keep = [&keywords](std::string_view piece) {
        if (piece.find_first_not_of(" \t\r\n") != std::string_view::npos)
            keywords.emplace_back(piece);
    };
    if (separator.empty()) {
        keep(text);
        return keywords;
    }
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        keep(text.substr(start, at - start));
        start = at + separator.size();
    }
    keep(text.substr(start));
    return keywords;
}

long long wholeNumber(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return 0;
    text.remove_prefix(first);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
}

// The state of one conversion, so the converter itself stays free of per-product state.
struct ProductConverter::Run {
    ConversionResult result;
    bool sending = false;
    bool conditions = false;  // the sending conditions are in force
};

ProductConverter::ProductConverter(const ConversionServices& services, platform::Dialogs& dialogs,
                                   DuplicateFilter& filter, ConverterHooks hooks)
    : m_services(services)
    , m_filter(filter)
    , m_hooks(std::move(hooks))
    , m_lookup(services)
    , m_plans(services, dialogs)
{
}

bool ProductConverter::ticked(std::string_view name) const
{
    const auto* box = m_services.window.find<platform::CheckBox>(name);
    return box && box->checked();
}

std::string ProductConverter::boxText(std::string_view name) const
{
    const auto* box = m_services.window.find<platform::EditBox>(name);
    return box ? box->text() : std::string();
}

ConversionResult& ProductConverter::end(Run& run, std::string_view word, std::string_view line, bool pause)
{
    if (!line.empty())
        m_services.log.write(line);
    if (pause)
        platform::ResponsiveWait(kFailurePauseMs);
    run.result.word = std::string(word);
    return run.result;
}

ConversionResult ProductConverter::convert(std::string_view productText, ConversionMode mode, std::string_view source)
{
    app::RunLog& log = m_services.log;
    const web::Hosts& hosts = m_services.hosts;
    Run run;
    ConversionResult& out = run.result;
    run.sending = mode == ConversionMode::Sending;
    const bool conditionsTicked = ticked(sending::controls::kConditionsOn);
    run.conditions = conditionsTicked && run.sending;

    // The exclusion keywords, read before anything else so the whole conversion uses one set.
    const std::vector<std::string> keywords =
        conditionsTicked ? splitExclusionKeywords(boxText(sending::controls::kExcludedKeywords))
                         : std::vector<std::string>();

    // The link test, the picture part and the scan.
    const bool groupPicture = ticked(relay::controls::kUseGroupPicture) && source == kSourceMonitor;
    constexpr std::string_view kNoLinkLine = "没有找到任何淘客或商品链接，请检查！";
    // The link test looks only at the message, not at its picture address, which may well lie on the
    // marketplace's own domain without making the message a product.
    PictureSplit split = splitPicture(productText);
    if (!hasMarketLink(split.text, hosts)) {
        if (groupPicture && ticked(relay::controls::kSendLinkless)) {
            // A monitored message without a link goes out as it came, with the group's picture.
            out.productText = split.text;
            out.wechatMessage = split.text;
            out.qqMessage = std::move(split.text);
            out.pictureUrl = std::move(split.pictureUrl);
            out.word = kTextMessage;
            return out;
        }
        out.productText = std::string(productText);
        return end(run, kNoProductLink, kNoLinkLine, true);
    }
    out.productText = std::move(split.text);
    const std::string groupPictureUrl = std::move(split.pictureUrl);
    LinkRecognition recognition(m_services);
    const LinkScanResult scan = groupPicture ? recognition.recognizeGroupMessage(out.productText, m_services.window)
                                             : recognition.recognizeLinks(out.productText);

    if (scan.itemId.empty())
        return end(run, kNoProductLink, "没有找到商品链接，请检查！", true);
    out.itemId = scan.itemId;

    // Duplicates are checked before the session, so a duplicate costs no request at all.
    if (ticked(controls::kFilterDuplicates) && m_filter.contains(scan.itemId))
        return end(run, kDuplicateItem, "此商品数据库中已存在，取消转化，已跳过！", false);

    if (m_hooks.loggedIn && !m_hooks.loggedIn())
        return end(run, kSessionLost, "阿里妈妈掉线啦！", true);

    // The item itself. Without a positive price the price conditions and the coupon ratio have nothing to
    // work with.
    const std::string itemPage = m_lookup.itemPageUrl(scan.itemId);
    const ItemInfo item = itemPage.empty() ? ItemInfo{} : m_lookup.searchItem(itemPage);
    if (item.price.empty() || numberOf(item.price) <= kTolerance || item.pictureUrl.empty())
        return end(run, kLookupFailed, {}, true);
    out.price = item.price;
    out.sales = item.sales;
    out.pictureUrl = item.pictureUrl;

    // The shop score only matters under the conditions, so the item page is read only then.
    if (run.conditions) {
        const std::string score = m_lookup.readShopScore(scan.itemId);
        if (numberOf(boxText(sending::controls::kMinShopScore)) - numberOf(score) > kTolerance)
            return end(run, kShopScoreBelow, "DSR低于群发条件，已跳过！【群发条件设置】", true);
    }

    // The shop coupon; the search's amount stands in when the coupon gave none.
    std::string couponAmount;
    std::string couponLink;
    if (!scan.activityId.empty()) {
        log.write("正在访问并获取优惠券信息...");
        const CouponInfo coupon = m_lookup.lookupCoupon(m_lookup.couponApiUrl(scan.activityId, scan.itemId));
        if (coupon.valid)
            couponAmount = coupon.amount;
        couponLink = couponPageLink(hosts, item.sellerId, scan.activityId);
    }
    if (couponAmount.empty())
        couponAmount = item.couponAmount;
    out.couponAmount = couponAmount;

    if (run.conditions &&
        numberOf(boxText(sending::controls::kMinCouponRatio)) / 100 - numberOf(couponAmount) / numberOf(item.price) >
            kTolerance)
        return end(run, kCouponRatioBelow, "券面值比例低于条件！", false);

    out.priceAfterCoupon = priceAfterCoupon(item.price, couponAmount);
    const std::string wechatTemplate = boxText(controls::kWechatTemplate);
    const std::string qqTemplate = boxText(controls::kQqTemplate);
    std::string superShortQuery;
    if (contains(wechatTemplate, kSuperShortLinkPlaceholder) || contains(qqTemplate, kSuperShortLinkPlaceholder)) {
        // The landing page reads the values as they stand.
        superShortQuery = "title=" + item.title + "&couponprice=" + out.priceAfterCoupon +
                          "&originalprice=" + item.price + "&describe=" + scan.copyText + "&coupon=" + couponAmount +
                          "&sold=" + item.sales + "&pic=" + item.pictureUrl;
    }

    if (run.conditions) {
        const std::string low = boxText(sending::controls::kMinPrice);
        if (!low.empty() && numberOf(low) - numberOf(out.priceAfterCoupon) > kTolerance)
            return end(run, kPriceBelow + low, "价格低于群发条件，已跳过！【群发条件设置】", true);
        const std::string high = boxText(sending::controls::kMaxPrice);
        if (!high.empty() && numberOf(out.priceAfterCoupon) - numberOf(high) > kTolerance)
            return end(run, kPriceAbove + high, "价格高于群发条件，已跳过！【群发条件设置】", true);
    }

    // Mall only applies whether or not the other conditions are ticked.
    if (run.sending && ticked(sending::controls::kMallOnly) && item.userType == "0")
        return end(run, kNotMallItem, "此单不是天猫商品，已跳过！【群发条件设置】", true);

    if (run.conditions && wholeNumber(item.sales) < wholeNumber(boxText(sending::controls::kMinSales)))
        return end(run, kSalesBelow, "月销量低于群发条件，已跳过！【群发条件设置】", true);

    // Plans; the manual area shows them.
    std::vector<CommissionPlan> plans = sortPlans(
        m_plans.queryPlans(scan.itemId, item.specialCampaign, item.eventRate, item.commissionRate, item.shopNick));
    if (!run.sending) {
        const bool zeroCoupon = !couponAmount.empty() && noCoupon(couponAmount);
        const bool couponFlag = !(scan.activityId.empty() && zeroCoupon && conditionsTicked);
        m_plans.markPlans(plans, scan.itemId, couponFlag);
        m_plans.showPlans(plans, out.priceAfterCoupon);
    }

    // The best plan's links: shop campaigns only with a coupon that gives a discount.
    log.write("自动排序获取最高佣金...");
    bool activity = true;
    if (noCoupon(couponAmount)) {
        log.write(noCoupon(item.couponAmount) ? "优惠券已失效，只转化单链接..." : "联盟有券转化...");
        activity = false;
    }
    LinkRequest request{.itemId = scan.itemId,
                        .activityId = scan.activityId,
                        .price = item.price,
                        .title = item.title,
                        .superShortQuery = superShortQuery,
                        .activity = activity,
                        .sending = run.sending};
    if (m_hooks.pidFor) {
        request.wechatPid = m_hooks.pidFor(slots::PidTarget::Wechat);
        request.qqPid = m_hooks.pidFor(slots::PidTarget::Qq);
    }
    const LinkResult links = m_plans.chooseAndLink(plans, request);
    out.authorizationRefused = links.sessionInvalid;
    if (!links.planMet && run.sending)
        return end(run, kCommissionBelow, {}, true);
    const std::string shareToken = serviceText(links.shareToken);
    const std::string shortLink = serviceText(links.shortLink);
    const std::string superShortLink = serviceText(links.superShortLink);

    // What the messages cannot do without.
    if (ticked(sending::controls::kSendWechat) && shareToken.empty())
        return end(run, kNoShareToken, "微信转换失败！", true);
    if (item.price.empty() && item.title.empty())
        return end(run, kNoItemInfo, "商品信息获取失败！", true);
    if (links.qqItemLink.empty() && shareToken.empty() && shortLink.empty() && superShortLink.empty())
        return end(run, kConversionFailed, "转换失败！", true);

    for (const std::string& keyword : keywords) {
        if (contains(item.title, keyword))
            return end(run, "标题包含关键词【" + keyword + "】，已过滤！",
                       "标题包含关键词【" + keyword + "】，已过滤！", false);
        if (contains(scan.copyText, keyword))
            return end(run, "文案包含关键词【" + keyword + "】，已过滤！",
                       "文案包含关键词【" + keyword + "】，已过滤！", false);
    }

    // The only place an item enters the duplicate filter: only a product that is going out.
    if (!m_filter.append(scan.itemId))
        log.write("过滤重复缓存写入失败：" + m_filter.file().string());
    log.write("模板匹配...");

    // A monitored message in group-picture mode keeps its own title line.
    std::string title = item.title;
    if (groupPicture && !scan.titleLine.empty())
        title = scan.titleLine;

    // Both messages, from the templates or from the product's own wording.
    const bool ownText = ticked(controls::kUseProductText) && (source == kSourceManual || source == kSourceMonitor);
    TemplateValues values{.title = title,
                          .copyText = scan.copyText,
                          .couponAmount = couponAmount,
                          .price = item.price,
                          .priceAfterCoupon = out.priceAfterCoupon,
                          .freeShipping = item.freeShipping,
                          .shareToken = shareToken,
                          .superShortLink = superShortLink,
                          .couponLink = couponLink,
                          .twoInOneLink = shortLink,
                          .itemLink = links.wechatItemLink,
                          .monthlySales = item.sales};
    out.wechatMessage = fillTemplate(ownText ? out.productText : wechatTemplate, values, m_services.clock);
    values.itemLink = links.qqItemLink;
    out.qqMessage = fillTemplate(ownText ? out.productText : qqTemplate, values, m_services.clock);

    // A copy line that is itself a share token says nothing about the product.
    std::string copyText = scan.copyText;
    if (copyText.empty() || countOf(copyText, kShareTokenFrame) >= 2)
        copyText = title;

    log.write("商品链转化完成！");
    out.record = "itemId=" + scan.itemId +
                 "|originUrl=" + hosts.url(web::role::kMarketItemHost, "/item.htm?id=" + scan.itemId, true) +
                 "|tbkUrl=" + shortLink + "|itemTitle=" + title + "|itemDescription=" + copyText +
                 "|tbCommand=" + shareToken;
    if (groupPicture && !groupPictureUrl.empty())
        out.pictureUrl = groupPictureUrl;
    out.word = kConverted;
    return out;
}

}  // namespace dealcast::conversion
