#include "sandbox/marketplace_catalog.h"

#include "sandbox/sandbox_names.h"

#include <cstdint>

namespace dealcast::sandbox {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";

std::uint64_t fingerprint(std::string_view text)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string code(std::string_view seed, int length)
{
    std::uint64_t hash = fingerprint(seed);
    std::string out;
    for (int i = 0; i < length; ++i) {
        out.push_back(kAlphabet[hash % (sizeof kAlphabet - 1)]);
        hash = hash / (sizeof kAlphabet - 1) + fingerprint(out) * (i + 1);
    }
    return out;
}

std::vector<CatalogItem> seed()
{
    std::vector<CatalogItem> items;

    CatalogItem tee{.id = std::string(MarketplaceCatalog::kCouponItem),
                    .title = "夏季纯棉短袖T恤男宽松圆领半袖",
                    .price = "59.9",
                    .sales = "3520",
                    .couponAmount = "20",
                    .rate = "20.5",
                    .commissionFee = "8.18",
                    .sellerId = "2200100001",
                    .nick = "棉麻小铺",
                    .coupon = CatalogCoupon{.activityId = "a1b2c3d4e5f60718",
                                            .amount = "20",
                                            .endTime = "2024-12-31 23:59:59",
                                            .clickCode = "Tee20OffE1"}};
    tee.plans = {{.campaignId = "31001", .name = "棉麻小铺高佣定向", .keeperId = "2200100001", .commissionRate = "30"},
                 {.campaignId = "31002",
                  .name = "棉麻小铺招商团长计划",
                  .keeperId = "2200100001",
                  .commissionRate = "45",
                  .manualReview = true,
                  .applyAnswer = ApplyAnswer::AlreadyApplied}};
    items.push_back(std::move(tee));

    items.push_back({.id = std::string(MarketplaceCatalog::kMallEventItem),
                     .title = "智能保温杯316不锈钢大容量男女",
                     .price = "89",
                     .sales = "12876",
                     .couponAmount = "10",
                     .rate = "12",
                     .commissionFee = "9.48",
                     .sellerId = "2200200002",
                     .mall = true,
                     .nick = "暖杯旗舰店",
                     .eventRate = "25.5",
                     .dayLeft = "12",
                     .layout = ScoreLayout::Older,
                     .scores = {"4.7", "4.6"},
                     .coupon = CatalogCoupon{.activityId = "b2c3d4e5f6071829",
                                             .amount = "10",
                                             .endTime = "2024-11-30 23:59:59",
                                             .clickCode = "Cup10OffE2"}});

    items.push_back({.id = std::string(MarketplaceCatalog::kExpiredCouponItem),
                     .title = "加厚抽纸家用实惠装整箱",
                     .price = "19.9",
                     .sales = "98012",
                     .couponAmount = "5",
                     .rate = "8",
                     .commissionFee = "1.19",
                     .sellerId = "2200300003",
                     .nick = "纸品日用百货",
                     .freeShipping = false,
                     .layout = ScoreLayout::Older,
                     .scores = {"4.5", "4.6"},
                     .coupon = CatalogCoupon{.activityId = "c3d4e5f607182930",
                                             .amount = "5",
                                             .endTime = "2023-01-31 23:59:59",
                                             .state = CouponState::Invalid,
                                             .clickCode = "Tissue5E3"}});

    CatalogItem shoes{.id = std::string(MarketplaceCatalog::kChallengeItem),
                      .title = "透气跑步鞋男轻便减震运动鞋",
                      .price = "129",
                      .sales = "856",
                      .couponAmount = "30",
                      .rate = "15",
                      .commissionFee = "14.85",
                      .sellerId = "2200400004",
                      .nick = "疾风运动专营",
                      .coupon = CatalogCoupon{.activityId = "d4e5f60718293041",
                                              .amount = "30",
                                              .endTime = "2024-10-31 23:59:59",
                                              .state = CouponState::Challenge,
                                              .clickCode = "Shoe30E4"}};
    shoes.plans = {{.campaignId = "34001",
                    .name = "疾风运动定向计划",
                    .keeperId = "2200400004",
                    .commissionRate = "25",
                    .joined = true}};
    items.push_back(std::move(shoes));

    CatalogItem lamp{.id = std::string(MarketplaceCatalog::kEqualRatesItem),
                     .title = "LED护眼台灯学生宿舍充电",
                     .price = "45",
                     .sales = "2301",
                     .couponAmount = "",
                     .rate = "20",
                     .commissionFee = "4.5",
                     .sellerId = "2200500005",
                     .nick = "光明灯饰",
                     .scores = {"4.9", "4.8"}};
    lamp.plans = {{.campaignId = "35001", .name = "光明灯饰定向一", .keeperId = "2200500005", .commissionRate = "20.5"},
                  {.campaignId = "35002",
                   .name = "光明灯饰定向二",
                   .keeperId = "2200500005",
                   .commissionRate = "20.5",
                   .underReview = true,
                   .applyAnswer = ApplyAnswer::Refuse}};
    items.push_back(std::move(lamp));

    items.push_back({.id = std::string(MarketplaceCatalog::kPlainItem),
                     .title = "手机支架桌面懒人支架",
                     .price = "9.9",
                     .sales = "45003",
                     .couponAmount = "",
                     .rate = "6",
                     .commissionFee = "0.59",
                     .sellerId = "2200600006",
                     .mall = true,
                     .nick = "数码配件官方店",
                     .freeShipping = false});
    return items;
}

}  // namespace

MarketplaceCatalog::MarketplaceCatalog()
{
    for (auto& item : seed())
        m_items[item.id] = std::move(item);
}

std::optional<CatalogItem> MarketplaceCatalog::item(std::string_view id) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_items.find(id);
    if (it == m_items.end())
        return std::nullopt;
    return it->second;
}

std::vector<CatalogItem> MarketplaceCatalog::items() const
{
    std::lock_guard lock(m_mutex);
    std::vector<CatalogItem> out;
    for (const auto& [id, item] : m_items)
        out.push_back(item);
    return out;
}

void MarketplaceCatalog::put(CatalogItem item)
{
    std::lock_guard lock(m_mutex);
    m_items[item.id] = std::move(item);
}

std::optional<CatalogItem> MarketplaceCatalog::itemByClickCode(std::string_view code) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& [id, item] : m_items) {
        if (item.coupon && !code.empty() && item.coupon->clickCode == code)
            return item;
    }
    return std::nullopt;
}

bool MarketplaceCatalog::updatePlan(std::string_view itemId, std::string_view campaignId, const CatalogPlan& plan)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_items.find(itemId);
    if (it == m_items.end())
        return false;
    for (auto& existing : it->second.plans) {
        if (existing.campaignId == campaignId) {
            existing = plan;
            return true;
        }
    }
    return false;
}

std::string MarketplaceCatalog::shortLink(std::string_view host, std::string_view target)
{
    std::lock_guard lock(m_mutex);
    const std::string key = std::string(host) + " " + std::string(target);
    auto it = m_shortCodes.find(key);
    if (it == m_shortCodes.end()) {
        const std::string made = code(key, 6) + std::to_string(m_nextCode++);
        it = m_shortCodes.emplace(key, made).first;
        m_shortTargets[std::string(host) + "/" + made] = std::string(target);
    }
    return "http://" + std::string(host) + "/" + it->second;
}

std::string MarketplaceCatalog::shortTarget(std::string_view host, std::string_view code) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_shortTargets.find(std::string(host) + "/" + std::string(code));
    return it == m_shortTargets.end() ? std::string() : it->second;
}

std::string MarketplaceCatalog::shareToken(std::string_view seed)
{
    return "￥" + code(seed, 11) + "￥";
}

std::string MarketplaceCatalog::clickUrl(std::string_view itemId, std::string_view slotId)
{
    return "https://" + std::string(names::kClick) +
           "/p?e=" + code(std::string(itemId) + "/" + std::string(slotId), 24) + "&adzone=" + std::string(slotId);
}

}  // namespace dealcast::sandbox
