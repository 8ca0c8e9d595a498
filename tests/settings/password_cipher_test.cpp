#include "settings/des_cipher.h"
#include "settings/password_cipher.h"

#include <gtest/gtest.h>

namespace dealcast::settings {
namespace {

struct BlockCase {
    std::uint64_t key, plain, cipher;
};

TEST(DesCipher, MatchesPublishedVectorsWithThePublishedBoxes)
{
    const BlockCase cases[] = {
        {0x133457799BBCDFF1, 0x0123456789ABCDEF, 0x85E813540F0AB405},
        {0x0E329232EA6D0D73, 0x8787878787878787, 0x0000000000000000},
        {0x0123456789ABCDEF, 0x4E6F772069732074, 0x3FA40E8A984D4815},  // "Now is t"
        {0x0000000000000000, 0x0000000000000000, 0x8CA64DE9C1B123A7},
        {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x7359B2163E4EDC58},
    };
    for (const auto& c : cases) {
        const DesCipher des(c.key, publishedDesBoxes());
        EXPECT_EQ(des.encrypt(c.plain), c.cipher) << std::hex << c.key;
        EXPECT_EQ(des.decrypt(c.cipher), c.plain) << std::hex << c.key;
    }
}

TEST(DesCipher, SettingsBoxesGiveTheirOwnInvertibleBlocks)
{
    const DesCipher des(0x133457799BBCDFF1, settingsDesBoxes());
    EXPECT_EQ(des.encrypt(0x0123456789ABCDEF), 0x95FF44C1DAB6F32Du);
    for (std::uint64_t block : {0x0ull, 0xFFFFFFFFFFFFFFFFull, 0x0123456789ABCDEFull, 0x8000000000000001ull})
        EXPECT_EQ(des.decrypt(des.encrypt(block)), block);
}

TEST(PasswordCipher, PreparesTheBlockKeyFromTheKeyText)
{
    using Key = std::array<std::uint8_t, 8>;
    EXPECT_EQ(PasswordCipher::prepareKey(""), (Key{1, 2, 4, 8, 16, 32, 64, 128}));
    EXPECT_EQ(PasswordCipher::prepareKey("907315"), (Key{0x01, 0xC7, 0xCE, 0xC7, 0xD5, 0xE5, 0x87, 0x80}));
}

TEST(PasswordCipher, EnciphersGbkBytesAsUpperCaseHexAndRoundTrips)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"admin", "D7EC28C16AAC5FB2"},
        {"12345678", "7047F5FC57082156"},  // exactly one block: no padding block
        {"淘宝账号abc", "DA6A3EC45C61AE36D0F580450B705F4C"},
        {"p@ss word!2017", "D973E723EABE58A8ACAB2F2294A36EE3"},
        {"", ""},
    };
    for (const auto& [plain, hex] : cases) {
        EXPECT_EQ(PasswordCipher::encipher(plain, PasswordCipher::kSettingsKey), hex) << plain;
        EXPECT_EQ(PasswordCipher::decipher(hex, PasswordCipher::kSettingsKey), plain) << plain;
    }
    const std::string longText = "一个很长的密码 with mixed text, 24+ bytes";
    EXPECT_EQ(PasswordCipher::decipher(PasswordCipher::encipher(longText, "other key"), "other key"), longText);
}

TEST(PasswordCipher, TextThatCannotBeCipherTextDeciphersToEmpty)
{
    const std::string_view cases[] = {
        "",
        "D7EC28C16AAC5FB",   // odd length
        "D7EC28C16AAC",      // even, but not a whole block
        "D7EC28C16AAC5FBZ",  // not a hex digit
        "D7EC28C16AAC5F:2",  // between "9" and "A" in the character table
        "admin pass 12345",  // plain text left in the file by hand
    };
    for (auto hex : cases)
        EXPECT_EQ(PasswordCipher::decipher(hex, PasswordCipher::kSettingsKey), "") << hex;
    EXPECT_EQ(PasswordCipher::decipher("d7ec28c16aac5fb2", PasswordCipher::kSettingsKey), "admin");
}

}  // namespace
}  // namespace dealcast::settings
