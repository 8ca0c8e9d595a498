#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

namespace dealcast::web {
class HttpClient;
class Hosts;
}  // namespace dealcast::web

namespace dealcast::app {

// Values set once during start-up and read by many features, from any thread.
class StartupValues {
public:
    std::string publicIp() const;
    void setPublicIp(std::string ip);
    // Empty until the background fetch has finished, and when it failed.
    std::string shortLinkHost() const;
    void setShortLinkHost(std::string host);
    // True while the first automatic login after start runs.
    bool startupLogin() const { return m_startupLogin.load(); }
    void setStartupLogin(bool on) { m_startupLogin.store(on); }

private:
    mutable std::mutex m_mutex;
    std::string m_publicIp;
    std::string m_shortLinkHost;
    std::atomic<bool> m_startupLogin{false};
};

// The machine's public address from the IP lookup service, or the configured fallback text when the service
// is unset, unreachable or answers nothing usable.
std::string lookupPublicIp(const web::HttpClient& http, const web::Hosts& hosts);

// The short-link host named by the vendor's key list: the "<appkey>" of the last "<list>" block; empty when
// there is none.
std::string parseShortLinkHost(std::string_view appkeyXml);

}  // namespace dealcast::app
