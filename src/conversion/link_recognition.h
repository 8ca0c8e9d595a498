#pragma once

#include <string>
#include <string_view>

namespace dealcast::platform {
class WindowModel;
}
namespace dealcast::web {
class Hosts;
class HttpClient;
}  // namespace dealcast::web

namespace dealcast::conversion {

struct ConversionServices;

// Run-log lines of the callers: the text holds no marketplace address at all, or a scan found no item in it.
inline constexpr char kNoLinkMessage[] = "没有找到任何淘客或商品链接，请检查！";
inline constexpr char kNoItemMessage[] = "没有找到商品链接，请检查！";

// What a scan of a product text found; an absent value is the empty text.
struct LinkScanResult {
    std::string itemId{};
    // The shop coupon ("activity") that goes with the item.
    std::string activityId{};
    // The advertising line that accompanies the link.
    std::string copyText{};
    // Group messages only: the first non-empty line without "http".
    std::string titleLine{};
};

// The text between the first "key=" and the next "&" after it (case-sensitive). When that is empty (key
// absent, no "&" behind it, nothing between), the text after the first "key=" found regardless of letter case
// up to the end; empty when there is no "key=" at all. The key is a plain substring: "id" also matches in
// "pid=", and the first occurrence wins.
std::string queryValue(std::string_view text, std::string_view key);

// The user's choices for rewriting a monitored group message into a template.
struct GroupMessageOptions {
    // Replaced by `replacement` at every occurrence when not empty.
    std::string keyword{};
    std::string replacement{};
    // The first link line becomes "领券下单：[二合一短链]"; otherwise link lines are dropped.
    bool useTwoInOneLink = false;
};

// The options as the monitoring page of the main window holds them.
GroupMessageOptions groupMessageOptions(const platform::WindowModel& window);

// True when the text holds a marketplace or mall address at all (a domain suffix with its leading dot), the
// test made before any scan; an unset domain matches nothing.
bool hasMarketLink(std::string_view text, const web::Hosts& hosts);

// A product text may end in "imgurl=" and a picture address: the scans see only the text before it.
struct PictureSplit {
    std::string text{};
    std::string pictureUrl{};
};
PictureSplit splitPicture(std::string_view text);

// Finds the item, its shop coupon and its copy line in free text, resolving links that only redirect. Each
// resolution makes a fixed, small number of requests (no redirect is followed beyond them), so a link that
// redirects in a circle or a server that answers nonsense gives an empty item id, never a hang. A host or
// domain that is not configured means that kind of link is not recognised. Synchronous; safe to use from
// several threads at once.
class LinkRecognition {
public:
    LinkRecognition(const web::Hosts& hosts, const web::HttpClient& http);
    explicit LinkRecognition(const ConversionServices& services);

    // Item id, activity id and copy text of a pasted or queued product text (lines joined by "\r\n"). When
    // several lines qualify, the last one wins for each value.
    LinkScanResult recognizeLinks(std::string_view text) const;

    // As recognizeLinks for a monitored group message, which is rewritten in place into a message template:
    // its link line gives way to the two-in-one short link (or is dropped), its share token to "[淘口令]"
    // (or a token paragraph is appended). Also finds the title line.
    LinkScanResult recognizeGroupMessage(std::string& text, const GroupMessageOptions& options) const;
    LinkScanResult recognizeGroupMessage(std::string& text, const platform::WindowModel& window) const;

    // The item page address behind a link: unchanged when it already names an "id=", else found by following
    // a short link and the click-link redirect with at most three requests. Empty on failure. `trackText`,
    // when given, receives the affiliate track text of the last redirect.
    std::string resolveItemLink(std::string_view url, std::string* trackText = nullptr) const;

    // The Location of the first answer to a GET of the address, without following it; empty when absent.
    std::string followOneRedirect(std::string_view url) const;

    // The item id behind a coupon-landing click link ("edetail?e="), through the coupon API; empty on failure.
    std::string resolveCouponClickLink(std::string_view line) const;

private:
    struct Markers;

    Markers markers() const;
    // Item id of a coupon-landing line (a click link or one that names the item itself).
    std::string couponLandingItemId(std::string_view line) const;
    std::string itemIdOfLink(std::string_view url) const;

    const web::Hosts& m_hosts;
    const web::HttpClient& m_http;
};

}  // namespace dealcast::conversion
