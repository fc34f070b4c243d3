#include "reports/check_sign.h"

#include "profile/profile_document.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace corvinax {

namespace {

constexpr std::size_t kAccumulators = 32;
constexpr std::uint64_t kStart = '0';

// Each accumulator's final value depends only on the sum of the codes added to it: 48 for none,
// otherwise 49 + (sum - 1) mod 42, the result of adding one code at a time and taking 42 away
// while above 90. So plain sums are kept and reduced once at the end.
class Accumulators {
public:
    // Adds one "name=value" string, its first character at position 1.
    void add(std::string_view name, std::string_view value)
    {
        if (value.data() == name.data() + name.size() + 1 && name.data()[name.size()] == '=') {
            addWhole(std::string_view(name.data(), name.size() + 1 + value.size()));  // as it stands in the file
            return;
        }
        addFrom(0, name);
        addFrom(name.size(), "=");
        addFrom(name.size() + 1, value);
    }

    std::string text() const
    {
        std::string signature;
        for (std::size_t n = 0; n < kAccumulators; ++n) {
            const std::uint64_t sum = m_sums[n];
            std::uint64_t code = sum == 0 ? kStart : kStart + 1 + (sum - 1) % 42;
            if (code >= 58 && code <= 64)  // the codes between "9" and "A" become "1" to "7"
                code -= 9;
            signature += static_cast<char>(code);
            if (n % 4 == 3 && n + 1 < kAccumulators)
                signature += '-';
        }
        return signature;
    }

private:
    // A string from position 1 in blocks of 32, the last one padded with zeros, which add nothing.
    void addWhole(std::string_view text)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t i = 0;
        for (; i + kAccumulators <= text.size(); i += kAccumulators)
            addBlock(bytes + i);
        if (i < text.size()) {
            unsigned char tail[kAccumulators] = {};
            std::memcpy(tail, bytes + i, text.size() - i);
            addBlock(tail);
        }
    }

    void addBlock(const unsigned char* block)
    {
        for (std::size_t n = 0; n < kAccumulators; ++n)
            m_sums[n] += block[n];
    }

    // Whole blocks of 32 characters go to the 32 accumulators in one pass the compiler can widen.
    void addFrom(std::size_t position, std::string_view text)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t i = 0;
        for (; i < text.size() && (position + i) % kAccumulators != 0; ++i)
            m_sums[(position + i) % kAccumulators] += bytes[i];
        for (; i + kAccumulators <= text.size(); i += kAccumulators)
            addBlock(bytes + i);
        for (; i < text.size(); ++i)
            m_sums[(position + i) % kAccumulators] += bytes[i];
    }

    std::array<std::uint32_t, kAccumulators> m_sums{};
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
