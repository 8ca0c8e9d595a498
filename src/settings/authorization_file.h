#pragma once

#include "settings/date_time_text.h"

#include <filesystem>
#include <optional>
#include <string>

namespace dealcast::settings {

struct Authorization {
    std::string accessToken;
    std::optional<DateTime> accessTime;  // local time of the grant; nullopt when missing or not readable
    std::string accessName;              // the authorized account's nick name
};

// The open-platform authorization, kept in a machine-wide folder: three sections "access_token",
// "access_time" and "access_name", each holding one key of its own name. The time is the date-time text
// ("2017年2月21日9时5分7秒").
class AuthorizationFile {
public:
    explicit AuthorizationFile(std::filesystem::path path)
        : m_path(std::move(path))
    {
    }

    const std::filesystem::path& path() const { return m_path; }

    Authorization load() const;
    // Writes all three keys; other content of the file is kept.
    bool save(const Authorization& authorization) const;

private:
    std::filesystem::path m_path;
};

}  // namespace dealcast::settings
