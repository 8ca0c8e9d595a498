#pragma once

#include "conversion/answer_checks.h"

#include <string>
#include <string_view>

namespace dealcast::platform {
class WindowModel;
}

namespace dealcast::conversion {

struct ConversionServices;

// The result of an operation whose input was empty, as opposed to "" for a request that gave nothing usable.
inline constexpr char kEmptyInput[] = "-1";

// Open-platform methods the token proxy runs for the program.
inline constexpr char kShareTokenMethod[] = "taobao.wireless.share.tpwd.create";
inline constexpr char kSpreadLinkMethod[] = "taobao.tbk.spread.get";
inline constexpr char kPrivilegeMethod[] = "taobao.tbk.privilege.get";
inline constexpr char kProxyPath[] = "/taobao/dock";

// The key the program identifies itself with to the third shortener's API.
inline constexpr char kShortlinkCSource[] = "2046813579";

// The share token and the two-in-one short link the affiliate back end makes for a promotion address.
struct PromotionLinks {
    std::string shareToken{};
    std::string shortLink{};
    bool operator==(const PromotionLinks&) const = default;
};

// Which shortener makes short links; the main window's three boxes act as one choice.
enum class Shortener { C, A, B };

// The box ticked first in the order C, A, B wins; with none ticked, B.
Shortener chosenShortener(const platform::WindowModel& window);
// Binds the three boxes so that ticking one unticks the other two.
void bindShortenerChoice(platform::WindowModel& window);

// The proxy call's form body.
std::string proxyBody(std::string_view method, std::string_view parameterJson, std::string_view sessionKey = {});
// The answer readers, without the network.
std::string shareTokenFromAnswer(std::string_view answer);
std::string spreadLinkFromAnswer(std::string_view answer);
std::string shortlinkCFromAnswer(std::string_view answer);
// A shortener's whole answer as a link: one line starting with "http" and holding no blank, else "".
std::string plainShortLink(std::string_view answer);

// Share tokens and short links from the token proxy, the affiliate back end's link conversion and the
// shorteners. Nothing throws: a skipped or failed request gives "", an empty input "-1". Each request is
// bounded by the HTTP client's time-outs and each answer by kMaxAnswerBytes.
class TokenServices {
public:
    explicit TokenServices(const ConversionServices& services);

    // The answer text of one proxy method call; "" when TOKEN_PROXY_HOST is unset or nothing came back.
    std::string proxyCall(std::string_view method, std::string_view parameterJson, std::string_view sessionKey = {});

    std::string createShareToken(std::string_view title, std::string_view url);
    std::string createSpreadLink(std::string_view url);
    PromotionLinks convertPromotionUrl(std::string_view siteId, std::string_view slotId, std::string_view url);
    // By the shortener chosen in the main window; no fall-back to another one.
    std::string shortenUrl(std::string_view url);
    std::string shortenUrl(std::string_view url, Shortener shortener);
    // The landing page of `query` on the start-up short-link host (else LANDING_HOST), shortened.
    std::string createSuperShortLink(std::string_view query);

private:
    std::string fetch(const std::string& url, std::string_view what);

    const ConversionServices& m_services;
    UnsetNotice m_unset;
};

}  // namespace dealcast::conversion
