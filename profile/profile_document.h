#pragma once

// The parsed form of one profile (INI) file, kept line by line so that a write changes only the
// line it concerns and every other byte of the file stays as it was. Lines are views into the
// file's bytes, parsed once; only written lines own their text.

#include "profile/name_list.h"
#include "profile/profile_lines.h"

#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvinax {

// Hashing and comparison of names without regard to letter case, for look-ups without copies.
struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

class ProfileDocument {
public:
    // A value read through the profile service holds at most this many characters.
    static constexpr std::size_t kMaxValueLength = profile_lines::kMaxValueLength;

    ProfileDocument();
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;
    ProfileDocument(const ProfileDocument&) = delete;
    ProfileDocument& operator=(const ProfileDocument&) = delete;
    ~ProfileDocument();

    static ProfileDocument parse(std::string bytes);
    std::string serialize() const;

    // The value as a single read gives it: trimmed, one pair of enclosing quotes removed, cut to
    // kMaxValueLength. Empty when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value as its line holds it after the "=", untouched: what setValue wrote.
    std::optional<std::string> writtenValue(std::string_view section, std::string_view key) const;
    // Several values of one section as value() gives them, found in one pass over its lines; views
    // valid until the document changes.
    void values(std::string_view section, std::span<const std::string_view> keys,
                std::span<std::optional<std::string_view>> found) const;
    std::vector<std::string> sectionNames(NameList form) const;
    // The same as views into the document, valid until it changes.
    void sectionNames(NameList form, std::vector<std::string_view>& names) const;
    std::vector<std::string> keyNames(std::string_view section, NameList form) const;
    struct NameValue {
        std::string_view name;
        std::string_view value;
    };
    // The section-values read without copies: the entries in order, as appendSectionValues would
    // give them to an empty list, as views valid until the document changes.
    void sectionValues(std::string_view section, NameList form, std::vector<NameValue>& entries) const;
    // Adds key=value strings per the section-values read (see ProfileFile::readSectionValues).
    void appendSectionValues(std::string_view section, std::vector<std::string>& list, NameList form) const;

    // Whether a key reads back as written: not empty, no blanks at its ends, no "=" or line break,
    // and no comment or header start.
    static bool storableKey(std::string_view key);
    // A name as the file reads it: without blanks at its ends.
    static std::string_view trimmedName(std::string_view name);

    // Section and key names are taken trimmed of blanks, as they are read.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Both return whether anything changed.
    bool deleteKey(std::string_view section, std::string_view key);
    bool eraseSection(std::string_view section);

    bool empty() const { return m_preamble.empty() && m_sections.empty(); }

private:
    using LineEnd = profile_lines::LineEnd;
    struct Line;
    const Line* findLine(std::string_view section, std::string_view key) const;

    struct Line {
        std::string_view text;
        LineEnd end = LineEnd::CrLf;
        bool isKey = false;
        std::uint32_t keyBegin = 0;
        std::uint32_t keyLength = 0;
        std::uint32_t valueBegin = 0;
        std::uint32_t valueLength = 0;

        std::string_view key() const { return text.substr(keyBegin, keyLength); }
        std::string_view rawValue() const { return text.substr(valueBegin, valueLength); }
    };

    using NameIndex = std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual>;

    struct Section {
        std::string_view name;
        Line header;
        std::vector<Line> body;
        // Key -> body index of its first occurrence; built on first use.
        mutable NameIndex keyIndex;
        mutable bool indexed = false;
        // Whether no two non-empty keys are equal without regard to case; found on first use.
        enum class Distinct : std::uint8_t { Unknown, Yes, No };
        mutable Distinct distinct = Distinct::Unknown;

        const NameIndex& index() const;
        bool keysDistinct() const;
        void invalidateIndex()
        {
            indexed = false;
            keyIndex.clear();
            distinct = Distinct::Unknown;
        }
    };

    static Line makeLine(std::string_view text, LineEnd end);
    static Line lineOf(std::string_view text, LineEnd end, const std::optional<profile_lines::KeyPlace>& key);
    std::string_view own(std::string text);
    std::optional<std::size_t> sectionPosition(std::string_view name) const;
    const Section* findSection(std::string_view name) const;
    Section* findSection(std::string_view name);
    void rebuildSectionIndex();
    Line* lastLine();

    std::unique_ptr<std::string> m_bytes;  // the file as read; lines view into it
    std::forward_list<std::string> m_owned;  // the text of written lines; it never moves
    std::vector<Line> m_preamble;          // lines before the first header: never read
    std::vector<Section> m_sections;
    NameIndex m_sectionIndex;  // name -> first section, for files of many sections
    static constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    mutable std::size_t m_lastSection = kNoSection;  // the section found last
};

}  // namespace corvinax
