#include "session/affiliate_session.h"

#include <algorithm>

namespace dealcast::session {

std::string tokenFromCookie(std::string_view cookie)
{
    constexpr std::string_view kName = "_tb_token_=";
    const auto at = cookie.find(kName);
    if (at == std::string_view::npos)
        return {};
    std::string_view value = cookie.substr(at + kName.size());
    if (const auto end = value.find(';'); end != std::string_view::npos && end > 0)
        value = value.substr(0, end);
    else if (end == 0)
        value = {};
    std::string token(value);
    std::erase_if(token, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    return token;
}

AffiliateSession::Credentials AffiliateSession::credentials() const
{
    const std::lock_guard lock(m_mutex);
    return m_credentials;
}

std::string AffiliateSession::cookie() const
{
    const std::lock_guard lock(m_mutex);
    return m_credentials.cookie;
}

std::string AffiliateSession::token() const
{
    const std::lock_guard lock(m_mutex);
    return m_credentials.token;
}

void AffiliateSession::replace(std::string cookie, std::string token)
{
    const std::lock_guard lock(m_mutex);
    m_credentials = {std::move(cookie), std::move(token)};
}

void AffiliateSession::updateCookie(const std::string& sent, std::string cookie)
{
    const std::lock_guard lock(m_mutex);
    if (m_credentials.cookie == sent)
        m_credentials.cookie = std::move(cookie);
}

bool AffiliateSession::beginRelogin()
{
    bool expected = false;
    return m_relogin.compare_exchange_strong(expected, true);
}

std::vector<std::string> AffiliateSession::appKeys() const
{
    const std::lock_guard lock(m_mutex);
    return m_appKeys;
}

void AffiliateSession::setAppKeys(std::vector<std::string> keys)
{
    const std::lock_guard lock(m_mutex);
    m_appKeys = std::move(keys);
}

}  // namespace dealcast::session
