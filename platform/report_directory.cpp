#include "platform/report_directory.h"

#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/remote_files.h"
#include "platform/text.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {

namespace {

// On a share the server's DOS attributes tell hidden and system entries.
std::vector<ReportCandidate> listRemote(const std::string& directory)
{
    std::vector<ReportCandidate> candidates;
    RemoteFiles* remote = remoteFiles();
    const auto entries = remote ? remote->list(directory) : std::nullopt;
    if (!entries)
        return candidates;
    for (const RemoteEntry& entry : *entries) {
        if (!entry.directory && !entry.hidden && !entry.system && entry.native != "." && entry.native != "..")
            candidates.push_back(ReportCandidate{entry.name, entry.native, entry.lastWrite, false, entry.size});
    }
    return candidates;
}

// The entry itself decides when it is a link or the file system does not tell its kind.
bool describe(int fd, const dirent& entry, bool withLastWrite, ReportCandidate& candidate)
{
    if (entry.d_type == DT_REG && !withLastWrite)
        return true;
    struct stat info {};
    if (::fstatat(fd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(info.st_mode)) {
        candidate.link = true;
        if (::fstatat(fd, entry.d_name, &info, 0) != 0)
            return false;
    }
    candidate.lastWrite = info.st_mtim.tv_sec;
    return S_ISREG(info.st_mode);
}

// Servers compare names without regard to case.
std::string foldedUnc(std::string_view uncPath)
{
    while (uncPath.size() > 2 && uncPath.back() == '\\')
        uncPath.remove_suffix(1);
    return foldCase(uncPath);
}

}  // namespace

std::unordered_set<std::string> ambiguousNames(const std::vector<ReportCandidate>& reports)
{
    std::unordered_set<std::string> seen;
    std::unordered_set<std::string> twice;
    for (const ReportCandidate& report : reports) {
        if (std::string name = foldCase(report.name); !seen.insert(name).second)
            twice.insert(std::move(name));
    }
    return twice;
}

ReportDirectory::ReportDirectory(std::string readPath) : m_path(std::move(readPath)), m_open(m_path) {}

std::vector<ReportCandidate> ReportDirectory::list(bool withLastWrite) const
{
    std::vector<ReportCandidate> candidates;
    if (m_path.empty())
        return candidates;  // never the current directory in place of a listed one
    if (isUncPath(m_path))
        return listRemote(m_path);
    const int fd = m_open.valid() ? ::dup(m_open.descriptor()) : -1;
    std::unique_ptr<DIR, int (*)(DIR*)> handle(fd >= 0 ? ::fdopendir(fd) : nullptr, ::closedir);
    if (!handle) {
        if (fd >= 0)
            ::close(fd);
        return candidates;
    }
    ::rewinddir(handle.get());
    while (const dirent* entry = ::readdir(handle.get())) {
        if (entry->d_name[0] == '.')
            continue;
        ReportCandidate candidate;
        if (!describe(m_open.descriptor(), *entry, withLastWrite, candidate))
            continue;
        candidate.native = entry->d_name;
        candidate.name = displayName(candidate.native);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

bool ReportDirectory::read(std::string_view native, std::string& bytes) const
{
    if (isUncPath(m_path)) {
        bytes.clear();
        return remoteFiles() && remoteFiles()->readChild(m_path, native, bytes);
    }
    return m_open.readWholeFile(native, bytes);
}

bool ReportDirectory::readForCopy(std::string_view native, ReportCopySource& source, bool followLink) const
{
    if (isUncPath(m_path)) {
        source.mode = 0600;  // the server does not tell the bits: the copy is its owner's alone
        ::clock_gettime(CLOCK_REALTIME, &source.modified);
        return read(native, source.bytes);
    }
    struct stat info {};
    if (!readWholeFileAt(m_open.descriptor(), native, source.bytes, info, followLink))
        return false;
    source.mode = info.st_mode & 0777;
    source.modified = info.st_mtim;
    return true;
}

bool ReportDirectory::remove(std::string_view native) const
{
    if (isUncPath(m_path))
        return remoteFiles() && remoteFiles()->removeChild(m_path, native);
    const std::string name(native);
    struct stat info {};
    if (!m_open.valid() || name.empty() || name.find('/') != std::string::npos ||
        ::fstatat(m_open.descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return false;
    return ::unlinkat(m_open.descriptor(), name.c_str(), 0) == 0;
}

// A share's reports are not asked again: a round trip to a slow server for each would cost what the
// listing already told.
std::optional<ReportFacts> ReportDirectory::factsOf(const ReportCandidate& report) const
{
    if (isUncPath(m_path)) {
        if (report.size < 0)
            return std::nullopt;
        return ReportFacts{report.size, report.lastWrite};
    }
    struct stat info {};
    const std::string& name = report.native;
    if (!m_open.valid() || name.empty() || name.find('/') != std::string::npos ||
        ::fstatat(m_open.descriptor(), name.c_str(), &info, 0) != 0)
        return std::nullopt;
    return ReportFacts{static_cast<std::int64_t>(info.st_size), info.st_mtim.tv_sec};
}

bool ReportDirectory::replace(std::string_view native, std::string_view bytes) const
{
    if (isUncPath(m_path))
        return remoteFiles() && remoteFiles()->replaceChild(m_path, native, bytes);
    const std::string name(native);
    const int folder = m_open.descriptor();
    struct stat info {};
    if (!m_open.valid() || name.empty() || name.find('/') != std::string::npos ||
        ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        (info.st_mode & 0222) == 0)
        return false;
    NewFileAttributes attributes{info.st_mode, std::nullopt, std::nullopt};
    if (info.st_uid != ::geteuid() || info.st_gid != ::getegid())
        attributes.owner = {info.st_uid, info.st_gid};
    return replaceInFolder(folder, name, bytes, attributes);
}

bool ReportDirectory::holds(std::string_view native) const
{
    if (isUncPath(m_path))
        return remoteFiles() && remoteFiles()->stat(joinPath(m_path, native)).exists;
    struct stat info {};
    const std::string name(native);
    return m_open.valid() && !name.empty() && name.find('/') == std::string::npos &&
           ::fstatat(m_open.descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool ReportDirectory::isSameDirectory(const std::string& other) const
{
    if (isUncPath(m_path) || isUncPath(other))
        return isUncPath(m_path) && isUncPath(other) && foldedUnc(m_path) == foldedUnc(other);
    struct stat mine {
    }, theirs{};
    return m_open.valid() && ::fstat(m_open.descriptor(), &mine) == 0 &&
           ::stat(nativePath(other).c_str(), &theirs) == 0 && mine.st_dev == theirs.st_dev &&
           mine.st_ino == theirs.st_ino;
}

}  // namespace corvinax
