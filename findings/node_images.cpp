#include "findings/node_images.h"

#include <array>
#include <bit>
#include <cstdint>

namespace corvinax {

namespace {

constexpr std::array<std::string_view, 9> kKeywords{
    " counter ", "#$#$", "Remote_", "Modem", "ATTENTION! ", "ADDED in Sharing", " SMART ", "REMOVED ", "ADDED ",
};

// For each character, the keywords that begin with it, one bit per keyword.
constexpr std::array<std::uint16_t, 256> kStartingWith = [] {
    std::array<std::uint16_t, 256> table{};
    for (std::size_t k = 0; k < kKeywords.size(); ++k)
        table[static_cast<unsigned char>(kKeywords[k].front())] |= static_cast<std::uint16_t>(1u << k);
    return table;
}();

}  // namespace

// The first place of every keyword is found in one pass over the line: at each place only the
// keywords that begin with its character and were not met before are compared.
int GetImage(std::string_view line)
{
    constexpr std::size_t kNotFound = std::string_view::npos;
    std::array<std::size_t, kKeywords.size()> first;
    first.fill(kNotFound);
    unsigned unmet = (1u << kKeywords.size()) - 1;
    for (std::size_t at = 0; at < line.size() && unmet != 0; ++at) {
        unsigned candidates = kStartingWith[static_cast<unsigned char>(line[at])] & unmet;
        while (candidates != 0) {
            const auto k = static_cast<unsigned>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            // Every keyword has two characters or more: the second one is looked at before the rest.
            const std::string_view keyword = kKeywords[k];
            if (line.size() - at >= keyword.size() && line[at + 1] == keyword[1] &&
                line.substr(at).starts_with(keyword)) {
                first[k] = at;
                unmet &= ~(1u << k);
            }
        }
    }
    for (std::size_t k = 0; k < kKeywords.size(); ++k) {
        if (first[k] != kNotFound && first[k] >= 1)
            return kImageCounter + static_cast<int>(k);
    }
    return kImageAlarm;
}

std::string_view imageName(int image)
{
    constexpr std::array<std::string_view, kImageCount> kNames{
        "message", "directory", "computer", "counter", "alarm",   "remote",  "modem",
        "attention", "sharing", "smart",    "removed", "added", "pointer",
    };
    return image >= 0 && image < kImageCount ? kNames[static_cast<std::size_t>(image)] : std::string_view();
}

}  // namespace corvinax
