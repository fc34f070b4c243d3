#pragma once

// Byte-level text helpers for code page 1251 strings.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace corvinax {

// Removes every character with a code from 0 to 32 from both ends.
std::string_view trimControls(std::string_view text);

// Maps a code page 1251 byte to its lower-case form (Latin and Cyrillic letters).
extern const std::array<unsigned char, 256> kFoldTable;
inline unsigned char foldByte(unsigned char byte)
{
    return kFoldTable[byte];
}

// Up to eight bytes as one number, folded so that texts equal without regard to case give equal
// numbers: a chunk of plain ASCII by clearing the bit that tells small letters from capitals (other
// signs that differ in that bit only collide, which a comparison settles), any other through the
// table.
inline std::uint64_t foldedChunk(const unsigned char* bytes, std::size_t length)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
    std::uint64_t chunk = 0;
    if (length == 8) {
        std::memcpy(&chunk, bytes, 8);
    } else {
        for (std::size_t j = 0; j < length; ++j)
            chunk |= std::uint64_t{bytes[j]} << (8 * j);
    }
    if ((chunk & kHighBits) == 0)
        return chunk & ~kCaseBits;
    std::uint64_t folded = 0;
    for (std::size_t j = 0; j < length; ++j)
        folded |= std::uint64_t{foldByte(bytes[j])} << (8 * j);
    return folded;
}

// Case-folded copy, for names that compare without regard to letter case.
std::string foldCase(std::string_view text);

// For strings of the same length.
bool equalsIgnoringCaseSameSize(std::string_view a, std::string_view b);

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && equalsIgnoringCaseSameSize(a, b);
}

}  // namespace corvinax
