#include "check/copy_aside.h"

#include "check/report_directory.h"
#include "profile/atomic_file.h"
#include "profile/file_descriptor.h"
#include "profile/native_text.h"
#include "profile/remote_files.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace corvinax {

namespace {

// A short name of its own, so that even a report name at the system's limit can be copied.
int createTemporary(int folderFd, std::string& name)
{
    static std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = ".corvinax-" + std::to_string(random() % 1'000'000'000'000ULL);
        const int fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeLocalCopy(const ReportCopySource& source, const std::string& native, const std::string& folder)
{
    const FileDescriptor folderFd(::open(nativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() < 0)
        return false;
    std::string temporary;
    bool ok = false;
    {
        const FileDescriptor file(createTemporary(folderFd.get(), temporary));
        if (file.get() < 0)
            return false;
        const timespec times[2] = {source.modified, source.modified};
        ok = writeAll(file.get(), source.bytes) && ::fchmod(file.get(), source.mode) == 0 &&
             ::futimens(file.get(), times) == 0 && ::fsync(file.get()) == 0;
    }
    if (ok && ::renameat(folderFd.get(), temporary.c_str(), folderFd.get(), native.c_str()) == 0) {
        (void)::fsync(folderFd.get());
        return true;
    }
    ::unlinkat(folderFd.get(), temporary.c_str(), 0);
    return false;
}

}  // namespace

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
