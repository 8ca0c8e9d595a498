#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dealcast::settings {

// The cipher under which the affiliate account and password are kept in the settings file. It works on the
// GBK bytes of the text, as the values already stored were enciphered from GBK: text in and out is UTF-8.
class PasswordCipher {
public:
    // The key text the settings file uses for the account and password boxes.
    static constexpr std::string_view kSettingsKey = "907315";

    // The eight-byte block key made from a key text: start from 1, 2, 4, ..., 128; for each byte c at 1-based
    // position i, byte (i mod 8) := byte XOR NOT(2i + 1) XOR c, kept to eight bits.
    static std::array<std::uint8_t, 8> prepareKey(std::string_view key);

    // The GBK bytes of `text` in zero-filled 8-byte blocks, each enciphered on its own, as upper-case hex.
    // The empty text gives the empty text.
    static std::string encipher(std::string_view text, std::string_view key);

    // The inverse, read up to the first zero byte. Text that cannot have come from encipher gives the empty
    // text: empty, an odd length or a length that is not a whole number of blocks, or any character that is
    // not a hex digit (either case).
    static std::string decipher(std::string_view hex, std::string_view key);
};

}  // namespace dealcast::settings
