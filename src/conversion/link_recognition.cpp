#include "conversion/link_recognition.h"

#include "conversion/conversion_services.h"
#include "platform/check_box.h"
#include "platform/edit_box.h"
#include "platform/window_model.h"
#include "relay/relay_controls.h"
#include "web/encoding.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace dealcast::conversion {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kYuan = "￥";
constexpr std::string_view kTwoInOnePlaceholder = "[二合一短链]";
constexpr std::string_view kTokenPlaceholder = "[淘口令]";
constexpr std::string_view kTwoInOneLine = "领券下单：[二合一短链]";
constexpr std::string_view kTokenParagraph = "\r\n【淘口令:[淘口令]】\r\n复制这条信息，打开手机淘宝即可领券购买";
constexpr std::string_view kRecommendLabel = "【推荐理由】";
constexpr std::string_view kPictureMarker = "imgurl=";
// Links shorter than this are short links that first redirect to the click link.
constexpr std::size_t kShortLinkLength = 60;
// Item ids are decimal numbers of a few digits; anything else in a server's answer is not an item.
constexpr std::size_t kMaxItemIdLength = 24;

bool contains(std::string_view text, std::string_view needle)
{
    return !needle.empty() && text.find(needle) != std::string_view::npos;
}

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || needle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < needle.size() && same; ++j)
            same = lower(text[i + j]) == lower(needle[j]);
        if (same)
            return i;
    }
    return std::string_view::npos;
}

std::size_t countOf(std::string_view text, std::string_view needle)
{
    std::size_t count = 0;
    for (std::size_t pos = text.find(needle); pos != std::string_view::npos;
         pos = text.find(needle, pos + needle.size()))
        ++count;
    return count;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    std::string out;
    std::size_t start = 0;
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, start)) {
        out.append(text, start, pos - start);
        out.append(to);
        start = pos + from.size();
    }
    if (start == 0)
        return;
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

std::string removeBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t')
            out += c;
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t pos = text.find(kLineBreak); pos != std::string_view::npos; pos = text.find(kLineBreak, start)) {
        lines.push_back(text.substr(start, pos - start));
        start = pos + kLineBreak.size();
    }
    lines.push_back(text.substr(start));
    return lines;
}

// Pasted ids sometimes carry a remark after a blank: only the part before it is the id.
std::string cleanActivityId(std::string_view id)
{
    return removeBlanks(id.substr(0, id.find(' ')));
}

std::string activityIdOf(std::string_view text)
{
    std::string id = queryValue(text, "activityId");
    if (id.empty())
        id = queryValue(text, "activity_id");
    return cleanActivityId(id);
}

// The address on a line: from its first "http" (any case) on, blanks removed. A line without "http" is taken
// whole, as a pasted address without its scheme.
std::string addressOnLine(std::string_view line)
{
    const std::size_t pos = findNoCase(line, "http");
    return pos == std::string_view::npos ? removeBlanks(line) : "http" + removeBlanks(line.substr(pos + 4));
}

bool isItemId(std::string_view id)
{
    return !id.empty() && id.size() <= kMaxItemIdLength &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A redirect target goes into the next request's headers: it must be one header line.
bool isHeaderSafe(std::string_view value)
{
    return value.find_first_of("\r\n") == std::string_view::npos;
}

std::string bareDomain(const web::Hosts& hosts, std::string_view role)
{
    const std::string value = hosts.get(role);
    return value.starts_with('.') ? value.substr(1) : value;
}

std::string cookieValue(std::string_view cookies, std::string_view name)
{
    std::size_t start = 0;
    while (start <= cookies.size()) {
        std::size_t end = cookies.find(';', start);
        if (end == std::string_view::npos)
            end = cookies.size();
        const std::string_view piece = web::trim(cookies.substr(start, end - start));
        const std::size_t eq = piece.find('=');
        if (eq != std::string_view::npos && web::trim(piece.substr(0, eq)) == name)
            return removeBlanks(piece.substr(eq + 1));
        start = end + 1;
    }
    return {};
}

}  // namespace

struct LinkRecognition::Markers {
    std::string bareMarket;
    std::string bareMall;
    std::string shopCoupon;
    std::string couponPrefix;
    std::string click;
    std::string shortLinkPrefix;

    bool onMarketplace(std::string_view line) const { return contains(line, bareMarket) || contains(line, bareMall); }
};

std::string queryValue(std::string_view text, std::string_view key)
{
    const std::string pattern = std::string(key) + "=";
    if (const std::size_t pos = text.find(pattern); pos != std::string_view::npos) {
        const std::size_t start = pos + pattern.size();
        const std::size_t end = text.find('&', start);
        if (end != std::string_view::npos && end > start)
            return std::string(text.substr(start, end - start));
    }
    const std::size_t pos = findNoCase(text, pattern);
    return pos == std::string_view::npos ? std::string() : std::string(text.substr(pos + pattern.size()));
}

GroupMessageOptions groupMessageOptions(const platform::WindowModel& window)
{
    GroupMessageOptions options;
    if (const auto* box = window.find<platform::EditBox>(relay::controls::kKeyword))
        options.keyword = box->text();
    if (const auto* box = window.find<platform::EditBox>(relay::controls::kReplacement))
        options.replacement = box->text();
    if (const auto* box = window.find<platform::CheckBox>(relay::controls::kUseTwoInOneLink))
        options.useTwoInOneLink = box->checked();
    return options;
}

bool hasMarketLink(std::string_view text, const web::Hosts& hosts)
{
    return contains(text, hosts.get(web::role::kMarketDomain)) || contains(text, hosts.get(web::role::kMallDomain));
}

PictureSplit splitPicture(std::string_view text)
{
    const std::size_t pos = text.find(kPictureMarker);
    if (pos == std::string_view::npos)
        return {std::string(text), {}};
    return {std::string(text.substr(0, pos)), std::string(text.substr(pos + kPictureMarker.size()))};
}

LinkRecognition::LinkRecognition(const web::Hosts& hosts, const web::HttpClient& http)
    : m_hosts(hosts)
    , m_http(http)
{
}

LinkRecognition::LinkRecognition(const ConversionServices& services)
    : LinkRecognition(services.hosts, services.http)
{
}

LinkRecognition::Markers LinkRecognition::markers() const
{
    Markers m;
    m.bareMarket = bareDomain(m_hosts, web::role::kMarketDomain);
    m.bareMall = bareDomain(m_hosts, web::role::kMallDomain);
    m.shopCoupon = m_hosts.get(web::role::kShopCouponHost);
    if (const std::string coupon = m_hosts.get(web::role::kCouponHost); !coupon.empty())
        m.couponPrefix = coupon.substr(0, coupon.find('.')) + ".";
    m.click = m_hosts.get(web::role::kClickHost);
    if (const std::string shortHost = m_hosts.get(web::role::kShortlinkCHost); !shortHost.empty())
        m.shortLinkPrefix = "http://" + shortHost + "/";
    return m;
}

std::string LinkRecognition::couponLandingItemId(std::string_view line) const
{
    return contains(line, "edetail?e=") ? resolveCouponClickLink(line) : queryValue(line, "itemId");
}

std::string LinkRecognition::itemIdOfLink(std::string_view url) const
{
    const std::string resolved = resolveItemLink(url);
    return resolved.empty() ? std::string() : queryValue(resolved, "id");
}

LinkScanResult LinkRecognition::recognizeLinks(std::string_view text) const
{
    const Markers m = markers();
    const std::vector<std::string_view> lines = splitLines(text);
    LinkScanResult result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (contains(line, "activity"))
            result.activityId = activityIdOf(line);
        if (!m.onMarketplace(line) || contains(line, m.shopCoupon))
            continue;

        if (!contains(line, m.couponPrefix))
            result.itemId = itemIdOfLink(addressOnLine(line));
        else
            result.itemId = couponLandingItemId(line);

        if (i + 1 < lines.size()) {
            // A second link right under this one (the coupon under the item, say): the copy comes after it.
            std::string copy;
            if (!contains(lines[i + 1], m.bareMarket))
                copy = lines[i + 1];
            else if (i + 2 < lines.size())
                copy = lines[i + 2];
            // The label is the group's own heading, not part of the copy.
            replaceAll(copy, kRecommendLabel, "");
            result.copyText = std::move(copy);
        }
    }
    return result;
}

LinkScanResult LinkRecognition::recognizeGroupMessage(std::string& text, const GroupMessageOptions& options) const
{
    if (!options.keyword.empty())
        replaceAll(text, options.keyword, options.replacement);

    const Markers m = markers();
    // The lines as they were before any rewriting; the rewriting below works on `text`.
    const std::string original = text;
    const std::vector<std::string_view> lines = splitLines(original);
    LinkScanResult result;

    const std::string_view last = lines.back();
    if (!last.empty() && !contains(last, "http") && countOf(last, kYuan) < 2)
        result.copyText = std::string(last);

    for (const std::string_view line : lines) {
        if (result.titleLine.empty() && !line.empty() && !contains(line, "http"))
            result.titleLine = std::string(line);
        if (contains(line, "activity")) {
            result.activityId = activityIdOf(line);
            replaceAll(text, std::string(kLineBreak) + std::string(line), "");
        }
        if (!m.onMarketplace(line) || contains(line, m.shopCoupon))
            continue;

        if (!contains(line, m.couponPrefix)) {
            const std::string url = addressOnLine(line);
            bool done = false;
            if (contains(url, m.click) || contains(url, m.shortLinkPrefix)) {
                const std::string location = followOneRedirect(url);
                if (contains(location, "activity")) {
                    result.itemId = queryValue(location, "itemId");
                    result.activityId = activityIdOf(location);
                    done = true;
                }
            }
            if (!done)
                result.itemId = itemIdOfLink(url);
        } else {
            result.itemId = couponLandingItemId(line);
        }

        if (!contains(text, kTwoInOnePlaceholder)) {
            if (options.useTwoInOneLink)
                replaceAll(text, line, kTwoInOneLine);
            else
                replaceAll(text, std::string(line) + std::string(kLineBreak), "");
        }
        const std::size_t tokens = countOf(text, kYuan);
        if (tokens < 2 && !contains(text, kTokenPlaceholder)) {
            text += kTokenParagraph;
        } else if (tokens >= 2) {
            const std::size_t first = text.find(kYuan);
            const std::size_t second = text.find(kYuan, first + kYuan.size());
            const std::string token = text.substr(first, second + kYuan.size() - first);
            replaceAll(text, token, kTokenPlaceholder);
        }
    }
    return result;
}

LinkScanResult LinkRecognition::recognizeGroupMessage(std::string& text, const platform::WindowModel& window) const
{
    return recognizeGroupMessage(text, groupMessageOptions(window));
}

std::string LinkRecognition::resolveItemLink(std::string_view url, std::string* trackText) const
{
    if (trackText != nullptr)
        trackText->clear();
    if (contains(url, "id="))
        return std::string(url);

    // Cookie-less and without following redirects: each answer's Location is the next step.
    const auto locationOf = [this](const std::string& address, const std::string& headers = {}) {
        web::HttpRequest request;
        request.url = address;
        request.headers = headers;
        request.noRedirect = true;
        web::CookieJar none;
        std::string location = m_http.request(request, none).location;
        return isHeaderSafe(location) ? location : std::string();
    };

    std::string address(url);
    if (address.size() < kShortLinkLength) {
        address = locationOf(address);
        if (address.empty())
            return {};
    }
    const std::string jump = locationOf(address);
    if (jump.empty())
        return {};

    std::string et;
    if (const std::size_t pos = findNoCase(jump, "et%3D"); pos != std::string::npos)
        et = jump.substr(pos + 5);
    replaceAll(et, "%25", "%");
    const std::string target = locationOf(address + "&ref=&et=" + et, "Referer: " + jump);

    const std::size_t idPos = target.find("id=");
    if (idPos == std::string::npos)
        return {};
    const std::size_t idStart = idPos + 3;
    const std::string itemId = target.substr(idStart, target.find('&', idStart) - idStart);
    if (!isItemId(itemId))
        return {};
    if (trackText != nullptr)
        *trackText = web::between(target, "ali_trackid=2:", ":");

    const bool mall = contains(target, bareDomain(m_hosts, web::role::kMallDomain));
    return m_hosts.url(mall ? web::role::kMallItemHost : web::role::kMarketItemHost, "/item.htm?id=" + itemId, true);
}

std::string LinkRecognition::followOneRedirect(std::string_view url) const
{
    const std::string headers = m_http.probeRedirect(std::string(url));
    for (const std::string_view line : splitLines(headers)) {
        constexpr std::string_view kName = "location:";
        if (line.size() >= kName.size() && findNoCase(line.substr(0, kName.size()), kName) == 0)
            return std::string(web::trim(line.substr(kName.size())));
    }
    return {};
}

std::string LinkRecognition::resolveCouponClickLink(std::string_view line) const
{
    const std::string couponHost = m_hosts.get(web::role::kCouponHost);
    if (couponHost.empty())
        return {};
    const std::string pid = removeBlanks(queryValue(line, "pid"));
    const std::string e = removeBlanks(queryValue(line, "e"));

    // The landing page hands out the "ctoken" cookie that the coupon API asks for.
    web::CookieJar cookies;
    web::HttpRequest landing;
    landing.url = addressOnLine(line);
    m_http.request(landing, cookies);
    const std::string ctoken = cookieValue(cookies, "ctoken");

    web::HttpRequest api;
    api.url = "https://" + couponHost + "/cp/coupon?ctoken=" + ctoken + "&e=" + e + "&pid=" + pid + "&itemId=&af=1";
    const std::string body = web::sanitizeUtf8(m_http.requestBytes(api, cookies).bytes);
    if (!contains(body, "success\":true,"))
        return {};
    web::JsonReader json;
    if (!json.parse(body))
        return {};
    const std::string itemId = json.getText("result.item.itemId");
    return isItemId(itemId) ? itemId : std::string();
}

}  // namespace dealcast::conversion
