#pragma once

#include <string_view>

namespace dealcast::sandbox {

// Host names of the simulated services, all under the reserved ".test" domain. Services that stand in for one
// outside party share a parent domain, so domain suffixes and cookies work as they do outside.
namespace names {

// Publisher back end, login pages, media page and open-platform authorize page of the affiliate platform.
inline constexpr std::string_view kAffiliate = "affiliate.sandbox.test";
// The marketplace and the mall; their domain suffixes are ".market.sandbox.test" and ".mall.sandbox.test".
inline constexpr std::string_view kMarketDomain = ".market.sandbox.test";
inline constexpr std::string_view kMallDomain = ".mall.sandbox.test";
inline constexpr std::string_view kMarketItem = "item.market.sandbox.test";
inline constexpr std::string_view kMallItem = "detail.mall.sandbox.test";
inline constexpr std::string_view kCoupon = "coupon.market.sandbox.test";        // COUPON_HOST: landing + API
inline constexpr std::string_view kCouponPage = "page.market.sandbox.test";      // COUPON_PAGE_HOST
inline constexpr std::string_view kShopCoupon = "shop.m.market.sandbox.test";    // SHOP_COUPON_HOST
inline constexpr std::string_view kClick = "click.market.sandbox.test";          // CLICK_HOST
// Token proxy of the product's operator and the landing page of its super short links.
inline constexpr std::string_view kTokenProxy = "proxy.sandbox.test";
inline constexpr std::string_view kLanding = "landing.sandbox.test";
// The three URL shorteners; the third has a separate API host.
inline constexpr std::string_view kShortlinkA = "a.short.sandbox.test";
inline constexpr std::string_view kShortlinkB = "b.short.sandbox.test";
inline constexpr std::string_view kShortlinkC = "c.short.sandbox.test";
inline constexpr std::string_view kShortlinkCApi = "api.c.short.sandbox.test";

}  // namespace names

}  // namespace dealcast::sandbox
