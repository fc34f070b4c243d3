#include "reports/check_sign.h"

#include "profile/profile_document.h"

#include <array>
#include <cstdint>

namespace corvinax {

namespace {

constexpr std::size_t kAccumulators = 32;
constexpr std::uint16_t kStart = '0';
constexpr std::uint16_t kCeiling = 'Z';

class Accumulators {
public:
    Accumulators() { m_sums.fill(kStart); }

    // Adds one "name=value" string, its first character at position 1.
    void add(std::string_view name, std::string_view value)
    {
        std::size_t position = 0;
        for (char c : name)
            addAt(position++, c);
        addAt(position++, '=');
        for (char c : value)
            addAt(position++, c);
    }

    std::string text() const
    {
        std::string signature;
        for (std::size_t n = 0; n < kAccumulators; ++n) {
            std::uint16_t code = m_sums[n];
            if (code >= 58 && code <= 64)  // the codes between "9" and "A" become "1" to "7"
                code -= 9;
            signature += static_cast<char>(code);
            if (n % 4 == 3 && n + 1 < kAccumulators)
                signature += '-';
        }
        return signature;
    }

private:
    void addAt(std::size_t position, char c)
    {
        std::uint16_t& sum = m_sums[position % kAccumulators];
        sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(c));
        while (sum > kCeiling)
            sum -= 42;
    }

    std::array<std::uint16_t, kAccumulators> m_sums{};
};

}  // namespace

std::string CalcSignature(const ProfileDocument& report)
{
    Accumulators sums;
    for (const std::string& section : report.sectionNames(NameList::WindowsBuffer)) {
        if (section.find("Signature") != std::string::npos)
            continue;
        report.visitSectionValues(section, NameList::WindowsBuffer,
                                  [&sums](std::string_view name, std::string_view value) { sums.add(name, value); });
    }
    return sums.text();
}

}  // namespace corvinax
