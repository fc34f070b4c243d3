#pragma once

// A check directory as one run reaches it: a local one through the directory it opened once, a
// share through the SMB client. Every file is named by the bytes the listing gave, never by the
// text shown for it, so that a name code page 1251 cannot hold still reaches that file alone.

#include "platform/atomic_file.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_set>
#include <vector>

namespace corvinax {

struct ReportCandidate {
    std::string name;           // as shown and stored: displayName of native
    std::string native;         // the bytes of the listing, which reach the file
    std::time_t lastWrite = 0;  // universal time
    bool link = false;          // a link to a file elsewhere: read, but never removed or copied aside
    std::int64_t size = -1;     // as the listing of a share gave it; -1 where the listing did not tell
};

// What a file of the directory tells of itself.
struct ReportFacts {
    std::int64_t size = 0;
    std::time_t lastWrite = 0;  // universal time
};

// What a copy of a report takes along from it.
struct ReportCopySource {
    std::string bytes;
    mode_t mode = 0600;  // permission bits
    timespec modified{};
};

// The shown names, letter case folded, that more than one of the reports has: such reports are never
// remembered, so that one of them cannot hide the other's changes.
std::unordered_set<std::string> ambiguousNames(const std::vector<ReportCandidate>& reports);

class ReportDirectory {
public:
    explicit ReportDirectory(std::string readPath);

    const std::string& path() const { return m_path; }
    bool local() const { return m_open.valid(); }
    const OpenDirectory& open() const { return m_open; }

    // The report candidates, in the order the file system returns them: every regular file, or
    // link to one, whose name does not begin with "." (hidden); on a share every entry that is not
    // hidden, system or a directory. Sub-directories, pipes, sockets, devices and broken or looping
    // links are passed over. The last-write time is filled in only when asked for, which spares a
    // look at every plain file. A directory that cannot be read gives no candidate.
    std::vector<ReportCandidate> list(bool withLastWrite) const;

    // The report's bytes, as a report is read: through a link as well. false when unreadable.
    bool read(std::string_view native, std::string& bytes) const;
    // The same with what a copy takes along. Without followLink only a regular file of the
    // directory itself is read, never a link's target: for a copy that outlives the run.
    bool readForCopy(std::string_view native, ReportCopySource& source, bool followLink) const;
    // Removes a regular file of the directory itself; a link, a directory or a missing name is
    // left alone and gives false.
    bool remove(std::string_view native) const;
    // The file's size and last write: now (a link's target) in a local directory, as the listing
    // gave them on a share; nullopt when the file is gone.
    std::optional<ReportFacts> factsOf(const ReportCandidate& report) const;
    // Replaces a regular file of the directory itself (never a link, never a read-only file) by
    // bytes as one step, keeping its permissions and owner; false, and the file as it was, when
    // it could not.
    bool replace(std::string_view native, std::string_view bytes) const;
    // Whether other names this same directory, links resolved (a share: the same server path).
    bool isSameDirectory(const std::string& other) const;
    // Whether an entry of that name is in the directory now.
    bool holds(std::string_view native) const;

private:
    std::string m_path;
    OpenDirectory m_open;
};

}  // namespace corvinax
