#include "settings/filter_table.h"

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
    m_firstBytes.reset();
    setText(m_rows.size() - 1, text);
    setMode(m_rows.size() - 1, captions[caption]);
}

void FilterTable::insertRow(std::size_t position, FilterRow row)
{
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
    m_firstBytes.reset();
}

void FilterTable::removeRow(std::size_t position)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(position));
    m_firstBytes.reset();
}

void FilterTable::setText(std::size_t row, std::string_view text)
{
    m_rows[row].text = std::string(text.substr(0, kMaxTextLength));
    m_firstBytes.reset();
}

void FilterTable::setMode(std::size_t row, std::string_view mode)
{
    m_rows[row].mode = std::string(mode.substr(0, kMaxModeLength));
    m_rows[row].action = actionOf(m_rows[row].mode);
}

const FilterTable::FirstBytes& FilterTable::firstBytes() const
{
    if (!m_firstBytes) {
        auto index = std::make_shared<FirstBytes>();
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            if (!m_rows[row].text.empty())
                (*index)[static_cast<unsigned char>(m_rows[row].text.front())].push_back(row);
        }
        m_firstBytes = std::move(index);
    }
    return *m_firstBytes;
}

// One pass over the line: at each place, the rows whose text begins with its character are tried,
// in table order, and only those before the best row found so far.
std::optional<std::size_t> FilterTable::firstMatchingRow(std::string_view line) const
{
    const FirstBytes& index = firstBytes();
    std::size_t best = m_rows.size();
    for (std::size_t at = 0; at < line.size(); ++at) {
        const std::string_view rest = line.substr(at);
        for (const std::size_t row : index[static_cast<unsigned char>(line[at])]) {
            if (row >= best)
                break;
            const std::string& text = m_rows[row].text;
            if (rest.size() >= text.size() && (text.size() == 1 || rest[1] == text[1]) && rest.starts_with(text)) {
                best = row;
                break;
            }
        }
    }
    return best < m_rows.size() ? std::optional<std::size_t>(best) : std::nullopt;
}

FilterOutcome FilterTable::match(std::string_view decodedLine) const
{
    if (const auto found = firstMatchingRow(decodedLine)) {
        switch (m_rows[*found].action.value_or(0)) {
        case 0: return {FilterOutcome::Effect::Drop, 12};
        case 1: return {FilterOutcome::Effect::MarkComputer, 12};
        default: return {FilterOutcome::Effect::ExpandComputer, 12};
        }
    }
    return {};
}

}  // namespace corvinax
