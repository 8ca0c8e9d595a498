#include "web/encoding.h"

#include <cerrno>
#include <cstddef>
#include <iconv.h>

namespace dealcast::web {
namespace {

// Length of the well-formed UTF-8 sequence starting at p, or 0 when it is malformed.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t avail)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    auto cont = [&](std::size_t i) { return i < avail && (p[i] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if (c == 0xE0 && p[1] < 0xA0)
            return 0;  // overlong
        if (c == 0xED && p[1] >= 0xA0)
            return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if (c == 0xF0 && p[1] < 0x90)
            return 0;
        if (c == 0xF4 && p[1] >= 0x90)
            return 0;
        return 4;
    }
    return 0;
}

// A conversion descriptor per thread and direction, opened once: opening one costs more than converting a
// short text.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`, growing `out`; on a sequence the target cannot hold or the source does not form,
    // writes "?" and skips `skip(p, left)` bytes of the source.
    template <typename Skip>
    void convert(std::string_view in, std::string& out, std::size_t maxGrowth, Skip skip)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * maxGrowth + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            const std::size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            if (r != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                const std::size_t used = static_cast<std::size_t>(dst - out.data());
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            // EILSEQ or EINVAL (truncated at the end): one "?" for the bad sequence.
            if (dstLeft == 0) {
                const std::size_t used = static_cast<std::size_t>(dst - out.data());
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
            }
            *dst++ = '?';
            --dstLeft;
            std::size_t n = skip(reinterpret_cast<const unsigned char*>(src), srcLeft);
            if (n == 0 || n > srcLeft)
                n = 1;
            src += n;
            srcLeft -= n;
        }
        out.resize(static_cast<std::size_t>(dst - out.data()));
    }

private:
    iconv_t m_cd;
};

bool isAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    thread_local Converter conv("UTF-8", "GBK");
    std::string out;
    if (!conv.valid())
        return sanitizeUtf8(gbk);
    // A GBK lead byte whose pair is not GBK: skip the lead byte only, so the next byte gets its own chance.
    conv.convert(gbk, out, 2, [](const unsigned char*, std::size_t) { return std::size_t{1}; });
    return out;
}

std::string utf8ToGbk(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    thread_local Converter conv("GBK", "UTF-8");
    std::string out;
    if (!conv.valid())
        return std::string(utf8);
    // A character without a GBK form is skipped whole; a malformed byte alone.
    conv.convert(utf8, out, 1, [](const unsigned char* p, std::size_t left) {
        const std::size_t n = utf8SequenceLength(p, left);
        return n == 0 ? std::size_t{1} : n;
    });
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        if (*p < 0x80) {
            ++p;
            --left;
            continue;
        }
        const std::size_t n = utf8SequenceLength(p, left);
        if (n == 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

std::string sanitizeUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        const std::size_t n = utf8SequenceLength(p, left);
        if (n == 0) {
            out.push_back('?');
            ++p;
            --left;
        } else {
            out.append(reinterpret_cast<const char*>(p), n);
            p += n;
            left -= n;
        }
    }
    return out;
}

}  // namespace dealcast::web
