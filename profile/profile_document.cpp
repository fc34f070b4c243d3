#include "profile/profile_document.h"

#include "profile/text.h"

#include <algorithm>
#include <utility>

namespace corvinax {

namespace {

bool isBlank(char c)
{
    switch (c) {
    case ' ': case '\t': case '\v': case '\f': case '\r': case '\n': case '\x1A':
        return true;
    default:
        return false;
    }
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "[name]" begins a section; the name runs to the last "]" of the line.
std::optional<std::string_view> headerName(std::string_view rawLine)
{
    const std::string_view line = trimBlanks(rawLine);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> splitKeyLine(std::string_view rawLine)
{
    const std::string_view line = trimBlanks(rawLine);
    if (line.empty() || line.front() == ';')
        return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))};
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::vector<std::string> applyForm(std::vector<std::string> names, NameList form)
{
    if (form == NameList::WindowsBuffer)
        return fitNameBuffer(names, kWindowsNameBufferSize);
    std::erase_if(names, [](const std::string& name) { return name.empty(); });
    return names;
}

}  // namespace

const std::unordered_map<std::string, std::size_t>& ProfileDocument::Section::index() const
{
    if (!indexed) {
        keyIndex.clear();
        keyIndex.reserve(body.size());
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (const auto keyLine = splitKeyLine(body[i].text))
                keyIndex.try_emplace(foldCase(keyLine->key), i);
        }
        indexed = true;
    }
    return keyIndex;
}

ProfileDocument ProfileDocument::parse(std::string_view bytes)
{
    ProfileDocument document;
    std::vector<Line>* current = &document.m_preamble;
    std::size_t position = 0;
    while (position < bytes.size()) {
        std::size_t stop = position;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        Line line{std::string(bytes.substr(position, stop - position)), LineEnd::None};
        position = stop;
        if (position < bytes.size()) {
            if (bytes[position] == '\r' && position + 1 < bytes.size() && bytes[position + 1] == '\n') {
                line.end = LineEnd::CrLf;
                position += 2;
            } else {
                line.end = bytes[position] == '\r' ? LineEnd::Cr : LineEnd::Lf;
                position += 1;
            }
        }
        if (const auto name = headerName(line.text)) {
            Section section;
            section.name = std::string(*name);
            section.header = std::move(line);
            document.m_sections.push_back(std::move(section));
            current = &document.m_sections.back().body;
        } else {
            current->push_back(std::move(line));
        }
    }
    document.rebuildSectionIndex();
    return document;
}

std::string ProfileDocument::serialize() const
{
    std::string bytes;
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

void ProfileDocument::rebuildSectionIndex()
{
    m_sectionIndex.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.try_emplace(foldCase(m_sections[i].name), i);
}

const ProfileDocument::Section* ProfileDocument::findSection(std::string_view name) const
{
    const auto found = m_sectionIndex.find(foldCase(name));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

ProfileDocument::Section* ProfileDocument::findSection(std::string_view name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const auto& index = found->index();
    const auto line = index.find(foldCase(key));
    if (line == index.end())
        return std::nullopt;
    const std::string_view text = unquote(splitKeyLine(found->body[line->second].text)->value);
    return std::string(text.substr(0, kMaxValueLength));
}

std::vector<std::string> ProfileDocument::sectionNames(NameList form) const
{
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections)
        names.push_back(section.name);
    return applyForm(std::move(names), form);
}

std::vector<std::string> ProfileDocument::keyNames(std::string_view section, NameList form) const
{
    std::vector<std::string> names;
    if (const Section* found = findSection(section)) {
        names.reserve(found->body.size());
        for (const Line& line : found->body) {
            if (const auto keyLine = splitKeyLine(line.text))
                names.emplace_back(keyLine->key);
        }
    }
    return applyForm(std::move(names), form);
}

void ProfileDocument::appendSectionValues(std::string_view section, std::vector<std::string>& list,
                                          NameList form) const
{
    // Folded name -> position in list, so that each key costs one look-up, not a scan of the list.
    std::unordered_map<std::string, std::size_t> positions;
    for (std::size_t i = 0; i < list.size(); ++i)
        positions.try_emplace(foldCase(std::string_view(list[i]).substr(0, list[i].find('='))), i);
    std::vector<bool> removed(list.size(), false);

    for (const std::string& name : keyNames(section, form)) {
        const std::string text = value(section, name).value_or(std::string());
        const auto existing = positions.find(foldCase(name));
        if (text.empty()) {
            if (existing != positions.end()) {
                removed[existing->second] = true;
                positions.erase(existing);
            }
            continue;
        }
        std::string entry = name + '=' + text;
        if (existing != positions.end()) {
            list[existing->second] = std::move(entry);
        } else {
            positions.emplace(foldCase(name), list.size());
            list.push_back(std::move(entry));
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

void ProfileDocument::appendLine(std::vector<Line>& lines, std::size_t position, std::string text)
{
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position), Line{std::move(text), LineEnd::CrLf});
}

void ProfileDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::string line = std::string(key) + '=' + std::string(value);
    Section* found = findSection(section);
    if (!found) {
        if (Line* last = lastLine(); last && last->end == LineEnd::None)
            last->end = LineEnd::CrLf;
        Section added;
        added.name = std::string(section);
        added.header = Line{'[' + std::string(section) + ']', LineEnd::CrLf};
        added.body.push_back(Line{std::move(line), LineEnd::CrLf});
        m_sectionIndex.try_emplace(foldCase(section), m_sections.size());
        m_sections.push_back(std::move(added));
        return;
    }

    const auto& index = found->index();
    if (const auto existing = index.find(foldCase(key)); existing != index.end()) {
        Line& target = found->body[existing->second];
        target.text = std::string(splitKeyLine(target.text)->key) + '=' + std::string(value);
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
    appendLine(found->body, position, std::move(line));
    if (atEnd)
        found->keyIndex.try_emplace(foldCase(key), position);
    else
        found->invalidateIndex();
}

bool ProfileDocument::deleteKey(std::string_view section, std::string_view key)
{
    Section* found = findSection(section);
    if (!found)
        return false;
    const auto& index = found->index();
    const auto existing = index.find(foldCase(key));
    if (existing == index.end())
        return false;
    found->body.erase(found->body.begin() + static_cast<std::ptrdiff_t>(existing->second));
    found->invalidateIndex();
    return true;
}

bool ProfileDocument::eraseSection(std::string_view section)
{
    const auto found = m_sectionIndex.find(foldCase(section));
    if (found == m_sectionIndex.end())
        return false;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(found->second));
    rebuildSectionIndex();
    return true;
}

}  // namespace corvinax
