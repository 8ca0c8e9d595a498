#include "support/scripted_browser.h"

namespace dealcast::test {

void ScriptedBrowser::setNotReadyChecks(int checks)
{
    std::lock_guard lock(m_mutex);
    m_notReadyChecks = checks;
}

void ScriptedBrowser::setNeverReady(bool never)
{
    std::lock_guard lock(m_mutex);
    m_neverReady = never;
}

void ScriptedBrowser::setElements(const std::string& address, std::set<std::string> ids)
{
    std::lock_guard lock(m_mutex);
    m_elements[address] = std::move(ids);
}

void ScriptedBrowser::setPressResult(const std::string& id, bool result)
{
    std::lock_guard lock(m_mutex);
    m_pressResults[id] = result;
}

void ScriptedBrowser::setCookies(const std::string& address, std::string cookies)
{
    std::lock_guard lock(m_mutex);
    m_cookies[address] = std::move(cookies);
}

void ScriptedBrowser::onPress(PressHook hook)
{
    std::lock_guard lock(m_mutex);
    m_onPress = std::move(hook);
}

void ScriptedBrowser::onClick(ClickHook hook)
{
    std::lock_guard lock(m_mutex);
    m_onClick = std::move(hook);
}

void ScriptedBrowser::onNavigate(NavigateHook hook)
{
    std::lock_guard lock(m_mutex);
    m_onNavigate = std::move(hook);
}

void ScriptedBrowser::moveTo(const std::string& address)
{
    NavigationHandler handler;
    {
        std::lock_guard lock(m_mutex);
        m_address = address;
        m_notReadyLeft = m_notReadyChecks;
        handler = m_navigationHandler;
    }
    if (handler)
        handler(address);
}

void ScriptedBrowser::arrive(const std::string& address)
{
    moveTo(address);
}

void ScriptedBrowser::navigate(std::string_view address)
{
    NavigateHook hook;
    {
        std::lock_guard lock(m_mutex);
        m_navigations.emplace_back(address);
        hook = m_onNavigate;
    }
    moveTo(std::string(address));
    if (hook)
        hook(std::string(address));
}

bool ScriptedBrowser::pageReady() const
{
    std::lock_guard lock(m_mutex);
    ++m_readyChecks;
    if (m_neverReady)
        return false;
    if (m_notReadyLeft > 0) {
        --m_notReadyLeft;
        return false;
    }
    return true;
}

bool ScriptedBrowser::waitUntilReady(std::int64_t)
{
    std::lock_guard lock(m_mutex);
    m_notReadyLeft = 0;
    return !m_neverReady;
}

std::string ScriptedBrowser::currentAddress() const
{
    std::lock_guard lock(m_mutex);
    return m_address;
}

void ScriptedBrowser::setNavigationHandler(NavigationHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_navigationHandler = std::move(handler);
}

void ScriptedBrowser::setUserAgent(std::string_view userAgent)
{
    std::lock_guard lock(m_mutex);
    m_userAgent = userAgent;
}

std::string ScriptedBrowser::userAgent() const
{
    std::lock_guard lock(m_mutex);
    return m_userAgent;
}

bool ScriptedBrowser::hasElementLocked(std::string_view id) const
{
    auto it = m_elements.find(m_address);
    if (it == m_elements.end())
        it = m_elements.find(std::string_view());
    return it != m_elements.end() && it->second.contains(std::string(id));
}

bool ScriptedBrowser::elementExists(std::string_view id)
{
    std::lock_guard lock(m_mutex);
    return hasElementLocked(id);
}

bool ScriptedBrowser::pressElement(std::string_view id)
{
    PressHook hook;
    bool result = false;
    {
        std::lock_guard lock(m_mutex);
        m_presses.emplace_back(id);
        const auto it = m_pressResults.find(id);
        result = it != m_pressResults.end() ? it->second : hasElementLocked(id);
        hook = m_onPress;
    }
    if (result && hook)
        hook(std::string(id));
    return result;
}

bool ScriptedBrowser::setFormField(std::string_view id, std::string_view value)
{
    std::lock_guard lock(m_mutex);
    const bool accepted = hasElementLocked(id);
    m_fields.push_back({std::string(id), std::string(value), accepted});
    return accepted;
}

void ScriptedBrowser::clickAt(int x, int y)
{
    ClickHook hook;
    {
        std::lock_guard lock(m_mutex);
        m_clicks.push_back({x, y});
        hook = m_onClick;
    }
    if (hook)
        hook(x, y);
}

std::string ScriptedBrowser::cookies(std::string_view address) const
{
    std::lock_guard lock(m_mutex);
    m_cookieRequests.emplace_back(address);
    auto it = m_cookies.find(address);
    if (it == m_cookies.end())
        it = m_cookies.find(std::string_view());
    return it != m_cookies.end() ? it->second : std::string();
}

std::vector<std::string> ScriptedBrowser::navigations() const
{
    std::lock_guard lock(m_mutex);
    return m_navigations;
}

std::vector<std::string> ScriptedBrowser::presses() const
{
    std::lock_guard lock(m_mutex);
    return m_presses;
}

std::vector<ScriptedBrowser::Field> ScriptedBrowser::fields() const
{
    std::lock_guard lock(m_mutex);
    return m_fields;
}

std::vector<ScriptedBrowser::Click> ScriptedBrowser::clicks() const
{
    std::lock_guard lock(m_mutex);
    return m_clicks;
}

std::vector<std::string> ScriptedBrowser::cookieRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_cookieRequests;
}

int ScriptedBrowser::readyChecks() const
{
    std::lock_guard lock(m_mutex);
    return m_readyChecks;
}

bool ScriptedBrowser::hasNavigationHandler() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<bool>(m_navigationHandler);
}

}  // namespace dealcast::test
