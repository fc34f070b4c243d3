#include "reports/quick_report.h"

#include "profile/name_list.h"
#include "profile/profile_lines.h"
#include "profile/text.h"
#include "reports/signature_sums.h"

namespace corvinax {

namespace {

// More sections than a report has are left to the full reading, which indexes them.
constexpr std::size_t kMaxSections = 16;

struct SectionRole {
    bool summed = false;  // its values count for the signature
    bool info = false;
    bool changes = false;
    bool signature = false;
};

SectionRole roleOf(std::string_view name)
{
    return {name.find("Signature") == std::string_view::npos, equalsIgnoringCase(name, "Info"),
            equalsIgnoringCase(name, "Config_changes"), equalsIgnoringCase(name, "Signature")};
}

// What a Windows name list holds: a name is whole only while room remains after it for one more.
class NameRoom {
public:
    bool take(std::string_view name)
    {
        if (name.empty() || name.size() + 1 >= m_room)
            return false;
        m_room -= name.size() + 1;
        return true;
    }

private:
    std::size_t m_room = kWindowsNameBufferSize - 1;
};

class QuickReader {
public:
    QuickReader(QuickReport& report, std::string_view bytes) : m_report(report)
    {
        m_sums.setReadable(bytes);
        m_report.info.fill(std::nullopt);
        m_report.changes.clear();
        m_report.storedSignature.reset();
        m_sections.clear();
        m_keyHashes.clear();
    }

    bool line(const profile_lines::ScannedLine& line)
    {
        if (line.header)
            return section(*line.header);
        if (!line.key || m_sections.empty())
            return true;
        const auto& place = *line.key;
        return key(line.text.substr(place.keyBegin, place.keyLength),
                   profile_lines::readValue(line.text.substr(place.valueBegin, place.valueLength)));
    }

    bool finish()
    {
        if (!endSection())
            return false;
        m_report.signature = m_sums.text();
        return true;
    }

private:
    bool section(std::string_view name)
    {
        if (!endSection() || m_sections.size() == kMaxSections || !m_sectionRoom.take(name))
            return false;
        for (std::string_view other : m_sections) {
            if (equalsIgnoringCase(other, name))
                return false;
        }
        m_sections.push_back(name);
        m_role = roleOf(name);
        m_keyRoom = NameRoom();
        return true;
    }

    bool key(std::string_view name, std::string_view value)
    {
        if (!m_keyRoom.take(name))
            return false;
        m_keyHashes.push_back(FoldedHash{}(name));
        if (m_role.info) {
            for (std::size_t i = 0; i < kInfoKeys.size(); ++i) {
                // The last letters tell the keys apart before the whole names are compared.
                if (!m_report.info[i] && name.size() == kInfoKeys[i].size() &&
                    foldByte(static_cast<unsigned char>(name.back())) == foldByte(static_cast<unsigned char>(kInfoKeys[i].back())) &&
                    equalsIgnoringCase(name, kInfoKeys[i]))
                    m_report.info[i] = value;
            }
        }
        if (m_role.signature && name == "0")
            m_report.storedSignature = value;
        if (value.empty())
            return true;  // a key without a value is no entry of the section
        if (m_role.summed)
            m_sums.add(name, value);
        if (m_role.changes)
            m_report.changes.push_back({name, value});
        return true;
    }

    bool endSection()
    {
        const bool distinct = allHashesDistinct(m_keyHashes);
        m_keyHashes.clear();
        return distinct;
    }

    QuickReport& m_report;
    SignatureSums m_sums;
    NameRoom m_sectionRoom;
    NameRoom m_keyRoom;
    SectionRole m_role;
    // Scratch kept from report to report.
    static thread_local std::vector<std::string_view> m_sections;
    static thread_local std::vector<std::size_t> m_keyHashes;
};

thread_local std::vector<std::string_view> QuickReader::m_sections;
thread_local std::vector<std::size_t> QuickReader::m_keyHashes;

}  // namespace

bool readQuickly(std::string_view bytes, QuickReport& report)
{
    QuickReader reader(report, bytes);
    bool plain = true;
    profile_lines::forEachLine(bytes, [&](const profile_lines::ScannedLine& line) { return plain = reader.line(line); });
    return plain && reader.finish();
}

}  // namespace corvinax
