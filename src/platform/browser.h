#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace dealcast::platform {

// An embedded web page that the login and authorization windows drive as a user would. Every call may come
// from any thread; the desktop carries it out on its UI thread. Calls that ask the page something wait for its
// answer for a bounded time and give the negative answer when it does not come.
class Browser {
public:
    using NavigationHandler = std::function<void(const std::string& address)>;

    virtual ~Browser() = default;

    // Starts loading `address`; pageReady() is false until it has loaded.
    virtual void navigate(std::string_view address) = 0;
    // True once the page last navigated to (by a call or by the page itself) has finished loading.
    virtual bool pageReady() const = 0;
    // Waits until the page is ready; false when `timeoutMs` passes first.
    virtual bool waitUntilReady(std::int64_t timeoutMs) = 0;
    virtual std::string currentAddress() const = 0;
    // Called on the UI thread with the new address each time the page's address changes.
    virtual void setNavigationHandler(NavigationHandler handler) = 0;

    virtual void setUserAgent(std::string_view userAgent) = 0;
    virtual std::string userAgent() const = 0;

    virtual bool elementExists(std::string_view id) = 0;
    // Clicks the element with that id; false when there is none.
    virtual bool pressElement(std::string_view id) = 0;
    // Sets the value of the form field with that id; false when there is none.
    virtual bool setFormField(std::string_view id, std::string_view value) = 0;
    // A left click at client coordinates of the page.
    virtual void clickAt(int x, int y) = 0;

    // The cookies the page would send to `address`, HttpOnly ones included, as "a=1; b=2".
    virtual std::string cookies(std::string_view address) const = 0;
};

}  // namespace dealcast::platform
