#include "settings/wechat_group_file.h"

#include "settings/text_file.h"

namespace dealcast::settings {

std::string WechatGroupFile::encode(const ListRows& rows)
{
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            out.append("\r\n");
        if (rows[i].size() < 2)
            continue;
        for (char c : rows[i][1])
            out.push_back(c == '\r' || c == '\n' ? ' ' : c);
    }
    return out;
}

ListRows WechatGroupFile::decode(std::string_view text)
{
    ListRows rows;
    std::size_t position = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (end < text.size() && line.ends_with('\r'))
            line.remove_suffix(1);
        ++position;
        if (!line.empty())
            rows.push_back({std::to_string(position), std::string(line)});
        pos = next;
    }
    return rows;
}

ListRows WechatGroupFile::load(const std::filesystem::path& path)
{
    const auto text = readTextFile(path);
    return text ? decode(*text) : ListRows{};
}

bool WechatGroupFile::save(const std::filesystem::path& path, const ListRows& rows)
{
    return writeTextFile(path, encode(rows));
}

}  // namespace dealcast::settings
