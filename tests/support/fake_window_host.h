#pragma once

#include "platform/window_host.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace dealcast::test {

// A desktop without windows: it remembers which windows are shown, records every show and hide, and hands
// out the browsers a test gave it. Safe to use from several threads.
class FakeWindowHost final : public platform::WindowHost {
public:
    struct Event {
        std::string window;  // the window's title
        bool shown = false;  // false: hidden
        bool modal = false;
        bool operator==(const Event&) const = default;
    };

    // The browser behind every browser control of windows with that title; nullptr takes it away.
    void setBrowser(const std::string& windowTitle, platform::Browser* browser);
    // The browser of windows without one of their own (none by default).
    void setDefaultBrowser(platform::Browser* browser);

    std::vector<Event> events() const;
    int showCount(const std::string& windowTitle) const;
    int hideCount(const std::string& windowTitle) const;
    std::vector<std::string> externalAddresses() const;

    void show(platform::WindowModel& window, bool modal = false) override;
    void hide(platform::WindowModel& window) override;
    bool isVisible(const platform::WindowModel& window) const override;
    platform::Browser* browser(platform::WindowModel& window, std::string_view control) override;
    void openExternal(std::string_view address) override;
    void forget(platform::WindowModel& window) override { hide(window); }

private:
    int count(const std::string& windowTitle, bool shown) const;

    mutable std::mutex m_mutex;
    std::set<const platform::WindowModel*> m_visible;
    std::map<std::string, platform::Browser*> m_browsers;
    platform::Browser* m_defaultBrowser = nullptr;
    std::vector<Event> m_events;
    std::vector<std::string> m_external;
};

}  // namespace dealcast::test
