#include "settings/password_cipher.h"

#include "settings/des_cipher.h"
#include "web/encoding.h"

#include <cstddef>

namespace dealcast::settings {
namespace {

constexpr std::size_t kBlockBytes = 8;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

DesCipher makeCipher(std::string_view key)
{
    std::uint64_t block = 0;
    for (std::uint8_t byte : PasswordCipher::prepareKey(key))
        block = (block << 8) | byte;
    return DesCipher(block, settingsDesBoxes());
}

}  // namespace

std::array<std::uint8_t, 8> PasswordCipher::prepareKey(std::string_view key)
{
    std::array<std::uint8_t, 8> prepared = {1, 2, 4, 8, 16, 32, 64, 128};
    const std::string bytes = web::utf8ToGbk(key);
    for (std::size_t i = 1; i <= bytes.size(); ++i) {
        const auto code = static_cast<unsigned>(static_cast<unsigned char>(bytes[i - 1]));
        std::uint8_t& slot = prepared[i % 8];
        slot = static_cast<std::uint8_t>(slot ^ ~(2 * i + 1) ^ code);
    }
    return prepared;
}

std::string PasswordCipher::encipher(std::string_view text, std::string_view key)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const DesCipher cipher = makeCipher(key);
    const std::string bytes = web::utf8ToGbk(text);
    std::string out;
    out.reserve((bytes.size() + kBlockBytes - 1) / kBlockBytes * kBlockBytes * 2);
    for (std::size_t start = 0; start < bytes.size(); start += kBlockBytes) {
        std::uint64_t block = 0;
        for (std::size_t i = 0; i < kBlockBytes; ++i) {
            const std::size_t at = start + i;
            block = (block << 8) | (at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u);
        }
        block = cipher.encrypt(block);
        for (int shift = 60; shift >= 0; shift -= 4)
            out.push_back(kHex[(block >> shift) & 0xF]);
    }
    return out;
}

std::string PasswordCipher::decipher(std::string_view hex, std::string_view key)
{
    constexpr std::size_t kBlockDigits = kBlockBytes * 2;
    if (hex.empty() || hex.size() % kBlockDigits != 0)
        return {};
    for (char c : hex)
        if (hexDigit(c) < 0)
            return {};
    const DesCipher cipher = makeCipher(key);
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t start = 0; start < hex.size(); start += kBlockDigits) {
        std::uint64_t block = 0;
        for (std::size_t i = 0; i < kBlockDigits; ++i)
            block = (block << 4) | static_cast<std::uint64_t>(hexDigit(hex[start + i]));
        block = cipher.decrypt(block);
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((block >> shift) & 0xFF));
    }
    bytes.resize(bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
    return web::gbkToUtf8(bytes);
}

}  // namespace dealcast::settings
