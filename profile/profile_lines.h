#pragma once

// How the lines of a profile (INI) file read: where they end, which begin a section, which hold a
// key and what its value reads as. Shared by the full parse of a file and the quick reading of
// reports, so that both read every file alike.

#include <array>
#include <bit>
#include <utility>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

namespace corvinax {

namespace profile_lines {

// A value read through the profile service holds at most this many characters.
inline constexpr std::size_t kMaxValueLength = 1023;

inline constexpr std::array<bool, 256> kBlank = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\v', '\f', '\r', '\n', '\x1A'})
        table[c] = true;
    return table;
}();

inline bool isBlank(char c)
{
    return kBlank[static_cast<unsigned char>(c)];
}

inline std::size_t firstNonBlank(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    return first;
}

inline std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "[name]" begins a section; the name runs to the last "]" of the line.
std::optional<std::string_view> headerName(std::string_view rawLine);

// The value as a read gives it: one pair of enclosing quotes removed, cut to kMaxValueLength.
inline std::string_view readValue(std::string_view trimmedValue)
{
    std::string_view value = trimmedValue;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, kMaxValueLength);
}

// "name=value" as one view of the text, when the value follows the name's "=" with nothing between
// (no blanks, no quotes): the entry as it stands in the file.
inline std::optional<std::string_view> entryAsWritten(std::string_view name, std::string_view value)
{
    if (value.data() != name.data() + name.size() + 1 || name.data()[name.size()] != '=')
        return std::nullopt;
    return std::string_view(name.data(), name.size() + 1 + value.size());
}

enum class LineEnd : std::uint8_t { None, CrLf, Lf, Cr };

// Where key and value stand in a line, both trimmed of blanks.
struct KeyPlace {
    std::uint32_t keyBegin = 0;
    std::uint32_t keyLength = 0;
    std::uint32_t valueBegin = 0;
    std::uint32_t valueLength = 0;
};

// A line whose first non-blank (at `first`) is ";" is a comment; any other with an "=" (the first
// at `equals`, past the end when none) holds a key.
inline std::optional<KeyPlace> keyPlace(std::string_view text, std::size_t first, std::size_t equals)
{
    if (equals >= text.size() || text[first] == ';')
        return std::nullopt;
    std::size_t keyEnd = equals;
    while (keyEnd > first && isBlank(text[keyEnd - 1]))
        --keyEnd;
    std::size_t valueBegin = equals + 1;
    std::size_t valueEnd = text.size();
    while (valueBegin < valueEnd && isBlank(text[valueBegin]))
        ++valueBegin;
    while (valueEnd > valueBegin && isBlank(text[valueEnd - 1]))
        --valueEnd;
    return KeyPlace{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(keyEnd - first),
                    static_cast<std::uint32_t>(valueBegin), static_cast<std::uint32_t>(valueEnd - valueBegin)};
}

struct ScannedLine {
    std::string_view text;
    LineEnd end = LineEnd::None;
    std::optional<std::string_view> header;  // the section name of a header line
    std::optional<KeyPlace> key;             // the key and value of a key line
};

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

// Profile files are read by the thousand in a check run, so the bytes are classified sixteen at a
// time where the processor allows it; the plain loop gives the same marks everywhere.
void markBytes(std::string_view text, ByteMarks& marks);
// The same sixteen bytes at a time, and one at a time: what markBytes falls back to.
void markBytesNarrow(std::string_view text, ByteMarks& marks);
void markBytesPlain(std::string_view text, ByteMarks& marks);

// Calls visit(const ScannedLine&) for every line of the text, in order, until a visit that returns
// a bool returns false. A line ends at its first CR or LF; CR LF together end one line.
template <class Visit>
void forEachLine(std::string_view all, Visit&& visit)
{
    thread_local ByteMarks marks;  // kept from file to file
    markBytes(all, marks);
    std::size_t position = 0;
    ScannedLine line;
    while (position < all.size()) {
        const std::size_t stop = ByteMarks::next(marks.lineEnds, position, all.size());
        line.text = all.substr(position, stop - position);
        line.end = LineEnd::None;
        if (stop < all.size()) {
            if (all[stop] == '\n')
                line.end = LineEnd::Lf;
            else
                line.end = stop + 1 < all.size() && all[stop + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
        }
        const std::size_t equals = ByteMarks::next(marks.equals, position, stop) - position;
        position = stop + (line.end == LineEnd::None ? 0 : line.end == LineEnd::CrLf ? 2 : 1);
        const std::size_t first = firstNonBlank(line.text);
        line.header = first < line.text.size() && line.text[first] == '[' ? headerName(line.text) : std::nullopt;
        line.key = line.header ? std::nullopt : keyPlace(line.text, first, equals);
        if constexpr (std::is_same_v<decltype(visit(std::as_const(line))), bool>) {
            if (!visit(std::as_const(line)))
                return;
        } else {
            visit(std::as_const(line));
        }
    }
}

}  // namespace profile_lines

}  // namespace corvinax
