#pragma once

#include "platform/browser.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace dealcast::test {

// An embedded page whose behaviour a test scripts: readiness after each navigation, which element ids a page
// has, what pressing them does, and the cookies it holds. It records everything asked of it. Safe to use from
// several threads; the hooks run on the calling thread with no lock held, so they may script the browser.
class ScriptedBrowser final : public platform::Browser {
public:
    struct Field {
        std::string id;
        std::string value;
        bool accepted = false;  // the page had such a field
    };
    struct Click {
        int x = 0;
        int y = 0;
        bool operator==(const Click&) const = default;
    };

    // What pressElement(), clickAt() and navigate() do besides being recorded.
    using PressHook = std::function<void(const std::string& id)>;
    using ClickHook = std::function<void(int x, int y)>;
    using NavigateHook = std::function<void(const std::string& address)>;

    // --- scripting ---
    // After each navigation the page reports not ready for this many pageReady() calls (0, the default:
    // ready at once). A page that should never get ready: setNeverReady(true).
    void setNotReadyChecks(int checks);
    void setNeverReady(bool never);
    // Element ids of the page at `address`; the ids under "" serve every address without an entry.
    void setElements(const std::string& address, std::set<std::string> ids);
    // What pressing `id` answers; without an entry, whether the element exists.
    void setPressResult(const std::string& id, bool result);
    // The cookies for `address`; those under "" serve every address without an entry.
    void setCookies(const std::string& address, std::string cookies);
    void onPress(PressHook hook);
    void onClick(ClickHook hook);
    void onNavigate(NavigateHook hook);
    // The page moves to `address` by itself (a redirect): current address, readiness and navigation handler
    // as for navigate(), without recording it as a navigation of the program's.
    void arrive(const std::string& address);

    // --- records ---
    std::vector<std::string> navigations() const;
    std::vector<std::string> presses() const;
    std::vector<Field> fields() const;
    std::vector<Click> clicks() const;
    std::vector<std::string> cookieRequests() const;
    int readyChecks() const;
    bool hasNavigationHandler() const;

    // --- platform::Browser ---
    void navigate(std::string_view address) override;
    bool pageReady() const override;
    bool waitUntilReady(std::int64_t timeoutMs) override;
    std::string currentAddress() const override;
    void setNavigationHandler(NavigationHandler handler) override;
    void setUserAgent(std::string_view userAgent) override;
    std::string userAgent() const override;
    bool elementExists(std::string_view id) override;
    bool pressElement(std::string_view id) override;
    bool setFormField(std::string_view id, std::string_view value) override;
    void clickAt(int x, int y) override;
    std::string cookies(std::string_view address) const override;

private:
    void moveTo(const std::string& address);
    bool hasElementLocked(std::string_view id) const;

    mutable std::mutex m_mutex;
    int m_notReadyChecks = 0;
    bool m_neverReady = false;
    mutable int m_notReadyLeft = 0;
    mutable int m_readyChecks = 0;
    std::string m_address;
    std::string m_userAgent;
    std::map<std::string, std::set<std::string>, std::less<>> m_elements;
    std::map<std::string, bool, std::less<>> m_pressResults;
    std::map<std::string, std::string, std::less<>> m_cookies;
    NavigationHandler m_navigationHandler;
    PressHook m_onPress;
    ClickHook m_onClick;
    NavigateHook m_onNavigate;

    std::vector<std::string> m_navigations;
    std::vector<std::string> m_presses;
    std::vector<Field> m_fields;
    std::vector<Click> m_clicks;
    mutable std::vector<std::string> m_cookieRequests;
};

}  // namespace dealcast::test
