#pragma once

// Finding the line ends and "=" signs of a profile file in one pass over its bytes. Profile files
// are read by the thousand in a check run, so the bytes are classified sixteen at a time where
// the processor allows it; the plain loop gives the same answer everywhere.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace corvinax {

// One bit per byte of the text: set for a line end (CR or LF), and for "=".
struct ByteMarks {
    std::vector<std::uint64_t> lineEnds;
    std::vector<std::uint64_t> equals;

    // The first marked position from `from` on, before `limit`; `limit` when there is none.
    static std::size_t next(const std::vector<std::uint64_t>& marks, std::size_t from, std::size_t limit)
    {
        if (from >= limit)
            return limit;
        std::size_t word = from / 64;
        std::uint64_t bits = marks[word] & (~std::uint64_t{0} << (from % 64));
        const std::size_t lastWord = (limit - 1) / 64;
        while (bits == 0) {
            if (++word > lastWord)
                return limit;
            bits = marks[word];
        }
        const std::size_t found = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
        return found < limit ? found : limit;
    }
};

void markBytes(std::string_view text, ByteMarks& marks);
// The same one byte at a time, as the reference for the fast form.
void markBytesPlain(std::string_view text, ByteMarks& marks);

}  // namespace corvinax
