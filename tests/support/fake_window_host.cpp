#include "support/fake_window_host.h"

#include "platform/window_model.h"

#include <algorithm>

namespace dealcast::test {

void FakeWindowHost::setBrowser(const std::string& windowTitle, platform::Browser* browser)
{
    std::lock_guard lock(m_mutex);
    m_browsers[windowTitle] = browser;
}

void FakeWindowHost::setDefaultBrowser(platform::Browser* browser)
{
    std::lock_guard lock(m_mutex);
    m_defaultBrowser = browser;
}

std::vector<FakeWindowHost::Event> FakeWindowHost::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

int FakeWindowHost::count(const std::string& windowTitle, bool shown) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_events.begin(), m_events.end(),
                                          [&](const Event& e) { return e.window == windowTitle && e.shown == shown; }));
}

int FakeWindowHost::showCount(const std::string& windowTitle) const
{
    return count(windowTitle, true);
}

int FakeWindowHost::hideCount(const std::string& windowTitle) const
{
    return count(windowTitle, false);
}

std::vector<std::string> FakeWindowHost::externalAddresses() const
{
    std::lock_guard lock(m_mutex);
    return m_external;
}

void FakeWindowHost::show(platform::WindowModel& window, bool modal)
{
    std::lock_guard lock(m_mutex);
    m_visible.insert(&window);
    m_events.push_back({window.title(), true, modal});
}

void FakeWindowHost::hide(platform::WindowModel& window)
{
    std::lock_guard lock(m_mutex);
    m_visible.erase(&window);
    m_events.push_back({window.title(), false, false});
}

bool FakeWindowHost::isVisible(const platform::WindowModel& window) const
{
    std::lock_guard lock(m_mutex);
    return m_visible.contains(&window);
}

platform::Browser* FakeWindowHost::browser(platform::WindowModel& window, std::string_view)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_browsers.find(window.title());
    return it != m_browsers.end() ? it->second : m_defaultBrowser;
}

void FakeWindowHost::openExternal(std::string_view address)
{
    std::lock_guard lock(m_mutex);
    m_external.emplace_back(address);
}

}  // namespace dealcast::test
