#pragma once

// Turns the bracketed S.M.A.R.T. attribute number of a change line into the attribute's name from
// the dictionary file.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

class SmartDecoder {
public:
    static constexpr int kAttributeCount = 257;  // 0 to 256

    // dictionaryPath is asked at each load, so that a changed setting counts from the next run.
    explicit SmartDecoder(std::function<std::string()> dictionaryPath);

    // The line with its first bracketed number replaced by the dictionary entry, or unchanged.
    // "Free" releases the dictionary (the next call loads it afresh) and comes back as it is.
    std::string DecodeSMART(std::string_view line);

    const std::string& languageName() const { return m_language; }
    bool loaded() const { return m_entries.has_value(); }

private:
    void load();
    std::string decode(std::string_view line) const;

    std::function<std::string()> m_dictionaryPath;
    std::string m_language = "ENG";
    std::optional<std::vector<std::string>> m_entries;
};

}  // namespace corvinax
