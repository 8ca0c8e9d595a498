#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dealcast::slots {

// Which chosen slot a commission link is made for.
enum class PidTarget { Wechat, Qq };

// A promotion slot as a link request needs it: the guide's site id, the slot id and the whole PID
// "mm_<member>_<site>_<slot>". Ids are decimal texts, carried exactly whatever their size.
struct PidChoice {
    std::string siteId;
    std::string slotId;
    std::string pid;
    bool operator==(const PidChoice&) const = default;
};

// A PID typed by the user: split at "_", the third part is the site id and the fourth the slot id. Empty for
// a text that does not split into exactly four parts.
std::optional<PidChoice> parseManualPid(std::string_view text);

}  // namespace dealcast::slots
