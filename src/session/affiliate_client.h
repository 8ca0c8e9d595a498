#pragma once

#include "web/http_client.h"

#include <string>
#include <string_view>

namespace dealcast::platform {
class Clock;
}
namespace dealcast::web {
class Hosts;
}

namespace dealcast::session {

class AffiliateSession;

// The one form of every call to the affiliate platform's publisher back end: "http://" AFFILIATE_HOST + path,
// the session's cookie text sent and the answer's cookies merged back into the session. Callers build the
// query or form themselves with token(), stamp() and pvid(). Callable from any thread.
class AffiliateClient {
public:
    AffiliateClient(const web::HttpClient& http, const web::Hosts& hosts, AffiliateSession& session,
                    const platform::Clock& clock);

    // False when AFFILIATE_HOST is unset: every call then answers "" without a request.
    bool available() const;
    // "http://" AFFILIATE_HOST + pathAndQuery.
    std::string url(std::string_view pathAndQuery) const;

    // The answer text of a GET of url(pathAndQuery) with the session cookie in and out; "" on failure.
    std::string get(std::string_view pathAndQuery) const;
    // A form POST ("application/x-www-form-urlencoded") of `body`, the same way.
    std::string post(std::string_view pathAndQuery, std::string_view body) const;
    // As get/post with the full response (status, headers), for callers that need more than the text.
    web::HttpResponse request(const web::HttpRequest& request) const;

    // The session's token, for "_tb_token_=".
    std::string token() const;
    // The 13-digit millisecond time stamp, taken anew on each call.
    std::string stamp() const;
    // "<first>_<address>_<second>_<stamp>"; pass stamp "" for the forms that end in "_".
    static std::string pvid(std::string_view first, std::string_view address, std::string_view second,
                            std::string_view stamp);
    // A changing call succeeded when its answer says "ok":true.
    static bool succeeded(std::string_view answer);

    const web::HttpClient& http() const { return m_http; }
    const web::Hosts& hosts() const { return m_hosts; }
    AffiliateSession& session() const { return m_session; }
    const platform::Clock& clock() const { return m_clock; }

private:
    const web::HttpClient& m_http;
    const web::Hosts& m_hosts;
    AffiliateSession& m_session;
    const platform::Clock& m_clock;
};

}  // namespace dealcast::session
