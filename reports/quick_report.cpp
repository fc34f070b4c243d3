#include "reports/quick_report.h"

#include "platform/text.h"
#include "profile/name_list.h"
#include "profile/profile_lines.h"
#include "reports/signature_sums.h"

#include <algorithm>
#include <cstdint>

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

// The keys of a report, told apart per section without regard to case: an open table of a quick
// hash of each key's first and last eight characters, a key compared whole only when its hash
// meets another's. Slots of earlier reports count as free, so the table is never cleared.
class KeySet {
public:
    void startReport()
    {
        if (++m_generation == 0) {  // after four thousand million reports
            m_slots.assign(m_slots.size(), Slot{});
            m_generation = 1;
        }
        m_count = 0;
        if (m_slots.empty())
            m_slots.resize(kFirstSize);
    }

    // False when the section holds an equal key already.
    bool insert(std::uint32_t section, std::string_view key)
    {
        if (2 * (m_count + 1) > m_slots.size())
            grow();
        const std::uint64_t hash = hashOf(section, key);
        std::size_t slot = hash & (m_slots.size() - 1);
        for (; m_slots[slot].generation == m_generation; slot = (slot + 1) & (m_slots.size() - 1)) {
            const Slot& other = m_slots[slot];
            if (other.hash == hash && other.section == section && equalsIgnoringCase(other.key, key))
                return false;
        }
        m_slots[slot] = Slot{hash, key, section, m_generation};
        ++m_count;
        return true;
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::string_view key;
        std::uint32_t section = 0;
        std::uint32_t generation = 0;
    };
    static constexpr std::size_t kFirstSize = 256;

    static std::uint64_t hashOf(std::uint32_t section, std::string_view key)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
        const std::size_t size = key.size();
        const std::uint64_t head = foldedChunk(bytes, std::min<std::size_t>(size, 8));
        const std::uint64_t tail = size > 8 ? foldedChunk(bytes + size - 8, 8) : 0;
        std::uint64_t hash = (head * 0x9E3779B97F4A7C15ULL) ^ (tail * 0xC2B2AE3D27D4EB4FULL) ^
                             ((size << 32 | section) * 0x165667B19E3779F9ULL);
        hash ^= hash >> 29;
        return hash;
    }

    void grow()
    {
        std::vector<Slot> old(2 * m_slots.size());
        old.swap(m_slots);
        m_count = 0;
        const std::uint32_t generation = m_generation;
        for (const Slot& slot : old) {
            if (slot.generation != generation)
                continue;
            std::size_t at = slot.hash & (m_slots.size() - 1);
            while (m_slots[at].generation == generation)
                at = (at + 1) & (m_slots.size() - 1);
            m_slots[at] = slot;
            ++m_count;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    std::uint32_t m_generation = 0;
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
        m_keys.startReport();
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

    void finish() { m_report.signature = m_sums.text(); }

private:
    bool section(std::string_view name)
    {
        if (m_sections.size() == kMaxSections || !m_sectionRoom.take(name))
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
        if (!m_keyRoom.take(name) || !m_keys.insert(static_cast<std::uint32_t>(m_sections.size()), name))
            return false;
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

    QuickReport& m_report;
    SignatureSums m_sums;
    NameRoom m_sectionRoom;
    NameRoom m_keyRoom;
    SectionRole m_role;
    // Scratch kept from report to report.
    static thread_local std::vector<std::string_view> m_sections;
    static thread_local KeySet m_keys;
};

thread_local std::vector<std::string_view> QuickReader::m_sections;
thread_local KeySet QuickReader::m_keys;

}  // namespace

bool readQuickly(std::string_view bytes, QuickReport& report)
{
    QuickReader reader(report, bytes);
    bool plain = true;
    profile_lines::forEachLine(bytes, [&](const profile_lines::ScannedLine& line) { return plain = reader.line(line); });
    if (!plain)
        return false;
    reader.finish();
    return true;
}

}  // namespace corvinax
