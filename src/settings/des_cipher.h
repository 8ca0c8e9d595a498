#pragma once

#include <array>
#include <cstdint>

namespace dealcast::settings {

// Eight substitution boxes, each as 4 rows of 16 entries (row-major). The box table is a parameter so the
// block cipher can be checked against the published one while the settings use their own.
using DesBoxes = std::array<std::array<std::uint8_t, 64>, 8>;

// The published boxes S1 to S8.
const DesBoxes& publishedDesBoxes();

// The boxes of the stored account and password: S1', S2, S3, S4, S5, S6, S1', S7 of the published table,
// where S1' is S1 with row 0, column 4 set to 1. Values already stored in settings files depend on it.
const DesBoxes& settingsDesBoxes();

// The 64-bit block cipher with the published permutations, expansion and key schedule. A block is
// the eight bytes read big-endian: bit 1 of the standard is the most significant bit of the first byte.
class DesCipher {
public:
    DesCipher(std::uint64_t key, const DesBoxes& boxes);

    std::uint64_t encrypt(std::uint64_t block) const;
    std::uint64_t decrypt(std::uint64_t block) const;

private:
    std::uint64_t crypt(std::uint64_t block, bool decrypting) const;
    std::uint32_t feistel(std::uint32_t half, std::uint64_t subkey) const;

    DesBoxes m_boxes;
    std::array<std::uint64_t, 16> m_subkeys{};
};

}  // namespace dealcast::settings
