#include "profile/profile_file.h"

#include "profile/atomic_file.h"
#include "profile/error.h"
#include "profile/read_integer.h"

#include <utility>

namespace corvinax {

ProfileWriteError::ProfileWriteError(const std::string& path) : Error("Unable to write to " + path) {}

namespace {

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

ProfileDocument readProfileDocument(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes);
    return ProfileDocument::parse(std::move(bytes));
}

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {}

ProfileDocument& ProfileFile::current()
{
    if (m_updating && m_loaded)
        return m_document;
    const FileStamp stamp = FileStamp::of(m_path);
    if (!m_loaded || stamp != m_stamp) {
        m_document = readProfileDocument(m_path);
        m_stamp = stamp;
        m_loaded = true;
    }
    return m_document;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    if (auto value = current().value(section, key))
        return std::move(*value);
    return std::string(defaultValue.substr(0, ProfileDocument::kMaxValueLength));
}

std::int32_t ProfileFile::readInteger(std::string_view section, std::string_view key, std::int32_t defaultValue)
{
    return parseProfileInteger(readString(section, key, {})).value_or(defaultValue);
}

bool ProfileFile::readFlag(std::string_view section, std::string_view key, bool defaultValue)
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> ProfileFile::readSectionNames(NameList form)
{
    return current().sectionNames(form);
}

std::vector<std::string> ProfileFile::readKeyNames(std::string_view section, NameList form)
{
    return current().keyNames(section, form);
}

void ProfileFile::readSectionValues(std::string_view section, std::vector<std::string>& list, NameList form)
{
    current().appendSectionValues(section, list, form);
}

void ProfileFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    // A name or value that would not read back as written would change the file's structure.
    if (holdsLineBreak(section) || holdsLineBreak(value) || !ProfileDocument::storableKey(ProfileDocument::trimmedName(key)))
        throw ProfileWriteError(m_path);
    current().setValue(section, key, value);
    changed();
}

void ProfileFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    writeString(section, key, std::to_string(value));
}

void ProfileFile::writeFlag(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void ProfileFile::deleteKey(std::string_view section, std::string_view key)
{
    if (current().deleteKey(section, key))
        changed();
}

void ProfileFile::eraseSection(std::string_view section)
{
    if (current().eraseSection(section))
        changed();
}

void ProfileFile::changed()
{
    if (m_updating)
        m_pending = true;
    else
        store();
}

void ProfileFile::store()
{
    if (!replaceFileAtomically(m_path, m_document.serialize(), m_ownerOnly)) {
        forget();
        throw ProfileWriteError(m_path);
    }
    m_stamp = FileStamp::of(m_path);
}

void ProfileFile::forget()
{
    m_loaded = false;
    m_document = ProfileDocument();
}

void ProfileFile::beginUpdate()
{
    current();
    m_updating = true;
    m_pending = false;
}

void ProfileFile::commitUpdate()
{
    m_updating = false;
    if (std::exchange(m_pending, false))
        store();
}

void ProfileFile::discardUpdate()
{
    m_updating = false;
    if (std::exchange(m_pending, false))
        forget();
}

}  // namespace corvinax
