#pragma once

// Byte-level text helpers for code page 1251 strings.

#include <array>
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

// Case-folded copy, for names that compare without regard to letter case.
std::string foldCase(std::string_view text);

// For strings of the same length.
bool equalsIgnoringCaseSameSize(std::string_view a, std::string_view b);

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && equalsIgnoringCaseSameSize(a, b);
}

}  // namespace corvinax
