#include "reports/check_sign.h"

#include "profile/profile_document.h"

#include <array>
#include <cstdint>
#include <vector>

namespace corvinax {

namespace {

constexpr std::size_t kAccumulators = 32;
constexpr std::uint16_t kStart = '0';
constexpr std::uint16_t kCeiling = 'Z';

void addString(std::array<std::uint16_t, kAccumulators>& sums, const std::string& text)
{
    for (std::size_t p = 0; p < text.size(); ++p) {
        std::uint16_t& sum = sums[p % kAccumulators];
        sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(text[p]));
        while (sum > kCeiling)
            sum -= 42;
    }
}

}  // namespace

std::string CalcSignature(const ProfileDocument& report)
{
    std::array<std::uint16_t, kAccumulators> sums;
    sums.fill(kStart);
    for (const std::string& section : report.sectionNames(NameList::WindowsBuffer)) {
        if (section.find("Signature") != std::string::npos)
            continue;
        std::vector<std::string> values;
        report.appendSectionValues(section, values, NameList::WindowsBuffer);
        for (const std::string& value : values)
            addString(sums, value);
    }

    std::string signature;
    for (std::size_t n = 0; n < kAccumulators; ++n) {
        std::uint16_t code = sums[n];
        if (code >= 58 && code <= 64)  // the codes between "9" and "A" become "1" to "7"
            code -= 9;
        signature += static_cast<char>(code);
        if (n % 4 == 3 && n + 1 < kAccumulators)
            signature += '-';
    }
    return signature;
}

}  // namespace corvinax
