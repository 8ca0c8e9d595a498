#include "slots/pid_choice.h"

#include <vector>

namespace dealcast::slots {

std::optional<PidChoice> parseManualPid(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find('_', start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            break;
        start = at + 1;
    }
    if (parts.size() != 4)
        return std::nullopt;
    return PidChoice{std::string(parts[2]), std::string(parts[3]), std::string(text)};
}

}  // namespace dealcast::slots
