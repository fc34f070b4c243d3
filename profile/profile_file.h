#pragma once

// Access to one profile (INI) file: the settings file, a configuration report, the S.M.A.R.T.
// dictionary. The file is parsed once and kept in memory; a read looks at the file's stamp and
// parses again only when the file changed on disk. Reads never fail: a missing or unreadable file
// reads as an empty one. Every write replaces the file as a whole (see replaceFileAtomically), by
// read-modify-replace: under a lock of the running user's own that every process of this program takes,
// the file as it is on disk at that moment gets the changes made through this object, so that what
// another writer put there meanwhile survives.

#include "platform/file_stamp.h"
#include "profile/name_list.h"
#include "profile/profile_document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

// The file at path parsed as it is now; a missing or unreadable file parses as an empty one.
ProfileDocument readProfileDocument(const std::string& path);

class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    // A file this object creates is readable by its owner only (it holds a password, say); an
    // existing file keeps its permissions.
    void setOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }

    const std::string& path() const { return m_path; }

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue);
    std::int32_t readInteger(std::string_view section, std::string_view key, std::int32_t defaultValue);
    bool readFlag(std::string_view section, std::string_view key, bool defaultValue);
    std::vector<std::string> readSectionNames(NameList form = NameList::Complete);
    std::vector<std::string> readKeyNames(std::string_view section, NameList form = NameList::Complete);
    // For each key name in order, its value read as readString does: a non-empty value replaces
    // the list's "name=..." entry (names compared without regard to case) or is appended; an empty
    // value removes such an entry. The list is not cleared first.
    void readSectionValues(std::string_view section, std::vector<std::string>& list,
                           NameList form = NameList::Complete);

    // Each throws ProfileWriteError when the file cannot be written, and then changes nothing.
    // A value or name holding a line break is refused the same way: it would break the file apart.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeFlag(std::string_view section, std::string_view key, bool value);
    void deleteKey(std::string_view section, std::string_view key);
    void eraseSection(std::string_view section);

    // Between beginUpdate and commitUpdate the writes collect in memory and reach the file together
    // in one replacement; a failed commit, or discardUpdate, leaves the file as it was.
    void beginUpdate();
    void commitUpdate();
    void discardUpdate();
    bool updating() const { return m_updating; }

private:
    // A change made through this object; a value set is taken from the document when it is replayed.
    struct Change {
        enum class Kind { Set, DeleteKey, EraseSection } kind;
        std::uint32_t section;  // in m_changedSections
        std::string key;
    };

    ProfileDocument& current();
    void record(Change::Kind kind, std::string_view section, std::string_view key);
    void replayOn(ProfileDocument& fresh) const;
    void changed();
    void store();
    void forget();

    std::string m_path;
    ProfileDocument m_document;
    // Made since the document was read, for a file that another writer replaced meanwhile. A run
    // writes thousands of keys of one section in a row: the section is kept once.
    std::vector<Change> m_changes;
    std::vector<std::string> m_changedSections;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_updating = false;
    bool m_pending = false;
    bool m_ownerOnly = false;
};

// Groups the writes of one scope into one replacement; without commit() they are dropped.
class ProfileUpdate {
public:
    explicit ProfileUpdate(ProfileFile& file) : m_file(file) { m_file.beginUpdate(); }
    ~ProfileUpdate()
    {
        if (!m_done)
            m_file.discardUpdate();
    }
    ProfileUpdate(const ProfileUpdate&) = delete;
    ProfileUpdate& operator=(const ProfileUpdate&) = delete;

    void commit()
    {
        m_done = true;
        m_file.commitUpdate();
    }

private:
    ProfileFile& m_file;
    bool m_done = false;
};

}  // namespace corvinax
