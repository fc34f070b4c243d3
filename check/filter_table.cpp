#include "check/filter_table.h"

#include <cstdint>

namespace corvinax {

const std::array<std::string, 3>& FilterTable::actionCaptions()
{
    static const std::array<std::string, 3> captions{"Игнорировать", "Отмечать (!)", "Разворачивать"};
    return captions;
}

int FilterTable::actionOf(std::string_view mode)
{
    if (mode.empty())
        return 0;
    const auto& captions = actionCaptions();
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (std::string_view(captions[i]).starts_with(mode))
            return static_cast<int>(i);
    }
    return 0;
}

void FilterTable::appendRow(std::string_view text, int action)
{
    const auto& captions = actionCaptions();
    const std::size_t caption = action >= 0 && static_cast<std::size_t>(action) < captions.size()
                                    ? static_cast<std::size_t>(action)
                                    : 0;
    m_rows.push_back(FilterRow{});
    setText(m_rows.size() - 1, text);
    setMode(m_rows.size() - 1, captions[caption]);
}

void FilterTable::insertRow(std::size_t position, FilterRow row)
{
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
}

void FilterTable::removeRow(std::size_t position)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(position));
}

void FilterTable::setText(std::size_t row, std::string_view text)
{
    m_rows[row].text = std::string(text.substr(0, kMaxTextLength));
}

void FilterTable::setMode(std::size_t row, std::string_view mode)
{
    m_rows[row].mode = std::string(mode.substr(0, kMaxModeLength));
    m_rows[row].action = actionOf(m_rows[row].mode);
}

namespace {

// Which pairs of neighbouring bytes occur in a line, folded into a small bit set: a pattern can only
// occur in the line when its own first pair does, which spares most searches.
class BytePairs {
public:
    explicit BytePairs(std::string_view line)
    {
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            set(slot(line[i], line[i + 1]));
        for (char c : line)
            set(single(c));
    }

    bool mayContain(std::string_view pattern) const
    {
        return pattern.size() == 1 ? test(single(pattern[0])) : test(slot(pattern[0], pattern[1]));
    }

private:
    static constexpr std::size_t kBits = 4096;
    static std::size_t slot(char a, char b)
    {
        return (static_cast<unsigned char>(a) * 31u + static_cast<unsigned char>(b)) % (kBits - 256);
    }
    static std::size_t single(char c) { return kBits - 256 + static_cast<unsigned char>(c); }
    void set(std::size_t bit) { m_bits[bit / 64] |= std::uint64_t{1} << (bit % 64); }
    bool test(std::size_t bit) const { return (m_bits[bit / 64] >> (bit % 64)) & 1; }

    std::array<std::uint64_t, kBits / 64> m_bits{};
};

}  // namespace

FilterOutcome FilterTable::match(std::string_view decodedLine) const
{
    const BytePairs pairs(decodedLine);
    for (const FilterRow& row : m_rows) {
        if (row.text.empty() || !pairs.mayContain(row.text) || decodedLine.find(row.text) == std::string_view::npos)
            continue;
        switch (row.action.value_or(0)) {
        case 0: return {FilterOutcome::Effect::Drop, 12};
        case 1: return {FilterOutcome::Effect::MarkComputer, 12};
        default: return {FilterOutcome::Effect::ExpandComputer, 12};
        }
    }
    return {};
}

}  // namespace corvinax
