#include "web/json_reader.h"

#include "web/encoding.h"

#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dealcast::web {
namespace {

// Insertion-ordered, so a document reads and prints back in the order of its text.
using Json = nlohmann::ordered_json;

// ---------------------------------------------------------------------------------------------------------------
// Numbers and serialisation

// The shortest text that reads back as the same double, laid out as a script engine prints numbers: plain
// digits from 1e-7 up to below 1e21, exponent form ("1e+21", "1.5e-7") outside that range.
void appendDouble(std::string& out, double x)
{
    if (std::isnan(x)) {
        out += "NaN";
        return;
    }
    if (x < 0) {
        out += '-';
        x = -x;
    }
    if (std::isinf(x)) {
        out += "Infinity";
        return;
    }
    if (x == 0) {
        if (!out.empty() && out.back() == '-')
            out.pop_back();  // -0 prints as 0
        out += '0';
        return;
    }
    std::array<char, 40> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific);
    const std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const auto ePos = sci.find('e');
    std::string digits;
    digits.reserve(17);
    for (const char c : sci.substr(0, ePos))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::string_view expText = sci.substr(ePos + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    const int k = static_cast<int>(digits.size());
    const int n = exponent + 1;  // position of the decimal point relative to the digits
    if (k <= n && n <= 21) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, 0, static_cast<std::size_t>(n));
        out += '.';
        out.append(digits, static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-n), '0');
        out += digits;
    } else {
        out += digits[0];
        if (k > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += n - 1 < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(n - 1));
    }
}

template <class Int> void appendInteger(std::string& out, Int value)
{
    std::array<char, 24> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    out.append(buf.data(), res.ptr);
}

// Numbers as text; `asJson` writes the non-finite ones as null, as JSON has no form for them.
void appendNumber(std::string& out, const Json& v, bool asJson)
{
    switch (v.type()) {
    case Json::value_t::number_integer:
        appendInteger(out, v.get_ref<const Json::number_integer_t&>());
        break;
    case Json::value_t::number_unsigned:
        appendInteger(out, v.get_ref<const Json::number_unsigned_t&>());
        break;
    default: {
        const double d = v.get_ref<const Json::number_float_t&>();
        if (asJson && !std::isfinite(d))
            out += "null";
        else
            appendDouble(out, d);
    }
    }
}

void appendQuoted(std::string& out, std::string_view s)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(s, runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    out.append(s, runStart);
    out += '"';
}

// Recursion is bounded: parsing refuses documents deeper than kMaxDepth and writes add at most one level.
void appendJson(std::string& out, const Json& v)
{
    switch (v.type()) {
    case Json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : *v.get_ptr<const Json::object_t*>()) {
            if (!first)
                out += ',';
            first = false;
            appendQuoted(out, key);
            out += ':';
            appendJson(out, member);
        }
        out += '}';
        break;
    }
    case Json::value_t::array: {
        out += '[';
        bool first = true;
        for (const auto& element : *v.get_ptr<const Json::array_t*>()) {
            if (!first)
                out += ',';
            first = false;
            appendJson(out, element);
        }
        out += ']';
        break;
    }
    case Json::value_t::string:
        appendQuoted(out, v.get_ref<const Json::string_t&>());
        break;
    case Json::value_t::boolean:
        out += v.get<bool>() ? "true" : "false";
        break;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        appendNumber(out, v, true);
        break;
    default:
        out += "null";
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Building the tree from parser events

// Builds the document while the parser runs, so nesting is capped before a deep tree exists. Repeated member
// names keep the first position and the last value.
//
// Members of open objects wait in one shared list and move into their object when it closes, in one block of
// the right size: growing an insertion-ordered object member by member would copy its values on every
// reallocation (its names are const, so its elements cannot be moved).
class TreeBuilder {
public:
    explicit TreeBuilder(Json& root)
        : m_root(root)
    {
    }

    bool tooDeep() const { return m_tooDeep; }

    bool null() { return put(nullptr); }
    bool boolean(bool v) { return put(v); }
    bool number_integer(Json::number_integer_t v) { return put(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return put(v); }
    bool number_float(Json::number_float_t v, const Json::string_t& /*text*/) { return put(v); }
    bool string(Json::string_t& v) { return put(std::move(v)); }
    bool binary(Json::binary_t& /*v*/) { return false; }
    bool start_object(std::size_t /*size*/) { return open(Json::value_t::object); }
    bool start_array(std::size_t /*size*/) { return open(Json::value_t::array); }
    bool end_array()
    {
        m_stack.pop_back();
        return true;
    }
    bool parse_error(std::size_t /*position*/, const std::string& /*token*/, const Json::exception& /*error*/)
    {
        return false;
    }

    bool key(Json::string_t& name)
    {
        Frame& frame = m_stack.back();
        const std::size_t count = m_members.size() - frame.membersFrom;
        if (count < kLinearLimit) {
            const unsigned bit = nameBit(name);
            if (frame.seen[bit / 64] & (std::uint64_t{1} << (bit % 64))) {
                for (std::size_t i = frame.membersFrom; i < m_members.size(); ++i) {
                    if (m_members[i].first == name) {
                        m_slot = i;
                        return true;
                    }
                }
            }
            frame.seen[bit / 64] |= std::uint64_t{1} << (bit % 64);
        } else {
            // Large objects get a name index so that many members do not cost quadratic time.
            if (!frame.index) {
                frame.index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
                for (std::size_t i = frame.membersFrom; i < m_members.size(); ++i)
                    frame.index->emplace(m_members[i].first, i);
            }
            const auto [it, added] = frame.index->try_emplace(name, m_members.size());
            if (!added) {
                m_slot = it->second;
                return true;
            }
        }
        m_slot = m_members.size();
        m_members.emplace_back(std::move(name), nullptr);
        return true;
    }

    bool end_object()
    {
        Frame& frame = m_stack.back();
        auto& members = *frame.object;
        members.reserve(m_members.size() - frame.membersFrom);
        for (std::size_t i = frame.membersFrom; i < m_members.size(); ++i)
            members.emplace_back(std::move(m_members[i].first), std::move(m_members[i].second));
        m_members.resize(frame.membersFrom);
        m_stack.pop_back();
        return true;
    }

private:
    static constexpr std::size_t kLinearLimit = 32;

    struct Frame {
        Json::array_t* array = nullptr;
        Json::object_t* object = nullptr;
        std::size_t membersFrom = 0;          // an object's waiting members start here in m_members
        std::array<std::uint64_t, 4> seen{};  // a filter over member names, to skip most duplicate searches
        std::unique_ptr<std::unordered_map<std::string, std::size_t>> index;
    };

    static unsigned nameBit(const std::string& name)
    {
        const std::size_t n = name.size();
        const unsigned mix = n == 0 ? 0u
                                    : static_cast<unsigned char>(name[0]) * 31u +
                                          static_cast<unsigned char>(name[n - 1]) * 7u +
                                          static_cast<unsigned char>(name[n / 2]);
        return (mix + static_cast<unsigned>(n) * 131u) % 256u;
    }

    // Where the next value goes. The containers themselves (array and object storage) never move while
    // open, even when the handle that owns them does.
    Json& place()
    {
        if (m_stack.empty())
            return m_root;
        if (Frame& frame = m_stack.back(); frame.array)
            return frame.array->emplace_back();
        return m_members[m_slot].second;
    }

    template <class V> bool put(V&& value)
    {
        if (!m_stack.empty() && m_stack.back().array)
            m_stack.back().array->emplace_back(std::forward<V>(value));
        else
            place() = Json(std::forward<V>(value));
        return true;
    }

    bool open(Json::value_t type)
    {
        if (m_stack.size() >= JsonReader::kMaxDepth) {
            m_tooDeep = true;
            return false;
        }
        Json& made = place();
        made = Json(type);
        Frame frame;
        frame.membersFrom = m_members.size();
        if (type == Json::value_t::array)
            frame.array = made.get_ptr<Json::array_t*>();
        else
            frame.object = made.get_ptr<Json::object_t*>();
        m_stack.push_back(std::move(frame));
        return true;
    }

    Json& m_root;
    std::vector<Frame> m_stack;
    std::vector<std::pair<std::string, Json>> m_members;
    std::size_t m_slot = 0;  // the waiting member that receives the next value
    bool m_tooDeep = false;
};

// Strict JSON. On failure `root` is null.
bool parseStrict(std::string_view text, Json& root, bool& tooDeep)
{
    // The parser reads a zero byte as the end of the text and would ignore whatever follows it; in JSON a
    // zero byte can only be stray, so such a text is left to the lenient reading.
    if (text.find('\0') != std::string_view::npos) {
        root = nullptr;
        return false;
    }
    TreeBuilder builder(root);
    const bool ok = Json::sax_parse(text.data(), text.data() + text.size(), &builder);
    tooDeep = builder.tooDeep();
    if (!ok)
        root = nullptr;
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Lenient forms

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isWordStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isWordChar(char c)
{
    return isWordStart(c) || isDigit(c);
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Rewrites a data literal as a script would write it (single quotes, bare member names, trailing commas,
// comments, "+1", ".5", hex) into strict JSON. It only reads data: anything that would need evaluating fails.
// Iterative, with the same nesting cap as the tree.
class LenientRewriter {
public:
    explicit LenientRewriter(std::string_view text)
        : m_text(text)
    {
        m_out.reserve(text.size() + 16);
    }

    std::optional<std::string> run()
    {
        enum class Want { Value, ValueOrClose, Key, KeyOrClose, Colon, CommaOrClose, End };
        std::vector<char> open;  // '{' or '[' per level
        Want want = Want::Value;
        bool pendingComma = false;
        for (;;) {
            if (!skipBlank())
                return std::nullopt;
            if (m_pos == m_text.size()) {
                if (want != Want::End)
                    return std::nullopt;
                return std::move(m_out);
            }
            const char c = m_text[m_pos];
            if (want == Want::End)
                return std::nullopt;
            if (want == Want::Colon) {
                if (c != ':')
                    return std::nullopt;
                m_out += ':';
                ++m_pos;
                want = Want::Value;
                continue;
            }
            const bool closing = c == '}' || c == ']';
            if (closing && (want == Want::CommaOrClose || want == Want::ValueOrClose || want == Want::KeyOrClose)) {
                if (c != (open.back() == '{' ? '}' : ']'))
                    return std::nullopt;
                m_out += c;  // a trailing comma is dropped here
                ++m_pos;
                pendingComma = false;
                open.pop_back();
                want = open.empty() ? Want::End : Want::CommaOrClose;
                continue;
            }
            if (want == Want::CommaOrClose) {
                if (c != ',')
                    return std::nullopt;
                ++m_pos;
                pendingComma = true;
                want = open.back() == '{' ? Want::KeyOrClose : Want::ValueOrClose;
                continue;
            }
            if (pendingComma) {
                m_out += ',';
                pendingComma = false;
            }
            if (want == Want::Key || want == Want::KeyOrClose) {
                if (!key())
                    return std::nullopt;
                want = Want::Colon;
                continue;
            }
            // A value.
            if (c == '{' || c == '[') {
                if (open.size() >= JsonReader::kMaxDepth)
                    return std::nullopt;
                open.push_back(c);
                m_out += c;
                ++m_pos;
                want = c == '{' ? Want::KeyOrClose : Want::ValueOrClose;
                continue;
            }
            if (!scalar())
                return std::nullopt;
            want = open.empty() ? Want::End : Want::CommaOrClose;
        }
    }

private:
    bool at(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }

    // Blanks (also the no-break space, byte order mark and line separators) and comments. False when a block
    // comment is not closed.
    bool skipBlank()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                ++m_pos;
            } else if (at("\xC2\xA0")) {
                m_pos += 2;
            } else if (at("\xEF\xBB\xBF") || at("\xE2\x80\xA8") || at("\xE2\x80\xA9")) {
                m_pos += 3;
            } else if (at("//")) {
                const auto end = m_text.find('\n', m_pos);
                m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
            } else if (at("/*")) {
                const auto end = m_text.find("*/", m_pos + 2);
                if (end == std::string_view::npos)
                    return false;
                m_pos = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    std::string_view word()
    {
        const std::size_t start = m_pos;
        if (m_pos < m_text.size() && isWordStart(m_text[m_pos]))
            while (m_pos < m_text.size() && isWordChar(m_text[m_pos]))
                ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    bool key()
    {
        const char c = m_text[m_pos];
        if (c == '"' || c == '\'')
            return string();
        if (isDigit(c) || c == '.') {
            m_out += '"';
            if (!number())
                return false;
            m_out += '"';
            return true;
        }
        const std::string_view name = word();
        if (name.empty())
            return false;
        m_out += '"';
        m_out += name;
        m_out += '"';
        return true;
    }

    bool scalar()
    {
        const char c = m_text[m_pos];
        if (c == '"' || c == '\'')
            return string();
        if (isDigit(c) || c == '.' || c == '-' || c == '+')
            return number();
        const std::string_view name = word();
        if (name != "true" && name != "false" && name != "null")
            return false;
        m_out += name;
        return true;
    }

    bool number()
    {
        if (m_text[m_pos] == '-' || m_text[m_pos] == '+') {
            if (m_text[m_pos] == '-')
                m_out += '-';
            ++m_pos;
        }
        if (at("0x") || at("0X")) {
            m_pos += 2;
            const std::size_t start = m_pos;
            while (m_pos < m_text.size() && isHexDigit(m_text[m_pos]))
                ++m_pos;
            std::uint64_t value = 0;
            const auto res = std::from_chars(m_text.data() + start, m_text.data() + m_pos, value, 16);
            if (m_pos == start || res.ec != std::errc())
                return false;
            appendInteger(m_out, value);
        } else {
            const auto digitsFrom = [this](std::size_t start) {
                while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                    ++m_pos;
                return m_text.substr(start, m_pos - start);
            };
            std::string_view whole = digitsFrom(m_pos);
            std::string_view fraction;
            if (m_pos < m_text.size() && m_text[m_pos] == '.') {
                ++m_pos;
                fraction = digitsFrom(m_pos);
            }
            if (whole.empty() && fraction.empty())
                return false;
            while (whole.size() > 1 && whole.front() == '0')
                whole.remove_prefix(1);
            m_out += whole.empty() ? "0" : whole;
            if (!fraction.empty()) {
                m_out += '.';
                m_out += fraction;
            }
            if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
                ++m_pos;
                m_out += 'e';
                if (m_pos < m_text.size() && (m_text[m_pos] == '-' || m_text[m_pos] == '+'))
                    m_out += m_text[m_pos++];
                const std::string_view exponent = digitsFrom(m_pos);
                if (exponent.empty())
                    return false;
                m_out += exponent;
            }
        }
        // "1abc" is not a number followed by a word.
        return m_pos == m_text.size() || !isWordChar(m_text[m_pos]);
    }

    std::optional<std::uint32_t> hex(std::size_t count)
    {
        if (m_text.size() - m_pos < count)
            return std::nullopt;
        std::uint32_t value = 0;
        const auto res = std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + count, value, 16);
        if (res.ptr != m_text.data() + m_pos + count)
            return std::nullopt;
        m_pos += count;
        return value;
    }

    // After "\u": four hex digits or a braced code point. A surrogate that is not half of a pair becomes
    // U+FFFD, as UTF-8 cannot hold it.
    bool unicodeEscape()
    {
        std::uint32_t cp = 0;
        if (m_pos < m_text.size() && m_text[m_pos] == '{') {
            const auto close = m_text.find('}', m_pos);
            if (close == std::string_view::npos || close == m_pos + 1 || close - m_pos > 9)
                return false;
            ++m_pos;
            const auto value = hex(close - m_pos);
            if (!value || *value > 0x10FFFF)
                return false;
            ++m_pos;
            cp = *value;
        } else {
            const auto value = hex(4);
            if (!value)
                return false;
            cp = *value;
            if (cp >= 0xD800 && cp <= 0xDBFF && at("\\u")) {
                const std::size_t save = m_pos;
                m_pos += 2;
                const auto low = hex(4);
                if (low && *low >= 0xDC00 && *low <= 0xDFFF)
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                else
                    m_pos = save;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x20 || cp == '"' || cp == '\\')
            appendQuotedChar(static_cast<char>(cp));
        else
            appendUtf8(m_out, cp);
        return true;
    }

    void appendQuotedChar(char c)
    {
        std::string quoted;
        appendQuoted(quoted, std::string_view(&c, 1));
        m_out.append(quoted, 1, quoted.size() - 2);
    }

    bool string()
    {
        const char quote = m_text[m_pos++];
        m_out += '"';
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == quote) {
                m_out += '"';
                return true;
            }
            if (c != '\\') {
                if (c == '"' || static_cast<unsigned char>(c) < 0x20)
                    appendQuotedChar(c);
                else
                    m_out += c;
                continue;
            }
            if (m_pos == m_text.size())
                return false;
            const char e = m_text[m_pos++];
            switch (e) {
            case 'b':
                m_out += "\\b";
                break;
            case 'f':
                m_out += "\\f";
                break;
            case 'n':
                m_out += "\\n";
                break;
            case 'r':
                m_out += "\\r";
                break;
            case 't':
                m_out += "\\t";
                break;
            case 'v':
                m_out += "\\u000b";
                break;
            case '0':
                if (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                    return false;  // old octal escapes are not data
                m_out += "\\u0000";
                break;
            case 'x': {
                const auto value = hex(2);
                if (!value)
                    return false;
                if (*value < 0x20 || *value == '"' || *value == '\\')
                    appendQuotedChar(static_cast<char>(*value));
                else
                    appendUtf8(m_out, *value);
                break;
            }
            case 'u':
                if (!unicodeEscape())
                    return false;
                break;
            case '\r':  // line continuation
                if (m_pos < m_text.size() && m_text[m_pos] == '\n')
                    ++m_pos;
                break;
            case '\n':
                break;
            default:  // any other escaped character stands for itself
                if (e == '"' || e == '\\' || static_cast<unsigned char>(e) < 0x20)
                    appendQuotedChar(e);
                else
                    m_out += e;
            }
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string m_out;
};

// ---------------------------------------------------------------------------------------------------------------
// Paths

struct Step {
    std::string_view name;  // member name, or the digits of an index
    std::size_t index = 0;
    bool isIndex = false;
};

// Reads "a.b[2]['c d']" one step at a time.
class PathReader {
public:
    enum class Result { Step, End, Bad };

    explicit PathReader(std::string_view path)
        : m_path(path)
    {
    }

    Result next(Step& step)
    {
        if (m_pos == m_path.size())
            return Result::End;
        if (m_pos == 0 && m_path[0] != '[')
            return name(step);
        const char c = m_path[m_pos++];
        if (c == '.')
            return name(step);
        if (c != '[')
            return Result::Bad;
        const auto close = m_path.find(']', m_pos);
        if (close == std::string_view::npos)
            return Result::Bad;
        const std::string_view inside = m_path.substr(m_pos, close - m_pos);
        m_pos = close + 1;
        if (inside.size() >= 2 && (inside.front() == '\'' || inside.front() == '"') &&
            inside.back() == inside.front()) {
            step = Step{inside.substr(1, inside.size() - 2), 0, false};
            return Result::Step;
        }
        std::size_t index = 0;
        const auto res = std::from_chars(inside.data(), inside.data() + inside.size(), index);
        if (inside.empty() || res.ec != std::errc() || res.ptr != inside.data() + inside.size())
            return Result::Bad;
        step = Step{inside, index, true};
        return Result::Step;
    }

private:
    Result name(Step& step)
    {
        const auto end = m_path.find_first_of(".[", m_pos);
        const std::string_view name = m_path.substr(m_pos, end == std::string_view::npos ? end : end - m_pos);
        m_pos = end == std::string_view::npos ? m_path.size() : end;
        if (name.empty())
            return Result::Bad;
        step = Step{name, 0, false};
        return Result::Step;
    }

    std::string_view m_path;
    std::size_t m_pos = 0;
};

template <class J> J* child(J& container, const Step& step)
{
    using Members = std::conditional_t<std::is_const_v<J>, const Json::object_t, Json::object_t>;
    if (auto* members = container.template get_ptr<Members*>()) {
        for (auto& member : *members)
            if (member.first == step.name)
                return &member.second;
        return nullptr;
    }
    if (container.is_array() && step.isIndex && step.index < container.size())
        return &container[step.index];
    return nullptr;
}

const Json* find(const Json* root, std::string_view path)
{
    PathReader reader(path);
    Step step;
    const Json* at = root;
    for (;;) {
        if (!at)
            return nullptr;
        switch (reader.next(step)) {
        case PathReader::Result::End:
            return at;
        case PathReader::Result::Bad:
            return nullptr;
        case PathReader::Result::Step:
            at = child(*at, step);
        }
    }
}

std::string cleanText(std::string_view text)
{
    return isValidUtf8(text) ? std::string(text) : sanitizeUtf8(text);
}

// The value at path for writing: an existing one, or a new last member (an array index may equal the length).
// Null when the path does not lead there.
Json* slotFor(Json* root, std::string_view path)
{
    if (!root)
        return nullptr;
    PathReader reader(path);
    Step step;
    auto result = reader.next(step);
    if (result == PathReader::Result::End)
        return root;
    Json* container = root;
    std::size_t depth = 0;
    for (;;) {
        if (result == PathReader::Result::Bad || ++depth > JsonReader::kMaxDepth)
            return nullptr;
        Step following;
        const auto nextResult = reader.next(following);
        if (nextResult == PathReader::Result::End)
            break;
        container = child(*container, step);
        if (!container)
            return nullptr;
        step = following;
        result = nextResult;
    }
    if (Json* existing = child(*container, step))
        return existing;
    if (auto* members = container->get_ptr<Json::object_t*>()) {
        members->emplace_back(cleanText(step.name), nullptr);
        return &members->back().second;
    }
    if (auto* elements = container->get_ptr<Json::array_t*>();
        elements && step.isIndex && step.index == elements->size()) {
        elements->emplace_back();
        return &elements->back();
    }
    return nullptr;
}

}  // namespace

struct JsonReader::Impl {
    Json root = Json::object();
};

JsonReader::JsonReader()
    : m_impl(std::make_unique<Impl>())
{
}
JsonReader::~JsonReader() = default;
JsonReader::JsonReader(JsonReader&& other) noexcept = default;
JsonReader& JsonReader::operator=(JsonReader&& other) noexcept = default;

bool JsonReader::parse(std::string_view text) noexcept
{
    try {
        if (!m_impl)
            m_impl = std::make_unique<Impl>();
        Json& root = m_impl->root;
        bool tooDeep = false;
        if (!parseStrict(text, root, tooDeep) && !tooDeep) {
            const std::string clean = cleanText(text);
            if (auto rewritten = LenientRewriter(clean).run())
                parseStrict(*rewritten, root, tooDeep);
        }
        return !root.is_null();
    } catch (...) {
        if (m_impl)
            m_impl->root = nullptr;
        return false;
    }
}

std::string JsonReader::toText() const noexcept
{
    try {
        std::string out;
        if (m_impl)
            appendJson(out, m_impl->root);
        else
            out = "null";
        return out;
    } catch (...) {
        return {};
    }
}

void JsonReader::clear() noexcept
{
    try {
        if (!m_impl)
            m_impl = std::make_unique<Impl>();
        m_impl->root = Json::object();
    } catch (...) {
    }
}

std::string JsonReader::getText(std::string_view path) const noexcept
{
    try {
        const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
        if (!v)
            return {};
        std::string out;
        switch (v->type()) {
        case Json::value_t::string:
            return v->get_ref<const Json::string_t&>();
        case Json::value_t::boolean:
            return v->get<bool>() ? "true" : "false";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            appendNumber(out, *v, false);
            break;
        case Json::value_t::object:
        case Json::value_t::array:
            appendJson(out, *v);
            break;
        default:
            break;
        }
        return out;
    } catch (...) {
        return {};
    }
}

std::string JsonReader::getJson(std::string_view path) const noexcept
{
    try {
        std::string out;
        if (const Json* v = find(m_impl ? &m_impl->root : nullptr, path))
            appendJson(out, *v);
        return out;
    } catch (...) {
        return {};
    }
}

double JsonReader::getNumber(std::string_view path) const noexcept
{
    const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
    if (!v)
        return 0;
    switch (v->type()) {
    case Json::value_t::number_integer:
        return static_cast<double>(v->get_ref<const Json::number_integer_t&>());
    case Json::value_t::number_unsigned:
        return static_cast<double>(v->get_ref<const Json::number_unsigned_t&>());
    case Json::value_t::number_float:
        return v->get_ref<const Json::number_float_t&>();
    case Json::value_t::boolean:
        return v->get<bool>() ? 1 : 0;
    case Json::value_t::string: {
        std::string_view text = v->get_ref<const Json::string_t&>();
        while (!text.empty() &&
               (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
            text.remove_prefix(1);
        while (!text.empty() &&
               (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
            text.remove_suffix(1);
        if (!text.empty() && text.front() == '+')
            text.remove_prefix(1);
        double value = 0;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size())
            return 0;
        return value;
    }
    default:
        return 0;
    }
}

std::size_t JsonReader::count(std::string_view path) const noexcept
{
    const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
    return v && (v->is_object() || v->is_array()) ? v->size() : 0;
}

std::string JsonReader::keys(std::string_view path) const noexcept
{
    try {
        std::string out;
        const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
        if (!v)
            return out;
        if (const auto* members = v->get_ptr<const Json::object_t*>()) {
            for (const auto& member : *members) {
                out += member.first;
                out += ',';
            }
        } else if (v->is_array()) {
            for (std::size_t i = 0; i < v->size(); ++i) {
                appendInteger(out, i);
                out += ',';
            }
        }
        return out;
    } catch (...) {
        return {};
    }
}

bool JsonReader::exists(std::string_view path) const noexcept
{
    const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
    return v && !v->is_null();
}

std::string_view JsonReader::typeOf(std::string_view path) const noexcept
{
    const Json* v = find(m_impl ? &m_impl->root : nullptr, path);
    if (!v)
        return "undefined";
    switch (v->type()) {
    case Json::value_t::string:
        return "string";
    case Json::value_t::boolean:
        return "boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return "number";
    case Json::value_t::object:
        return "object";
    case Json::value_t::array:
        return "array";
    default:
        return "undefined";
    }
}

namespace {

bool store(Json* root, std::string_view path, Json&& value, bool appending)
{
    Json* slot = slotFor(root, path);
    if (!slot)
        return false;
    if (!appending) {
        *slot = std::move(value);
        return true;
    }
    if (!slot->is_array())
        *slot = Json::array();
    slot->get_ptr<Json::array_t*>()->push_back(std::move(value));
    return true;
}

}  // namespace

bool JsonReader::set(std::string_view path, std::string_view value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(cleanText(value)), false);
    } catch (...) {
        return false;
    }
}

bool JsonReader::set(std::string_view path, double value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), false);
    } catch (...) {
        return false;
    }
}

bool JsonReader::set(std::string_view path, bool value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), false);
    } catch (...) {
        return false;
    }
}

bool JsonReader::append(std::string_view path, std::string_view value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(cleanText(value)), true);
    } catch (...) {
        return false;
    }
}

bool JsonReader::append(std::string_view path, double value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), true);
    } catch (...) {
        return false;
    }
}

bool JsonReader::append(std::string_view path, bool value) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), true);
    } catch (...) {
        return false;
    }
}

bool JsonReader::setInteger(std::string_view path, std::int64_t value, bool appending) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), appending);
    } catch (...) {
        return false;
    }
}

bool JsonReader::setUnsigned(std::string_view path, std::uint64_t value, bool appending) noexcept
{
    try {
        return store(m_impl ? &m_impl->root : nullptr, path, Json(value), appending);
    } catch (...) {
        return false;
    }
}

bool JsonReader::remove(std::string_view path) noexcept
{
    try {
        if (!m_impl || path.empty())
            return false;
        // Find the container of the last step.
        PathReader reader(path);
        Step step;
        Json* container = &m_impl->root;
        if (reader.next(step) != PathReader::Result::Step)
            return false;
        for (;;) {
            Step following;
            const auto result = reader.next(following);
            if (result == PathReader::Result::Bad)
                return false;
            if (result == PathReader::Result::End)
                break;
            container = child(*container, step);
            if (!container)
                return false;
            step = following;
        }
        if (auto* members = container->get_ptr<Json::object_t*>()) {
            for (auto it = members->begin(); it != members->end(); ++it) {
                if (it->first == step.name) {
                    members->erase(it);
                    return true;
                }
            }
            return false;
        }
        auto* elements = container->get_ptr<Json::array_t*>();
        if (!elements || !step.isIndex || step.index >= elements->size())
            return false;
        elements->erase(elements->begin() + static_cast<std::ptrdiff_t>(step.index));
        return true;
    } catch (...) {
        return false;
    }
}

std::string elementPath(std::string_view list, std::size_t index, std::string_view key)
{
    std::string path(list);
    path.append("[").append(std::to_string(index)).append("].").append(key);
    return path;
}

}  // namespace dealcast::web
