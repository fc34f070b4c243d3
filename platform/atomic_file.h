#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <ctime>

namespace corvinax {

// No file larger than this is read whole: a report, a settings file or a dictionary of that size is
// no such file, and a sparse file of any size must not take the memory of a run.
constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

// Writes all of bytes to an open file descriptor, going on after interruptions; false on an error.
bool writeAll(int fd, std::string_view bytes);

// Reads a whole file; false when it is missing, a directory, unreadable or larger than kMaxReadBytes.
bool readWholeFile(const std::string& path, std::string& bytes);

// Why the local file at path exists but cannot be read as a file (not a regular file, not readable,
// larger than kMaxReadBytes), in the system's words; empty when it can, or when it is missing.
std::string whyUnreadable(const std::string& path);
// The same for the file of that name (listed bytes) in an open directory, a link followed; a
// missing file is a reason here.
std::string whyUnreadableAt(int directoryFd, std::string_view name);

// Reads the whole file of that name (bytes as the directory listing gave them) in an open
// directory: only a regular file, and a link's target only when followLink is set. info receives
// what the open file tells of itself. false when it cannot be read.
bool readWholeFileAt(int directoryFd, std::string_view name, std::string& bytes, struct stat& info, bool followLink);

// An open local directory, through which the files in it are reached without walking its path
// again for each of them.
class OpenDirectory {
public:
    // Not open (valid() false) when the path is no local directory that can be opened.
    explicit OpenDirectory(const std::string& path);
    ~OpenDirectory();
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;

    bool valid() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    // readWholeFile of the file of that name in the directory, the name being the bytes the
    // directory listing gave. A link is followed.
    bool readWholeFile(std::string_view name, std::string& bytes) const;

private:
    int m_fd = -1;
};

// Replaces the file at path by bytes as one step: a new file is written beside it, flushed to disk
// and renamed over it, so a reader or a crash sees the old file or the new one, never a torn one.
// An existing file keeps its permissions (and, where allowed, its owner). A link on the way is
// followed only when the running user or the owner of its folder made it (findWritePlace): the
// file it names is replaced; any other link refuses the write (EACCES). Refuses a read-only file
// and anything but a regular file. Returns false, with errno set, on any failure, leaving the old
// file. A new file is readable by its owner only when ownerOnly is set, else as the umask allows.
bool replaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly = false);

// Every new file the program writes beside another is created under this marker followed by
// kNewFileRandomLength random letters and digits, a name no person or other tool would use, so
// that what a killed process left behind can be told from everything else in the folder.
inline constexpr const char* kNewFileMarker = ".corvinax-new-";
inline constexpr std::size_t kNewFileRandomLength = 12;

// What a new file written in place of another takes along: its permission bits, its owner (when
// it is not the running user) and its last-write time.
struct NewFileAttributes {
    mode_t mode = 0600;
    std::optional<std::pair<uid_t, gid_t>> owner;
    std::optional<timespec> modified;
};

// Writes bytes as a new file of the open folder, under a short name of its own (kNewFileMarker and
// random characters, created with O_EXCL|O_NOFOLLOW: never through a link, never over another file),
// flushes it and renames it over name, so that a reader or a crash finds the old file or the new
// one; a link of that name is replaced, never followed. mayRename can refuse at the last moment.
// false, with errno set and no new file left behind, on any failure.
bool replaceInFolder(int folderFd, const std::string& name, std::string_view bytes, const NewFileAttributes& attributes,
                     const std::function<bool()>& mayRename = {});

// Removes the new files that a killed process of this program left in the open folder: names of
// kNewFileMarker and its random characters exactly, regular files of the running user with one
// link, older than a replacement could take.
void removeLeftoverNewFiles(int folderFd);
// The same in the folder that holds the file at path (links followed as findWritePlace allows).
void removeInterruptedReplacements(const std::string& path);

}  // namespace corvinax
