#pragma once

#include "web/cookie_jar.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::web {

struct HttpOptions {
    long connectTimeoutMs = 10000;
    // Bounds the whole request, redirects included.
    long totalTimeoutMs = 30000;
    // Off only for users behind an intercepting proxy whose certificate the system does not trust.
    bool verifyCertificates = true;
    // Polled during a transfer; returning true abandons it, so a stopped worker does not sit in a download.
    std::function<bool()> cancelled;
    // Connection rules "HOST:PORT:CONNECT-HOST:CONNECT-PORT" (HOST empty for every name): the request still
    // names the original host (Host header, certificate check) but its connection goes to the given endpoint.
    std::vector<std::string> connectTo;
    // A PEM file of extra certificate authorities to trust; empty for the system's set alone.
    std::string caFile;
};

enum class HttpMethod { Get, Post, Head };

struct HttpRequest {
    std::string url{};
    HttpMethod method = HttpMethod::Get;
    // Sent on POST: `bodyBytes` when it is not empty, else `body`.
    std::string body{};
    std::string bodyBytes{};
    // Extra header lines, "Name: value" joined by "\r\n"; completed with the defaults before sending.
    std::string headers{};
    bool noRedirect = false;
    // Named proxy ("host:port"); empty means a direct connection.
    std::string proxy{};
    // The older browser agent that the coupon-page request and the redirect probe default to.
    bool legacyAgent = false;
};

struct HttpResponse {
    // Body as program text (UTF-8); left empty by requestBytes.
    std::string text;
    // Body bytes as received.
    std::string bytes;
    // Status line and header lines of the final answer, each ending in "\r\n".
    std::string allHeaders;
    // Value of the final answer's "Location" header, as sent.
    std::string location;
    // The completed header text that went out with the request.
    std::string sentHeaders;
    // 0 when no answer arrived (unreachable host, refused connection, time-out, cancellation).
    int status = 0;
};

// The caller's header text with the defaults the platform's pages expect appended, each only when the text
// lacks that header name (compared case-sensitively): Accept, Referer (the request URL), Accept-Language,
// User-Agent and Content-Type.
std::string completeHeaders(std::string_view headers, std::string_view url, bool legacyAgent = false);

// True when a body is to be read as UTF-8: the bytes "utf" occur within its first 500 bytes, or the answer's
// headers contain "UTF" in any letter case. Other bodies are GBK.
bool isUtf8Body(std::string_view body, std::string_view responseHeaders);

// The request routine for every web exchange. Synchronous and callable from any thread at once; each thread
// keeps its own connection for reuse. Failures are values: empty outputs and status 0, never an exception.
// Cookies are the caller's text alone: the answer's cookies (of every redirect hop) are merged into it and
// it is sent again on each hop.
class HttpClient {
public:
    explicit HttpClient(HttpOptions options = {});

    HttpResponse request(const HttpRequest& request, CookieJar& cookie) const;
    // As request, with the body left undecoded in `bytes` (pictures, downloads).
    HttpResponse requestBytes(const HttpRequest& request, CookieJar& cookie) const;

    // Body text of a GET or a form POST with the default headers.
    std::string get(const std::string& url) const;
    std::string get(const std::string& url, CookieJar& cookie) const;
    std::string post(const std::string& url, const std::string& body, CookieJar& cookie,
                     const std::string& headers = {}) const;

    // The coupon page as the older browser agent asks for it; the caller usually passes its own agent.
    HttpResponse couponPage(const std::string& url, CookieJar& cookie, const std::string& headers = {}) const;

    // One answer without following it, as raw header text (status line included), from which the caller
    // reads the "Location: " line. Sends no cookies.
    std::string probeRedirect(const std::string& url, HttpMethod method = HttpMethod::Get,
                              const std::string& body = {}) const;

private:
    HttpResponse perform(const HttpRequest& request, CookieJar& cookie, bool decode) const;

    HttpOptions m_options;
};

}  // namespace dealcast::web
