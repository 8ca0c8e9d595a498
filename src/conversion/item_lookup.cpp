#include "conversion/item_lookup.h"

#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_services.h"
#include "session/affiliate_client.h"
#include "session/affiliate_session.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <vector>

namespace dealcast::conversion {
namespace {

// The coupon API answers the mobile page; a desktop agent gets the script challenge more often.
constexpr char kMobileAgent[] =
    "User-Agent: Mozilla/5.0 (iPhone; U; CPU iPhone OS 4_3_3 like Mac OS X; en-us) AppleWebKit/533.17.9 (KHTML, "
    "like Gecko) Version/5.0.2 Mobile/8J2 Safari/6533.18.5";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A map member that holds at least one entry; "{}" and "[]" are as good as none.
bool holdsEntries(std::string_view json)
{
    return !json.empty() && json != "{}" && json != "[]";
}

}  // namespace

ItemInfo readSearchAnswer(std::string_view answer)
{
    web::JsonReader json;
    if (!json.parse(answer) || json.count("data.pageList") == 0)
        return {};
    auto field = [&json](std::string_view name) { return json.getText("data.pageList[0]." + std::string(name)); };
    ItemInfo item;
    item.title = field("title");
    item.pictureUrl = pictureAddress(field("pictUrl"));
    item.couponAmount = field("couponAmount");
    item.price = field("zkPrice");
    item.sales = field("biz30day");
    item.commissionRate = field("tkRate");
    const std::string fee = field("tkCommFee");
    item.commissionFee = fee.empty() ? std::string() : decimalText(numberOf(fee) - 0.5);
    item.sellerId = field("sellerId");
    item.userType = field("userType");
    item.shopNick = field("nick");
    item.specialCampaign = holdsEntries(field("tkSpecialCampaignIdRateMap")) ? "1" : "0";
    item.eventRate = field("eventRate");
    if (!item.eventRate.empty())
        item.daysLeft = field("dayLeft");
    return item;
}

std::string pictureAddress(std::string_view pictUrl)
{
    const std::string_view url = web::trim(pictUrl);
    if (url.empty())
        return {};
    std::string out;
    // Scheme-relative addresses are the usual form; an address with a scheme of its own keeps it.
    if (url.starts_with("//"))
        out = "http:";
    else if (!url.starts_with("http:") && !url.starts_with("https:"))
        out = "http://";
    out.append(url);
    out.append("_480x480.jpg");
    return out;
}

std::string freeShippingWord(std::string_view answer)
{
    return answer.find("status\":\"NORESULT") != std::string_view::npos ? kNoFreeShipping : kFreeShipping;
}

CouponInfo readCouponAnswer(std::string_view answer)
{
    web::JsonReader json;
    if (!json.parse(answer) || json.getText("result.retStatus") != "0")
        return {};
    return {.amount = json.getText("result.amount"), .endTime = json.getText("result.effectiveEndTime"), .valid = true};
}

std::string shopScoreFromPage(std::string_view page)
{
    // The newer layout marks a shop rated above average and keeps its scores in the rating box; the older
    // one lists them in the shop's main information.
    const std::string block = page.find("tb-rate-higher") != std::string_view::npos
                                  ? web::between(page, "tb-shop-rate", "tb-shop-info-ft")
                                  : web::between(page, "main-info", "extra-info");
    std::vector<std::string> scores;
    for (std::size_t i = 0; i + 1 < block.size() && scores.size() < 2; ++i) {
        if (!isDigit(block[i]) || block[i + 1] != '.')
            continue;
        const std::size_t length = i + 2 < block.size() && isDigit(block[i + 2]) ? 3 : 2;
        scores.push_back(block.substr(i, length));
        i += length - 1;
    }
    if (scores.empty())
        return {};
    if (scores.size() == 2 && numberOf(scores[1]) > numberOf(scores[0]))
        return scores[1];
    return scores[0];
}

ItemLookup::ItemLookup(const ConversionServices& services)
    : m_services(services)
    , m_unset(services.log)
{
}

std::string ItemLookup::itemPageUrl(std::string_view itemId) const
{
    return m_services.hosts.url(web::role::kMarketItemHost, "/item.htm?id=" + std::string(itemId));
}

std::string ItemLookup::couponApiUrl(std::string_view activityId, std::string_view itemId) const
{
    return m_services.hosts.url(web::role::kCouponHost,
                                "/cp/coupon?activityId=" + std::string(activityId) + "&itemId=" + std::string(itemId));
}

std::string ItemLookup::fetch(const std::string& url, const std::string& headers, const std::string& cookie,
                              std::string_view what)
{
    web::CookieJar jar = cookie;
    const web::HttpResponse response = m_services.http.request({.url = url, .headers = headers}, jar);
    if (response.status == 0 || !usableAnswer(response.text, what, m_services.log))
        return {};
    return response.text;
}

ItemInfo ItemLookup::searchItem(std::string_view itemUrl)
{
    if (!m_services.hosts.isSet(web::role::kAffiliateHost)) {
        m_unset.report("searchItem", web::role::kAffiliateHost, "商品查询");
        return {};
    }
    const std::string address = m_services.values.publicIp();
    auto searchUrl = [&] {
        auto stamp = [this] { return web::timeStamp(m_services.clock); };
        return m_services.hosts.url(web::role::kAffiliateHost, "/items/search.json?q=" + web::urlEncode(itemUrl) +
                                                                   "&_t=" + stamp() +
                                                                   "&auctionTag=&perPageSize=40&shopTag=&t=" + stamp() +
                                                                   "&pvid=10_" + address + "_5859_" + stamp());
    };
    ItemInfo item = readSearchAnswer(fetch(searchUrl(), {}, {}, "商品查询"));
    item.freeShipping = freeShippingWord(fetch(searchUrl() + "&freeShipment=1", {}, {}, "包邮查询"));
    return item;
}

CouponInfo ItemLookup::lookupCoupon(std::string_view couponUrl)
{
    if (couponUrl.empty()) {
        m_unset.report("lookupCoupon", web::role::kCouponHost, "优惠券查询");
        return {};
    }
    const std::string url(couponUrl);
    std::string answer = fetch(url, kMobileAgent, {}, "优惠券查询");
    if (answer.find("String.fromCharCode") != std::string::npos) {
        // The challenge lets a logged-in visitor through. The session's cookies go out with the retry, but
        // what the coupon host sets stays out of the affiliate session.
        answer = fetch(url, kMobileAgent, m_services.affiliate.session().cookie(), "优惠券查询");
    }
    return readCouponAnswer(answer);
}

std::string ItemLookup::readShopScore(std::string_view itemId)
{
    const std::string url = itemPageUrl(itemId);
    if (url.empty()) {
        m_unset.report("readShopScore", web::role::kMarketItemHost, "店铺评分查询");
        return {};
    }
    return shopScoreFromPage(fetch(url, {}, {}, "店铺评分查询"));
}

}  // namespace dealcast::conversion
