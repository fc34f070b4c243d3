#include "check/smart_decoder.h"

#include "platform/file_operations.h"
#include "profile/profile_file.h"

#include <algorithm>

namespace corvinax {

namespace {

constexpr std::size_t kMaxTail = 255;

// "SMART" in any mix of Latin capitals and small letters. A character is a given capital letter or
// its small form exactly when it equals the capital with the bit that tells the two apart cleared.
bool containsSmart(std::string_view line)
{
    constexpr std::string_view kSmart = "SMART";
    constexpr char kCaseBit = 0x20;
    for (std::size_t i = 0; i + kSmart.size() <= line.size(); ++i) {
        std::size_t n = 0;
        while (n < kSmart.size() && (line[i + n] & ~kCaseBit) == kSmart[n])
            ++n;
        if (n == kSmart.size())
            return true;
    }
    return false;
}

// The entry that a number in its shortest decimal form names: entries begin with "[n] " in order.
std::optional<std::size_t> entryOfNumber(std::string_view number, std::size_t count)
{
    std::size_t value = 0;
    if (number.empty() || number.size() > 3 || (number.size() > 1 && number[0] == '0'))
        return std::nullopt;
    for (char c : number) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value < count ? std::optional<std::size_t>(value) : std::nullopt;
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
    const std::string_view inside = line.substr(open + 1, close - open - 1);
    auto decoded = [&](const std::string& entry) {
        return std::string(line.substr(0, open)) + entry + std::string(line.substr(close + 1, kMaxTail));
    };
    // A plain number can only begin its own entry; anything else is looked for entry by entry.
    if (const auto index = entryOfNumber(inside, m_entries->size()))
        return decoded((*m_entries)[*index]);
    if (std::all_of(inside.begin(), inside.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::string(line);
    const std::string key = "[" + std::string(inside) + "] ";
    for (const std::string& entry : *m_entries) {
        if (entry.starts_with(key))
            return decoded(entry);
    }
    return std::string(line);
}

}  // namespace corvinax
