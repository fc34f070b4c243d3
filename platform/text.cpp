#include "platform/text.h"

#include <array>

namespace corvinax {

namespace {

// Capital letters of code page 1251 outside the two contiguous alphabets, with their small forms.
constexpr std::array<std::pair<unsigned char, unsigned char>, 15> kIrregularCapitals{{
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
}};

constexpr std::array<unsigned char, 256> makeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = static_cast<unsigned char>(c + ('a' - 'A'));
    for (int c = 0xC0; c <= 0xDF; ++c)
        table[c] = static_cast<unsigned char>(c + 0x20);
    for (auto [upper, lower] : kIrregularCapitals)
        table[upper] = lower;
    return table;
}

}  // namespace

constexpr std::array<unsigned char, 256> kFoldTable = makeFoldTable();

std::string_view trimControls(std::string_view text)
{
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isControl(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string foldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(kFoldTable[static_cast<unsigned char>(c)]);
    return folded;
}

bool equalsIgnoringCaseSameSize(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;  // names are mostly spelled alike
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (kFoldTable[static_cast<unsigned char>(a[i])] != kFoldTable[static_cast<unsigned char>(b[i])])
            return false;
    }
    return true;
}

}  // namespace corvinax
