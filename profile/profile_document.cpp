#include "profile/profile_document.h"

#include "platform/text.h"
#include "profile/profile_lines.h"

#include <algorithm>
#include <utility>

namespace corvinax {

using profile_lines::firstNonBlank;
using profile_lines::headerName;
using profile_lines::readValue;
using profile_lines::trimBlanks;

namespace {

constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ULL;

std::uint64_t mix(std::uint64_t hash, std::uint64_t chunk)
{
    hash = (hash ^ chunk) * kHashMultiplier;
    return hash ^ (hash >> 29);
}

}  // namespace

// Eight bytes at a time, the last eight overlapping the ones before when the length is no
// multiple of eight. Names that are equal without regard to case have the same length and their
// high bytes at the same places, so their chunks fold alike.
std::size_t FoldedHash::operator()(std::string_view text) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::uint64_t hash = size * kHashMultiplier;
    if (size < 8) {
        hash = mix(hash, foldedChunk(bytes, size));
    } else {
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8)
            hash = mix(hash, foldedChunk(bytes + i, 8));
        if (i < size)
            hash = mix(hash, foldedChunk(bytes + size - 8, 8));
    }
    // The open tables take the low bits: every bit of the state must reach them.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 33;
    return static_cast<std::size_t>(hash);
}

bool FoldedEqual::operator()(std::string_view a, std::string_view b) const
{
    return equalsIgnoringCase(a, b);
}

ProfileDocument::ProfileDocument() : m_bytes(std::make_unique<std::string>()) {}
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;
ProfileDocument::~ProfileDocument() = default;

ProfileDocument::Line ProfileDocument::makeLine(std::string_view text, LineEnd end)
{
    return lineOf(text, end, profile_lines::keyPlace(text, firstNonBlank(text), text.find('=')));
}

ProfileDocument::Line ProfileDocument::lineOf(std::string_view text, LineEnd end,
                                              const std::optional<profile_lines::KeyPlace>& key)
{
    Line line{text, end};
    if (key) {
        line.isKey = true;
        line.keyBegin = key->keyBegin;
        line.keyLength = key->keyLength;
        line.valueBegin = key->valueBegin;
        line.valueLength = key->valueLength;
    }
    return line;
}

std::string_view ProfileDocument::own(std::string text)
{
    return m_owned.emplace_front(std::move(text));
}

const ProfileDocument::NameIndex& ProfileDocument::Section::index() const
{
    if (!indexed) {
        keyIndex.clear();
        keyIndex.reserve(body.size());
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i].isKey)
                keyIndex.try_emplace(body[i].key(), i);
        }
        indexed = true;
    }
    return keyIndex;
}

ProfileDocument ProfileDocument::parse(std::string bytes)
{
    ProfileDocument document;
    *document.m_bytes = std::move(bytes);
    const std::string_view all = *document.m_bytes;
    // Scratch kept from file to file: a run parses thousands of reports one after another.
    thread_local std::vector<Line> lines;
    thread_local std::vector<std::size_t> headers;  // positions in lines
    lines.clear();
    headers.clear();
    profile_lines::forEachLine(all, [](const profile_lines::ScannedLine& line) {
        if (line.header)
            headers.push_back(lines.size());
        lines.push_back(lineOf(line.text, line.end, line.key));
    });

    // Every body is allocated once, at its final size.
    const std::size_t firstHeader = headers.empty() ? lines.size() : headers.front();
    document.m_preamble.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(firstHeader));
    document.m_sections.resize(headers.size());
    for (std::size_t i = 0; i < headers.size(); ++i) {
        Section& section = document.m_sections[i];
        const std::size_t bodyEnd = i + 1 < headers.size() ? headers[i + 1] : lines.size();
        section.header = lines[headers[i]];
        section.name = *headerName(section.header.text);
        section.body.assign(lines.begin() + static_cast<std::ptrdiff_t>(headers[i] + 1),
                            lines.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    }
    document.rebuildSectionIndex();
    return document;
}

std::string ProfileDocument::serialize() const
{
    std::string bytes;
    bytes.reserve(m_bytes->size() + 64);
    auto put = [&bytes](const Line& line) {
        bytes += line.text;
        switch (line.end) {
        case LineEnd::None: break;
        case LineEnd::CrLf: bytes += "\r\n"; break;
        case LineEnd::Lf: bytes += '\n'; break;
        case LineEnd::Cr: bytes += '\r'; break;
        }
    };
    for (const Line& line : m_preamble)
        put(line);
    for (const Section& section : m_sections) {
        put(section.header);
        for (const Line& line : section.body)
            put(line);
    }
    return bytes;
}

// A report has a handful of sections, searched faster than an index is built; a settings file
// with a state section per check directory gets the index.
constexpr std::size_t kIndexedSections = 12;

void ProfileDocument::rebuildSectionIndex()
{
    m_lastSection = kNoSection;
    m_sectionIndex.clear();
    if (m_sections.size() < kIndexedSections)
        return;
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.try_emplace(m_sections[i].name, i);
}

std::optional<std::size_t> ProfileDocument::sectionPosition(std::string_view name) const
{
    name = trimBlanks(name);
    // A run asks for one section many times in a row: the last one found is tried first. Sections
    // are only ever added after it, so it stays the first of its name until one is erased.
    if (m_lastSection < m_sections.size() && equalsIgnoringCase(m_sections[m_lastSection].name, name))
        return m_lastSection;
    std::optional<std::size_t> found;
    if (m_sections.size() < kIndexedSections) {
        for (std::size_t i = 0; i < m_sections.size() && !found; ++i) {
            if (equalsIgnoringCase(m_sections[i].name, name))
                found = i;
        }
    } else if (const auto indexed = m_sectionIndex.find(name); indexed != m_sectionIndex.end()) {
        found = indexed->second;
    }
    if (found)
        m_lastSection = *found;
    return found;
}

// Names are looked up trimmed of blanks, as the file's own names are read.
const ProfileDocument::Section* ProfileDocument::findSection(std::string_view name) const
{
    const auto position = sectionPosition(name);
    return position ? &m_sections[*position] : nullptr;
}

ProfileDocument::Section* ProfileDocument::findSection(std::string_view name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

const ProfileDocument::Line* ProfileDocument::findLine(std::string_view section, std::string_view key) const
{
    key = trimBlanks(key);
    const Section* found = findSection(section);
    if (!found)
        return nullptr;
    // A few lines are searched faster than an index is built.
    if (!found->indexed && found->body.size() <= 16) {
        for (const Line& line : found->body) {
            if (line.isKey && equalsIgnoringCase(line.key(), key))
                return &line;
        }
        return nullptr;
    }
    const auto& index = found->index();
    const auto line = index.find(key);
    return line == index.end() ? nullptr : &found->body[line->second];
}

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const
{
    const Line* line = findLine(section, key);
    return line ? std::optional<std::string>(readValue(line->rawValue())) : std::nullopt;
}

std::optional<std::string> ProfileDocument::writtenValue(std::string_view section, std::string_view key) const
{
    const Line* line = findLine(section, key);
    return line ? std::optional<std::string>(line->rawValue()) : std::nullopt;
}

void ProfileDocument::values(std::string_view section, std::span<const std::string_view> keys,
                             std::span<std::optional<std::string_view>> found) const
{
    std::fill(found.begin(), found.end(), std::nullopt);
    const Section* inSection = findSection(section);
    if (!inSection)
        return;
    std::size_t missing = std::min(keys.size(), found.size());
    for (const Line& line : inSection->body) {
        if (!line.isKey)
            continue;
        for (std::size_t i = 0; i < keys.size() && i < found.size(); ++i) {
            if (!found[i] && equalsIgnoringCase(line.key(), trimBlanks(keys[i]))) {
                found[i] = readValue(line.rawValue());
                if (--missing == 0)
                    return;
            }
        }
    }
}

namespace {

// The names a name list gives, as views: every name, or what a buffer of the Windows size holds.
void fitNames(const std::vector<std::string_view>& all, NameList form, std::vector<std::string_view>& names)
{
    if (form == NameList::WindowsBuffer) {
        fitNameBuffer(all, kWindowsNameBufferSize, names);
        return;
    }
    names.clear();
    names.reserve(all.size());
    for (std::string_view name : all) {
        if (!name.empty())
            names.push_back(name);
    }
}

// Whether no two of the hashes are equal (the low bit aside): told in a small open table.
bool allHashesDistinct(const std::vector<std::size_t>& hashes)
{
    std::size_t size = 16;
    while (size < 2 * hashes.size())
        size *= 2;
    thread_local std::vector<std::size_t> table;
    table.assign(size, 0);
    for (const std::size_t hash : hashes) {
        const std::size_t marked = hash | 1;  // 0 marks a free slot
        std::size_t slot = marked & (size - 1);
        while (table[slot] != 0) {
            if (table[slot] == marked)
                return false;
            slot = (slot + 1) & (size - 1);
        }
        table[slot] = marked;
    }
    return true;
}

// Whether no two names are equal without regard to case, the usual case; a shared hash sends the
// caller to the exact comparison.
bool allDistinct(const std::vector<std::string_view>& names)
{
    thread_local std::vector<std::size_t> hashes;
    hashes.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        hashes[i] = FoldedHash{}(names[i]);
    return allHashesDistinct(hashes);
}

}  // namespace

bool ProfileDocument::Section::keysDistinct() const
{
    if (distinct == Distinct::Unknown) {
        thread_local std::vector<std::string_view> keys;
        keys.clear();
        for (const Line& line : body) {
            if (line.isKey && line.keyLength != 0)
                keys.push_back(line.key());
        }
        distinct = allDistinct(keys) ? Distinct::Yes : Distinct::No;
    }
    return distinct == Distinct::Yes;
}

std::vector<std::string> ProfileDocument::sectionNames(NameList form) const
{
    std::vector<std::string_view> names;
    sectionNames(form, names);
    return {names.begin(), names.end()};
}

void ProfileDocument::sectionNames(NameList form, std::vector<std::string_view>& names) const
{
    thread_local std::vector<std::string_view> all;
    all.clear();
    for (const Section& section : m_sections)
        all.push_back(section.name);
    fitNames(all, form, names);
}

std::vector<std::string> ProfileDocument::keyNames(std::string_view section, NameList form) const
{
    std::vector<std::string_view> all;
    if (const Section* found = findSection(section)) {
        all.reserve(found->body.size());
        for (const Line& line : found->body) {
            if (line.isKey)
                all.push_back(line.key());
        }
    }
    std::vector<std::string_view> names;
    fitNames(all, form, names);
    return {names.begin(), names.end()};
}

void ProfileDocument::sectionValues(std::string_view section, NameList form, std::vector<NameValue>& entries) const
{
    entries.clear();
    const Section* found = findSection(section);
    if (!found)
        return;
    // The names as the name list gives them, with the line of each; only the last name of a full
    // Windows buffer can be cut short of its key, and is then read as a key of its own (no line).
    // Scratch lists kept from call to call: a run reads thousands of sections one after another.
    thread_local std::vector<const Line*> lines;
    thread_local std::vector<std::string_view> names;
    lines.clear();
    names.clear();
    bool cut = false;
    if (form == NameList::Complete) {
        lines.resize(found->body.size());
        names.resize(found->body.size());
        std::size_t count = 0;
        for (const Line& line : found->body) {
            lines[count] = &line;
            names[count] = line.key();
            count += line.isKey && line.keyLength != 0 ? 1 : 0;
        }
        lines.resize(count);
        names.resize(count);
    } else {
        thread_local std::vector<std::string_view> keys;
        keys.clear();
        for (const Line& line : found->body) {
            if (line.isKey) {
                lines.push_back(&line);
                keys.push_back(line.key());
            }
        }
        fitNames(keys, form, names);
        lines.resize(names.size());
        cut = !names.empty() && names.back().size() != keys[names.size() - 1].size();
        if (cut)
            lines.back() = nullptr;
    }
    auto lineOf = [found](std::size_t i) -> const Line* {
        if (lines[i])
            return lines[i];
        const auto& index = found->index();
        const auto match = index.find(names[i]);
        return match == index.end() ? nullptr : &found->body[match->second];
    };

    // Whole names are some of the section's keys: when those are distinct, so are they.
    if (cut ? allDistinct(names) : found->keysDistinct()) {
        entries.resize(names.size());
        std::size_t filled = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Line* line = lineOf(i);
            const std::string_view value = line ? readValue(line->rawValue()) : std::string_view();
            entries[filled] = {names[i], value};
            filled += value.empty() ? 0 : 1;
        }
        entries.resize(filled);
        return;
    }

    // Names that are equal without regard to case form one entry: at the place of the first, under
    // the spelling of the last, with the value of the key's first line; an empty value gives none.
    // Equal names are found by sorting their folded hashes, which needs no allocation per name.
    struct Item {
        std::size_t hash;
        std::size_t position;  // in names
    };
    thread_local std::vector<Item> items;
    items.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        items[i] = {FoldedHash{}(names[i]), i};
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.hash != b.hash ? a.hash < b.hash : a.position < b.position; });

    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    thread_local std::vector<std::size_t> lastSpelling;  // at a group's first position
    lastSpelling.assign(names.size(), kNone);
    for (std::size_t a = 0; a < items.size(); ++a) {
        const std::size_t first = items[a].position;
        if (lastSpelling[first] == kNone - 1)
            continue;  // already part of an earlier group
        lastSpelling[first] = first;
        for (std::size_t b = a + 1; b < items.size() && items[b].hash == items[a].hash; ++b) {
            const std::size_t other = items[b].position;
            if (lastSpelling[other] == kNone && FoldedEqual{}(names[first], names[other])) {
                lastSpelling[first] = other;
                lastSpelling[other] = kNone - 1;
            }
        }
    }

    for (std::size_t i = 0; i < names.size(); ++i) {
        if (lastSpelling[i] >= kNone - 1)
            continue;
        // The first name of a group stands on the key's first line.
        const Line* line = lineOf(i);
        const std::string_view value = line ? readValue(line->rawValue()) : std::string_view();
        if (!value.empty())
            entries.push_back({names[lastSpelling[i]], value});
    }
}

void ProfileDocument::appendSectionValues(std::string_view section, std::vector<std::string>& list,
                                          NameList form) const
{
    if (list.empty()) {
        std::vector<NameValue> entries;
        sectionValues(section, form, entries);
        for (const auto& [name, value] : entries) {
            std::string entry;
            entry.reserve(name.size() + 1 + value.size());
            entry.append(name).append(1, '=').append(value);
            list.push_back(std::move(entry));
        }
        return;
    }
    // A list that holds entries already: each name replaces or removes its own entry there.
    std::unordered_map<std::string, std::size_t, FoldedHash, FoldedEqual> positions;
    for (std::size_t i = 0; i < list.size(); ++i)
        positions.try_emplace(list[i].substr(0, list[i].find('=')), i);
    std::vector<bool> removed(list.size(), false);
    for (const std::string& name : keyNames(section, form)) {
        const std::string text = value(section, name).value_or(std::string());
        const auto existing = positions.find(name);
        if (text.empty()) {
            if (existing != positions.end()) {
                removed[existing->second] = true;
                positions.erase(existing);
            }
            continue;
        }
        if (existing != positions.end()) {
            list[existing->second] = name + '=' + text;
        } else {
            positions.emplace(name, list.size());
            list.push_back(name + '=' + text);
            removed.push_back(false);
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (removed[i])
            continue;
        if (kept != i)
            list[kept] = std::move(list[i]);
        ++kept;
    }
    list.resize(kept);
}

ProfileDocument::Line* ProfileDocument::lastLine()
{
    if (!m_sections.empty()) {
        Section& last = m_sections.back();
        return last.body.empty() ? &last.header : &last.body.back();
    }
    return m_preamble.empty() ? nullptr : &m_preamble.back();
}

std::string_view ProfileDocument::trimmedName(std::string_view name)
{
    return trimBlanks(name);
}

bool ProfileDocument::storableKey(std::string_view key)
{
    return !key.empty() && trimBlanks(key).size() == key.size() && key.front() != ';' && key.front() != '[' &&
           key.find_first_of("=\r\n") == std::string_view::npos;
}

void ProfileDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    Section* found = findSection(section);
    if (!found) {
        if (Line* last = lastLine(); last && last->end == LineEnd::None)
            last->end = LineEnd::CrLf;
        Section added;
        added.name = own(std::string(section));
        added.header = Line{own('[' + std::string(section) + ']'), LineEnd::CrLf};
        added.body.push_back(makeLine(own(std::string(key) + '=' + std::string(value)), LineEnd::CrLf));
        m_sections.push_back(std::move(added));
        if (m_sections.size() == kIndexedSections)
            rebuildSectionIndex();
        else if (m_sections.size() > kIndexedSections)
            m_sectionIndex.try_emplace(m_sections.back().name, m_sections.size() - 1);
        return;
    }

    const auto& index = found->index();
    if (const auto existing = index.find(key); existing != index.end()) {
        const std::size_t row = existing->second;
        Line& target = found->body[row];
        const std::string text = std::string(target.key()) + '=' + std::string(value);
        const std::string_view oldKey = target.key();
        target = makeLine(own(text), target.end);
        // The index keys view into the lines: the replaced line's key must be the one it holds.
        found->keyIndex.erase(oldKey);
        found->keyIndex.try_emplace(target.key(), row);
        return;
    }

    // A new key goes after the section's last non-blank line, before the blank lines that part it
    // from the next section.
    std::size_t position = found->body.size();
    while (position > 0 && trimBlanks(found->body[position - 1].text).empty())
        --position;
    Line& before = position == 0 ? found->header : found->body[position - 1];
    if (before.end == LineEnd::None)
        before.end = LineEnd::CrLf;
    const bool atEnd = position == found->body.size();
    found->body.insert(found->body.begin() + static_cast<std::ptrdiff_t>(position),
                       makeLine(own(std::string(key) + '=' + std::string(value)), LineEnd::CrLf));
    if (atEnd) {
        found->keyIndex.try_emplace(found->body[position].key(), position);
        found->distinct = Section::Distinct::Unknown;
    } else {
        found->invalidateIndex();
    }
}

bool ProfileDocument::deleteKey(std::string_view section, std::string_view key)
{
    key = trimBlanks(key);
    Section* found = findSection(section);
    if (!found)
        return false;
    const auto& index = found->index();
    const auto existing = index.find(key);
    if (existing == index.end())
        return false;
    const std::size_t row = existing->second;
    found->invalidateIndex();
    found->body.erase(found->body.begin() + static_cast<std::ptrdiff_t>(row));
    return true;
}

bool ProfileDocument::eraseSection(std::string_view section)
{
    const auto position = sectionPosition(section);
    if (!position)
        return false;
    const std::size_t row = *position;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(row));
    rebuildSectionIndex();
    return true;
}

}  // namespace corvinax
