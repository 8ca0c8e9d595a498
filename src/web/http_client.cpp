#include "web/http_client.h"

#include "web/encoding.h"
#include "web/text.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <vector>

namespace dealcast::web {
namespace {

constexpr std::string_view kBrowserAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, "
                                           "like Gecko) Chrome/54.0.2840.87 Safari/537.36";
constexpr std::string_view kLegacyAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr int kMaxHops = 10;
constexpr std::size_t kUtf8SniffBytes = 500;
// An answer this large is not a page or a picture of the platform; refusing it keeps a broken or hostile
// peer from filling the memory before the time-out ends the transfer.
constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool containsNoCase(std::string_view text, std::string_view needle)
{
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [](char x, char y) { return lower(x) == lower(y); }) != text.end();
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

void ensureCurlInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One easy handle per thread: a worker's consecutive requests reuse its connections, TLS sessions and DNS
// answers. A nested request on the same thread (from the cancellation callback) gets a handle of its own.
class EasyLease {
public:
    EasyLease()
    {
        thread_local Slot slot;
        if (!slot.busy) {
            if (!slot.handle)
                slot.handle = curl_easy_init();
            if (slot.handle) {
                slot.busy = true;
                m_slot = &slot;
                m_handle = slot.handle;
            }
        } else {
            m_handle = curl_easy_init();
        }
    }
    ~EasyLease()
    {
        if (m_slot)
            m_slot->busy = false;
        else if (m_handle)
            curl_easy_cleanup(m_handle);
    }
    EasyLease(const EasyLease&) = delete;
    EasyLease& operator=(const EasyLease&) = delete;

    CURL* get() const { return m_handle; }

private:
    struct Slot {
        CURL* handle = nullptr;
        bool busy = false;
        ~Slot()
        {
            if (handle)
                curl_easy_cleanup(handle);
        }
    };

    Slot* m_slot = nullptr;
    CURL* m_handle = nullptr;
};

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

struct HeaderField {
    std::string name;
    std::string value;
};

// Setting a header that is already there replaces its value, so a caller's "Cookie:" line wins over the
// cookie text.
void setField(std::vector<HeaderField>& fields, std::string_view name, std::string_view value)
{
    for (auto& field : fields) {
        if (equalNoCase(field.name, name)) {
            field.value = std::string(value);
            return;
        }
    }
    fields.push_back({std::string(name), std::string(value)});
}

// Lines split at "\r\n"; name and value are the trimmed texts around the first ":". Lines without a name,
// and lines holding a stray CR or LF that would cut the request apart, are not sent.
std::vector<HeaderField> parseHeaderText(std::string_view text)
{
    std::vector<HeaderField> fields;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(pos, end - pos));
        pos = end + 2;
        const std::size_t colon = line.find(':');
        if (line.empty() || colon == std::string_view::npos || line.find_first_of("\r\n") != std::string_view::npos)
            continue;
        const std::string_view name = trim(line.substr(0, colon));
        if (!name.empty())
            setField(fields, name, trim(line.substr(colon + 1)));
    }
    return fields;
}

Slist buildHeaderList(const std::vector<HeaderField>& requestFields, const CookieJar& cookie, bool post)
{
    std::vector<HeaderField> fields;
    if (!cookie.empty())
        fields.push_back({"Cookie", cookie});
    for (const auto& field : requestFields)
        setField(fields, field.name, field.value);
    // Without this a large form would wait for a "100 Continue" that many servers never send.
    if (post && std::none_of(fields.begin(), fields.end(), [](const auto& f) { return equalNoCase(f.name, "Expect"); }))
        fields.push_back({"Expect", ""});

    curl_slist* list = nullptr;
    for (const auto& field : fields) {
        // "Name:" tells the library to leave that header out, which is what an empty Expect is for; "Name;"
        // sends a header with an empty value.
        std::string line = field.name;
        if (field.value.empty())
            line += equalNoCase(field.name, "Expect") ? ":" : ";";
        else
            line += ": " + field.value;
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown)
            break;
        list = grown;
    }
    return Slist(list);
}

// What one hop brought back.
struct Answer {
    std::string headers;
    std::string location;
    std::string body;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* answer = static_cast<Answer*>(user);
    const std::size_t n = size * count;
    if (answer->body.size() + n > kMaxBodyBytes)
        return 0;  // ends the transfer as a failure
    answer->body.append(data, n);
    return n;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* answer = static_cast<Answer*>(user);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    // A status line starts a new answer: the interim ones (100 Continue, a proxy's tunnel reply) are dropped.
    if (line.starts_with("HTTP/")) {
        answer->headers.clear();
        answer->location.clear();
    }
    if (trim(line).empty())
        return n;
    answer->headers.append(line);
    if (startsWithNoCase(line, "location:"))
        answer->location = std::string(trim(line.substr(9)));
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* cancelled = static_cast<const std::function<bool()>*>(user);
    return (*cancelled)() ? 1 : 0;
}

bool isRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isWebUrl(std::string_view url)
{
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

void updateCookie(CookieJar& cookie, std::string_view answerHeaders)
{
    std::string collected = collectCookies(answerHeaders);
    cookie = cookie.empty() ? std::move(collected) : mergeCookies(cookie, collected);
}

}  // namespace

std::string completeHeaders(std::string_view headers, std::string_view url, bool legacyAgent)
{
    std::string text(headers);
    auto lacks = [&text](std::string_view name) { return text.find(name) == std::string::npos; };
    if (text.empty())
        text = "Accept: */*";
    else if (lacks("Accept:"))
        text += "\r\nAccept: */*";
    if (lacks("Referer:")) {
        text += "\r\nReferer: ";
        text += url;
    }
    if (lacks("Accept-Language:"))
        text += "\r\nAccept-Language: zh-cn";
    if (lacks("User-Agent:")) {
        text += "\r\nUser-Agent: ";
        text += legacyAgent ? kLegacyAgent : kBrowserAgent;
    }
    if (lacks("Content-Type:"))
        text += "\r\nContent-Type: application/x-www-form-urlencoded";
    return text;
}

bool isUtf8Body(std::string_view body, std::string_view responseHeaders)
{
    return body.substr(0, kUtf8SniffBytes).find("utf") != std::string_view::npos ||
           containsNoCase(responseHeaders, "utf");
}

HttpClient::HttpClient(HttpOptions options)
    : m_options(std::move(options))
{
    ensureCurlInitialised();
}

HttpResponse HttpClient::request(const HttpRequest& request, CookieJar& cookie) const
{
    return perform(request, cookie, true);
}

HttpResponse HttpClient::requestBytes(const HttpRequest& request, CookieJar& cookie) const
{
    return perform(request, cookie, false);
}

std::string HttpClient::get(const std::string& url) const
{
    CookieJar none;
    return get(url, none);
}

std::string HttpClient::get(const std::string& url, CookieJar& cookie) const
{
    HttpRequest req;
    req.url = url;
    return perform(req, cookie, true).text;
}

std::string HttpClient::post(const std::string& url, const std::string& body, CookieJar& cookie,
                             const std::string& headers) const
{
    HttpRequest req;
    req.url = url;
    req.method = HttpMethod::Post;
    req.body = body;
    req.headers = headers;
    return perform(req, cookie, true).text;
}

HttpResponse HttpClient::couponPage(const std::string& url, CookieJar& cookie, const std::string& headers) const
{
    HttpRequest req;
    req.url = url;
    req.headers = headers;
    req.legacyAgent = true;
    return perform(req, cookie, true);
}

std::string HttpClient::probeRedirect(const std::string& url, HttpMethod method, const std::string& body) const
{
    HttpRequest req;
    req.url = url;
    req.method = method;
    req.body = body;
    req.noRedirect = true;
    req.legacyAgent = true;
    CookieJar none;
    return perform(req, none, false).allHeaders;
}

HttpResponse HttpClient::perform(const HttpRequest& request, CookieJar& cookie, bool decode) const
{
    HttpResponse response;
    response.sentHeaders = completeHeaders(request.headers, request.url, request.legacyAgent);
    const std::vector<HeaderField> fields = parseHeaderText(response.sentHeaders);
    const std::string& payload = request.bodyBytes.empty() ? request.body : request.bodyBytes;
    const bool cancellable = static_cast<bool>(m_options.cancelled);

    curl_slist* rules = nullptr;
    for (const auto& rule : m_options.connectTo) {
        curl_slist* grown = curl_slist_append(rules, rule.c_str());
        if (!grown)
            break;
        rules = grown;
    }
    const Slist connectTo(rules);

    EasyLease lease;
    CURL* curl = lease.get();
    std::string url = request.url;
    HttpMethod method = request.method;
    // The time-out covers every hop together; each hop gets what the earlier ones left.
    long remainingMs = std::max(1L, m_options.totalTimeoutMs);
    Answer answer;
    long status = 0;
    bool answered = false;
    for (int hop = 0; curl && remainingMs > 0 && !(cancellable && m_options.cancelled()); ++hop) {
        answer = Answer{};
        // Cookies set by an earlier hop go out with the next one, as a browser would send them.
        const Slist headerList = buildHeaderList(fields, cookie, method == HttpMethod::Post);

        // The handle keeps its connections across requests; everything else starts from scratch.
        curl_easy_reset(curl);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        // Callers search the header text for "Location: " and other names as the platform spells them; the
        // second protocol version would hand them over in lower case.
        curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::max(1L, m_options.connectTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, remainingMs);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, m_options.verifyCertificates ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, m_options.verifyCertificates ? 2L : 0L);
        // The bundle file is replaced, but the library's certificate folder still applies, so the system's
        // authorities stay trusted beside the extra one.
        if (!m_options.caFile.empty())
            curl_easy_setopt(curl, CURLOPT_CAINFO, m_options.caFile.c_str());
        if (connectTo)
            curl_easy_setopt(curl, CURLOPT_CONNECT_TO, connectTo.get());
        // An empty proxy text also keeps proxy settings of the environment out: the request goes direct.
        curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.get());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer);
        if (method == HttpMethod::Post) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.data());
        } else if (method == HttpMethod::Head) {
            curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        }
        if (cancellable) {
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
            curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_options.cancelled);
        }

        const CURLcode rc = curl_easy_perform(curl);
        curl_off_t elapsedUs = 0;
        curl_easy_getinfo(curl, CURLINFO_TOTAL_TIME_T, &elapsedUs);
        remainingMs -= static_cast<long>(elapsedUs / 1000) + 1;
        if (rc != CURLE_OK)
            break;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        updateCookie(cookie, answer.headers);

        char* target = nullptr;
        if (request.noRedirect || !isRedirect(status) || answer.location.empty() || hop + 1 >= kMaxHops ||
            curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &target) != CURLE_OK || !target || !isWebUrl(target)) {
            answered = true;
            break;
        }
        url = target;
        // A form answered by 303, or by 301/302 as browsers treat them, is followed by a plain GET.
        if (method == HttpMethod::Post && (status == 301 || status == 302 || status == 303))
            method = HttpMethod::Get;
    }

    if (!answered) {
        // No answer: the old cookies stay, tidied as an empty merge leaves them.
        updateCookie(cookie, {});
        return response;
    }
    response.status = static_cast<int>(status);
    if (decode)
        response.text = isUtf8Body(answer.body, answer.headers) ? sanitizeUtf8(answer.body) : gbkToUtf8(answer.body);
    response.bytes = std::move(answer.body);
    response.allHeaders = std::move(answer.headers);
    response.location = std::move(answer.location);
    return response;
}

}  // namespace dealcast::web
