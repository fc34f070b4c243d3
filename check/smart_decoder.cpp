#include "check/smart_decoder.h"

#include "check/file_operations.h"
#include "profile/profile_file.h"

namespace corvinax {

namespace {

constexpr std::size_t kMaxTail = 255;

bool containsSmart(std::string_view line)
{
    std::string upper(line);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.find("SMART") != std::string::npos;
}

}  // namespace

SmartDecoder::SmartDecoder(std::function<std::string()> dictionaryPath) : m_dictionaryPath(std::move(dictionaryPath))
{
}

void SmartDecoder::load()
{
    const std::string path = m_dictionaryPath();
    if (!isRegularFile(path))
        return;
    ProfileFile dictionary(path);
    m_language = dictionary.readString("Main", "ParamName", m_language);
    // The <V>, <W>, <T> and <R> keys belong to the format but play no part in decoding.
    const std::string unknown = dictionary.readString(m_language, "unknown", "unknown");
    std::vector<std::string> entries;
    entries.reserve(kAttributeCount);
    for (int n = 0; n < kAttributeCount; ++n) {
        const std::string number = std::to_string(n);
        entries.push_back("[" + number + "] " + dictionary.readString(m_language, number, unknown));
    }
    m_entries = std::move(entries);
}

std::string SmartDecoder::DecodeSMART(std::string_view line)
{
    if (!m_entries)
        load();
    if (!m_entries)
        return std::string(line);
    if (line == "Free") {
        m_entries.reset();
        return std::string(line);
    }
    return decode(line);
}

std::string SmartDecoder::decode(std::string_view line) const
{
    if (!containsSmart(line))
        return std::string(line);
    const std::size_t open = line.find('<');
    const std::size_t close = line.find('>');
    if (open == std::string_view::npos || close == std::string_view::npos || open + 1 >= close)
        return std::string(line);
    const std::string key = "[" + std::string(line.substr(open + 1, close - open - 1)) + "] ";
    for (const std::string& entry : *m_entries) {
        if (entry.starts_with(key))
            return std::string(line.substr(0, open)) + entry + std::string(line.substr(close + 1, kMaxTail));
    }
    return std::string(line);
}

}  // namespace corvinax
