#include "web/cookie_jar.h"

#include <algorithm>
#include <vector>

namespace dealcast::web {
namespace {

constexpr std::string_view kSetCookie = "set-cookie:";

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of `lowerNeedle` in `text`, ignoring the letter case of `text`.
std::size_t findNoCase(std::string_view text, std::string_view lowerNeedle, std::size_t from)
{
    if (lowerNeedle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + lowerNeedle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < lowerNeedle.size() && lower(text[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return i;
    }
    return std::string_view::npos;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Removes every blank, then splits at ";" and drops the empty pieces.
std::vector<std::string> blanklessPieces(std::string_view text)
{
    std::vector<std::string> pieces;
    std::string current;
    for (char c : text) {
        if (isBlank(c))
            continue;
        if (c == ';') {
            if (!current.empty())
                pieces.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        pieces.push_back(std::move(current));
    return pieces;
}

std::string_view nameOf(std::string_view piece)
{
    return piece.substr(0, piece.find('='));
}

std::string_view valueOf(std::string_view piece)
{
    const std::size_t eq = piece.find('=');
    return eq == std::string_view::npos ? std::string_view{} : piece.substr(eq + 1);
}

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string join(const std::vector<std::string>& pieces)
{
    std::string out;
    for (const auto& piece : pieces) {
        if (!out.empty())
            out += "; ";
        out += piece;
    }
    return out;
}

}  // namespace

std::string collectCookies(std::string_view headers)
{
    std::string joined;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = findNoCase(headers, kSetCookie, pos);
        if (hit == std::string_view::npos)
            break;
        const std::size_t start = hit + kSetCookie.size();
        std::size_t lineEnd = headers.find_first_of("\r\n", start);
        if (lineEnd == std::string_view::npos)
            lineEnd = headers.size();
        // The pair ends at the first ";" of its own line. A cookie sent without attributes has none and
        // ends with its line: searching on would swallow the next header into its value.
        const std::size_t semi = headers.find(';', start);
        std::string piece;
        if (semi != std::string_view::npos && semi < lineEnd) {
            piece = std::string(headers.substr(start, semi + 1 - start));
            pos = semi + 1;
        } else {
            piece = std::string(headers.substr(start, lineEnd - start)) + ";";
            pos = lineEnd;
        }
        const std::size_t first = piece.find_first_not_of(" \t");
        piece.erase(0, std::min(first, piece.size()));
        if (endsWith(piece, "=deleted;") || endsWith(piece, "=DELETED;") || endsWith(piece, "=Deleted;"))
            continue;
        joined += piece;
    }

    // Last value wins per name; walking backwards lists the names in reverse order of their last appearance.
    const std::vector<std::string> pieces = blanklessPieces(joined);
    std::vector<std::string> kept;
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        const std::string_view name = nameOf(*it);
        const bool seen =
            std::any_of(kept.begin(), kept.end(), [&](const std::string& k) { return nameOf(k) == name; });
        if (!seen)
            kept.push_back(*it);
    }
    return join(kept);
}

std::string mergeCookies(std::string_view oldText, std::string_view newText)
{
    std::vector<std::string> all = blanklessPieces(newText);
    const std::size_t newCount = all.size();
    for (auto& piece : blanklessPieces(oldText)) {
        const std::string_view name = nameOf(piece);
        if (name.empty() || valueOf(piece).empty())
            continue;
        const bool setAnew = std::any_of(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(newCount),
                                         [&](const std::string& p) { return nameOf(p) == name; });
        if (!setAnew)
            all.push_back(std::move(piece));
    }

    std::vector<std::string> kept;
    for (auto& piece : all) {
        if (endsWith(piece, "=deleted"))
            continue;
        if (std::find(kept.begin(), kept.end(), piece) == kept.end())
            kept.push_back(std::move(piece));
    }
    return join(kept);
}

}  // namespace dealcast::web
