#pragma once

// The sums behind a report signature: 32 accumulators that each "name=value" string of the report
// adds its codes to, its first character to the first accumulator.

#include "profile/profile_lines.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace corvinax {

// Each accumulator's final value depends only on the sum of the codes added to it: 48 for none,
// otherwise 49 + (sum - 1) mod 42, the result of adding one code at a time and taking 42 away
// while above 90. So plain sums are kept and reduced once at the end.
class SignatureSums {
    static constexpr std::size_t kAccumulators = 32;
    static constexpr std::uint64_t kStart = '0';
    // 32 small sums side by side, added a block of 32 codes at a time in as few instructions as
    // the processor allows.
    using Codes = unsigned char __attribute__((vector_size(kAccumulators)));
    using Lanes = std::uint16_t __attribute__((vector_size(2 * kAccumulators)));
    // A lane holds 256 blocks of codes up to 255 before it could overflow.
    static constexpr int kBlocksPerFlush = 256;

public:
    // Adds one "name=value" string, its first character at position 1.
    void add(std::string_view name, std::string_view value)
    {
        if (const auto entry = profile_lines::entryAsWritten(name, value)) {
            addWhole(*entry);
            return;
        }
        addFrom(0, name);
        addFrom(name.size(), "=");
        addFrom(name.size() + 1, value);
    }

    // The strings added lie in this stretch of bytes, which may be read past a string's end: its
    // last block is then read whole and the bytes beyond it masked, instead of copied aside.
    void setReadable(std::string_view bytes) { m_readable = bytes; }

    std::string text()
    {
        flush();
        char signature[kAccumulators + kAccumulators / 4 - 1];
        std::size_t length = 0;
        for (std::size_t n = 0; n < kAccumulators; ++n) {
            const std::uint64_t sum = m_sums[n];
            std::uint64_t code = sum == 0 ? kStart : kStart + 1 + (sum - 1) % 42;
            if (code >= 58 && code <= 64)  // the codes between "9" and "A" become "1" to "7"
                code -= 9;
            signature[length++] = static_cast<char>(code);
            if (n % 4 == 3 && n + 1 < kAccumulators)
                signature[length++] = '-';
        }
        return std::string(signature, length);
    }

private:
    // A string from position 1 in blocks of 32, the last one padded with zeros, which add nothing.
    void addWhole(std::string_view text)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t i = 0;
        for (; i + kAccumulators <= text.size(); i += kAccumulators)
            addBlock(bytes + i);
        if (i == text.size())
            return;
        const std::size_t rest = text.size() - i;
        if (readable(text.data() + i)) {
            Codes codes;
            std::memcpy(&codes, bytes + i, sizeof codes);
            // The mask of the first `rest` bytes, read from a run of ones followed by zeros.
            static constexpr auto kOnesThenZeros = [] {
                std::array<unsigned char, 2 * kAccumulators> mask{};
                for (std::size_t n = 0; n < kAccumulators; ++n)
                    mask[n] = 0xFF;
                return mask;
            }();
            Codes keep;
            std::memcpy(&keep, kOnesThenZeros.data() + kAccumulators - rest, sizeof keep);
            codes &= keep;
            addCodes(codes);
            return;
        }
        unsigned char tail[kAccumulators] = {};
        std::memcpy(tail, bytes + i, rest);
        addBlock(tail);
    }

    bool readable(const char* block) const
    {
        const auto at = reinterpret_cast<std::uintptr_t>(block);
        const auto begin = reinterpret_cast<std::uintptr_t>(m_readable.data());
        return at >= begin && at - begin + kAccumulators <= m_readable.size();
    }

    void addBlock(const unsigned char* block)
    {
        Codes codes;
        std::memcpy(&codes, block, sizeof codes);
        addCodes(codes);
    }

    void addCodes(const Codes& codes)
    {
        m_lanes += __builtin_convertvector(codes, Lanes);
        if (++m_blocks == kBlocksPerFlush)
            flush();
    }

    void flush()
    {
        for (std::size_t n = 0; n < kAccumulators; ++n)
            m_sums[n] += m_lanes[n];
        m_lanes = Lanes{};
        m_blocks = 0;
    }

    // A string that does not stand in the file as it is summed: from its position, one code at a time
    // up to a block boundary, then whole blocks.
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

    std::array<std::uint64_t, kAccumulators> m_sums{};
    Lanes m_lanes{};
    int m_blocks = 0;
    std::string_view m_readable;
};

}  // namespace corvinax
