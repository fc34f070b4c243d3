#pragma once

// The administrator's line filter table: patterns that drop change lines, mark their computers or
// expand them.

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

struct FilterRow {
    std::string text;               // the pattern, at most kMaxTextLength characters
    std::string mode;               // the action as the person sees it: one of actionCaptions()
    std::optional<int> action;      // derived from mode; a row without one counts as 0
};

// What the first matching row decides for one change line.
struct FilterOutcome {
    enum class Effect { None, Drop, MarkComputer, ExpandComputer };
    Effect effect = Effect::None;
    int lineState = -1;  // 12 after a match, -1 when no row matched

    bool shown() const { return effect != Effect::Drop; }
};

class FilterTable {
public:
    static constexpr std::size_t kMaxTextLength = 100;
    static constexpr std::size_t kMaxModeLength = 20;

    // The pick list of the action column, index = action code: ignore, mark, expand.
    static const std::array<std::string, 3>& actionCaptions();
    // The action code of a mode text: the index of the first caption that begins with it, else 0.
    static int actionOf(std::string_view mode);

    const std::vector<FilterRow>& rows() const { return m_rows; }
    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }

    // Appends a row whose mode is the caption of action; an unknown action takes caption 0.
    void appendRow(std::string_view text, int action);
    void insertRow(std::size_t position, FilterRow row);
    void removeRow(std::size_t position);
    void setText(std::size_t row, std::string_view text);
    // Sets the mode and derives the action from it.
    void setMode(std::size_t row, std::string_view mode);
    void clear()
    {
        m_rows.clear();
        m_firstBytes.reset();
    }

    // The first row, in table order, whose non-empty text occurs in the line decides.
    FilterOutcome match(std::string_view decodedLine) const;

private:
    // The rows whose text begins with each character, in table order; built at the first match
    // after a change of the rows.
    using FirstBytes = std::array<std::vector<std::size_t>, 256>;
    const FirstBytes& firstBytes() const;
    std::optional<std::size_t> firstMatchingRow(std::string_view line) const;

    std::vector<FilterRow> m_rows;
    mutable std::shared_ptr<const FirstBytes> m_firstBytes;  // shared by copies until one changes
};

}  // namespace corvinax
