#pragma once

#include "conversion/answer_checks.h"

#include <string>
#include <string_view>

namespace dealcast::conversion {

struct ConversionServices;

// What the affiliate item search tells about one item; every field is text as the platform returned it.
struct ItemInfo {
    std::string title{};
    std::string pictureUrl{};    // absolute, with the 480x480 picture suffix; empty when the item has none
    std::string freeShipping{};  // "包邮" or "不包邮"
    std::string couponAmount{};
    std::string price{};  // current price
    std::string sales{};  // sales of the last 30 days
    std::string commissionRate{};
    std::string commissionFee{};    // fee minus 0.5
    std::string specialCampaign{};  // "1" when the shop runs special campaigns for the item, else "0"
    std::string eventRate{};
    std::string daysLeft{};  // of the event; read only with an event rate
    std::string sellerId{};
    std::string userType{};  // "1" mall shop, "0" other
    std::string shopNick{};
    bool operator==(const ItemInfo&) const = default;
};

struct CouponInfo {
    std::string amount{};
    std::string endTime{};
    bool valid = false;
    bool operator==(const CouponInfo&) const = default;
};

inline constexpr char kFreeShipping[] = "包邮";
inline constexpr char kNoFreeShipping[] = "不包邮";

// The answer readers, without the network: what the lookups below make of an answer text.
//
// The first row of a search answer's "data.pageList"; every field empty (free shipping too) without one.
ItemInfo readSearchAnswer(std::string_view answer);
// A search picture as an absolute address with the 480x480 suffix; empty stays empty.
std::string pictureAddress(std::string_view pictUrl);
// The free-shipping word for the answer of the search restricted to free-shipping items.
std::string freeShippingWord(std::string_view answer);
// The coupon API's answer: valid only with "result.retStatus" "0".
CouponInfo readCouponAnswer(std::string_view answer);
// The shop score of an item page in either layout: the larger of the first two scores found; "" for none.
std::string shopScoreFromPage(std::string_view page);

// Item, coupon and shop lookups against the affiliate search, the coupon API and the item page. Each call is
// synchronous and bounded by the HTTP client's time-outs; failures give empty texts (an invalid coupon).
class ItemLookup {
public:
    explicit ItemLookup(const ConversionServices& services);

    // The item behind an item-page address, searched without session cookies, and whether it ships free.
    ItemInfo searchItem(std::string_view itemUrl);
    // The coupon behind a coupon API address; asked again with the session's cookies when the first answer is a
    // script challenge.
    CouponInfo lookupCoupon(std::string_view couponUrl);
    // The shop's rating score from the item's page; "" when none was found.
    std::string readShopScore(std::string_view itemId);

    // "http://" MARKET_ITEM_HOST "/item.htm?id=" + item id; "" when the host is unset.
    std::string itemPageUrl(std::string_view itemId) const;
    // "http://" COUPON_HOST "/cp/coupon?activityId=..&itemId=.."; "" when the host is unset.
    std::string couponApiUrl(std::string_view activityId, std::string_view itemId) const;

private:
    std::string fetch(const std::string& url, const std::string& headers, const std::string& cookie,
                      std::string_view what);

    const ConversionServices& m_services;
    UnsetNotice m_unset;
};

}  // namespace dealcast::conversion
