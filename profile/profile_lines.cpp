#include "profile/profile_lines.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace corvinax::profile_lines {

namespace {

void resize(std::string_view text, ByteMarks& marks)
{
    const std::size_t words = (text.size() + 63) / 64;
    marks.lineEnds.assign(words, 0);
    marks.equals.assign(words, 0);
}

void markPlain(std::string_view text, std::size_t from, ByteMarks& marks)
{
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        if (c == '\r' || c == '\n')
            marks.lineEnds[i / 64] |= bit;
        else if (c == '=')
            marks.equals[i / 64] |= bit;
    }
}

}  // namespace

void markBytesPlain(std::string_view text, ByteMarks& marks)
{
    resize(text, marks);
    markPlain(text, 0, marks);
}

#if defined(__SSE2__)
namespace {

std::uint64_t maskOf(__m128i matches)
{
    return static_cast<std::uint32_t>(_mm_movemask_epi8(matches));
}

void markBlock(const char* block, std::uint64_t& ends, std::uint64_t& equals)
{
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i eq = _mm_set1_epi8('=');
    ends = 0;
    equals = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + part * 16));
        ends |= maskOf(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))) << (part * 16);
        equals |= maskOf(_mm_cmpeq_epi8(bytes, eq)) << (part * 16);
    }
}

// Every word is written, so the marks need no clearing first; the last block is read from a copy
// padded with zeros, which mark nothing.
template <class MarkBlock>
void markAllBlocks(std::string_view text, ByteMarks& marks, MarkBlock markBlock)
{
    const std::size_t words = (text.size() + 63) / 64;
    marks.lineEnds.resize(words);
    marks.equals.resize(words);
    const std::size_t whole = text.size() / 64;
    for (std::size_t word = 0; word < whole; ++word)
        markBlock(text.data() + word * 64, marks.lineEnds[word], marks.equals[word]);
    if (whole < words) {
        char tail[64] = {};
        std::memcpy(tail, text.data() + whole * 64, text.size() - whole * 64);
        markBlock(tail, marks.lineEnds[whole], marks.equals[whole]);
    }
}

#if defined(__x86_64__)
// Thirty-two bytes at a time where the processor has the wider instructions.
__attribute__((target("avx2"))) void markWideBlock(const char* block, std::uint64_t& ends, std::uint64_t& equals)
{
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i eq = _mm256_set1_epi8('=');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32));
    const auto lowEnds = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(low, lf))));
    const auto highEnds = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(high, cr), _mm256_cmpeq_epi8(high, lf))));
    const auto lowEquals = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, eq)));
    const auto highEquals = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, eq)));
    ends = std::uint64_t{lowEnds} | std::uint64_t{highEnds} << 32;
    equals = std::uint64_t{lowEquals} | std::uint64_t{highEquals} << 32;
}

bool hasWideInstructions()
{
    static const bool wide = [] {
        __builtin_cpu_init();  // the check may run before the library's own constructors
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return wide;
}
#endif

}  // namespace
#endif

void markBytes(std::string_view text, ByteMarks& marks)
{
#if defined(__x86_64__)
    if (hasWideInstructions()) {
        markAllBlocks(text, marks, markWideBlock);
        return;
    }
#endif
    markBytesNarrow(text, marks);
}

void markBytesNarrow(std::string_view text, ByteMarks& marks)
{
#if defined(__SSE2__)
    markAllBlocks(text, marks, markBlock);
#else
    markBytesPlain(text, marks);
#endif
}

std::optional<std::string_view> headerName(std::string_view rawLine)
{
    const std::string_view line = trimBlanks(rawLine);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

}  // namespace corvinax::profile_lines
