#include "settings/goods_list_file.h"

#include "settings/text_file.h"

#include <algorithm>

namespace dealcast::settings {
namespace {

constexpr std::string_view kFieldEnd = "&&";
constexpr std::string_view kRecordSeparator = "||\r\n";
constexpr std::string_view kRecordEnd = "&&||\r\n";

std::size_t countSeparators(std::string_view record)
{
    std::size_t count = 0;
    for (std::size_t pos = record.find(kFieldEnd); pos != std::string_view::npos;
         pos = record.find(kFieldEnd, pos + kFieldEnd.size()))
        ++count;
    return count;
}

std::vector<std::string> decodeRecord(std::string_view record, std::size_t columnCount)
{
    std::vector<std::string> row(std::max<std::size_t>(columnCount, 2));
    if (record.ends_with(kFieldEnd))
        record.remove_suffix(kFieldEnd.size());  // the always-empty position past the last column

    const std::size_t dataColumns = row.size() - 1;
    const std::size_t separators = countSeparators(record);
    if (separators >= dataColumns - 1) {
        // Every later column's field is taken from the right; whatever is left is column 1.
        for (std::size_t column = dataColumns; column >= 2; --column) {
            const std::size_t hit = record.rfind(kFieldEnd);
            row[column] = std::string(record.substr(hit + kFieldEnd.size()));
            record = record.substr(0, hit);
        }
        row[1] = std::string(record);
        return row;
    }
    std::size_t column = 1;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = record.find(kFieldEnd, pos);
        row[column++] = std::string(record.substr(pos, hit == std::string_view::npos ? hit : hit - pos));
        if (hit == std::string_view::npos)
            return row;
        pos = hit + kFieldEnd.size();
    }
}

}  // namespace

std::string GoodsListFile::encode(const ListRows& rows, std::size_t columnCount)
{
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r > 0)
            out.append(kRecordSeparator);
        for (std::size_t column = 1; column < columnCount; ++column) {
            if (column < rows[r].size())
                out.append(rows[r][column]);
            out.append(kFieldEnd);
        }
    }
    return out;
}

ListRows GoodsListFile::decode(std::string_view text, std::size_t columnCount)
{
    ListRows rows;
    std::size_t position = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t hit = text.find(kRecordEnd, pos);
        const std::size_t end = hit == std::string_view::npos ? text.size() : hit + kFieldEnd.size();
        const std::string_view record = text.substr(pos, end - pos);
        pos = hit == std::string_view::npos ? text.size() : hit + kRecordEnd.size();
        ++position;
        if (record.empty())
            continue;
        rows.push_back(decodeRecord(record, columnCount));
        rows.back()[0] = std::to_string(position);
    }
    return rows;
}

ListRows GoodsListFile::load(const std::filesystem::path& path, std::size_t columnCount)
{
    const auto text = readTextFile(path);
    return text ? decode(*text, columnCount) : ListRows{};
}

bool GoodsListFile::save(const std::filesystem::path& path, const ListRows& rows, std::size_t columnCount)
{
    return writeTextFile(path, encode(rows, columnCount));
}

}  // namespace dealcast::settings
