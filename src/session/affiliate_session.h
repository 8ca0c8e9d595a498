#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::session {

// The token a cookie text carries: the text between "_tb_token_=" and the next ";", or everything after
// "_tb_token_=" when no ";" follows; blanks removed. "" when the cookie text has none.
std::string tokenFromCookie(std::string_view cookie);

// The logged-in affiliate platform user, one per process: the platform's cookie text and the anti-forgery
// token every call sends, the re-login guard and the open-platform application keys. Safe from any thread;
// cookie text and token are always replaced together, so no reader sees one without the other.
class AffiliateSession {
public:
    struct Credentials {
        std::string cookie;
        std::string token;
    };

    Credentials credentials() const;
    std::string cookie() const;
    std::string token() const;
    // A new cookie text with the token it carries (a login check or a keep-alive).
    void replace(std::string cookie, std::string token);
    // The cookie text after a platform call merged the answer's cookies into `sent`; the token stays. Dropped
    // when the session no longer holds `sent`: a login that replaced it meanwhile is newer than the call.
    void updateCookie(const std::string& sent, std::string cookie);

    // True from the start of a re-login until the login window is hidden again.
    bool reloginRunning() const { return m_relogin.load(); }
    // Sets the guard; false (and nothing changes) when a re-login already runs.
    bool beginRelogin();
    void endRelogin() { m_relogin.store(false); }

    // Each an app key, "|" and its app secret; empty until the first successful login fills it.
    std::vector<std::string> appKeys() const;
    void setAppKeys(std::vector<std::string> keys);

private:
    mutable std::mutex m_mutex;
    Credentials m_credentials;
    std::vector<std::string> m_appKeys;
    std::atomic<bool> m_relogin{false};
};

}  // namespace dealcast::session
