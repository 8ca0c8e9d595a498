#include "settings/authorization_file.h"

#include "settings/ini_file.h"

#include <string_view>

namespace dealcast::settings {
namespace {

constexpr std::string_view kToken = "access_token";
constexpr std::string_view kTime = "access_time";
constexpr std::string_view kName = "access_name";

}  // namespace

Authorization AuthorizationFile::load() const
{
    const IniFile ini = IniFile::load(m_path);
    Authorization authorization;
    authorization.accessToken = ini.value(kToken, kToken);
    authorization.accessTime = parseDateTime(ini.value(kTime, kTime));
    authorization.accessName = ini.value(kName, kName);
    return authorization;
}

bool AuthorizationFile::save(const Authorization& authorization) const
{
    IniFile ini = IniFile::load(m_path);
    ini.setValue(kName, kName, authorization.accessName);
    ini.setValue(kToken, kToken, authorization.accessToken);
    ini.setValue(kTime, kTime, authorization.accessTime ? formatDateTime(*authorization.accessTime) : "");
    return ini.save(m_path);
}

}  // namespace dealcast::settings
