#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dealcast::platform {
class Clock;
class WindowModel;
}  // namespace dealcast::platform
namespace dealcast::web {
class Hosts;
class HttpClient;
}  // namespace dealcast::web
namespace dealcast::session {
class AffiliateClient;
}
namespace dealcast::app {
class RunLog;
class StartupValues;
}  // namespace dealcast::app

namespace dealcast::conversion {

// What every step of a conversion reaches: the outside services, the session, the run log and the main
// window whose controls hold the user's choices. Owned by the program; copied by reference into workers.
struct ConversionServices {
    const platform::Clock& clock;
    const web::Hosts& hosts;
    // For calls without the session's cookies (searches, coupon pages, shorteners, the token proxy).
    const web::HttpClient& http;
    // For calls with the session's cookies and token.
    const session::AffiliateClient& affiliate;
    app::RunLog& log;
    platform::WindowModel& window;
    // Public address and short-link host found at start-up.
    const app::StartupValues& values;
    // The open-platform access token ("" when not authorized) and the application keys ("key|secret").
    std::function<std::string()> accessToken;
    std::function<std::vector<std::string>()> appKeys;
};

}  // namespace dealcast::conversion
