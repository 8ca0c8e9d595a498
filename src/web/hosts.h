#pragma once

#include "web/http_client.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::web {

// Names under which every feature finds the outside services it talks to. Paths, query keys and answers are
// fixed by the features; only these values are configuration.
namespace role {
// Marketplace and affiliate platform.
inline constexpr std::string_view kMarketDomain = "MARKET_DOMAIN";  // with its leading dot
inline constexpr std::string_view kMallDomain = "MALL_DOMAIN";      // with its leading dot
inline constexpr std::string_view kMarketItemHost = "MARKET_ITEM_HOST";
inline constexpr std::string_view kMallItemHost = "MALL_ITEM_HOST";
inline constexpr std::string_view kCouponHost = "COUPON_HOST";
inline constexpr std::string_view kCouponPageHost = "COUPON_PAGE_HOST";
inline constexpr std::string_view kShopCouponHost = "SHOP_COUPON_HOST";
inline constexpr std::string_view kClickHost = "CLICK_HOST";
inline constexpr std::string_view kAffiliateHost = "AFFILIATE_HOST";
inline constexpr std::string_view kAffiliateDomain = "AFFILIATE_DOMAIN";
inline constexpr std::string_view kLoginHost = "LOGIN_HOST";
inline constexpr std::string_view kMediaHost = "MEDIA_HOST";
inline constexpr std::string_view kOauthHost = "OAUTH_HOST";
// Other public services; the third shortener has a short-link host and an API host.
inline constexpr std::string_view kIpLookupHost = "IP_LOOKUP_HOST";
inline constexpr std::string_view kShortlinkCHost = "SHORTLINK_C_HOST";
inline constexpr std::string_view kShortlinkCApiHost = "SHORTLINK_C_API_HOST";
inline constexpr std::string_view kShortlinkAHost = "SHORTLINK_A_HOST";
inline constexpr std::string_view kShortlinkBHost = "SHORTLINK_B_HOST";
// Services of the product's own operator: unset until the user's hosts file names them.
inline constexpr std::string_view kUpdateHost = "UPDATE_HOST";
inline constexpr std::string_view kVendorHost = "VENDOR_HOST";
inline constexpr std::string_view kTutorialHost = "TUTORIAL_HOST";
inline constexpr std::string_view kCloudLibraryHost = "CLOUD_LIBRARY_HOST";
inline constexpr std::string_view kTokenProxyHost = "TOKEN_PROXY_HOST";
inline constexpr std::string_view kLandingHost = "LANDING_HOST";
inline constexpr std::string_view kPicksHost = "PICKS_HOST";
inline constexpr std::string_view kFollowServer = "FOLLOW_SERVER";
// Fixed dotted IPv4 texts.
inline constexpr std::string_view kPvidAddressList = "PVID_ADDRESS_LIST";
inline constexpr std::string_view kPvidAddressCreate = "PVID_ADDRESS_CREATE";
inline constexpr std::string_view kIpFallback = "IP_FALLBACK";
// TCP ports on which the robot plug-in and the follow-send server listen.
inline constexpr std::string_view kRobotPort = "ROBOT_PORT";
inline constexpr std::string_view kFollowPort = "FOLLOW_PORT";
}  // namespace role

// The values behind every role, read from the file "hosts.ini" beside the program:
//
//     # comment            ; comment too
//     UPDATE_HOST=update.example.org
//     LANDING_HOST=                      (an empty value unsets a role)
//     [sandbox]
//     CONNECT_TO=127.0.0.1:8080          every http:// name on port 80 goes here
//     TLS_CONNECT_TO=127.0.0.1:8443      every https:// name on port 443 goes here
//     CA_FILE=/path/to/ca.pem            trusted besides the system's certificates
//
// The [sandbox] part routes the program to a local simulation of its outside services without touching any
// system file; certificates stay verified against the given CA.
class Hosts {
public:
    struct SandboxRoute {
        std::string connectTo;     // "127.0.0.1:<port>" for plain HTTP, empty for none
        std::string tlsConnectTo;  // "127.0.0.1:<port>" for HTTPS, empty for none
        std::string caFile;
    };

    // Every role with its default value.
    Hosts();

    // The defaults overridden by the file. An absent file gives the defaults without a problem; lines that are
    // not understood (unknown names, malformed lines, bad ports or addresses) are skipped and described, one
    // Chinese line each, in `problems`. Accepts UTF-8 (with or without a byte order mark) and GBK.
    static Hosts load(const std::filesystem::path& path, std::vector<std::string>* problems = nullptr);
    // As load, from the file's bytes; `fileName` names the source in the problem lines.
    static Hosts parse(std::string_view bytes, std::string_view fileName = "hosts.ini",
                       std::vector<std::string>* problems = nullptr);

    // Every role name, in a stable order.
    static const std::vector<std::string_view>& roles();
    static bool isRole(std::string_view role);

    // "" when the role is unset or not a role.
    std::string get(std::string_view role) const;
    bool isSet(std::string_view role) const;
    // An empty value unsets the role. A domain role gets its leading dot when the value lacks it. Names that
    // are not roles are ignored.
    void set(std::string_view role, std::string_view value);
    // A port role's number, or the port a host value names after ":"; 0 when there is none.
    int port(std::string_view role) const;
    // "http://" (or "https://") + host + path; "" when the role is unset.
    std::string url(std::string_view role, std::string_view path, bool https = false) const;

    // The one run-log line a feature writes when it skips its work for want of a host:
    // "未配置 UPDATE_HOST，跳过检查更新".
    static std::string unsetMessage(std::string_view role, std::string_view skipped = "此功能");

    const SandboxRoute& sandbox() const { return m_sandbox; }
    void setSandbox(SandboxRoute route) { m_sandbox = std::move(route); }
    // Request options that carry the [sandbox] routing and CA; plain defaults without it.
    HttpOptions httpOptions() const;
    // The same routing as an embedded browser's host-resolver rules; "" without a [sandbox] part.
    std::string browserResolverRules() const;

    // The file text that load() reads back into these values.
    std::string toText() const;

private:
    std::map<std::string, std::string, std::less<>> m_values;
    SandboxRoute m_sandbox;
};

}  // namespace dealcast::web
