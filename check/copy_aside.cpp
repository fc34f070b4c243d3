#include "check/copy_aside.h"

#include "platform/atomic_file.h"
#include "platform/file_descriptor.h"
#include "platform/native_text.h"
#include "platform/remote_files.h"
#include "platform/report_directory.h"
#include "platform/write_place.h"

#include <random>

#include <fcntl.h>
#include <sys/stat.h>

namespace corvinax {

namespace {

// Under a short name of its own until the rename, so that even a report name at the system's limit
// can be copied.
bool writeLocalCopy(const ReportCopySource& source, const std::string& native, const std::string& folder)
{
    const FileDescriptor folderFd = openFolderForWriting(nativePath(folder));
    return folderFd.get() >= 0 &&
           replaceInFolder(folderFd.get(), native, source.bytes, {source.mode, std::nullopt, source.modified});
}

std::string probeName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random(std::random_device{}());
    std::string name = ".corvinax-probe-";
    for (int i = 0; i < 12; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

}  // namespace

bool isCheckDirectoryItself(const ReportDirectory& directory, const std::string& folder)
{
    if (folder.empty())
        return false;
    const std::string probe = probeName();
    if (isUncPath(folder)) {
        RemoteFiles* remote = remoteFiles();
        if (!remote || !remote->replaceChild(folder, probe, {}))
            return false;
        const bool same = directory.holds(probe);
        remote->removeChild(folder, probe);
        return same;
    }
    const FileDescriptor folderFd = openFolderForWriting(nativePath(folder));
    const FileDescriptor made(folderFd.get() < 0 ? -1
                                                  : ::openat(folderFd.get(), probe.c_str(),
                                                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (made.get() < 0)
        return false;
    const bool same = directory.holds(probe);
    ::unlinkat(folderFd.get(), probe.c_str(), 0);
    return same;
}

bool copyAside(const ReportDirectory& directory, const ReportCandidate& report, const std::string& folder)
{
    if (folder.empty() || report.link || directory.isSameDirectory(folder))
        return false;
    ReportCopySource source;
    if (!directory.readForCopy(report.native, source, false))
        return false;
    if (isUncPath(folder))
        return remoteFiles() && remoteFiles()->replaceChild(folder, report.native, source.bytes);
    return writeLocalCopy(source, report.native, folder);
}

}  // namespace corvinax
