#include "web/text.h"

#include "platform/clock.h"
#include "web/encoding.h"

#include <chrono>

namespace dealcast::web {
namespace {

constexpr std::string_view kQuoteMarker = "#引号";

std::string expandQuoteMarker(std::string_view delimiter)
{
    std::string out;
    out.reserve(delimiter.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = delimiter.find(kQuoteMarker, pos);
        if (hit == std::string_view::npos) {
            out.append(delimiter.substr(pos));
            return out;
        }
        out.append(delimiter.substr(pos, hit - pos));
        out.push_back('"');
        pos = hit + kQuoteMarker.size();
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isSafe(unsigned char c)
{
    return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string between(std::string_view text, std::string_view start, std::string_view end)
{
    const std::string s = expandQuoteMarker(start);
    const std::string e = expandQuoteMarker(end);
    const std::size_t a = text.find(s);
    if (a == std::string_view::npos)
        return {};
    const std::size_t from = a + s.size();
    const std::size_t b = text.find(e, from);
    if (b == std::string_view::npos)
        return {};
    return std::string(text.substr(from, b - from));
}

std::string urlEncode(std::string_view text, bool keepSafe, bool toUtf8)
{
    if (text.empty())
        return {};
    const std::string bytes = toUtf8 ? std::string(text) : utf8ToGbk(text);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (keepSafe && isSafe(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

std::string urlDecode(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                bytes.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        bytes.push_back(text[i]);
    }
    return sanitizeUtf8(bytes);
}

std::string timeStamp(const platform::Clock& clock, bool secondsOnly)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(clock.now().time_since_epoch()).count();
    std::string digits = std::to_string(ms);
    if (secondsOnly && digits.size() > 3)
        digits.resize(digits.size() - 3);
    return digits;
}

std::string_view trim(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t a = text.find_first_not_of(kBlanks);
    if (a == std::string_view::npos)
        return {};
    const std::size_t b = text.find_last_not_of(kBlanks);
    return text.substr(a, b - a + 1);
}

}  // namespace dealcast::web
