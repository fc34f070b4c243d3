#include "check/report_enumeration.h"

#include "profile/native_text.h"
#include "profile/remote_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace corvinax {

namespace {

// On a share the server's DOS attributes tell hidden and system entries.
std::vector<ReportCandidate> listRemoteCandidates(const std::string& directory)
{
    std::vector<ReportCandidate> candidates;
    RemoteFiles* remote = remoteFiles();
    const auto entries = remote ? remote->list(directory) : std::nullopt;
    if (!entries)
        return candidates;
    for (const RemoteEntry& entry : *entries) {
        if (!entry.directory && !entry.hidden && !entry.system && entry.name != "." && entry.name != "..")
            candidates.push_back(ReportCandidate{entry.name, entry.lastWrite});
    }
    return candidates;
}

}  // namespace

std::vector<ReportCandidate> listReportCandidates(const std::string& directory, bool withLastWrite)
{
    std::vector<ReportCandidate> candidates;
    if (directory.empty())
        return candidates;  // never the current directory in place of a listed one
    if (isUncPath(directory))
        return listRemoteCandidates(directory);
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(nativePath(directory).c_str()), ::closedir);
    if (!handle)
        return candidates;
    const int fd = ::dirfd(handle.get());
    while (const dirent* entry = ::readdir(handle.get())) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat info {};
        if (entry->d_type != DT_REG || withLastWrite) {
            // A link, or a file system that does not tell the kind: the entry itself decides.
            if (::fstatat(fd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
                continue;
        }
        candidates.push_back(ReportCandidate{fromNativeName(entry->d_name), info.st_mtim.tv_sec});
    }
    return candidates;
}

}  // namespace corvinax
