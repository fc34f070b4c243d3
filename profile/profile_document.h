#pragma once

// The parsed form of one profile (INI) file, kept line by line so that a write changes only the
// line it concerns and every other byte of the file stays as it was.

#include "profile/name_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvinax {

class ProfileDocument {
public:
    // A value read through the profile service holds at most this many characters.
    static constexpr std::size_t kMaxValueLength = 1023;

    static ProfileDocument parse(std::string_view bytes);
    std::string serialize() const;

    // The value as a single read gives it: trimmed, one pair of enclosing quotes removed, cut to
    // kMaxValueLength. Empty when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::vector<std::string> sectionNames(NameList form) const;
    std::vector<std::string> keyNames(std::string_view section, NameList form) const;
    // Adds key=value strings per the section-values read (see ProfileFile::readSectionValues).
    void appendSectionValues(std::string_view section, std::vector<std::string>& list, NameList form) const;

    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Both return whether anything changed.
    bool deleteKey(std::string_view section, std::string_view key);
    bool eraseSection(std::string_view section);

    bool empty() const { return m_preamble.empty() && m_sections.empty(); }

private:
    enum class LineEnd : std::uint8_t { None, CrLf, Lf, Cr };

    struct Line {
        std::string text;
        LineEnd end = LineEnd::CrLf;
    };

    struct Section {
        std::string name;
        Line header;
        std::vector<Line> body;
        // Folded key -> body index of its first occurrence; built on first use.
        mutable std::unordered_map<std::string, std::size_t> keyIndex;
        mutable bool indexed = false;

        const std::unordered_map<std::string, std::size_t>& index() const;
        void invalidateIndex() { indexed = false; keyIndex.clear(); }
    };

    const Section* findSection(std::string_view name) const;
    Section* findSection(std::string_view name);
    void rebuildSectionIndex();
    Line* lastLine();
    void appendLine(std::vector<Line>& lines, std::size_t position, std::string text);

    std::vector<Line> m_preamble;  // lines before the first header: never read
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // folded name -> first section
};

}  // namespace corvinax
