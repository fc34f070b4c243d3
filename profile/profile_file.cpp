#include "profile/profile_file.h"

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/native_text.h"
#include "platform/private_lock.h"
#include "platform/remote_files.h"
#include "platform/write_place.h"
#include "profile/read_integer.h"

#include <chrono>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace corvinax {

ProfileWriteError::ProfileWriteError(const std::string& path, int error)
    : Error("Unable to write to " + path), m_path(path), m_reason(std::strerror(error))
{
}

namespace {

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The lock held while the file is read, changed and replaced: one of the running user's own
// (PrivateLock), because a lock on the shared file or its folder can be held by any user who may
// read it. Not the file itself either: the replacement puts a new file in the old one's place. The
// wait is bounded, so that a write never hangs.
class WriteLock {
public:
    explicit WriteLock(const std::string& path)
    {
        if (isUncPath(path))
            return;  // shares: the server's own rename is all there is
        WritePlace place;
        const std::string native = nativePath(path);
        m_lock.emplace(findWritePlace(native, place) ? place.path : native, std::chrono::seconds(10));
    }

    bool held() const { return !m_lock || m_lock->held(); }
    int error() const { return m_lock ? m_lock->error() : 0; }

private:
    std::optional<PrivateLock> m_lock;
};

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
        throw ProfileWriteError(m_path, EINVAL);
    current().setValue(section, key, value);
    record(Change::Kind::Set, section, key);
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
    // Recorded even when there was nothing to delete, for a file that another writer changed
    // before this object's next replacement; a file is never written for it alone.
    record(Change::Kind::DeleteKey, section, key);
    if (current().deleteKey(section, key))
        changed();
}

void ProfileFile::eraseSection(std::string_view section)
{
    record(Change::Kind::EraseSection, section, {});
    if (current().eraseSection(section))
        changed();
}

void ProfileFile::record(Change::Kind kind, std::string_view section, std::string_view key)
{
    if (m_changedSections.empty() || m_changedSections.back() != section)
        m_changedSections.emplace_back(section);
    m_changes.push_back({kind, static_cast<std::uint32_t>(m_changedSections.size() - 1), std::string(key)});
}

// Each key set takes the value it has in this object's document now: the last one set, or none when
// a later change of this object removed it again.
void ProfileFile::replayOn(ProfileDocument& fresh) const
{
    for (const Change& change : m_changes) {
        const std::string& section = m_changedSections[change.section];
        switch (change.kind) {
        case Change::Kind::Set:
            if (const auto value = m_document.writtenValue(section, change.key))
                fresh.setValue(section, change.key, *value);
            break;
        case Change::Kind::DeleteKey: fresh.deleteKey(section, change.key); break;
        case Change::Kind::EraseSection: fresh.eraseSection(section); break;
        }
    }
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
    const WriteLock lock(m_path);
    if (!lock.held()) {
        forget();
        throw ProfileWriteError(m_path, lock.error());
    }
    // Another writer replaced the file since it was read: its version gets this object's changes.
    if (const FileStamp onDisk = FileStamp::of(m_path); onDisk != m_stamp) {
        ProfileDocument fresh = readProfileDocument(m_path);
        replayOn(fresh);
        m_document = std::move(fresh);
    }
    if (!replaceFileAtomically(m_path, m_document.serialize(), m_ownerOnly)) {
        const int error = errno;
        forget();
        throw ProfileWriteError(m_path, error);
    }
    m_changes.clear();
    m_changedSections.clear();
    m_stamp = FileStamp::of(m_path);
}

void ProfileFile::forget()
{
    m_loaded = false;
    m_document = ProfileDocument();
    m_changes.clear();
    m_changedSections.clear();
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
    m_changes.clear();
    m_changedSections.clear();
}

void ProfileFile::discardUpdate()
{
    m_updating = false;
    if (std::exchange(m_pending, false))
        forget();
}

}  // namespace corvinax
